#pragma once

// The requirement of one incoming document as the requirement form prepares it, for the
// commands that start from it.

#include <QString>

namespace corvanel {
class TProductionData;
}

namespace corvanel::cli {

// The requirement of incoming document `counter` prepared in the data module's working
// table, and released again (tables closed, working table deleted) when this goes.
// ERefused when the document does not exist; EDatabaseError in the requirement form's
// words when the database fails. The products left out and the values that are no number
// are told as the form tells them.
class TPreparedDocument final {
public:
    TPreparedDocument(TProductionData& dm, double counter);
    ~TPreparedDocument();
    TPreparedDocument(const TPreparedDocument&) = delete;
    TPreparedDocument& operator=(const TPreparedDocument&) = delete;

private:
    TProductionData& dm_;
};

// A counter as the user writes it: 125, not 125.0.
QString CounterText(double counter);

} // namespace corvanel::cli
