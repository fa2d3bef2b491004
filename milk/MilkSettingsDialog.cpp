#include "milk/MilkSettingsDialog.h"

#include "data/ProductionContext.h"
#include "milk/MilkMessages.h"
#include "milk/MilkSettings.h"
#include "platform/core/Csv.h"
#include "platform/core/Exceptions.h"
#include "platform/print/Printer.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLocale>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanel {

struct TMilkSettingsDialog::Ui {
    QLineEdit* group = nullptr;
    QLineEdit* article = nullptr;
    QLineEdit* warehouse = nullptr;
    QLineEdit* density = nullptr;
    QLineEdit* basePrice = nullptr;
    QComboBox* unit = nullptr;
    QLineEdit* referenceFat = nullptr;
    QLineEdit* referenceProtein = nullptr;
    QLineEdit* fatBonus = nullptr;
    QLineEdit* proteinBonus = nullptr;
    QLineEdit* germClasses = nullptr;
    QLineEdit* cellClasses = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

TMilkSettingsDialog::TMilkSettingsDialog(TProductionContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("MilkSettingsDialog"));
    setWindowTitle(QStringLiteral("Configurare lapte"));
    buildControls();
}

TMilkSettingsDialog::~TMilkSettingsDialog() = default;

void TMilkSettingsDialog::buildControls()
{
    Ui& u = *ui_;
    const auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    u.group = edit("Group");
    u.article = edit("Article");
    u.warehouse = edit("Warehouse");
    u.density = edit("Density");
    u.basePrice = edit("BasePrice");
    u.unit = new QComboBox(this);
    u.unit->setObjectName(QStringLiteral("PriceUnit"));
    u.unit->addItem(QStringLiteral("kg"));
    u.unit->addItem(QStringLiteral("l"));
    u.referenceFat = edit("ReferenceFat");
    u.referenceProtein = edit("ReferenceProtein");
    u.fatBonus = edit("FatBonus");
    u.proteinBonus = edit("ProteinBonus");
    u.germClasses = edit("GermClasses");
    u.cellClasses = edit("CellClasses");
    u.germClasses->setPlaceholderText(QStringLiteral("100000:0.05;300000:0.10"));
    u.cellClasses->setPlaceholderText(QStringLiteral("400000:0.08"));
    u.buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    u.buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Salveaza"));
    u.buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Renunta"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Grupa laptelui crud:"), u.group);
    form->addRow(QStringLiteral("&Articolul:"), u.article);
    form->addRow(QStringLiteral("Gesti&unea:"), u.warehouse);
    form->addRow(QStringLiteral("&Densitate (kg/l):"), u.density);
    form->addRow(QStringLiteral("&Pret de baza (lei):"), u.basePrice);
    form->addRow(QStringLiteral("Pret pe uni&tate:"), u.unit);
    form->addRow(QStringLiteral("Grasi&me de referinta (%):"), u.referenceFat);
    form->addRow(QStringLiteral("Proteina de re&ferinta (%):"), u.referenceProtein);
    form->addRow(QStringLiteral("&Bonus grasime la 0,1 puncte (lei):"), u.fatBonus);
    form->addRow(QStringLiteral("B&onus proteina la 0,1 puncte (lei):"), u.proteinBonus);
    form->addRow(QStringLiteral("Clase &NTG (prag:deducere;...):"), u.germClasses);
    form->addRow(QStringLiteral("Clase N&CS (prag:deducere;...):"), u.cellClasses);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(u.buttons);
    connect(u.buttons, &QDialogButtonBox::accepted, this, fw::GuardedSlot(this, [this] { saveSettings(); }));
    connect(u.buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TMilkSettingsDialog::loadSettings()
{
    Ui& u = *ui_;
    TMilkSettings s;
    try {
        s.Load(context_.Settings.Directory);
    } catch (const fw::EInOutError& e) {
        fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
        return false;
    }
    u.group->setText(s.Group);
    u.article->setText(s.Article);
    u.warehouse->setText(s.Warehouse);
    u.density->setText(fw::CsvNumber(s.Density));
    u.basePrice->setText(fw::CsvNumber(s.BasePrice));
    u.unit->setCurrentIndex(s.PricePerLitre ? 1 : 0);
    u.referenceFat->setText(fw::CsvNumber(s.ReferenceFat));
    u.referenceProtein->setText(fw::CsvNumber(s.ReferenceProtein));
    u.fatBonus->setText(fw::CsvNumber(s.FatBonus));
    u.proteinBonus->setText(fw::CsvNumber(s.ProteinBonus));
    u.germClasses->setText(ClassesText(s.GermClasses));
    u.cellClasses->setText(ClassesText(s.CellClasses));
    return true;
}

void TMilkSettingsDialog::saveSettings()
{
    Ui& u = *ui_;
    TMilkSettings s;
    s.Group = u.group->text().trimmed();
    s.Article = u.article->text().trimmed();
    s.Warehouse = u.warehouse->text().trimmed();
    s.PricePerLitre = u.unit->currentIndex() == 1;
    // A person types a comma or a point; the file keeps the point.
    const auto number = [](const QLineEdit* e, double& value) {
        bool ok = false;
        const double read = QLocale::c().toDouble(e->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')), &ok);
        if (ok)
            value = read;
        return ok;
    };
    const bool numbers = number(u.density, s.Density) && s.Density > 0 && number(u.basePrice, s.BasePrice)
                         && number(u.referenceFat, s.ReferenceFat) && number(u.referenceProtein, s.ReferenceProtein)
                         && number(u.fatBonus, s.FatBonus) && number(u.proteinBonus, s.ProteinBonus);
    if (!numbers) {
        fw::MessageDlg(QStringLiteral("Un camp numeric nu contine un numar (densitatea: mai mare decat 0). Corectati-l."),
                       fw::TMsgDlgType::Warning);
        return;
    }
    for (const auto& [edit, classes, key] : {std::tuple{u.germClasses, &s.GermClasses, "ClaseNTG"},
                                             std::tuple{u.cellClasses, &s.CellClasses, "ClaseNCS"}})
        if (!ReadClasses(edit->text(), *classes)) {
            fw::MessageDlg(msg::MilkBadClasses(QLatin1String(key), edit->text()), fw::TMsgDlgType::Warning);
            return;
        }
    try {
        s.Save(context_.Settings.Directory);
    } catch (const std::exception&) {
        fw::MessageDlg(QStringLiteral("Setarile laptelui nu au putut fi scrise in KRBDEF.INI. Verificati dreptul de scriere "
                                      "in directorul firmei si incercati din nou."),
                       fw::TMsgDlgType::Error);
        return;
    }
    accept();
}

void ExecuteMilkSettings(TProductionContext& context, QWidget* owner)
{
    TMilkSettingsDialog dialog(context, owner);
    if (dialog.loadSettings())
        fw::ExecPrintModal(dialog);
}

} // namespace corvanel
