#include "quality/LabResultsDialog.h"

#include "data/LabResults.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/core/Csv.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/print/Printer.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvanel {

namespace {

enum TColumn { ColParameter, ColValue, ColUnit, ColMinimum, ColMaximum, ColExpected, ColConforms, ColDate, ColumnCount };

} // namespace

struct TLabResultsDialog::Ui {
    QLineEdit* group = nullptr;
    QLineEdit* article = nullptr;
    QLineEdit* lot = nullptr;
    QPushButton* show = nullptr;
    QLabel* standing = nullptr;
    QTableWidget* results = nullptr;
    QComboBox* parameter = nullptr;
    QLineEdit* value = nullptr;
    QDateEdit* date = nullptr;
    QLineEdit* sample = nullptr;
    QLineEdit* laboratory = nullptr;
    QPushButton* add = nullptr;
    QLineEdit* reason = nullptr;
    QPushButton* hold = nullptr;
    QPushButton* release = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

TLabResultsDialog::TLabResultsDialog(TProductionContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("LabResultsDialog"));
    setWindowTitle(QStringLiteral("Analize laborator"));
    buildControls();
}

TLabResultsDialog::~TLabResultsDialog() = default;

void TLabResultsDialog::buildControls()
{
    Ui& u = *ui_;
    const auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    u.group = edit("GroupEdit");
    u.group->setMaximumWidth(80);
    u.article = edit("ArticleEdit");
    u.lot = edit("LotEdit");
    u.show = new QPushButton(QStringLiteral("A&rata lotul"), this);
    u.show->setObjectName(QStringLiteral("ShowButton"));
    u.standing = new QLabel(this);
    u.standing->setObjectName(QStringLiteral("StandingLabel"));
    u.standing->setWordWrap(true);
    u.results = new QTableWidget(0, ColumnCount, this);
    u.results->setObjectName(QStringLiteral("ResultsGrid"));
    u.results->setHorizontalHeaderLabels({QStringLiteral("Parametru"), QStringLiteral("Valoare"), QStringLiteral("U.M."),
                                          QStringLiteral("Minim"), QStringLiteral("Maxim"), QStringLiteral("Asteptat"),
                                          QStringLiteral("Conform"), QStringLiteral("Data")});
    u.results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.results->verticalHeader()->hide();
    u.results->horizontalHeader()->setStretchLastSection(true);
    u.results->setMinimumWidth(620);
    u.parameter = new QComboBox(this);
    u.parameter->setObjectName(QStringLiteral("ParameterCombo"));
    for (const TLabParameter& p : LabParameters())
        u.parameter->addItem(p.Unit.isEmpty() ? p.Code : QStringLiteral("%1 (%2)").arg(p.Code, p.Unit), p.Code);
    u.value = edit("ValueEdit");
    u.date = new QDateEdit(QDate::currentDate(), this);
    u.date->setObjectName(QStringLiteral("DateEdit"));
    u.date->setCalendarPopup(true);
    u.sample = edit("SampleEdit");
    u.laboratory = edit("LaboratoryEdit");
    u.add = new QPushButton(QStringLiteral("Adau&ga rezultatul"), this);
    u.add->setObjectName(QStringLiteral("AddButton"));
    u.reason = edit("ReasonEdit");
    u.hold = new QPushButton(QStringLiteral("&Blocheaza lotul"), this);
    u.hold->setObjectName(QStringLiteral("HoldButton"));
    u.release = new QPushButton(QStringLiteral("&Elibereaza lotul"), this);
    u.release->setObjectName(QStringLiteral("ReleaseButton"));
    u.buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    u.buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Inchide"));

    auto* lotRow = new QHBoxLayout;
    lotRow->addWidget(u.group);
    lotRow->addWidget(new QLabel(QStringLiteral("/"), this));
    lotRow->addWidget(u.article);
    auto* lotForm = new QFormLayout;
    auto* articleLabel = new QLabel(QStringLiteral("&Articol (grupa / cod):"), this);
    articleLabel->setBuddy(u.group);
    lotForm->addRow(articleLabel, lotRow);
    auto* lotLine = new QHBoxLayout;
    lotLine->addWidget(u.lot);
    lotLine->addWidget(u.show);
    auto* lotLabel = new QLabel(QStringLiteral("&Lot:"), this);
    lotLabel->setBuddy(u.lot);
    lotForm->addRow(lotLabel, lotLine);
    lotForm->addRow(QStringLiteral("Stare:"), u.standing);

    auto* entry = new QGridLayout;
    const std::pair<const char*, QWidget*> fields[] = {{"&Parametru:", u.parameter}, {"&Valoare:", u.value},
                                                        {"&Data:", u.date},          {"Pr&oba:", u.sample},
                                                        {"Labora&tor:", u.laboratory}};
    int row = 0;
    for (const auto& [caption, widget] : fields) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(widget);
        entry->addWidget(label, row / 3, (row % 3) * 2);
        entry->addWidget(widget, row / 3, (row % 3) * 2 + 1);
        ++row;
    }
    entry->addWidget(u.add, 1, 5);
    auto* standingRow = new QHBoxLayout;
    auto* reasonLabel = new QLabel(QStringLiteral("&Motiv:"), this);
    reasonLabel->setBuddy(u.reason);
    standingRow->addWidget(reasonLabel);
    standingRow->addWidget(u.reason, 1);
    standingRow->addWidget(u.hold);
    standingRow->addWidget(u.release);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lotForm);
    layout->addWidget(u.results, 1);
    layout->addLayout(entry);
    layout->addLayout(standingRow);
    layout->addWidget(u.buttons);

    connect(u.show, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { showLot(); }));
    connect(u.lot, &QLineEdit::returnPressed, this, fw::GuardedSlot(this, [this] { showLot(); }));
    connect(u.add, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { addResult(); }));
    connect(u.hold, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { holdLot(); }));
    connect(u.release, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { releaseLot(); }));
    connect(u.buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TLabResultsDialog::showLot()
{
    Ui& u = *ui_;
    u.results->setRowCount(0);
    const TLotId lot{u.group->text().trimmed(), u.article->text().trimmed(), u.lot->text().trimmed()};
    if (lot.Group.isEmpty() || lot.Code.isEmpty() || lot.Lot.isEmpty()) {
        u.standing->setText(msg::LotStateNeedsLot());
        return;
    }
    try {
        fw::Connection& engine = *context_.Data->ProductionDatabase->GetConnection();
        const TLotStanding standing = LotStandingOf(engine, lot);
        u.standing->setText(standing.Reason.isEmpty() ? standing.State
                                                      : QStringLiteral("%1: %2").arg(standing.State, standing.Reason));
        for (const QStringList& f : ListLabResults(engine, lot)) {
            // LabResultColumns: Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Unitate;Minim;Maxim;Asteptat;Conform;Data;Agent
            const int r = u.results->rowCount();
            u.results->insertRow(r);
            const QString cells[ColumnCount] = {f.value(3), f.value(4), f.value(5), f.value(6),
                                                f.value(7), f.value(8), f.value(9), f.value(10)};
            for (int c = 0; c < ColumnCount; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                if (f.value(9) == QLatin1String("nu"))
                    item->setForeground(QColor(200, 0, 0));
                u.results->setItem(r, c, item);
            }
        }
    } catch (const fw::EDatabaseError& e) {
        u.standing->setText(msg::DatabaseError(e.Message()));
    }
}

void TLabResultsDialog::addResult()
{
    Ui& u = *ui_;
    const TLabParameter* parameter = FindLabParameter(u.parameter->currentData().toString());
    TLabResult result;
    result.Lot = {u.group->text().trimmed(), u.article->text().trimmed(), u.lot->text().trimmed()};
    result.Date = u.date->date();
    result.Sample = u.sample->text().trimmed();
    result.Laboratory = u.laboratory->text().trimmed();
    // A person types a decimal comma or point.
    const QString typed = u.value->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    const std::optional<TLabValue> value = parameter ? ReadLabValue(*parameter, typed) : std::nullopt;
    if (!value) {
        fw::MessageDlg(msg::LabBadValue(u.value->text(), u.parameter->currentData().toString(),
                                        parameter ? LabValueWords(parameter->Kind).join(QStringLiteral(" / ")) : QString()),
                       fw::TMsgDlgType::Warning);
        return;
    }
    result.Parameter = parameter->Code;
    result.Value = *value;
    try {
        fw::Connection& engine = *context_.Data->ProductionDatabase->GetConnection();
        if (result.Lot.Group.isEmpty() || result.Lot.Code.isEmpty() || result.Lot.Lot.isEmpty())
            throw ELabImportRefused(msg::LotStateNeedsLot());
        if (!KnownLot(engine, result.Lot))
            throw ELabImportRefused(msg::LotNotFound(result.Lot.Lot, result.Lot.Group + QLatin1Char('/') + result.Lot.Code));
        const QStringList stopped = RecordLabResults(*context_.Data, {result}, context_.Data->Requirement().AgentInitials());
        u.value->clear();
        showLot();
        if (!stopped.isEmpty())
            fw::MessageDlg(msg::LabResultsWritten(1, stopped), fw::TMsgDlgType::Warning);
    } catch (const ELabImportRefused& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::LabResultsNotWritten(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TLabResultsDialog::holdLot() { changeStanding(true); }

void TLabResultsDialog::releaseLot() { changeStanding(false); }

void TLabResultsDialog::changeStanding(bool hold)
{
    Ui& u = *ui_;
    const TLotId lot{u.group->text().trimmed(), u.article->text().trimmed(), u.lot->text().trimmed()};
    try {
        ChangeLotState(*context_.Data, lot, hold ? TLotState::Held : TLotState::Released, u.reason->text(),
                       context_.Data->Requirement().AgentInitials());
        u.reason->clear();
        showLot();
    } catch (const ELotStateRefused& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::LotStateNotWritten(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TLabResultsDialog::showLot(const QString& group, const QString& article, const QString& lot)
{
    ui_->group->setText(group);
    ui_->article->setText(article);
    ui_->lot->setText(lot);
    showLot();
}

void ExecuteLabResults(TProductionContext& context, QWidget* owner, const QString& group, const QString& article,
                       const QString& lot)
{
    TLabResultsDialog dialog(context, owner);
    if (!lot.isEmpty())
        dialog.showLot(group, article, lot);
    // Run as the other dialogs of the add-on are, so that a test can answer it.
    fw::ExecPrintModal(dialog);
}

} // namespace corvanel
