#include "host/DocOutLineDialog.h"

#include "host/DataForm.h"
#include "host/Schema.h"
#include "host/WriteRefusal.h"
#include "platform/core/Formats.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/MessageDlg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace pelmaris {

struct TDocOutLineDialog::Ui {
    QCheckBox* newDocument = nullptr;
    QLineEdit* number = nullptr;
    QDateEdit* date = nullptr;
    QLineEdit* client = nullptr;
    QLineEdit* warehouse = nullptr;
    QLineEdit* group = nullptr;
    QLineEdit* article = nullptr;
    QLineEdit* lot = nullptr;
    QLineEdit* quantity = nullptr;
};

TDocOutLineDialog::TDocOutLineDialog(const QString& database, double contor, double number, TLotCheck check,
                                     QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui>()), database_(database), contor_(contor), check_(std::move(check))
{
    setObjectName(QStringLiteral("DocOutLineDialog"));
    setWindowTitle(QStringLiteral("Linie de iesire"));
    buildControls(number);
}

TDocOutLineDialog::~TDocOutLineDialog() = default;

void TDocOutLineDialog::buildControls(double number)
{
    Ui& u = *ui_;
    const auto edit = [this](const char* name, int maxLength) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setMaxLength(maxLength);
        return e;
    };
    u.newDocument = new QCheckBox(QStringLiteral("Document n&ou"), this);
    u.newDocument->setObjectName(QStringLiteral("NewDocumentCheck"));
    u.number = edit("NumberEdit", 15);
    u.date = new QDateEdit(QDate::currentDate(), this);
    u.date->setObjectName(QStringLiteral("DateEdit"));
    u.date->setCalendarPopup(true);
    u.client = edit("ClientEdit", 30);
    u.warehouse = edit("WarehouseEdit", 4);
    u.group = edit("GroupEdit", 8);
    u.article = edit("ArticleEdit", 30);
    u.lot = edit("LotEdit", 30);
    u.quantity = edit("QuantityEdit", 20);

    auto* form = new QFormLayout;
    const QString current = contor_ == 0 ? QStringLiteral("(niciunul)") : fw::FloatToStr(number);
    form->addRow(QStringLiteral("Documentul curent:"), new QLabel(current, this));
    form->addRow(QString(), u.newDocument);
    const std::pair<const char*, QWidget*> fields[] = {
        {"&Numar:", u.number},       {"&Data:", u.date},      {"&Client:", u.client},
        {"&Gestiune:", u.warehouse}, {"Gr&upa:", u.group},    {"&Articol:", u.article},
        {"&Lot:", u.lot},            {"Can&titate:", u.quantity}};
    for (const auto& [caption, widget] : fields) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(widget);
        form->addRow(label, widget);
    }
    auto* body = new QVBoxLayout(this);
    body->addLayout(form);
    body->addWidget(fw::DialogButtons(this, {{QDialogButtonBox::Ok, QStringLiteral("&Scrie linia")},
                                             {QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}}));

    // Without a document shown the line can only start a new one.
    u.newDocument->setChecked(contor_ == 0);
    u.newDocument->setEnabled(contor_ != 0);
    connect(u.newDocument, &QCheckBox::toggled, this, &TDocOutLineDialog::enableHeaderFields);
    enableHeaderFields();
}

void TDocOutLineDialog::enableHeaderFields()
{
    const bool fresh = ui_->newDocument->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->number, ui_->date, ui_->client})
        w->setEnabled(fresh);
}

TOutgoingLine TDocOutLineDialog::lineEntered() const
{
    const Ui& u = *ui_;
    TOutgoingLine line;
    if (!u.newDocument->isChecked())
        line.Contor = contor_;
    line.Number = u.number->text().trimmed().toDouble();
    line.Date = u.date->date();
    line.Client = u.client->text().trimmed();
    line.Warehouse = u.warehouse->text().trimmed();
    line.Group = u.group->text().trimmed();
    line.Article = u.article->text().trimmed();
    line.Lot = u.lot->text().trimmed();
    // Typed as the user's figures are typed elsewhere: with the decimal separator of the
    // workstation or a point.
    QString quantity = u.quantity->text().trimmed();
    bool ok = false;
    line.Quantity = QLocale().toDouble(quantity, &ok);
    if (!ok)
        line.Quantity = quantity.replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    // The first user of the company stands for whoever works at this desk, as on receipts.
    auto users = OpenTable(database_, fw::UserDB);
    if (!users->IsEmpty())
        line.Agent = users->FieldByName(QStringLiteral("Init"))->AsString();
    return line;
}

bool TDocOutLineDialog::writeLine()
{
    try {
        written_ = WriteOutgoingLine(database_, lineEntered(), check_);
        return true;
    } catch (const EWriteRefused& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Warning);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(DatabaseErrorText(e.Message()) + QStringLiteral("\rLinia nu a fost scrisa; incercati din nou."),
                       fw::TMsgDlgType::Error);
    } catch (const fw::Exception& e) {
        // The add-on could not judge the lot: nothing was written.
        fw::MessageDlg(e.Message() + QStringLiteral("\rLinia nu a fost scrisa."), fw::TMsgDlgType::Error);
    }
    return false;
}

void TDocOutLineDialog::accept()
{
    if (writeLine())
        QDialog::accept();
}

} // namespace pelmaris
