#include "milk/MilkMonthForm.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "milk/MilkQuality.h"
#include "milk/MilkReports.h"
#include "milk/MilkStatement.h"
#include "platform/core/Readable.h"
#include "platform/db/Database.h"
#include "platform/db/OutputFile.h"
#include "platform/print/Printer.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"
#include "reports/FirmName.h"

#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QBarCategoryAxis>

namespace corvanel {

struct TMilkMonthForm::Ui {
    QDateEdit* month = nullptr;
    QTableWidget* figures = nullptr;
    QChartView* year = nullptr; // the quality's only
    QPushButton* pdf = nullptr;
    QPushButton* csv = nullptr;
    QDialogButtonBox* buttons = nullptr;
    TMilkSettings settings;
    std::vector<TFarmerQuality> quality;
    std::vector<TFarmerStatement> statements;
};

TMilkMonthForm::TMilkMonthForm(TProductionContext& context, TMilkMonthKind kind, QWidget* parent)
    : QDialog(parent), context_(context), kind_(kind), ui_(std::make_unique<Ui>())
{
    setObjectName(kind == TMilkMonthKind::Quality ? QStringLiteral("MilkQualityForm") : QStringLiteral("MilkStatementForm"));
    setWindowTitle(kind == TMilkMonthKind::Quality ? QStringLiteral("Calitatea laptelui pe furnizori")
                                                   : QStringLiteral("Decont lunar lapte"));
    buildControls();
}

TMilkMonthForm::~TMilkMonthForm() = default;

void TMilkMonthForm::buildControls()
{
    Ui& u = *ui_;
    const QDate today = QDate::currentDate();
    u.month = new QDateEdit(QDate(today.year(), today.month(), 1), this);
    u.month->setObjectName(QStringLiteral("Month"));
    u.month->setDisplayFormat(QStringLiteral("MM.yyyy"));
    u.figures = new QTableWidget(this);
    u.figures->setObjectName(QStringLiteral("Figures"));
    u.figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.figures->setSelectionBehavior(QAbstractItemView::SelectRows);
    u.figures->setSelectionMode(QAbstractItemView::SingleSelection);
    u.figures->horizontalHeader()->setStretchLastSection(true);
    u.pdf = new QPushButton(QStringLiteral("Salveaza &PDF..."), this);
    u.pdf->setObjectName(QStringLiteral("SavePdf"));
    u.csv = new QPushButton(QStringLiteral("Salveaza &CSV..."), this);
    u.csv->setObjectName(QStringLiteral("SaveCsv"));
    u.buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    u.buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Inchide"));
    u.buttons->addButton(u.pdf, QDialogButtonBox::ActionRole);
    u.buttons->addButton(u.csv, QDialogButtonBox::ActionRole);

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("&Luna:"), u.month);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(u.figures, 1);
    if (kind_ == TMilkMonthKind::Quality) {
        u.year = new QChartView(this);
        u.year->setObjectName(QStringLiteral("FarmerYear"));
        u.year->setMinimumHeight(220);
        layout->addWidget(u.year, 1);
        connect(u.figures, &QTableWidget::itemSelectionChanged, this, fw::GuardedSlot(this, [this] { showFarmerYear(); }));
    }
    layout->addWidget(u.buttons);
    resize(1000, 600);

    connect(u.month, &QDateEdit::dateChanged, this, fw::GuardedSlot(this, [this] { showMonth(); }));
    connect(u.pdf, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { savePdf(); }));
    connect(u.csv, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { saveCsv(); }));
    connect(u.buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TMilkMonthForm::showMonth()
{
    Ui& u = *ui_;
    const QDate month(u.month->date().year(), u.month->date().month(), 1);
    const fw::TFormatSettings& fs = context_.Formats;
    const auto text = [&](const std::optional<double>& v) { return v ? fw::QuantityToStr(*v, fs) : QString(); };
    std::vector<QStringList> rows;
    QStringList headings;
    try {
        u.settings.Load(context_.Settings.Directory);
        fw::Connection& engine = *context_.Data->ProductionDatabase->GetConnection();
        if (kind_ == TMilkMonthKind::Quality) {
            u.quality = ReadFarmersQuality(engine, month);
            headings = {QStringLiteral("Furnizor"), QStringLiteral("Nume"), QStringLiteral("NTG medie"), QStringLiteral("Probe NTG/luna"),
                        QStringLiteral("NCS medie"), QStringLiteral("Probe NCS/luna"), QStringLiteral("Verdict")};
            for (const TFarmerQuality& q : u.quality)
                rows.push_back({q.Farmer, q.Name, text(q.Germs.Mean), SamplesText(q.Germs), text(q.Cells.Mean), SamplesText(q.Cells),
                                q.Conform ? QStringLiteral("conform") : QStringLiteral("neconform")});
        } else {
            u.statements = ReadFarmersStatements(engine, month, u.settings);
            headings = {QStringLiteral("Furnizor"), QStringLiteral("Nume"),   QStringLiteral("Cantitate"), QStringLiteral("Neplatit"),
                        QStringLiteral("Grasime"),  QStringLiteral("Proteina"), QStringLiteral("NTG"),     QStringLiteral("NCS"),
                        QStringLiteral("Pret"),     QStringLiteral("Valoare")};
            for (const TFarmerStatement& s : u.statements)
                rows.push_back({s.Farmer, s.Name, fw::QuantityToStr(s.Quantity, fs), fw::QuantityToStr(s.UnpaidQuantity, fs), text(s.Fat),
                                text(s.Protein), text(s.Germs), text(s.Cells), fw::FormatFloat(QStringLiteral("#,##0.00##"), s.Price, fs),
                                fw::FormatFloat(QStringLiteral("#,##0.00"), s.Amount, fs)});
        }
    } catch (const fw::EInOutError& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
        return;
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
        return;
    }
    u.figures->clear();
    u.figures->setColumnCount(int(headings.size()));
    u.figures->setHorizontalHeaderLabels(headings);
    u.figures->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(headings.size()); ++c)
            u.figures->setItem(r, c, new QTableWidgetItem(rows[size_t(r)][c]));
    // The first farmer current, so that the quality's chart shows a year from the start.
    if (!rows.empty())
        u.figures->setCurrentCell(0, 0);
}

