#include "catalog/PercentageDialog.h"

#include "catalog/PriceIndexing.h"
#include "platform/ui/DialogButtons.h"

#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace corvanel {

namespace {

// The question, with the group's name in place of %s.
QString QuestionFormat()
{
    return QStringLiteral("Specificati coeficientul (în procente) cu care doriti sa modificati preturile de vînzare "
                          "în grupa \"%s\" :");
}

} // namespace

struct TPercentageDlg::Ui {
    QFrame* frame = nullptr;
    QLabel* question = nullptr;
    QDoubleSpinBox* percentage = nullptr;
};

TPercentageDlg::TPercentageDlg(QWidget* owner) : fw::TForm(owner), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("PercentageDlg"));
    SetCaption(QStringLiteral("Indexare de preturi"));
    SetPosition(fw::TPosition::ScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Ui& u = *ui_;
    u.frame = new QFrame(this);
    u.frame->setObjectName(QStringLiteral("Frame"));
    u.frame->setFrameShape(QFrame::Panel);
    u.frame->setFrameShadow(QFrame::Sunken);
    u.question = new QLabel(QuestionFormat(), u.frame);
    u.question->setObjectName(QStringLiteral("Question"));
    u.question->setWordWrap(true);
    u.percentage = new QDoubleSpinBox(u.frame);
    u.percentage->setObjectName(QStringLiteral("PercentageEdit"));
    u.percentage->setDecimals(2);
    u.percentage->setRange(-kLargestPercentage, kLargestPercentage);
    u.percentage->setSuffix(QStringLiteral("%"));
    u.percentage->setButtonSymbols(QAbstractSpinBox::NoButtons);
    u.percentage->setAlignment(Qt::AlignRight);
    u.percentage->setValue(0);
    // Wide enough for any percentage a user would type, not for the limits.
    u.percentage->setMinimumWidth(u.percentage->fontMetrics().horizontalAdvance(QStringLiteral("-00000000.00%")) + 12);

    auto* frame = new QVBoxLayout(u.frame);
    frame->addWidget(u.question);
    frame->addWidget(u.percentage, 0, Qt::AlignLeft);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(u.frame);
    layout->addWidget(fw::DialogButtons(this, {{QDialogButtonBox::Ok, QStringLiteral("OK")},
                                               {QDialogButtonBox::Cancel, QStringLiteral("&Renunta")}}));

    fitToQuestion();
    u.percentage->setFocus();
}

TPercentageDlg::~TPercentageDlg() = default;

void TPercentageDlg::SetGroupName(const QString& groupName)
{
    ui_->question->setText(QuestionFormat().replace(QStringLiteral("%s"), groupName));
    fitToQuestion();
}

double TPercentageDlg::percentage() const
{
    ui_->percentage->interpretText();
    return ui_->percentage->value();
}

void TPercentageDlg::fitToQuestion()
{
    // The designed size, taller where a long group name wraps the question further; fixed.
    // The question gets the lines it needs at the dialog's width; the rest follows from it.
    QFrame* frame = ui_->frame;
    const QMargins outer = layout()->contentsMargins();
    const QMargins inner = frame->layout()->contentsMargins();
    const int width = 301;
    const int textWidth = width - outer.left() - outer.right() - inner.left() - inner.right() - 2 * frame->frameWidth();
    ui_->question->setFixedHeight(ui_->question->heightForWidth(textWidth));
    // Hidden widgets do not tell their layouts of a new size by themselves.
    frame->layout()->invalidate();
    frame->updateGeometry();
    layout()->invalidate();
    setFixedSize(std::max(width, sizeHint().width()), std::max(149, sizeHint().height()));
}

bool AskPercentage(QWidget* owner, const QString& groupName, double& percentage)
{
    TPercentageDlg dlg(owner);
    dlg.SetGroupName(groupName);
    if (dlg.ShowModal() != fw::TModalResult::OK)
        return false;
    percentage = dlg.percentage();
    return true;
}

} // namespace corvanel
