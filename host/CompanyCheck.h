#pragma once

#include "platform/db/IntegrityCheck.h"

#include <QString>

class QWidget;

namespace pelmaris {

// What the user is told when a company's database is found damaged.
QString DamagedCompanyText(const QString& file);

// "Verificare firma": the engine's integrity check of the company's database, run on a
// thread of its own under a progress dialog that can stop it, and its result told to
// the user (in order, damaged, or stopped).
fw::TIntegrityReport CheckCompany(QWidget* parent, const QString& directory);

} // namespace pelmaris
