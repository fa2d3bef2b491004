#pragma once

// The seven entry points the host calls (C linkage, exported), in the order it calls them:
// InitAddOnDLL, QvxAddOnGetName, QvxAddOnAddTables, QvxAddOnMainForm, QvxAddOnChangeDB,
// then QvxAddOnDocInForm each time a receipt window opens, and ClearAddOnDLL before the
// library is unloaded. They are the library's only exports.

#include "platform/boundary/TableDefs.h"

class QObject;

namespace fw {
class TApplication;
class TDataSet;
class TMenuItem;
class TScreen;
} // namespace fw

#define CORVANEL_EXPORT extern "C" __attribute__((visibility("default")))

// The add-on's windows belong to the host's application and screen from here on.
CORVANEL_EXPORT void InitAddOnDLL(fw::TScreen* screen, fw::TApplication* application);
// The application and screen that were the add-on's before InitAddOnDLL are its own again.
CORVANEL_EXPORT void ClearAddOnDLL();
// The name the host shows for the add-on ("Productie produse lactate").
CORVANEL_EXPORT void QvxAddOnGetName(char** variable);
// Appends the recipe table's definition to the host's list.
CORVANEL_EXPORT void QvxAddOnAddTables(fw::DEF_TABLE_LIST* list);
// Makes the menus module (owned by `owner`, the host's main window) with the data module
// and returns the main-window menu.
CORVANEL_EXPORT fw::TMenuItem* QvxAddOnMainForm(QObject* owner);
// Points the production database at the company directory, again on every change.
CORVANEL_EXPORT void QvxAddOnChangeDB(const char* directory);
// Remembers the receipt window and its header dataset and returns the document menu;
// null before the menus module exists.
CORVANEL_EXPORT fw::TMenuItem* QvxAddOnDocInForm(QObject* window, fw::TDataSet* dataSet);
