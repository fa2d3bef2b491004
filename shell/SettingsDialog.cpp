#include "shell/SettingsDialog.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "shell/LotSettingsBox.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"
#include "platform/ui/UsualColours.h"

#include <QApplication>
#include <QFocusFrame>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanel {

TProductionSettingsForm::TProductionSettingsForm(TProductionContext& context, QWidget* owner)
    : fw::TForm(owner), context_(context)
{
    setObjectName(QStringLiteral("ProductionSettingsForm"));
    SetCaption(QStringLiteral("Configurarile modulului de productie"));
    SetPosition(fw::TPosition::ScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The highlight colour behind white captions.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    Frame = new QFrame(this);
    Frame->setObjectName(QStringLiteral("Frame"));
    Frame->setFrameShape(QFrame::Panel);
    Frame->setFrameShadow(QFrame::Raised);
    auto* grid = new QGridLayout(Frame);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(12);
    auto question = [&](const char* name, const QString& text, const char* editName, int row) {
        auto* label = new QLabel(text, Frame);
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(true);
        auto* edit = new QLineEdit(Frame);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setMaxLength(1);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
        edit->setAlignment(Qt::AlignCenter);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1, Qt::AlignVCenter);
        return std::make_pair(label, edit);
    };
    std::tie(WarehouseLabel, WarehousePrefixEdit) = question(
        "WarehouseLabel",
        QStringLiteral("Indicati caracterul cu care trebuie sa înceapa codurile de gestiuni de materii prime si materiale:"),
        "WarehousePrefixEdit", 0);
    std::tie(MaterialLabel, MaterialPrefixEdit) = question("MaterialLabel",
                                              QStringLiteral("Specificati caracterul cu care trebuie sa înceapa toate codurile "
                                                             "de materii prime si materiale din catalogul de produse:"),
                                              "MaterialPrefixEdit", 1);
    std::tie(SemiFinishedLabel, SemiFinishedPrefixEdit) = question("SemiFinishedLabel",
                                               QStringLiteral("Specificati caracterul cu care trebuie sa înceapa toate codurile "
                                                              "de produse semifabricate din catalogul de produse:"),
                                               "SemiFinishedPrefixEdit", 2);

    CancelBtn = new QPushButton(QStringLiteral("&Renunta"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame);
    LotSettings = new TLotSettingsBox(this);
    layout->addWidget(LotSettings);
    layout->addLayout(buttons);
    // Only the face and the questions are in the highlight colour: every control keeps the
    // usual colours, so that the spin boxes' arrows and the focus frame of a list or a button
    // show (drawn from the highlight colour, the focus frame would vanish on its face).
    for (QWidget* control : findChildren<QWidget*>())
        if (!qobject_cast<QLabel*>(control) && control != Frame && control != LotSettings)
            fw::KeepUsualColours(control);
    // The controls' own focus outline is in the highlight colour, the colour of the face: the
    // focus shows as a ring in the captions' white around whatever has it.
    auto* focusRing = new QFocusFrame(this);
    focusRing->setObjectName(QStringLiteral("FocusRing"));
    connect(qApp, &QApplication::focusChanged, focusRing, [this, focusRing](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            focusRing->setWidget(now);
    });

    // Tab follows the boxes, the lot settings, then OK, then "&Renunta".
    setTabOrder(WarehousePrefixEdit, MaterialPrefixEdit);
    setTabOrder(MaterialPrefixEdit, SemiFinishedPrefixEdit);
    setTabOrder(LotSettings->ChainTabOrder(SemiFinishedPrefixEdit), OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    connect(OKBtn, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] {
        if (OKBtnClick())
            SetModalResult(fw::TModalResult::OK);
    }));
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);
    OnClose = [this](fw::TForm*, fw::TCloseAction& action) { FormClose(action); };

    // The designed size, grown where the text needs more, and fixed.
    resize(388, 188);
    const QSize need = sizeHint().expandedTo(QSize(388, 188));
    setFixedSize(need.width(), heightForWidth(need.width()) > 0 ? std::max(need.height(), heightForWidth(need.width()))
                                                                 : need.height());
    WarehousePrefixEdit->setFocus();
    FormCreate();
}

void TProductionSettingsForm::FormCreate()
{
    TProductionSettings& settings = context_.Settings;
    settings.Load();
    WarehousePrefixEdit->setText(QString(settings.RawWarehousePrefix));
    MaterialPrefixEdit->setText(QString(settings.RawMaterialPrefix));
    SemiFinishedPrefixEdit->setText(QString(settings.SemiFinishedPrefix));
    LotSettings->Show(settings);
}

bool TProductionSettingsForm::OKBtnClick()
{
    // An emptied box is refused by name, rather than keeping a setting the user no longer
    // sees; any character is accepted.
    const std::pair<QLineEdit*, QString> boxes[] = {
        {WarehousePrefixEdit, QStringLiteral("codurile de gestiuni de materii prime si materiale")},
        {MaterialPrefixEdit, QStringLiteral("codurile de materii prime si materiale")},
        {SemiFinishedPrefixEdit, QStringLiteral("codurile de produse semifabricate")}};
    for (const auto& [edit, name] : boxes) {
        if (edit->text().isEmpty()) {
            fw::MessageDlg(msg::PrefixRequired(name), fw::TMsgDlgType::Warning, fw::TMsgDlgButtons::OK);
            edit->setFocus();
            return false;
        }
    }
    TProductionSettings& settings = context_.Settings;
    settings.RawWarehousePrefix = WarehousePrefixEdit->text().at(0);
    settings.RawMaterialPrefix = MaterialPrefixEdit->text().at(0);
    settings.SemiFinishedPrefix = SemiFinishedPrefixEdit->text().at(0);
    LotSettings->Take(settings);
    settings.Save();
    return true;
}

void TProductionSettingsForm::FormClose(fw::TCloseAction& action) { action = fw::TCloseAction::Free; }

} // namespace corvanel
