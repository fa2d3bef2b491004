#pragma once

// CSV as the programs write it, whatever the locale: fields separated by ";", a field
// holding ";", a quote or a line break in double quotes (a quote inside doubled), one
// record a line; numbers with "." and no grouping, in their shortest exact form.

#include <QString>
#include <QStringList>

namespace fw {

QString CsvField(const QString& text);
QString CsvRecord(const QStringList& fields);
QString CsvNumber(double value);

} // namespace fw
