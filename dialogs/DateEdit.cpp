#include "dialogs/DateEdit.h"

#include "platform/ui/Beep.h"

#include "data/ProductionContext.h"
#include "dialogs/Calendar.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <memory>
#include <utility>

namespace corvanel {

namespace {

constexpr int kButtonSize = 20;

// Eight required digits: day, month and four-digit year with the date separator between
// them; "_" marks a place not yet typed.
QString DateMask(QChar separator)
{
    static const QString special = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\");
    const QString sep = special.contains(separator) ? QStringLiteral("\\") + separator : QString(separator);
    return QStringLiteral("99") + sep + QStringLiteral("99") + sep + QStringLiteral("9999;_");
}

// A small calendar sheet for the button.
QIcon CalendarGlyph(const QColor& ink)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(ink);
    p.drawRect(1, 2, 11, 10);
    p.fillRect(1, 2, 12, 3, ink);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.fillRect(3 + col * 3, 7 + row * 3, 2, 2, ink);
    return QIcon(pixmap);
}

} // namespace


TDateEdit::TDateEdit(fw::TFormatSettings& formats, QWidget* parent) : QLineEdit(parent), formats_(formats)
{
    UseFourDigitYearDates(formats_);
    setInputMask(DateMask(formats_.DateSeparator));
    setMaxLength(10);

    button_ = new QToolButton(this);
    button_->setObjectName(QStringLiteral("Button"));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    button_->setFixedSize(kButtonSize, kButtonSize);
    button_->setIcon(CalendarGlyph(palette().color(QPalette::ButtonText)));
    setTextMargins(0, 0, kButtonSize, 0);
    setMinimumHeight(kButtonSize + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this));
    connect(this, &QLineEdit::textEdited, this, [this] { refused_ = false; });
    connect(button_, &QToolButton::clicked, this, fw::GuardedSlot(this, [this] { OpenCalendar(); }));

    SetDate(fw::Date());
}

std::optional<QDate> TDateEdit::TypedDate() const
{
    return fw::StrToDate(displayText().remove(QLatin1Char('_')), formats_);
}

fw::TDateTime TDateEdit::Date()
{
    if (const std::optional<QDate> typed = TypedDate()) {
        value_ = fw::DateToDateTime(*typed);
        refused_ = false;
        return value_;
    }
    fw::MessageBeep(fw::TBeep::Error);
    setText(fw::DateToStr(value_, formats_));
    setFocus();
    refused_ = true;
    return value_;
}

std::optional<fw::TDateTime> TDateEdit::AcceptedDate()
{
    if (refused_) {
        fw::MessageBeep(fw::TBeep::Error);
        setFocus();
    } else {
        Date();
    }
    if (std::exchange(refused_, false))
        return std::nullopt;
    return value_;
}

void TDateEdit::SetDate(fw::TDateTime value)
{
    value_ = value;
    refused_ = false;
    setText(fw::DateToStr(value, formats_));
}

void TDateEdit::OpenCalendar()
{
    // Text that is no date yet keeps the last valid one, quietly: the user is about to
    // pick another.
    if (const std::optional<QDate> typed = TypedDate())
        value_ = fw::DateToDateTime(*typed);
    const auto form = std::make_unique<TCalendarForm>(this);
    if (value_ != 0)
        form->SetDate(fw::DateTimeToDate(value_));
    // Just below the box, kept on its screen.
    QRect place(mapToGlobal(QPoint(0, height())), form->size());
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        if (place.right() > area.right())
            place.moveRight(area.right());
        if (place.bottom() > area.bottom())
            place.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
        place.moveLeft(std::max(place.left(), area.left()));
        place.moveTop(std::max(place.top(), area.top()));
    }
    form->move(place.topLeft());
    if (form->ShowModal() == fw::TModalResult::OK)
        SetDate(fw::DateToDateTime(form->Date()));
}

QSize TDateEdit::sizeHint() const
{
    QSize size = QLineEdit::sizeHint();
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    // The widest date and a little air, then the button.
    size.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + kButtonSize + 2 * frame + 8);
    size.setHeight(std::max(size.height(), minimumHeight()));
    return size;
}

QSize TDateEdit::minimumSizeHint() const { return sizeHint(); }

void TDateEdit::keyPressEvent(QKeyEvent* event)
{
    bool consumed = false;
    const bool ran = fw::Guarded(this, [&] {
        consumed = fw::OfferKey(event, this, std::function<void(TDateEdit*, int&, Qt::KeyboardModifiers)>(), OnKeyPress);
        if (!consumed && fw::KeyChar(event) == QChar(10)) {
            consumed = true;
            OpenCalendar();
        }
    });
    if (consumed || !ran) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDateEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Another window coming up (the calendar, a message, a menu) is no leaving of the box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason || !isVisible())
        return;
    fw::Guarded(this, [this] { Date(); });
}

void TDateEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    button_->move(width() - frame - kButtonSize, (height() - kButtonSize) / 2);
}

} // namespace corvanel
