#pragma once

// The menus module: the two menus the add-on hands to the host, their commands, and what
// the host handed over for them.

#include "platform/boundary/TableDefs.h"
#include "platform/config/IniFile.h"
#include "platform/core/Formats.h"
#include "platform/db/DataSet.h"
#include "platform/ui/Menus.h"
#include "shell/EntryPoints.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace corvanel {

class TProductionMenus final : public QObject {
public:
    explicit TProductionMenus(QObject* owner);
    ~TProductionMenus() override;

    // Main-window menu.
    fw::TMainMenu* MainMenu;
    fw::TMenuItem* SystemMenu;
    fw::TMenuItem* SystemSeparator;
    fw::TMenuItem* RecipesItem;
    fw::TMenuItem* SettingsItem;
    fw::TMenuItem* ReportsMenu;
    fw::TMenuItem* TraceabilityItem;
    // Incoming-document menu.
    fw::TMainMenu* DocInMenu;
    fw::TMenuItem* DocumentMenu;
    fw::TMenuItem* DocumentSeparator;
    fw::TMenuItem* RequirementItem;

    // What the host handed over for the document menu (not owned).
    QPointer<fw::TDataSet> DocInDataSet;
    QPointer<QObject> DocInOwner;
    // The traceability report's interval and warehouse selection, kept between runs.
    fw::TDateTime TraceabilityFrom = 0;
    fw::TDateTime TraceabilityTo = 0;
    QString TraceabilityWarehouses;

    std::unique_ptr<fw::TIniFile> HostIniFile;

    void RecipesClick(fw::TMenuItem* sender);
    void SettingsClick(fw::TMenuItem* sender);
    void TraceabilityClick(fw::TMenuItem* sender);
    void RequirementClick(fw::TMenuItem* sender);

private:
    void CreateDataModule();
    void ForgetMenus();
};

extern TProductionMenus* ProductionMenus;
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
