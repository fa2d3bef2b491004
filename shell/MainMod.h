#pragma once

// The menus module: the two menus the add-on hands to the host, their commands, and what
// the host handed over for them.

#include "platform/boundary/TableDefs.h"
#include "platform/config/IniFile.h"
#include "platform/core/Formats.h"
#include "platform/db/DataSet.h"
#include "platform/ui/Menus.h"
#include "shell/DLLAddOn.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace corvanel {

class TDummyModule final : public QObject {
public:
    explicit TDummyModule(QObject* owner);
    ~TDummyModule() override;

    // Main-window menu.
    fw::TMainMenu* MainMenu1;
    fw::TMenuItem* Fisier1;
    fw::TMenuItem* N1;
    fw::TMenuItem* Retetedeproductie1;
    fw::TMenuItem* Productie1;
    fw::TMenuItem* Rapoarte1;
    fw::TMenuItem* Trasabilitateproduse1;
    // Incoming-document menu.
    fw::TMainMenu* DocInMenu;
    fw::TMenuItem* Document1;
    fw::TMenuItem* N11;
    fw::TMenuItem* CalcNec;

    // What the host handed over for the document menu (not owned).
    QPointer<fw::TDataSet> DocInDataSet;
    QPointer<QObject> DocInOwner;
    // The traceability report's interval and warehouse selection, kept between runs.
    fw::TDateTime TraceabilityFrom = 0;
    fw::TDateTime TraceabilityTo = 0;
    QString TraceabilityWarehouses;

    std::unique_ptr<fw::TIniFile> HostIniFile;

    void Retetedeproductie1Click(fw::TMenuItem* sender);
    void Productie1Click(fw::TMenuItem* sender);
    void Trasabilitateproduse1Click(fw::TMenuItem* sender);
    void CalcNecClick(fw::TMenuItem* sender);

private:
    void DummyModuleCreate();
    void DummyModuleDestroy();
};

extern TDummyModule* DummyModule;
// The host's table-definition list, as the host handed it over.
extern fw::DEF_TABLE_LIST* HostTableList;

// The recipe table's definition the add-on hands to the host: the layout its datasets and
// queries work with.
void AddRecipeTableDef(fw::DEF_TABLE_LIST* list);

} // namespace corvanel

CORVANEL_EXPORT void QvxAddOnGetName(char** variable);
CORVANEL_EXPORT void QvxAddOnAddTables(fw::DEF_TABLE_LIST* list);
CORVANEL_EXPORT fw::TMenuItem* QvxAddOnMainForm(QObject* owner);
CORVANEL_EXPORT void QvxAddOnChangeDB(const char* directory);
CORVANEL_EXPORT fw::TMenuItem* QvxAddOnDocInForm(QObject* window, fw::TDataSet* dataSet);
