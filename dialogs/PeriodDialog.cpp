#include "dialogs/PeriodDialog.h"

#include "data/Messages.h"
#include "dialogs/DateEdit.h"
#include "dialogs/SelectionLook.h"
#include "platform/ui/Guard.h"
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

TPeriodDlg::TPeriodDlg(fw::TFormatSettings& formats, QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("PeriodDlg"));
    SetCaption(QStringLiteral("Setati intervalul dorit:"));
    ApplySelectionLook(this);

    DateFrame = new QFrame(this);
    DateFrame->setObjectName(QStringLiteral("DateFrame"));
    DateFrame->setFrameShape(QFrame::Panel);
    DateFrame->setFrameShadow(QFrame::Raised);
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, DateFrame);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
        return l;
    };
    auto dateEdit = [this, &formats](const char* name) {
        auto* e = new TDateEdit(formats, DateFrame);
        e->setObjectName(QString::fromLatin1(name));
        e->OnKeyPress = [this](TDateEdit* sender, QChar& key) { MoveOnEnter(sender, key); };
        return e;
    };
    FromLabel = label("FromLabel", QStringLiteral("De &la data de :"));
    FirstDateEdit = dateEdit("FirstDateEdit");
    ToLabel = label("ToLabel", QStringLiteral("&pana în data:"));
    LastDateEdit = dateEdit("LastDateEdit");
    FromLabel->setBuddy(FirstDateEdit);
    ToLabel->setBuddy(LastDateEdit);
    auto* dates = new QHBoxLayout(DateFrame);
    dates->addWidget(FromLabel, 1);
    dates->addWidget(FirstDateEdit);
    dates->addSpacing(12);
    dates->addWidget(ToLabel, 1);
    dates->addWidget(LastDateEdit);

    CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("&Inchide"), QStringLiteral("Renunt"));
    OkBtn = NewButton(this, "OkBtn", QStringLiteral("&Deschide"), QStringLiteral("Sunt de acord"));
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);
    connect(OkBtn, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { CheckPeriod(); }));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DateFrame);
    layout->addLayout(ButtonRow({OkBtn, CancelBtn}));
    setTabOrder(FirstDateEdit, LastDateEdit);
    setTabOrder(LastDateEdit, OkBtn);
    setTabOrder(OkBtn, CancelBtn);

    setFixedSize(sizeHint().expandedTo(kDesignedSize));
    FirstDateEdit->setFocus();
}

void TPeriodDlg::CheckPeriod()
{
    // A box holding no date keeps the dialog open, focused: the last valid date in its
    // place is not what the user asked for.
    SetModalResult(fw::TModalResult::None);
    const std::optional<fw::TDateTime> start = FirstDateEdit->AcceptedDate();
    if (!start)
        return;
    const std::optional<fw::TDateTime> end = LastDateEdit->AcceptedDate();
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

void TPeriodDlg::MoveOnEnter(TDateEdit* sender, QChar& key)
{
    if (key != QChar(13))
        return;
    key = QChar();
    if (sender == FirstDateEdit)
        LastDateEdit->setFocus();
    else
        CheckPeriod();
}

bool ExecutePeriodDialog(fw::TFormatSettings& formats, QWidget* owner, fw::TDateTime& start, fw::TDateTime& end)
{
    const auto dlg = std::make_unique<TPeriodDlg>(formats, owner);
    dlg->FirstDateEdit->SetDate(start);
    dlg->LastDateEdit->SetDate(end);
    if (dlg->ShowModal() != fw::TModalResult::OK)
        return false;
    start = dlg->FirstDateEdit->Date();
    end = dlg->LastDateEdit->Date();
    return true;
}

} // namespace corvanel
