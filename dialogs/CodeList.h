#pragma once

// The code lists the warehouse and supplier pickers give back: empty for "all", otherwise
// the codes, each in double quotes (a quote inside a code doubled), joined by commas.

#include <QString>
#include <QStringList>

namespace corvanel {

QString JoinCodeList(const QStringList& codes);
// The codes of such a list, quotes undone; an empty list for "".
QStringList ParseCodeList(const QString& list);

} // namespace corvanel
