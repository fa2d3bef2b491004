#include "milk/MilkIntakeForm.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "milk/MilkIntake.h"
#include "milk/MilkMessages.h"
#include "platform/core/Readable.h"
#include "platform/db/Database.h"
#include "platform/print/Printer.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLocale>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvanel {

namespace {

enum TColumn { ColFarmer, ColName, ColLot, ColLitres, ColKg, ColTemperature, ColSample, ColFat, ColProtein, ColGerms,
               ColCells, ColInhibitors, ColStanding, ColTank, ColumnCount };

// The result parameters the form takes, in the order of their fields.
const char* const kNumberResults[] = {"GRASIME", "PROTEINA", "NTG", "NCS"};

// A number as a person types it (comma or point); none for an empty field, and false in
// `ok` for text that is no number.
std::optional<double> Typed(const QLineEdit* e, bool& ok)
{
    const QString text = e->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.isEmpty())
        return std::nullopt;
    bool read = false;
    const double value = QLocale::c().toDouble(text, &read);
    ok = ok && read;
    return read ? std::optional<double>(value) : std::nullopt;
}

} // namespace

struct TMilkIntakeForm::Ui {
    QDateEdit* day = nullptr;
    QTableWidget* deliveries = nullptr;
    QComboBox* farmer = nullptr;
    QLineEdit* litres = nullptr;
    QLineEdit* kg = nullptr;
    QLineEdit* density = nullptr;
    QLineEdit* temperature = nullptr;
    QLineEdit* sample = nullptr;
    QLineEdit* results[4] = {};
    QComboBox* inhibitors = nullptr;
    QPushButton* add = nullptr;
    QPushButton* tank = nullptr;
    QDialogButtonBox* buttons = nullptr;
    TMilkSettings settings;
    std::vector<TDeliveryRow> shown;
};

TMilkIntakeForm::TMilkIntakeForm(TProductionContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("MilkIntakeForm"));
    setWindowTitle(QStringLiteral("Receptie lapte"));
    buildControls();
}

TMilkIntakeForm::~TMilkIntakeForm() = default;

