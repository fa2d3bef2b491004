#include "shell/MainMod.h"

#include "data/Queries.h"
#include "data/ProductionData.h"
#include "platform/boundary/HostString.h"
#include "platform/config/Paths.h"
#include "platform/schema/CompanyTables.h"
#include "recipes/RecipeEditor.h"
#include "reports/TraceabilityReport.h"
#include "requirement/Requirement.h"
#include "requirement/RequirementForm.h"
#include "shell/ZPFIndic.h"

#include <QScopeGuard>
#include <QWidget>

namespace corvanel {

TDummyModule* DummyModule = nullptr;
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
    fw::AddTableDef(list, RetetaDB, fields, 1, indexes);
}

TDummyModule::TDummyModule(QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("DummyModule"));

    MainMenu1 = new fw::TMainMenu(this);
    MainMenu1->SetName(QStringLiteral("MainMenu1"));
    Fisier1 = Item(MainMenu1, "Fisier1", QStringLiteral("&Sistem"), 0);
    N1 = Item(Fisier1, "N1", QStringLiteral("-"), 5);
    Retetedeproductie1 = Item(Fisier1, "Retetedeproductie1", QStringLiteral("Retete de productie"), 5,
                              QStringLiteral("Specifica necesarul tehnic de materii prime si materiale pentru realizarea "
                                             "unei unitati de produs finit."));
    Productie1 = Item(Fisier1, "Productie1", QStringLiteral("&Configurare productie"), 5,
                      QStringLiteral("Specifica gestiunea si identificatorul de coduri de materii prime si materiale"));
    Rapoarte1 = Item(MainMenu1, "Rapoarte1", QStringLiteral("Rapoarte"), 0);
    Trasabilitateproduse1 = Item(Rapoarte1, "Trasabilitateproduse1", QStringLiteral("Trasabilitate produse"), 1);

    DocInMenu = new fw::TMainMenu(this);
    DocInMenu->SetName(QStringLiteral("DocInMenu"));
    Document1 = Item(DocInMenu, "Document1", QStringLiteral("&Document"), 1);
    N11 = Item(Document1, "N11", QStringLiteral("-"), 5);
    CalcNec = Item(Document1, "CalcNec", QStringLiteral("Calcul necesar tehnic"), 5);

    Retetedeproductie1->OnClick = [this](fw::TMenuItem* s) { Retetedeproductie1Click(s); };
    Productie1->OnClick = [this](fw::TMenuItem* s) { Productie1Click(s); };
    Trasabilitateproduse1->OnClick = [this](fw::TMenuItem* s) { Trasabilitateproduse1Click(s); };
    CalcNec->OnClick = [this](fw::TMenuItem* s) { CalcNecClick(s); };

    DummyModuleCreate();
}

TDummyModule::~TDummyModule() { DummyModuleDestroy(); }

void TDummyModule::DummyModuleCreate()
{
    // Read first: a settings file that cannot be read leaves nothing half made.
    HostIniFile = std::make_unique<fw::TIniFile>(fw::HostIniFileName());
    const QString netDir = HostIniFile->ReadString(QStringLiteral("Initial"), QStringLiteral("NetControlDir"), QString());
    ProductionData = new TProductionData(this);
    if (!netDir.isEmpty())
        ProductionData->Session->SetNetFileDir(netDir);
}

void TDummyModule::DummyModuleDestroy()
{
    if (DummyModule == this)
        DummyModule = nullptr;
    HostIniFile.reset();
}

void TDummyModule::Retetedeproductie1Click(fw::TMenuItem*)
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

void TDummyModule::Productie1Click(fw::TMenuItem*)
{
    ZPFIndicatorForm = new TZPFIndicatorForm(qobject_cast<QWidget*>(parent()));
    ZPFIndicatorForm->ShowModal();
}

void TDummyModule::Trasabilitateproduse1Click(fw::TMenuItem*)
{
    TraceabilityFrom = fw::Now();
    TraceabilityTo = TraceabilityFrom;
    ExecuteTraceabilityReport(Application ? Application->MainForm() : nullptr, TraceabilityFrom, TraceabilityTo, TraceabilityWarehouses);
}

void TDummyModule::CalcNecClick(fw::TMenuItem*)
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
    DummyModule = new TDummyModule(owner);
    // A company handed over before the module existed is connected now.
    if (!ChangeDBDirectory.isEmpty())
        ProductionData->ConnectTo(ChangeDBDirectory);
    return DummyModule->MainMenu1;
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
    if (!DummyModule)
        return nullptr;
    DummyModule->DocInDataSet = dataSet;
    DummyModule->DocInOwner = window;
    return DummyModule->DocInMenu;
}
