#include "shell/SettingsDialog.h"

#include "data/ProductionContext.h"
#include "shell/LotSettingsBox.h"
#include "platform/ui/Guard.h"

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

    // The order Tab follows: the first two boxes, OK, "&Renunta", then the third box.
    setTabOrder(WarehousePrefixEdit, MaterialPrefixEdit);
    setTabOrder(MaterialPrefixEdit, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, SemiFinishedPrefixEdit);
    LotSettings->ChainTabOrder(SemiFinishedPrefixEdit);

    connect(OKBtn, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] {
        OKBtnClick();
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

void TProductionSettingsForm::OKBtnClick()
{
    // An emptied box keeps its setting; any character is accepted.
    auto take = [](const QLineEdit* edit, QChar& setting) {
        if (!edit->text().isEmpty())
            setting = edit->text().at(0);
    };
    TProductionSettings& settings = context_.Settings;
    take(WarehousePrefixEdit, settings.RawWarehousePrefix);
    take(MaterialPrefixEdit, settings.RawMaterialPrefix);
    take(SemiFinishedPrefixEdit, settings.SemiFinishedPrefix);
    LotSettings->Take(settings);
    settings.Save();
}

void TProductionSettingsForm::FormClose(fw::TCloseAction& action) { action = fw::TCloseAction::Free; }

} // namespace corvanel
