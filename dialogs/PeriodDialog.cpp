#include "dialogs/PeriodDialog.h"

#include "data/Messages.h"
#include "dialogs/DateEdit.h"
#include "dialogs/SelectionLook.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/MessageDlg.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace corvanel {

namespace {
const QSize kDesignedSize(539, 96);

// Dates in the warning are written the same whatever the system's conventions.
QString WarningDate(fw::TDateTime value) { return fw::FormatDateTime(QStringLiteral("dd.mm.yyyy"), value); }
} // namespace

struct TPeriodDlg::Ui {
    TDateEdit* firstDate = nullptr;
    TDateEdit* lastDate = nullptr;
};

TPeriodDlg::TPeriodDlg(fw::TFormatSettings& formats, QWidget* owner) : fw::TForm(owner), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("PeriodDlg"));
    SetCaption(QStringLiteral("Setati intervalul dorit:"));
    ApplySelectionLook(this);

    auto* dateFrame = new QFrame(this);
    dateFrame->setObjectName(QStringLiteral("DateFrame"));
    dateFrame->setFrameShape(QFrame::Panel);
    dateFrame->setFrameShadow(QFrame::Raised);
    auto label = [dateFrame](const char* name, const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, dateFrame);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
        l->setBuddy(buddy);
        return l;
    };
    auto dateEdit = [this, dateFrame, &formats](const char* name) {
        auto* e = new TDateEdit(formats, dateFrame);
        e->setObjectName(QString::fromLatin1(name));
        e->OnKeyPress = [this](TDateEdit* sender, QChar& key) { moveOnEnter(sender, key); };
        return e;
    };
    Ui& u = *ui_;
    u.firstDate = dateEdit("FirstDateEdit");
    u.lastDate = dateEdit("LastDateEdit");
    auto* dates = new QHBoxLayout(dateFrame);
    dates->addWidget(label("FromLabel", QStringLiteral("De &la data de :"), u.firstDate), 1);
    dates->addWidget(u.firstDate);
    dates->addSpacing(12);
    dates->addWidget(label("ToLabel", QStringLiteral("&pana în data:"), u.lastDate), 1);
    dates->addWidget(u.lastDate);

    QDialogButtonBox* buttons =
        fw::DialogButtons(this, {{QDialogButtonBox::Ok, QStringLiteral("&Deschide"), QStringLiteral("Sunt de acord")},
                                 {QDialogButtonBox::Cancel, QStringLiteral("&Inchide"), QStringLiteral("Renunt")}});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dateFrame);
    layout->addWidget(buttons);
    setTabOrder(u.firstDate, u.lastDate);
    setTabOrder(u.lastDate, buttons->button(QDialogButtonBox::Ok));
    setTabOrder(buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel));

    setFixedSize(sizeHint().expandedTo(kDesignedSize));
    u.firstDate->setFocus();
}

TPeriodDlg::~TPeriodDlg() = default;

void TPeriodDlg::setPeriod(fw::TDateTime start, fw::TDateTime end)
{
    ui_->firstDate->SetDate(start);
    ui_->lastDate->SetDate(end);
}

fw::TDateTime TPeriodDlg::start() const { return ui_->firstDate->Date(); }

fw::TDateTime TPeriodDlg::end() const { return ui_->lastDate->Date(); }

void TPeriodDlg::accept()
{
    // A box holding no date keeps the dialog open, focused: the last valid date in its
    // place is not what the user asked for.
    SetModalResult(fw::TModalResult::None);
    const std::optional<fw::TDateTime> start = ui_->firstDate->AcceptedDate();
    if (!start)
        return;
    const std::optional<fw::TDateTime> end = ui_->lastDate->AcceptedDate();
    if (end && PeriodAccepted(*start, *end))
        SetModalResult(fw::TModalResult::OK);
}

bool PeriodAccepted(fw::TDateTime start, fw::TDateTime end)
{
    if (start <= end)
        return true;
    fw::MessageDlg(msg::PeriodRefused(WarningDate(end), WarningDate(start)), fw::TMsgDlgType::Warning,
                   fw::TMsgDlgButtons::OK);
    return false;
}

void TPeriodDlg::moveOnEnter(TDateEdit* sender, QChar& key)
{
    if (key != QChar(13))
        return;
    key = QChar();
    if (sender == ui_->firstDate)
        ui_->lastDate->setFocus();
    else
        accept();
}

bool ExecutePeriodDialog(fw::TFormatSettings& formats, QWidget* owner, fw::TDateTime& start, fw::TDateTime& end)
{
    const auto dlg = std::make_unique<TPeriodDlg>(formats, owner);
    dlg->setPeriod(start, end);
    if (dlg->ShowModal() != fw::TModalResult::OK)
        return false;
    start = dlg->start();
    end = dlg->end();
    return true;
}

} // namespace corvanel
