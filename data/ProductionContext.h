#pragma once

// What the add-on keeps while it is loaded, in one place: the production settings, its own
// formats and print settings, the application and screen its windows belong to, the
// windows open now, the receipt whose requirement is computed and the flags the windows
// share with the data module, and the data module itself. The add-on's initialisation
// makes it (so does a program that works on one company, and every test that needs one)
// and hands it to the menus, the windows, the data module and the tool: nothing of it is
// a global.

#include "data/ProductionSettings.h"
#include "platform/core/Formats.h"

#include <QPointer>
#include <QString>
#include <memory>

namespace fw {
class TApplication;
class TForm;
class TScreen;
class TSession;
} // namespace fw

namespace corvanel {

class TProductionData;
struct TPrintSettings; // the reports' (reports/PrintSettings.h), which this layer lies below

struct TProductionContext {
    TProductionContext();
    ~TProductionContext();
    TProductionContext(const TProductionContext&) = delete;
    TProductionContext& operator=(const TProductionContext&) = delete;

    // The application and screen the add-on's windows belong to and its hourglass shows
    // on: the add-on's own pair until the host hands over its own. Null where nothing is
    // shown (the command-line tool).
    fw::TApplication* Application = nullptr;
    fw::TScreen* Screen = nullptr;

    TProductionSettings Settings;

    // The add-on's date and number conventions, through which every date and number it
    // shows as text goes: the system's until the first date box is made, then day, month
    // and four-digit year (UseFourDigitYearDates). The framework's defaults belong to the
    // host as much as to the add-on, so the add-on keeps a copy of its own.
    fw::TFormatSettings Formats;

    // The report print settings, kept from one report to the next; made by the reports on
    // first use (PrintSettingsOf).
    std::shared_ptr<TPrintSettings> PrintSettings;

    // The data module: owned by the menus module, or by the program that made it.
    QPointer<TProductionData> Data;
    // The add-on's database session: the data module's, the default one without it.
    fw::TSession* Session() const;

    // The add-on's windows open now; null while closed.
    QPointer<fw::TForm> RecipeEditor;
    QPointer<fw::TForm> SettingsDialog;
    QPointer<fw::TForm> RequirementForm;

    // The incoming document (its Contor) whose requirement the requirement form computes.
    double ReceiptCounter = 0;
    // Raised once a consumption document has been written, so that the command refreshes
    // the host's incoming-document view; lowered when the requirement form opens and when
    // a generation starts.
    bool ReceiptsNeedRefresh = false;
    // A negative stock figure was painted since the requirement last changed state.
    bool NegativeStockShown = false;
    // The recipe editor's typed product search, and whether the search itself is moving
    // the product list (so that the data module does not take the move for one that ends
    // the search).
    QString ProductSearchText;
    bool ProductSearchActive = false;
};

// Day, month, four-digit year, joined by the system's date separator, from now on.
void UseFourDigitYearDates(fw::TFormatSettings& formats);

} // namespace corvanel
