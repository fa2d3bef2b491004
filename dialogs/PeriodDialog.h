#pragma once

// The period dialog of the traceability report: a start and an end date, a start after
// the end refused.

#include "platform/core/Formats.h"
#include "platform/ui/Form.h"

#include <memory>

namespace corvanel {

class TDateEdit;

class TPeriodDlg final : public fw::TForm {
public:
    // The date boxes write dates in `formats` (the add-on's).
    TPeriodDlg(fw::TFormatSettings& formats, QWidget* owner);
    ~TPeriodDlg() override;

    static constexpr int HelpContext = 50;

    void setPeriod(fw::TDateTime start, fw::TDateTime end);
    // The two dates as whole days.
    fw::TDateTime start() const;
    fw::TDateTime end() const;

    // "&Deschide": closes with OK unless a box holds no date or the start lies after the
    // end, which is refused with a warning and leaves the dialog open.
    void accept() override;

private:
    struct Ui;
    // Enter in the start box goes on to the end box; in the end box it acts as OK.
    void moveOnEnter(TDateEdit* sender, QChar& key);

    std::unique_ptr<Ui> ui_;
};

// Whether a period may be reported on: a start after the end is refused with a warning.
bool PeriodAccepted(fw::TDateTime start, fw::TDateTime end);

// Asks for a period. True when confirmed; then `start` and `end` hold the two dates as
// whole days. On false both keep what the caller put in them.
bool ExecutePeriodDialog(fw::TFormatSettings& formats, QWidget* owner, fw::TDateTime& start, fw::TDateTime& end);

} // namespace corvanel
