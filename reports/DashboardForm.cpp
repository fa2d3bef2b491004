#include "reports/DashboardForm.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/core/Readable.h"
#include "platform/ui/Application.h"
#include "platform/db/OutputFile.h"
#include "platform/print/Printer.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"
#include "reports/DashboardData.h"
#include "reports/ProductionCharts.h"

#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvanel {

namespace {

constexpr int kReceiptRole = Qt::UserRole;
constexpr int kLotRole = Qt::UserRole + 1; // group, article, lot name

QTreeWidget* List(QWidget* parent, const char* name, const QStringList& headings)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setHeaderLabels(headings);
    list->setRootIsDecorated(false);
    list->setAlternatingRowColors(true);
    list->setUniformRowHeights(true);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return list;
}

// A framed part of the window: its list and, under it, the button to the window it leads to.
QGroupBox* Part(QWidget* parent, const char* name, QTreeWidget* list, QPushButton* button)
{
    auto* box = new QGroupBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(list);
    if (button) {
        auto* row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(button);
        layout->addLayout(row);
    }
    return box;
}

} // namespace

struct TDashboardForm::Ui {
    QGroupBox* expiringBox = nullptr;
    QTreeWidget* expiringList = nullptr;
    QPushButton* expiringButton = nullptr;
    QGroupBox* stoppedBox = nullptr;
    QTreeWidget* stoppedList = nullptr;
    QPushButton* labButton = nullptr;
    QGroupBox* receiptsBox = nullptr;
    QTreeWidget* receiptsList = nullptr;
    QPushButton* requirementButton = nullptr;
    QGroupBox* productionBox = nullptr;
    QTreeWidget* productionList = nullptr;
    QTabWidget* pages = nullptr;
    QTabWidget* charts = nullptr; // one page a chart
    QPushButton* pngButton = nullptr;
    QDialogButtonBox* buttons = nullptr;
    QPushButton* refreshButton = nullptr;
    TDashboard dashboard;
};

