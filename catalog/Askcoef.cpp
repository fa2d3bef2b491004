#include "catalog/Askcoef.h"

#include <QDoubleSpinBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanel {

namespace {
// No upper bound worth the name: any increase a user could mean fits.
constexpr double kLargestPercentage = 999999999.99;
} // namespace

QString TAskCoefDlg::MessageFormat()
{
    return QStringLiteral("Specificati coeficientul (în procente) cu care doriti sa modificati preturile de vînzare "
                          "în grupa \"%s\" :");
}

TAskCoefDlg::TAskCoefDlg(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("AskCoefDlg"));
    SetCaption(QStringLiteral("Indexare de preturi"));
    SetPosition(fw::TPosition::ScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Panel);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Msg = new QLabel(MessageFormat(), Bevel1);
    Msg->setObjectName(QStringLiteral("Msg"));
    Msg->setWordWrap(true);
    CoefEdit = new QDoubleSpinBox(Bevel1);
    CoefEdit->setObjectName(QStringLiteral("CoefEdit"));
    CoefEdit->setDecimals(2);
    CoefEdit->setRange(-kLargestPercentage, kLargestPercentage);
    CoefEdit->setSuffix(QStringLiteral("%"));
    CoefEdit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    CoefEdit->setAlignment(Qt::AlignRight);
    CoefEdit->setValue(0);
    // Wide enough for any percentage a user would type, not for the limits.
    CoefEdit->setMinimumWidth(CoefEdit->fontMetrics().horizontalAdvance(QStringLiteral("-00000000.00%")) + 12);
    auto* frame = new QVBoxLayout(Bevel1);
    frame->addWidget(Msg);
    frame->addWidget(CoefEdit, 0, Qt::AlignLeft);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("&Renunta"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addLayout(buttons);

    SetButtonModalResult(OKBtn, fw::TModalResult::OK);
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);

    FitToQuestion();
    CoefEdit->setFocus();
}

void TAskCoefDlg::SetGroupName(const QString& groupName)
{
    Msg->setText(MessageFormat().replace(QStringLiteral("%s"), groupName));
    FitToQuestion();
}

void TAskCoefDlg::FitToQuestion()
{
    // The designed size, taller where a long group name wraps the question further; fixed.
    // The question gets the lines it needs at the dialog's width; the rest follows from it.
    const QMargins outer = layout()->contentsMargins();
    const QMargins inner = Bevel1->layout()->contentsMargins();
    const int width = 301;
    const int textWidth = width - outer.left() - outer.right() - inner.left() - inner.right() - 2 * Bevel1->frameWidth();
    Msg->setFixedHeight(Msg->heightForWidth(textWidth));
    // Hidden widgets do not tell their layouts of a new size by themselves.
    Bevel1->layout()->invalidate();
    Bevel1->updateGeometry();
    layout()->invalidate();
    setFixedSize(std::max(width, sizeHint().width()), std::max(149, sizeHint().height()));
}

bool AskCoefficient(QWidget* owner, const QString& groupName, double& percentage)
{
    TAskCoefDlg dlg(owner);
    dlg.SetGroupName(groupName);
    if (dlg.ShowModal() != fw::TModalResult::OK)
        return false;
    dlg.CoefEdit->interpretText();
    percentage = dlg.CoefEdit->value();
    return true;
}

} // namespace corvanel