void TMilkMonthForm::showFarmerYear()
{
    Ui& u = *ui_;
    const int row = u.figures->currentRow();
    if (row < 0 || row >= int(u.quality.size()))
        return;
    const TFarmerQuality& chosen = u.quality[size_t(row)];
    std::vector<TFarmerQuality> year;
    try {
        year = FarmerYear(*context_.Data->ProductionDatabase->GetConnection(), chosen.Farmer, chosen.Month);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
        return;
    }
    // Thousands per ml, so that germs and cells share one axis; a month without its mean
    // leaves a gap in its line.
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("%1 - mediile pe ultimele 12 luni (mii/ml)").arg(chosen.Name.isEmpty() ? chosen.Farmer : chosen.Name));
    auto* axisX = new QBarCategoryAxis;
    auto* axisY = new QValueAxis;
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    QStringList months;
    for (const TFarmerQuality& q : year)
        months << q.Month.toString(QStringLiteral("MM.yy"));
    axisX->append(months);
    double top = CellLimit / 1000;
    for (const auto& [name, pick] : {std::pair{QStringLiteral("NTG"), &TFarmerQuality::Germs},
                                     std::pair{QStringLiteral("NCS"), &TFarmerQuality::Cells}}) {
        auto* series = new QLineSeries;
        series->setName(name);
        for (int i = 0; i < int(year.size()); ++i)
            if (const std::optional<double>& mean = (year[size_t(i)].*pick).Mean) {
                series->append(i, *mean / 1000);
                top = std::max(top, *mean / 1000);
            }
        chart->addSeries(series);
        // Both axes: a point's month is its category, not a place of its own scale.
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
    // After the series, which set the axis to their own range when attached.
    axisY->setRange(0, top * 1.1);
    QChart* old = u.year->chart();
    u.year->setChart(chart);
    delete old;
}

void TMilkMonthForm::savePdf()
{
    Ui& u = *ui_;
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Salveaza PDF"), QString(), QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty())
        return;
    const QString firm = ReadFirmName(context_);
    const QDate month(u.month->date().year(), u.month->date().month(), 1);
    try {
        fw::CheckOutputFile(file);
        bool written = false;
        if (kind_ == TMilkMonthKind::Quality)
            written = TMilkQualityReport(context_, firm, month, u.quality, nullptr).Report->ExportPdf(file);
        else
            written = TMilkStatementReport(context_, firm, u.settings, u.statements, nullptr).Report->ExportPdf(file);
        if (!written)
            fw::MessageDlg(QStringLiteral("Nicio livrare de lapte in luna aleasa: fisierul nu a fost scris."), fw::TMsgDlgType::Information);
    } catch (const fw::EInOutError& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
    }
}

void TMilkMonthForm::saveCsv()
{
    Ui& u = *ui_;
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Salveaza CSV"), QString(), QStringLiteral("CSV (*.csv)"));
    if (file.isEmpty())
        return;
    try {
        fw::CheckOutputFile(file);
        const QString text = kind_ == TMilkMonthKind::Quality ? FarmersQualityCsv(u.quality) : FarmersStatementsCsv(u.statements, u.settings);
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit())
            throw fw::EInOutError(msg::FileNotWritten(file));
    } catch (const fw::EInOutError& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
    }
}

void ExecuteMilkMonth(TProductionContext& context, TMilkMonthKind kind, QWidget* owner)
{
    TMilkMonthForm form(context, kind, owner);
    form.showMonth();
    fw::ExecPrintModal(form);
}

} // namespace corvanel
