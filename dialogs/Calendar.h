#pragma once

// The calendar of the date box: a month with Monday first, titled "<month>, <year>",
// the month changed by its two buttons or Page Up and Page Down; a double click on a day
// chooses it.

#include "platform/ui/Form.h"

#include <QDate>
#include <memory>

namespace corvanel {

class TCalendarForm final : public fw::TForm {
public:
    explicit TCalendarForm(QWidget* owner);
    ~TCalendarForm() override;

    // The chosen day; setting it also shows its month.
    QDate Date() const;
    void SetDate(const QDate& date);
    // Moves the chosen day by whole months (the last day of a shorter month where the
    // day does not exist there).
    void ChangeMonth(int months);

    // The system's long name of the shown month, a comma and the year.
    static QString MonthTitle(int year, int month);

private:
    struct Ui;
    // Page Up and Page Down change the month.
    void turnPageWithKeys(int& key);

    std::unique_ptr<Ui> ui_;
};

} // namespace corvanel
