#include "catalog/PercentageDialog.h"

#include "catalog/PriceIndexing.h"

#include <QDoubleSpinBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanel {

QString TPercentageDlg::MessageFormat()
{
    return QStringLiteral("Specificati coeficientul (în procente) cu care doriti sa modificati preturile de vînzare "
                          "în grupa \"%s\" :");
}

TPercentageDlg::TPercentageDlg(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("PercentageDlg"));
    SetCaption(QStringLiteral("Indexare de preturi"));
    SetPosition(fw::TPosition::ScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Frame = new QFrame(this);
    Frame->setObjectName(QStringLiteral("Frame"));
    Frame->setFrameShape(QFrame::Panel);
    Frame->setFrameShadow(QFrame::Sunken);
    Question = new QLabel(MessageFormat(), Frame);
    Question->setObjectName(QStringLiteral("Question"));
    Question->setWordWrap(true);
    PercentageEdit = new QDoubleSpinBox(Frame);
    PercentageEdit->setObjectName(QStringLiteral("PercentageEdit"));
    PercentageEdit->setDecimals(2);
    PercentageEdit->setRange(-kLargestPercentage, kLargestPercentage);
    PercentageEdit->setSuffix(QStringLiteral("%"));
    PercentageEdit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    PercentageEdit->setAlignment(Qt::AlignRight);
    PercentageEdit->setValue(0);
    // Wide enough for any percentage a user would type, not for the limits.
    PercentageEdit->setMinimumWidth(PercentageEdit->fontMetrics().horizontalAdvance(QStringLiteral("-00000000.00%")) + 12);
    auto* frame = new QVBoxLayout(Frame);
    frame->addWidget(Question);
    frame->addWidget(PercentageEdit, 0, Qt::AlignLeft);

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
    layout->addWidget(Frame);
    layout->addLayout(buttons);

    SetButtonModalResult(OKBtn, fw::TModalResult::OK);
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);

    FitToQuestion();
    PercentageEdit->setFocus();
}

void TPercentageDlg::SetGroupName(const QString& groupName)
{
    Question->setText(MessageFormat().replace(QStringLiteral("%s"), groupName));
    FitToQuestion();
}

void TPercentageDlg::FitToQuestion()
{
    // The designed size, taller where a long group name wraps the question further; fixed.
    // The question gets the lines it needs at the dialog's width; the rest follows from it.
    const QMargins outer = layout()->contentsMargins();
    const QMargins inner = Frame->layout()->contentsMargins();
    const int width = 301;
    const int textWidth = width - outer.left() - outer.right() - inner.left() - inner.right() - 2 * Frame->frameWidth();
    Question->setFixedHeight(Question->heightForWidth(textWidth));
    // Hidden widgets do not tell their layouts of a new size by themselves.
    Frame->layout()->invalidate();
    Frame->updateGeometry();
    layout()->invalidate();
    setFixedSize(std::max(width, sizeHint().width()), std::max(149, sizeHint().height()));
}

bool AskPercentage(QWidget* owner, const QString& groupName, double& percentage)
{
    TPercentageDlg dlg(owner);
    dlg.SetGroupName(groupName);
    if (dlg.ShowModal() != fw::TModalResult::OK)
        return false;
    dlg.PercentageEdit->interpretText();
    percentage = dlg.PercentageEdit->value();
    return true;
}

} // namespace corvanel
