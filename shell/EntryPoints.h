#pragma once

// The seven entry points the host calls (C linkage, exported), in the order it calls them:
// InitAddOnDLL, QvxAddOnGetName, QvxAddOnAddTables, QvxAddOnMainForm, QvxAddOnChangeDB,
// then QvxAddOnDocInForm each time a receipt window opens, and ClearAddOnDLL before the
// library is unloaded. Besides them one optional entry point, QvxAddOnLotUsable, which a
// host resolves if it is there and does without if it is not. They are the library's only
// exports.

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

// Optional. Whether the lot `lot` of the article (`group`, `code`), host strings, may leave
// the stock on an outgoing document, judged by the stock ledger's rule on lots on the
// company last handed over: 1 when it may; 0 when it may not, with its standing's name
// ("Blocat", "Neconform", "In asteptare") and its reason assigned to `*state` and `*reason`
// (host strings the caller releases); -1 when the add-on has no company to judge by. The
// host asks while its writing transaction holds the counter row, so the answer is the
// committed state no hold can change before the line is written. A database error is
// thrown, as from the other entry points.
CORVANEL_EXPORT int QvxAddOnLotUsable(const char* group, const char* code, const char* lot, char** state, char** reason);
