#pragma once

// The text of a code list, as the pickers hand it to the traceability report: the one
// place that writes and reads it. The report never splices it into SQL; it parses the
// list and binds each code as a parameter of its IN condition.

#include <QString>
#include <QStringList>

namespace corvanel {

// Codes, each in double quotes (a quote inside a code doubled), joined by commas.
// No codes give the empty list, which means "no restriction".
QString JoinCodeList(const QStringList& codes);

// The codes of such a list, quotes undone; empty list for "". Throws fw::EDatabaseError
// on a malformed list (an unquoted code, a missing comma or closing quote, a blank).
QStringList ParseCodeList(const QString& list);

} // namespace corvanel
