#pragma once

// The add-on's date box: a masked text box for one date (day, month, four-digit year)
// with a button at its right edge that opens the calendar.

#include "platform/core/Formats.h"

#include <QLineEdit>
#include <functional>
#include <optional>

class QToolButton;

namespace corvanel {

class TDateEdit final : public QLineEdit {
public:
    // Starts on today. Creating a date box switches the add-on's dates (`formats`, the
    // context's) to day, month and four-digit year, for the rest of its life.
    explicit TDateEdit(fw::TFormatSettings& formats, QWidget* parent = nullptr);

    // The date the box holds, read from its text: text that is no date sounds the error
    // beep, brings back the last valid date and keeps the focus in the box. Also done
    // when the focus leaves the box.
    fw::TDateTime Date();
    // The date for a window being accepted: nothing while the box holds text that is no
    // date, nor once after such text was refused and the user moved on without another
    // look (a click on the window's button takes the focus first); the box has beeped,
    // shows its last valid date and has the focus.
    std::optional<fw::TDateTime> AcceptedDate();
    // Stores the date and shows it in the add-on's short date format.
    void SetDate(fw::TDateTime value);

    // The calendar, on the box's date: OK there makes the chosen day the box's date.
    // The box's button and Ctrl+Enter open it.
    void OpenCalendar();
    QToolButton* Button() const { return button_; }

    // Each typed character first (Enter is 13); setting it to 0 keeps it from the box.
    std::function<void(TDateEdit*, QChar& key)> OnKeyPress;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The text without its unfilled places, as a date; nothing when it is no date.
    std::optional<QDate> TypedDate() const;

    fw::TFormatSettings& formats_;
    fw::TDateTime value_ = 0;
    bool refused_ = false; // text refused since the box was last read valid or typed into
    QToolButton* button_;
};

} // namespace corvanel
