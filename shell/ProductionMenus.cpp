#include "shell/ProductionMenus.h"

#include "data/Queries.h"
#include "data/ProductionData.h"
#include "platform/boundary/HostString.h"
#include "platform/config/Paths.h"
#include "platform/schema/CompanyTables.h"
#include "recipes/RecipeEditor.h"
#include "reports/TraceabilityReport.h"
#include "requirement/Requirement.h"
#include "requirement/RequirementForm.h"
#include "shell/SettingsDialog.h"

#include <QScopeGuard>
#include <QWidget>

namespace corvanel {

TProductionMenus* ProductionMenus = nullptr;
fw::DEF_TABLE_LIST* HostTableList = nullptr;

namespace {

// The name the host shows for the add-on: a constant of the library, never counted or freed.
constexpr fw::TConstHostStr AddOnName("Productie produse lactate");

fw::TMenuItem* Item(fw::TMenuItem* parent, const char* name, const QString& caption, int groupIndex,
                    const QString& hint = {})
{
    fw::TMenuItem* item = parent->Add(QString::fromLatin1(name), caption, groupIndex);
    item->SetHint(hint);
    return item;
}

} // namespace

void AddRecipeTableDef(fw::DEF_TABLE_LIST* list)
{
    // The definition handed over is the layout the add-on's datasets and queries work with.
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

TProductionMenus::TProductionMenus(QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("ProductionMenus"));

    MainMenu = new fw::TMainMenu(this);
    MainMenu->SetName(QStringLiteral("MainMenu"));
    SystemMenu = Item(MainMenu, "SystemMenu", QStringLiteral("&Sistem"), 0);
    SystemSeparator = Item(SystemMenu, "SystemSeparator", QStringLiteral("-"), 5);
    RecipesItem = Item(SystemMenu, "RecipesItem", QStringLiteral("Retete de productie"), 5,
                              QStringLiteral("Specifica necesarul tehnic de materii prime si materiale pentru realizarea "
                                             "unei unitati de produs finit."));
    SettingsItem = Item(SystemMenu, "SettingsItem", QStringLiteral("&Configurare productie"), 5,
                      QStringLiteral("Specifica gestiunea si identificatorul de coduri de materii prime si materiale"));
    ReportsMenu = Item(MainMenu, "ReportsMenu", QStringLiteral("Rapoarte"), 0);
    TraceabilityItem = Item(ReportsMenu, "TraceabilityItem", QStringLiteral("Trasabilitate produse"), 1);

    DocInMenu = new fw::TMainMenu(this);
    DocInMenu->SetName(QStringLiteral("DocInMenu"));
    DocumentMenu = Item(DocInMenu, "DocumentMenu", QStringLiteral("&Document"), 1);
    DocumentSeparator = Item(DocumentMenu, "DocumentSeparator", QStringLiteral("-"), 5);
    RequirementItem = Item(DocumentMenu, "RequirementItem", QStringLiteral("Calcul necesar tehnic"), 5);

    RecipesItem->OnClick = [this](fw::TMenuItem* s) { RecipesClick(s); };
    SettingsItem->OnClick = [this](fw::TMenuItem* s) { SettingsClick(s); };
    TraceabilityItem->OnClick = [this](fw::TMenuItem* s) { TraceabilityClick(s); };
    RequirementItem->OnClick = [this](fw::TMenuItem* s) { RequirementClick(s); };

    CreateDataModule();
}

TProductionMenus::~TProductionMenus() { ForgetMenus(); }

void TProductionMenus::CreateDataModule()
{
    // Read first: a settings file that cannot be read leaves nothing half made.
    HostIniFile = std::make_unique<fw::TIniFile>(fw::HostIniFileName());
    const QString netDir = HostIniFile->ReadString(QStringLiteral("Initial"), QStringLiteral("NetControlDir"), QString());
    ProductionData = new TProductionData(this);
    if (!netDir.isEmpty())
        ProductionData->Session->SetNetFileDir(netDir);
}

void TProductionMenus::ForgetMenus()
{
    if (ProductionMenus == this)
        ProductionMenus = nullptr;
    HostIniFile.reset();
}

void TProductionMenus::RecipesClick(fw::TMenuItem*)
{
    // One editor: choosing it again brings the open one back.
    if (RecipeEditorForm) {
        RecipeEditorForm->BringToFront();
        return;
    }
    auto* form = new TRecipeEditorForm(Application->MainForm());
    if (!form->Opened())
        return; // the user was told; the editor releases itself
    RecipeEditorForm = form;
    form->Show();
}

void TProductionMenus::SettingsClick(fw::TMenuItem*)
{
    SettingsForm = new TProductionSettingsForm(qobject_cast<QWidget*>(parent()));
    SettingsForm->ShowModal();
}

void TProductionMenus::TraceabilityClick(fw::TMenuItem*)
{
    TraceabilityFrom = fw::Now();
    TraceabilityTo = TraceabilityFrom;
    ExecuteTraceabilityReport(Application ? Application->MainForm() : nullptr, TraceabilityFrom, TraceabilityTo, TraceabilityWarehouses);
}

void TProductionMenus::RequirementClick(fw::TMenuItem*)
{
    if (!DocInDataSet || !DocInDataSet->Active())
        return;
    DocInContor = DocInDataSet->FieldByName(QStringLiteral("Contor"))->AsFloat();
    QPointer<TRequirementForm> form = new TRequirementForm(qobject_cast<QWidget*>(DocInOwner.data()));
    OpenRequirementForm = form;
    {
        // Whatever way the modal run ends, the form does not outlive the command.
        const auto free = qScopeGuard([&form] { delete form.data(); });
        if (form->Prepared())
            form->ShowModal();
    }
    // A consumption document was written: the host's document view computes its fields
    // again (it is left alone while the user is changing a document there).
    if (DocInNeedsRefresh && DocInDataSet && DocInDataSet->Active() && !DocInDataSet->IsEditing())
        DocInDataSet->Refresh();
}

} // namespace corvanel

void QvxAddOnGetName(char** variable)
{
    if (variable)
        fw::HostStrAssign(*variable, corvanel::AddOnName.Str());
}

void QvxAddOnAddTables(fw::DEF_TABLE_LIST* list)
{
    corvanel::HostTableList = list;
    corvanel::AddRecipeTableDef(list);
}

fw::TMenuItem* QvxAddOnMainForm(QObject* owner)
{
    using namespace corvanel;
    ProductionMenus = new TProductionMenus(owner);
    // A company handed over before the module existed is connected now.
    if (!ChangeDBDirectory.isEmpty())
        ProductionData->ConnectTo(ChangeDBDirectory);
    return ProductionMenus->MainMenu;
}

void QvxAddOnChangeDB(const char* directory)
{
    using namespace corvanel;
    ChangeDBDirectory = fw::HostStrToQString(const_cast<char*>(directory));
    if (ProductionData)
        ProductionData->ConnectTo(ChangeDBDirectory);
}

fw::TMenuItem* QvxAddOnDocInForm(QObject* window, fw::TDataSet* dataSet)
{
    using namespace corvanel;
    if (!ProductionMenus)
        return nullptr;
    ProductionMenus->DocInDataSet = dataSet;
    ProductionMenus->DocInOwner = window;
    return ProductionMenus->DocInMenu;
}
