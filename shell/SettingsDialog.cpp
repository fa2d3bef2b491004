#include "shell/SettingsDialog.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "shell/LotSettingsBox.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/MessageDlg.h"
#include "platform/ui/UsualColours.h"

#include <QApplication>
#include <QFocusFrame>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace corvanel {

namespace {

// The size the dialog was designed at; it grows where the texts need more.
const QSize kDesignedSize(388, 188);

} // namespace

struct TProductionSettingsForm::Ui {
    QLineEdit* warehousePrefix = nullptr;
    QLineEdit* materialPrefix = nullptr;
    QLineEdit* semiFinishedPrefix = nullptr;
    TLotSettingsBox* lotSettings = nullptr;
};

TProductionSettingsForm::TProductionSettingsForm(TProductionContext& context, QWidget* owner)
    : fw::TForm(owner), context_(context), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("ProductionSettingsForm"));
    SetCaption(QStringLiteral("Configurarile modulului de productie"));
    SetPosition(fw::TPosition::ScreenCenter);
    SetCloseAction(fw::TCloseAction::Free);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Ui& u = *ui_;
    QFrame* questions = makePrefixQuestions();
    u.lotSettings = new TLotSettingsBox(this);
    QDialogButtonBox* buttons = fw::DialogButtons(
        this, {{QDialogButtonBox::Ok, QStringLiteral("OK")}, {QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}});
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(questions);
    layout->addWidget(u.lotSettings);
    layout->addWidget(buttons);
    paintFaceInHighlight({questions, u.lotSettings});

    // Tab follows the boxes, the lot settings, then OK, then "&Renunta".
    setTabOrder(u.warehousePrefix, u.materialPrefix);
    setTabOrder(u.materialPrefix, u.semiFinishedPrefix);
    setTabOrder(u.lotSettings->chainTabOrder(u.semiFinishedPrefix), ok);
    setTabOrder(ok, buttons->button(QDialogButtonBox::Cancel));

    // The designed size, grown where the text needs more, and fixed.
    resize(kDesignedSize);
    const QSize need = sizeHint().expandedTo(kDesignedSize);
    setFixedSize(need.width(), std::max(need.height(), heightForWidth(need.width())));
    u.warehousePrefix->setFocus();
    showStoredSettings();
}

TProductionSettingsForm::~TProductionSettingsForm() = default;

QFrame* TProductionSettingsForm::makePrefixQuestions()
{
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    auto* grid = new QGridLayout(frame);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(12);
    int row = 0;
    const auto question = [&](const char* labelName, const QString& text, const char* editName) {
        auto* label = new QLabel(text, frame);
        label->setObjectName(QLatin1String(labelName));
        label->setWordWrap(true);
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QLatin1String(editName));
        edit->setMaxLength(1);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
        edit->setAlignment(Qt::AlignCenter);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1, Qt::AlignVCenter);
        return edit;
    };
    Ui& u = *ui_;
    u.warehousePrefix = question(
        "WarehouseLabel",
        QStringLiteral("Indicati caracterul cu care trebuie sa înceapa codurile de gestiuni de materii prime si materiale:"),
        "WarehousePrefixEdit");
    u.materialPrefix = question("MaterialLabel",
                                QStringLiteral("Specificati caracterul cu care trebuie sa înceapa toate codurile "
                                               "de materii prime si materiale din catalogul de produse:"),
                                "MaterialPrefixEdit");
    u.semiFinishedPrefix = question("SemiFinishedLabel",
                                    QStringLiteral("Specificati caracterul cu care trebuie sa înceapa toate codurile "
                                                   "de produse semifabricate din catalogul de produse:"),
                                    "SemiFinishedPrefixEdit");
    return frame;
}

void TProductionSettingsForm::paintFaceInHighlight(std::initializer_list<const QWidget*> faces)
{
    // The highlight colour behind white captions.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    // Only the face and the questions are in the highlight colour: every control keeps the
    // usual colours, so that the spin boxes' arrows and the focus frame of a list or a button
    // show (drawn from the highlight colour, the focus frame would vanish on its face).
    for (QWidget* control : findChildren<QWidget*>())
        if (!qobject_cast<QLabel*>(control) && std::find(faces.begin(), faces.end(), control) == faces.end())
            fw::KeepUsualColours(control);
    // The controls' own focus outline is in the highlight colour, the colour of the face: the
    // focus shows as a ring in the captions' white around whatever has it.
    auto* focusRing = new QFocusFrame(this);
    focusRing->setObjectName(QStringLiteral("FocusRing"));
    connect(qApp, &QApplication::focusChanged, focusRing, [this, focusRing](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            focusRing->setWidget(now);
    });
}

void TProductionSettingsForm::showStoredSettings()
{
    TProductionSettings& settings = context_.Settings;
    settings.Load();
    const Ui& u = *ui_;
    u.warehousePrefix->setText(QString(settings.RawWarehousePrefix));
    u.materialPrefix->setText(QString(settings.RawMaterialPrefix));
    u.semiFinishedPrefix->setText(QString(settings.SemiFinishedPrefix));
    u.lotSettings->showSettings(settings);
}

void TProductionSettingsForm::accept()
{
    if (saveSettings())
        fw::TForm::accept();
}

bool TProductionSettingsForm::saveSettings()
{
    // An emptied box is refused by name, rather than keeping a setting the user no longer
    // sees; any character is accepted.
    const Ui& u = *ui_;
    const std::pair<QLineEdit*, QString> boxes[] = {
        {u.warehousePrefix, QStringLiteral("codurile de gestiuni de materii prime si materiale")},
        {u.materialPrefix, QStringLiteral("codurile de materii prime si materiale")},
        {u.semiFinishedPrefix, QStringLiteral("codurile de produse semifabricate")}};
    for (const auto& [edit, name] : boxes) {
        if (edit->text().isEmpty()) {
            fw::MessageDlg(msg::PrefixRequired(name), fw::TMsgDlgType::Warning, fw::TMsgDlgButtons::OK);
            edit->setFocus();
            return false;
        }
    }
    TProductionSettings& settings = context_.Settings;
    settings.RawWarehousePrefix = u.warehousePrefix->text().at(0);
    settings.RawMaterialPrefix = u.materialPrefix->text().at(0);
    settings.SemiFinishedPrefix = u.semiFinishedPrefix->text().at(0);
    u.lotSettings->takeSettings(settings);
    settings.Save();
    return true;
}

} // namespace corvanel
