#pragma once

// A row's write refused by a check made inside its own transaction (a lot already drawn
// on, a code another user has just taken or started using). The check throws it, the
// whole write is rolled back, and only then is the user told: no message box is ever
// shown while the database is held.

#include "platform/core/Exceptions.h"
#include "platform/db/DataSet.h"

namespace pelmaris {

class EWriteRefused final : public fw::Exception {
public:
    using fw::Exception::Exception;
};

// Makes a table tell the user of a refused write, as a warning, once it is rolled back;
// other errors go on as they are.
void ReportWriteRefusals(fw::TDataSet* table);

} // namespace pelmaris
