#pragma once

// A dataset's field by its name as the code spells it (ASCII): the writers name many.

#include "platform/db/DataSet.h"
#include "platform/db/Field.h"

namespace corvanel {

inline fw::TField* F(const fw::TDataSet* ds, const char* name) { return ds->FieldByName(QString::fromLatin1(name)); }

} // namespace corvanel