void TMilkIntakeForm::buildControls()
{
    Ui& u = *ui_;
    const auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    u.day = new QDateEdit(QDate::currentDate(), this);
    u.day->setObjectName(QStringLiteral("Day"));
    u.day->setCalendarPopup(true);
    u.deliveries = new QTableWidget(0, ColumnCount, this);
    u.deliveries->setObjectName(QStringLiteral("Deliveries"));
    u.deliveries->setHorizontalHeaderLabels({QStringLiteral("Furnizor"), QStringLiteral("Nume"), QStringLiteral("Lot"),
                                             QStringLiteral("Litri"), QStringLiteral("Kg"), QStringLiteral("Temp."),
                                             QStringLiteral("Proba"), QStringLiteral("Grasime"), QStringLiteral("Proteina"),
                                             QStringLiteral("NTG"), QStringLiteral("NCS"), QStringLiteral("Inhibitori"),
                                             QStringLiteral("Stare"), QStringLiteral("Tanc")});
    u.deliveries->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.deliveries->setSelectionBehavior(QAbstractItemView::SelectRows);
    u.deliveries->horizontalHeader()->setStretchLastSection(true);
    u.farmer = new QComboBox(this);
    u.farmer->setObjectName(QStringLiteral("Farmer"));
    u.litres = edit("Litres");
    u.kg = edit("Kg");
    u.density = edit("Density");
    u.temperature = edit("Temperature");
    u.sample = edit("Sample");
    for (int i = 0; i < 4; ++i)
        u.results[i] = edit(kNumberResults[i]);
    u.inhibitors = new QComboBox(this);
    u.inhibitors->setObjectName(QStringLiteral("Inhibitors"));
    u.inhibitors->addItem(QStringLiteral("(nedeterminat)"), QString());
    for (const QString& word : LabValueWords(TParameterKind::PositiveNegative))
        u.inhibitors->addItem(word, word);
    u.add = new QPushButton(QStringLiteral("&Adauga livrarea"), this);
    u.add->setObjectName(QStringLiteral("AddDelivery"));
    u.tank = new QPushButton(QStringLiteral("&Goleste in tanc livrarile alese"), this);
    u.tank->setObjectName(QStringLiteral("EmptyIntoTank"));
    u.buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    u.buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Inchide"));

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("&Ziua:"), u.day);
    auto* entry = new QGroupBox(QStringLiteral("Livrare noua"), this);
    auto* form = new QFormLayout(entry);
    form->addRow(QStringLiteral("&Furnizor:"), u.farmer);
    form->addRow(QStringLiteral("&Litri:"), u.litres);
    form->addRow(QStringLiteral("&Kilograme:"), u.kg);
    form->addRow(QStringLiteral("&Densitate (kg/l):"), u.density);
    form->addRow(QStringLiteral("&Temperatura (°C):"), u.temperature);
    form->addRow(QStringLiteral("&Numar proba:"), u.sample);
    form->addRow(QStringLiteral("G&rasime (%):"), u.results[0]);
    form->addRow(QStringLiteral("&Proteina (%):"), u.results[1]);
    form->addRow(QStringLiteral("NTG (/&ml):"), u.results[2]);
    form->addRow(QStringLiteral("N&CS (/ml):"), u.results[3]);
    form->addRow(QStringLiteral("Inhi&bitori:"), u.inhibitors);
    form->addRow(u.add);
    auto* middle = new QHBoxLayout;
    middle->addWidget(u.deliveries, 1);
    middle->addWidget(entry);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(u.tank);
    layout->addWidget(u.buttons);
    resize(1100, 560);

    connect(u.day, &QDateEdit::dateChanged, this, fw::GuardedSlot(this, [this] { showDay(); }));
    connect(u.add, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { addDelivery(); }));
    connect(u.tank, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { emptyIntoTank(); }));
    connect(u.buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TMilkIntakeForm::loadSettings()
{
    try {
        ui_->settings.Load(context_.Settings.Directory);
        return true;
    } catch (const fw::EInOutError& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
        return false;
    }
}

void TMilkIntakeForm::offerSuppliers(fw::Connection& engine)
{
    QComboBox* farmer = ui_->farmer;
    bool farmers = false;
    for (const TSupplierChoice& c : MilkSupplierChoices(engine)) {
        if (farmers && !c.Farmer)
            farmer->insertSeparator(farmer->count());
        farmers = c.Farmer;
        farmer->addItem(c.Code + QStringLiteral(" - ") + c.Name, c.Code);
    }
}

void TMilkIntakeForm::showDay()
{
    Ui& u = *ui_;
    try {
        fw::Connection& engine = *context_.Data->ProductionDatabase->GetConnection();
        const QMap<QString, QString> names = FarmerNames(engine);
        if (u.farmer->count() == 0)
            offerSuppliers(engine);
        u.shown = ReadMilkDeliveries(engine, u.day->date(), u.day->date());
        u.deliveries->setRowCount(int(u.shown.size()));
        const fw::TFormatSettings& fs = context_.Formats;
        for (int r = 0; r < int(u.shown.size()); ++r) {
            const TDeliveryRow& d = u.shown[size_t(r)];
            const auto number = [&](const char* parameter) {
                const auto found = d.Results.constFind(QLatin1String(parameter));
                return found != d.Results.constEnd() && found->Number ? fw::QuantityToStr(*found->Number, fs) : QString();
            };
            const QString standing = LotStandingOf(engine, {d.Group, d.Article, d.Lot}).State;
            const QStringList cells{d.Farmer, names.value(d.Farmer), d.Lot, fw::QuantityToStr(d.Litres, fs),
                                    fw::QuantityToStr(d.Kg, fs), d.Temperature ? fw::QuantityToStr(*d.Temperature, fs) : QString(),
                                    d.Sample, number("GRASIME"), number("PROTEINA"), number("NTG"), number("NCS"),
                                    d.Results.value(QStringLiteral("INHIBITORI")).Word, standing,
                                    d.Tank ? QStringLiteral("da") : QString()};
            for (int c = 0; c < ColumnCount; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                // Only a delivery still apart may be ticked for a tank.
                if (c == ColFarmer && !d.Tank) {
                    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                    item->setCheckState(Qt::Unchecked);
                }
                u.deliveries->setItem(r, c, item);
            }
        }
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TMilkIntakeForm::addDelivery()
{
    Ui& u = *ui_;
    if (!loadSettings())
        return;
    TMilkDelivery d;
    d.Farmer = u.farmer->currentData().toString();
    bool ok = true;
    d.Litres = Typed(u.litres, ok);
    d.Kg = Typed(u.kg, ok);
    d.Density = Typed(u.density, ok);
    d.Temperature = Typed(u.temperature, ok);
    d.Sample = u.sample->text().trimmed();
    for (int i = 0; i < 4; ++i)
        if (const std::optional<double> v = Typed(u.results[i], ok))
            d.Results.push_back({QLatin1String(kNumberResults[i]), {*v, {}}});
    if (const QString word = u.inhibitors->currentData().toString(); !word.isEmpty())
        d.Results.push_back({QStringLiteral("INHIBITORI"), {std::nullopt, word}});
    if (!ok) {
        fw::MessageDlg(QStringLiteral("Un camp numeric nu contine un numar. Corectati-l si adaugati din nou."),
                       fw::TMsgDlgType::Warning);
        return;
    }
    try {
        const std::vector<TRecordedDelivery> written =
            RecordMilkDeliveries(*context_.Data, u.settings, u.day->date(), {d}, context_.Data->Requirement().AgentInitials());
        for (QLineEdit* e : {u.litres, u.kg, u.density, u.temperature, u.sample, u.results[0], u.results[1], u.results[2], u.results[3]})
            e->clear();
        u.inhibitors->setCurrentIndex(0);
        showDay();
        if (written.front().NonConforming)
            fw::MessageDlg(msg::MilkDeliveriesRecorded(1, {written.front().Lot}), fw::TMsgDlgType::Warning);
    } catch (const EMilkRefused& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

void TMilkIntakeForm::emptyIntoTank()
{
    Ui& u = *ui_;
    if (!loadSettings())
        return;
    std::vector<std::pair<double, double>> chosen;
    for (int r = 0; r < u.deliveries->rowCount(); ++r)
        if (u.deliveries->item(r, ColFarmer)->checkState() == Qt::Checked)
            chosen.push_back({u.shown[size_t(r)].Receipt, u.shown[size_t(r)].Line});
    try {
        const QString lot = MakeTankLot(*context_.Data, u.settings, u.day->date(), chosen, context_.Data->Requirement().AgentInitials());
        showDay();
        fw::MessageDlg(msg::MilkTankWritten(lot, int(chosen.size())), fw::TMsgDlgType::Information);
    } catch (const EMilkRefused& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

void ExecuteMilkIntake(TProductionContext& context, QWidget* owner)
{
    TMilkIntakeForm form(context, owner);
    form.showDay();
    fw::ExecPrintModal(form);
}

} // namespace corvanel