TDashboardForm::TDashboardForm(TProductionContext& context, QWidget* owner, TDashboardActions actions)
    : fw::TForm(owner), ui_(std::make_unique<Ui>()), context_(context), actions_(std::move(actions))
{
    setObjectName(QStringLiteral("DashboardForm"));
    SetCaption(QStringLiteral("Tablou de bord"));
    SetFormStyle(fw::TFormStyle::MDIChild);
    SetPosition(fw::TPosition::ScreenCenter);
    OnClose = [](fw::TForm*, fw::TCloseAction& action) { action = fw::TCloseAction::Free; };

    Ui& ui = *ui_;
    ui.expiringList = List(this, "ExpiringList",
                           {QStringLiteral("Gestiune"), QStringLiteral("Articol"), QStringLiteral("Lot"),
                            QStringLiteral("Expira"), QStringLiteral("Cantitate"), QStringLiteral("U.M.")});
    ui.expiringButton = new QPushButton(QStringLiteral("Raportul &loturilor care expira..."), this);
    ui.expiringButton->setObjectName(QStringLiteral("ExpiringButton"));
    ui.expiringBox = Part(this, "ExpiringBox", ui.expiringList, ui.expiringButton);
    ui.stoppedList = List(this, "StoppedList",
                          {QStringLiteral("Articol"), QStringLiteral("Lot"), QStringLiteral("Stare"), QStringLiteral("Motiv")});
    ui.labButton = new QPushButton(QStringLiteral("Analize la&borator..."), this);
    ui.labButton->setObjectName(QStringLiteral("LabResultsButton"));
    ui.labButton->setToolTip(QStringLiteral("Arata analizele lotului ales (sau dublu clic pe el)."));
    ui.stoppedBox = Part(this, "StoppedBox", ui.stoppedList, ui.labButton);
    ui.stoppedBox->setTitle(QStringLiteral("Loturi blocate, neconforme sau in asteptare"));
    ui.receiptsList = List(this, "ReceiptsList", {QStringLiteral("Numar"), QStringLiteral("Data")});
    ui.requirementButton = new QPushButton(QStringLiteral("&Calcul necesar tehnic..."), this);
    ui.requirementButton->setObjectName(QStringLiteral("RequirementButton"));
    ui.requirementButton->setToolTip(QStringLiteral("Calculeaza necesarul receptiei alese (sau dublu clic pe ea)."));
    ui.receiptsBox = Part(this, "ReceiptsBox", ui.receiptsList, ui.requirementButton);
    ui.receiptsBox->setTitle(QStringLiteral("Receptii de produse fara consum, din ultimele 12 luni"));
    ui.productionList = List(this, "ProductionList",
                             {QStringLiteral("Produs"), QStringLiteral("Luna aceasta"), QStringLiteral("Luna trecuta"),
                              QStringLiteral("Diferenta"), QStringLiteral("U.M.")});
    ui.productionBox = Part(this, "ProductionBox", ui.productionList, nullptr);
    ui.productionBox->setTitle(QStringLiteral("Productia lunii fata de luna trecuta"));

    ui.buttons = new QDialogButtonBox(this);
    ui.buttons->setObjectName(QStringLiteral("Buttons"));
    ui.refreshButton = ui.buttons->addButton(QStringLiteral("&Reimprospateaza"), QDialogButtonBox::ActionRole);
    ui.refreshButton->setObjectName(QStringLiteral("RefreshButton"));
    QPushButton* close = ui.buttons->addButton(QStringLiteral("I&nchide"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseButton"));

    auto* today = new QWidget(this);
    today->setObjectName(QStringLiteral("TodayPage"));
    auto* lower = new QHBoxLayout;
    lower->addWidget(ui.receiptsBox, 1);
    lower->addWidget(ui.productionBox, 2);
    auto* todayLayout = new QVBoxLayout(today);
    auto* upper = new QHBoxLayout;
    upper->addWidget(ui.expiringBox, 3);
    upper->addWidget(ui.stoppedBox, 2);
    todayLayout->addLayout(upper, 1);
    todayLayout->addLayout(lower, 1);

    auto* chartsPage = new QWidget(this);
    chartsPage->setObjectName(QStringLiteral("ChartsPage"));
    ui.charts = new QTabWidget(chartsPage);
    ui.charts->setObjectName(QStringLiteral("Charts"));
    ui.pngButton = new QPushButton(QStringLiteral("Salveaza ca &PNG..."), chartsPage);
    ui.pngButton->setObjectName(QStringLiteral("PngButton"));
    auto* chartsLayout = new QVBoxLayout(chartsPage);
    chartsLayout->addWidget(ui.charts, 1);
    auto* pngRow = new QHBoxLayout;
    pngRow->addStretch();
    pngRow->addWidget(ui.pngButton);
    chartsLayout->addLayout(pngRow);

    ui.pages = new QTabWidget(this);
    ui.pages->setObjectName(QStringLiteral("Pages"));
    ui.pages->addTab(today, QStringLiteral("&Astazi"));
    ui.pages->addTab(chartsPage, QStringLiteral("&Grafice"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.pages, 1);
    layout->addWidget(ui.buttons);
    resize(900, 620);

    connect(ui.expiringButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { openExpiringLots(); }));
    connect(ui.requirementButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { openSelectedReceipt(); }));
    connect(ui.receiptsList, &QTreeWidget::itemDoubleClicked, this, fw::GuardedSlot(this, [this] { openSelectedReceipt(); }));
    connect(ui.receiptsList, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
    connect(ui.labButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { openSelectedLotsResults(); }));
    connect(ui.stoppedList, &QTreeWidget::itemDoubleClicked, this, fw::GuardedSlot(this, [this] { openSelectedLotsResults(); }));
    connect(ui.stoppedList, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
    connect(ui.pngButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { saveChartPng(); }));
    connect(ui.refreshButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { refresh(); }));
    connect(ui.buttons, &QDialogButtonBox::rejected, this, fw::GuardedSlot(this, [this] { Close(); }));
    refresh();
}

TDashboardForm::~TDashboardForm() = default;

const TDashboard& TDashboardForm::dashboard() const { return ui_->dashboard; }

void TDashboardForm::refresh()
{
    try {
        const fw::THourGlass hourGlass(context_.Screen);
        ui_->dashboard = ReadDashboard(context_.Session(), QDate::currentDate(), context_.Settings.ExpiringWithinDays);
    } catch (const fw::EDatabaseError& error) {
        ui_->dashboard = {};
        fw::MessageDlg(msg::ReportDatabaseError(error.Message()), fw::TMsgDlgType::Error, fw::TMsgDlgButtons::OK);
    }
    showDashboard();
}

