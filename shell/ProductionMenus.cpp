#include "shell/ProductionMenus.h"

#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "labels/LotLabelsDialog.h"
#include "platform/config/Paths.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"
#include "milk/MilkIntakeForm.h"
#include "milk/MilkMonthForm.h"
#include "milk/MilkSettingsDialog.h"
#include "quality/LabResultsDialog.h"
#include "quality/ReleaseRequiredDialog.h"
#include "recall/RecallForm.h"
#include "recipes/RecipeEditor.h"
#include "reports/DashboardForm.h"
#include "reports/ExpiringLotsReport.h"
#include "reports/LotCostReport.h"
#include "reports/YieldVarianceReport.h"
#include "reports/TraceabilityReport.h"
#include "requirement/RequirementForm.h"
#include "requirement/ReversalDialog.h"
#include "shell/SettingsDialog.h"

#include <QScopeGuard>
#include <QWidget>
#include <map>

namespace corvanel {

namespace {

// A menu of a menu bar, as the host merges it: by caption and group index.
struct TTopMenu {
    bool InDocumentMenu; // the receipt window's menu, else the main window's
    const char* Name;
    const char* Caption;
    int GroupIndex;
};

constexpr TTopMenu kSystemMenu{false, "SystemMenu", "&Sistem", 0};
constexpr TTopMenu kReportsMenu{false, "ReportsMenu", "Rapoarte", 0};
constexpr TTopMenu kDocumentMenu{true, "DocumentMenu", "&Document", 1};

// A command of the add-on: the menu it stands in, its name, caption, hint and group index,
// and what it does. A separator (caption "-") does nothing.
struct TMenuCommand {
    const TTopMenu* Menu;
    const char* Name;
    const char* Caption;
    const char* Hint;
    int GroupIndex;
    void (TProductionMenus::*Action)();
};

// The add-on's commands, in the order they stand in their menus. A new window is a
// command of TProductionMenus and a line here.
const TMenuCommand kCommands[] = {
    {&kSystemMenu, "SystemSeparator", "-", "", 5, nullptr},
    {&kSystemMenu, "RecipesItem", "Retete de productie",
     "Specifica necesarul tehnic de materii prime si materiale pentru realizarea unei unitati de produs finit.", 5,
     &TProductionMenus::OpenRecipeEditor},
    {&kSystemMenu, "SettingsItem", "&Configurare productie",
     "Specifica gestiunea si identificatorul de coduri de materii prime si materiale", 5,
     &TProductionMenus::OpenSettings},
    {&kSystemMenu, "MilkSettingsItem", "Configurare &lapte",
     "Articolul laptelui crud, gestiunea, densitatea si pretul platit furnizorilor.", 5,
     &TProductionMenus::OpenMilkSettings},
    {&kReportsMenu, "TraceabilityItem", "Trasabilitate produse", "", 1, &TProductionMenus::RunTraceabilityReport},
    {&kReportsMenu, "ExpiringLotsItem", "Loturi care expira", "", 1, &TProductionMenus::RunExpiringLotsReport},
    {&kReportsMenu, "RecallItem", "Urmarire lot",
     "Urmareste un lot: in ce loturi de produse a intrat si la ce clienti au ajuns, sau din ce loturi si de la ce "
     "furnizori s-a facut.", 1, &TProductionMenus::OpenRecall},
    {&kReportsMenu, "LotLabelsItem", "Etichete lot",
     "Tipareste etichetele GS1 ale unui lot de produs finit: GTIN, lot, data productiei si a expirarii.", 1,
     &TProductionMenus::PrintLotLabels},
    {&kReportsMenu, "LabResultsItem", "Analize laborator",
     "Rezultatele de laborator ale unui lot fata de norme; lotul blocat sau eliberat, cu motivul.", 1,
     &TProductionMenus::OpenLabResults},
    {&kReportsMenu, "ReleaseRequiredItem", "Eliberare obligatorie",
     "Articolele ale caror loturi noi asteapta eliberarea inainte de a fi consumate sau livrate.", 1,
     &TProductionMenus::OpenReleaseRequired},
    {&kReportsMenu, "MilkIntakeItem", "Receptie lapte",
     "Livrarile de lapte ale zilei pe furnizori, cu analizele lor; livrarile alese golite intr-un tanc.", 1,
     &TProductionMenus::OpenMilkIntake},
    {&kReportsMenu, "MilkQualityItem", "Calitatea laptelui pe furnizori",
     "Mediile geometrice NTG si NCS ale fiecarui furnizor pentru o luna, cu regula probelor si verdictul.", 1,
     &TProductionMenus::OpenMilkQuality},
    {&kReportsMenu, "MilkStatementItem", "Decont lunar lapte",
     "Cantitatea, grasimea, proteina, pretul si valoarea laptelui fiecarui furnizor pentru o luna.", 1,
     &TProductionMenus::OpenMilkStatement},
    {&kReportsMenu, "LotCostItem", "Costul loturilor fabricate",
     "Costul materialelor fiecarui lot de produs, la pretul de achizitie al loturilor consumate.", 1,
     &TProductionMenus::RunLotCostReport},
    {&kReportsMenu, "YieldVarianceItem", "Necesar fata de consum",
     "Necesarul retetelor fata de ce s-a consumat pentru fiecare receptie si produs, in cantitate, valoare si procente.",
     1, &TProductionMenus::RunYieldVarianceReport},
    {&kReportsMenu, "DashboardItem", "Tablou de bord",
     "Loturile care expira, receptiile de produse fara consum si productia lunii fata de luna trecuta.", 1,
     &TProductionMenus::OpenDashboard},
    {&kDocumentMenu, "DocumentSeparator", "-", "", 5, nullptr},
    {&kDocumentMenu, "RequirementItem", "Calcul necesar tehnic", "", 5, &TProductionMenus::OpenRequirement},
    {&kDocumentMenu, "ReversalItem", "Anuleaza consumul",
     "Anuleaza un document de consum al documentului de intrare: stocul se intoarce in loturile din care a fost luat.", 5,
     &TProductionMenus::ReverseConsumption},
};

fw::TMenuItem* AddItem(fw::TMenuItem* parent, const char* name, const char* caption, int groupIndex,
                       const char* hint)
{
    fw::TMenuItem* item = parent->Add(QString::fromLatin1(name), QString::fromUtf8(caption), groupIndex);
    item->SetHint(QString::fromUtf8(hint));
    return item;
}

} // namespace

TProductionMenus::TProductionMenus(TProductionContext& context, QObject* owner) : QObject(owner), context_(context)
{
    setObjectName(QStringLiteral("ProductionMenus"));
    BuildMenus();
    // Read first: a settings file that cannot be read leaves nothing half made.
    hostIniFile_ = std::make_unique<fw::TIniFile>(fw::HostIniFileName());
    const QString netDir = hostIniFile_->ReadString(QStringLiteral("Initial"), QStringLiteral("NetControlDir"), QString());
    auto* data = new TProductionData(context_, this);
    data->ShowWarning = [](const QString& warning) {
        fw::MessageDlg(warning, fw::TMsgDlgType::Warning, fw::TMsgDlgButtons::OK);
    };
    if (!netDir.isEmpty())
        data->Session->SetNetFileDir(netDir);
}

TProductionMenus::~TProductionMenus() = default;

void TProductionMenus::BuildMenus()
{
    MainMenu = new fw::TMainMenu(this);
    MainMenu->SetName(QStringLiteral("MainMenu"));
    DocInMenu = new fw::TMainMenu(this);
    DocInMenu->SetName(QStringLiteral("DocInMenu"));
    std::map<const TTopMenu*, fw::TMenuItem*> menus;
    for (const TMenuCommand& command : kCommands) {
        fw::TMenuItem*& menu = menus[command.Menu];
        if (!menu) {
            const TTopMenu& top = *command.Menu;
            menu = AddItem(top.InDocumentMenu ? DocInMenu : MainMenu, top.Name, top.Caption, top.GroupIndex, "");
        }
        fw::TMenuItem* item = AddItem(menu, command.Name, command.Caption, command.GroupIndex, command.Hint);
        if (command.Action)
            item->OnClick = [this, action = command.Action](fw::TMenuItem*) { (this->*action)(); };
    }
}

fw::TMenuItem* TProductionMenus::Item(const QString& name) const
{
    fw::TMenuItem* item = MainMenu->Find(name);
    return item ? item : DocInMenu->Find(name);
}

void TProductionMenus::OpenRecipeEditor()
{
    // One editor: choosing it again brings the open one back.
    if (context_.RecipeEditor) {
        context_.RecipeEditor->BringToFront();
        return;
    }
    auto* form = new TRecipeEditorForm(context_, context_.Application->MainForm());
    if (!form->Opened())
        return; // the user was told; the editor releases itself
    context_.RecipeEditor = form;
    form->Show();
}

void TProductionMenus::OpenSettings()
{
    auto* form = new TProductionSettingsForm(context_, qobject_cast<QWidget*>(parent()));
    context_.SettingsDialog = form;
    form->ShowModal();
}

void TProductionMenus::RunTraceabilityReport()
{
    TraceabilityFrom = fw::Now();
    TraceabilityTo = TraceabilityFrom;
    QWidget* owner = context_.Application ? context_.Application->MainForm() : nullptr;
    ExecuteTraceabilityReport(context_, owner, TraceabilityFrom, TraceabilityTo, TraceabilityWarehouses);
}

void TProductionMenus::RunExpiringLotsReport()
{
    QWidget* owner = context_.Application ? context_.Application->MainForm() : nullptr;
    ExecuteExpiringLotsReport(context_, owner, ExpiringDays, ExpiringWarehouses);
}

void TProductionMenus::RunLotCostReport()
{
    StartCostPeriod();
    ExecuteLotCostReport(context_, context_.Application ? context_.Application->MainForm() : nullptr, CostFrom, CostTo);
}

void TProductionMenus::RunYieldVarianceReport()
{
    StartCostPeriod();
    ExecuteYieldVarianceReport(context_, context_.Application ? context_.Application->MainForm() : nullptr, CostFrom, CostTo,
                               VarianceProducts);
}

void TProductionMenus::StartCostPeriod()
{
    // This month so far, the first time.
    if (CostFrom == 0) {
        const QDate today = QDate::currentDate();
        CostFrom = fw::DateToDateTime(QDate(today.year(), today.month(), 1));
        CostTo = fw::DateToDateTime(today);
    }
}

void TProductionMenus::OpenRecall()
{
    // One window: choosing it again brings the open one back.
    if (recallForm_) {
        recallForm_->BringToFront();
        return;
    }
    auto* form = new TRecallForm(context_, context_.Application ? context_.Application->MainForm() : nullptr);
    recallForm_ = form;
    form->Show();
}

void TProductionMenus::PrintLotLabels()
{
    ExecuteLotLabels(context_, context_.Application ? context_.Application->MainForm() : nullptr);
}

void TProductionMenus::OpenLabResults()
{
    ExecuteLabResults(context_, context_.Application ? context_.Application->MainForm() : nullptr);
}

void TProductionMenus::OpenReleaseRequired()
{
    ExecuteReleaseRequired(context_, context_.Application ? context_.Application->MainForm() : nullptr);
}

void TProductionMenus::OpenMilkIntake()
{
    ExecuteMilkIntake(context_, context_.Application ? context_.Application->MainForm() : nullptr);
}

void TProductionMenus::OpenMilkSettings()
{
    ExecuteMilkSettings(context_, context_.Application ? context_.Application->MainForm() : nullptr);
}

void TProductionMenus::OpenMilkQuality()
{
    ExecuteMilkMonth(context_, TMilkMonthKind::Quality, context_.Application ? context_.Application->MainForm() : nullptr);
}

void TProductionMenus::OpenMilkStatement()
{
    ExecuteMilkMonth(context_, TMilkMonthKind::Statement, context_.Application ? context_.Application->MainForm() : nullptr);
}

void TProductionMenus::OpenRequirement()
{
    if (!ReceiptHeaders || !ReceiptHeaders->Active())
        return;
    RunRequirement(ReceiptHeaders->FieldByName(QStringLiteral("Contor"))->AsFloat(), qobject_cast<QWidget*>(ReceiptWindow.data()));
    RefreshReceipts();
}

void TProductionMenus::RunRequirement(double receipt, QWidget* owner)
{
    context_.ReceiptCounter = receipt;
    QPointer<TRequirementForm> form = new TRequirementForm(context_, owner);
    context_.RequirementForm = form.data();
    // Whatever way the modal run ends, the form does not outlive the command.
    const auto free = qScopeGuard([&form] { delete form.data(); });
    if (form->Prepared())
        form->ShowModal();
}

void TProductionMenus::OpenDashboard()
{
    if (dashboardForm_) {
        dashboardForm_->BringToFront();
        return;
    }
    QWidget* owner = context_.Application ? context_.Application->MainForm() : nullptr;
    TDashboardActions actions{[this] { RunExpiringLotsReport(); },
                              [this](double receipt) {
                                  RunRequirement(receipt, dashboardForm_.data());
                                  RefreshReceipts();
                              },
                              [this](const QString& group, const QString& article, const QString& lot) {
                                  ExecuteLabResults(context_, dashboardForm_.data(), group, article, lot);
                              }};
    auto* form = new TDashboardForm(context_, owner, std::move(actions));
    dashboardForm_ = form;
    form->Show();
}

void TProductionMenus::ReverseConsumption()
{
    if (!ReceiptHeaders || !ReceiptHeaders->Active() || !context_.Data)
        return;
    ExecuteReversal(context_, qobject_cast<QWidget*>(ReceiptWindow.data()),
                    ReceiptHeaders->FieldByName(QStringLiteral("Contor"))->AsFloat());
    RefreshReceipts();
}

void TProductionMenus::RefreshReceipts()
{
    // A consumption document was written: the host's document view computes its fields
    // again (it is left alone while the user is changing a document there).
    if (context_.ReceiptsNeedRefresh && ReceiptHeaders && ReceiptHeaders->Active() && !ReceiptHeaders->IsEditing())
        ReceiptHeaders->Refresh();
}

} // namespace corvanel
