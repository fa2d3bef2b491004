#include "shell/EntryPoints.h"

#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "data/StockLedger.h"
#include "platform/boundary/HostString.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Application.h"
#include "shell/ProductionMenus.h"

#include <QPointer>

namespace corvanel {

namespace {

// The name the host shows for the add-on: a constant of the library, never counted or freed.
constexpr fw::TConstHostStr AddOnName("Productie produse lactate");

// Everything the entry points keep between the host's calls, for as long as the library is
// loaded. It is made by the first call (InitAddOnDLL) and is the one place the add-on
// keeps anything: the production context the rest of the add-on is handed.
struct TAddOn {
    TAddOn()
    {
        Context.Application = &OwnApplication;
        Context.Screen = &OwnScreen;
    }

    // The add-on's own application and screen, in use until the host hands over its pair.
    fw::TApplication OwnApplication;
    fw::TScreen OwnScreen;
    // The pair that was current when the host handed over its own, given back by ClearAddOnDLL.
    fw::TApplication* SavedApplication = nullptr;
    fw::TScreen* SavedScreen = nullptr;
    TProductionContext Context;
    // Made by QvxAddOnMainForm and owned by the host's main window.
    QPointer<TProductionMenus> Menus;
    // The host's table-definition list, as the host handed it over.
    fw::DEF_TABLE_LIST* HostTableList = nullptr;
};

TAddOn& AddOn()
{
    static TAddOn addOn;
    return addOn;
}

// The recipe table's definition handed to the host: the layout the add-on's datasets and
// queries work with.
void AddRecipeTableDef(fw::DEF_TABLE_LIST* list)
{
    const fw::TTableLayout& layout = fw::RecipeTable();
    std::vector<fw::TFieldDescriptor> fields;
    for (const fw::TFieldDef& f : layout.Fields)
        fields.push_back({f.Name, f.DataType, static_cast<std::int16_t>(f.Size), f.Required});
    std::vector<fw::TIndexDescriptor> indexes;
    for (const fw::TIndexDef& ix : layout.Indexes) {
        int options = 0;
        if (ix.Options.testFlag(fw::TIndexOption::Primary))
            options |= fw::ixPrimary;
        if (ix.Options.testFlag(fw::TIndexOption::Unique))
            options |= fw::ixUnique;
        indexes.push_back({ix.Name, ix.Fields, static_cast<std::uint8_t>(options)});
    }
    fw::AddTableDef(list, fw::RetetaDB, fields, 1, indexes);
}

} // namespace

} // namespace corvanel

using corvanel::AddOn;

void InitAddOnDLL(fw::TScreen* screen, fw::TApplication* application)
{
    corvanel::TProductionContext& context = AddOn().Context;
    AddOn().SavedApplication = context.Application;
    AddOn().SavedScreen = context.Screen;
    context.Application = application;
    context.Screen = screen;
}

void ClearAddOnDLL()
{
    corvanel::TProductionContext& context = AddOn().Context;
    // The company and the table list were the host's: a host that starts the library again
    // (which may stay loaded when it is unloaded) hands over its own.
    context.Settings.HandedOverDirectory.clear();
    AddOn().HostTableList = nullptr;
    if (AddOn().SavedApplication)
        context.Application = AddOn().SavedApplication;
    if (AddOn().SavedScreen)
        context.Screen = AddOn().SavedScreen;
}

void QvxAddOnGetName(char** variable)
{
    if (variable)
        fw::HostStrAssign(*variable, corvanel::AddOnName.Str());
}

void QvxAddOnAddTables(fw::DEF_TABLE_LIST* list)
{
    AddOn().HostTableList = list;
    corvanel::AddRecipeTableDef(list);
}

fw::TMenuItem* QvxAddOnMainForm(QObject* owner)
{
    corvanel::TProductionContext& context = AddOn().Context;
    AddOn().Menus = new corvanel::TProductionMenus(context, owner);
    // A company handed over before the module existed is connected now.
    if (!context.Settings.HandedOverDirectory.isEmpty())
        context.Data->ConnectTo(context.Settings.HandedOverDirectory);
    return AddOn().Menus->MainMenu;
}

void QvxAddOnChangeDB(const char* directory)
{
    corvanel::TProductionContext& context = AddOn().Context;
    context.Settings.HandedOverDirectory = fw::HostStrToQString(const_cast<char*>(directory));
    if (context.Data)
        context.Data->ConnectTo(context.Settings.HandedOverDirectory);
}

fw::TMenuItem* QvxAddOnDocInForm(QObject* window, fw::TDataSet* dataSet)
{
    corvanel::TProductionMenus* menus = AddOn().Menus;
    if (!menus)
        return nullptr;
    menus->ReceiptHeaders = dataSet;
    menus->ReceiptWindow = window;
    return menus->DocInMenu;
}

int QvxAddOnLotUsable(const char* group, const char* code, const char* lot, char** state, char** reason)
{
    corvanel::TProductionContext& context = AddOn().Context;
    if (!context.Data || !context.Data->ProductionDatabase->Connected())
        return -1;
    const auto text = [](const char* s) { return fw::HostStrToQString(const_cast<char*>(s)); };
    const QString group_ = text(group);
    const QString code_ = text(code);
    // The ledger's own answer for the article's lots, so that shipping and drawing can
    // never disagree on which lots are usable.
    const QHash<QString, corvanel::TLotStanding> held =
        context.Data->Ledger(QDate()).Held({{group_, code_, 0}}).front();
    const auto standing = held.constFind(text(lot));
    if (standing == held.constEnd())
        return 1;
    const auto assign = [](char** variable, const QString& value) {
        if (!variable)
            return;
        const fw::THostString fresh(value);
        fw::HostStrAssign(*variable, fresh.Get());
    };
    assign(state, standing->State);
    assign(reason, standing->Reason);
    return 0;
}