void TDashboardForm::showDashboard()
{
    Ui& ui = *ui_;
    const fw::TFormatSettings& formats = context_.Formats;
    const auto day = [&formats](const QDate& d) { return fw::DateToStr(fw::DateToDateTime(d), formats); };
    const auto right = [](QTreeWidgetItem* item, std::initializer_list<int> columns) {
        for (int c : columns)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    };
    ui.expiringBox->setTitle(QStringLiteral("Loturi expirate sau care expira in %1 zile").arg(context_.Settings.ExpiringWithinDays));
    ui.expiringList->clear();
    for (const TExpiringLot& l : ui.dashboard.Expiring) {
        auto* item = new QTreeWidgetItem(ui.expiringList, {l.Warehouse, l.Group + QLatin1Char(' ') + l.Code + QLatin1Char(' ') + l.Name,
                                                           l.Lot, day(l.Expiry), fw::QuantityToStr(l.Quantity, formats), l.Unit});
        right(item, {4});
    }
    ui.stoppedList->clear();
    for (const TStoppedLot& l : ui.dashboard.Stopped) {
        auto* item = new QTreeWidgetItem(ui.stoppedList, {l.Group + QLatin1Char(' ') + l.Code + QLatin1Char(' ') + l.Name,
                                                          l.Lot, l.State, l.Reason});
        item->setData(0, kLotRole, QStringList{l.Group, l.Code, l.Lot});
    }
    ui.receiptsList->clear();
    for (const TUnconsumedReceipt& r : ui.dashboard.Unconsumed) {
        auto* item = new QTreeWidgetItem(ui.receiptsList, {QString::number(r.Number, 'f', 0), day(r.Date)});
        item->setData(0, kReceiptRole, r.Receipt);
    }
    ui.productionList->clear();
    for (const TMonthProduction& p : ui.dashboard.Production) {
        // The change against last month, in per cent; none when last month made nothing.
        const double percent = p.LastMonth > 0 ? (p.ThisMonth - p.LastMonth) / p.LastMonth * 100 : 0;
        const QString change = p.LastMonth > 0 ? (percent > 0 ? QStringLiteral("+") : QString())
                                                     + fw::FormatFloat(QStringLiteral("0.0"), percent, formats) + QLatin1Char('%')
                                               : QStringLiteral("-");
        auto* item = new QTreeWidgetItem(ui.productionList,
                                         {p.Group + QLatin1Char(' ') + p.Code + QLatin1Char(' ') + p.Name,
                                          fw::QuantityToStr(p.ThisMonth, formats), fw::QuantityToStr(p.LastMonth, formats), change, p.Unit});
        right(item, {1, 2, 3});
    }
    showCharts();
    updateButtons();
}

void TDashboardForm::showCharts()
{
    Ui& ui = *ui_;
    const int current = ui.charts->currentIndex();
    while (ui.charts->count() > 0) {
        QWidget* page = ui.charts->widget(0);
        ui.charts->removeTab(0);
        delete page;
    }
    for (const TChartKind kind : {TChartKind::Production, TChartKind::UnitCost, TChartKind::Variance}) {
        // Made with its chart: a view made without one makes a default chart of its own,
        // which setChart would release to nobody.
        auto* view = new QChartView(MakeChart(kind, ui.dashboard.Year).release(), ui.charts); // the view owns it
        view->setObjectName(QStringLiteral("Chart%1").arg(int(kind)));
        view->setRenderHint(QPainter::Antialiasing);
        ui.charts->addTab(view, ChartCaption(kind));
    }
    ui.charts->setCurrentIndex(std::max(current, 0));
}

void TDashboardForm::saveChartPng()
{
    auto* view = qobject_cast<QChartView*>(ui_->charts->currentWidget());
    if (!view || !view->chart())
        return;
    QFileDialog dialog(this, QStringLiteral("Salveaza graficul"), QStringLiteral("grafic.png"),
                       QStringLiteral("Imagini PNG (*.png)"));
    dialog.setObjectName(QStringLiteral("PngDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (fw::ExecPrintModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().constFirst();
    fw::CheckOutputFile(file);
    SaveChartPng(*view->chart(), file, QSize(1200, 700));
}

void TDashboardForm::updateButtons()
{
    ui_->requirementButton->setEnabled(ui_->receiptsList->currentItem() != nullptr && actions_.OpenRequirement != nullptr);
    ui_->expiringButton->setEnabled(actions_.OpenExpiringLots != nullptr);
    ui_->labButton->setEnabled(ui_->stoppedList->currentItem() != nullptr && actions_.OpenLabResults != nullptr);
}

void TDashboardForm::openExpiringLots()
{
    if (actions_.OpenExpiringLots)
        actions_.OpenExpiringLots();
}

void TDashboardForm::openSelectedReceipt()
{
    const QTreeWidgetItem* item = ui_->receiptsList->currentItem();
    if (!item || !actions_.OpenRequirement)
        return;
    actions_.OpenRequirement(item->data(0, kReceiptRole).toDouble());
    // A consumption written there leaves the list.
    refresh();
}

void TDashboardForm::openSelectedLotsResults()
{
    const QTreeWidgetItem* item = ui_->stoppedList->currentItem();
    if (!item || !actions_.OpenLabResults)
        return;
    const QStringList lot = item->data(0, kLotRole).toStringList();
    actions_.OpenLabResults(lot.value(0), lot.value(1), lot.value(2));
    // A lot released there leaves the list.
    refresh();
}

} // namespace corvanel
