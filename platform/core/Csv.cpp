#include "platform/core/Csv.h"

#include <QLocale>
#include <algorithm>

namespace fw {

QString CsvField(const QString& text)
{
    static const QString special = QStringLiteral(";\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); }))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString CsvRecord(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& f : fields)
        quoted << CsvField(f);
    return quoted.join(QLatin1Char(';')) + QLatin1Char('\n');
}

QString CsvNumber(double value)
{
    // No "-0" for a figure that rounds to nothing.
    if (value == 0)
        value = 0;
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace fw
