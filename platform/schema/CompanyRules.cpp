#include "platform/schema/CompanyRules.h"

#include <QStringList>

namespace fw {

bool IsValidAccountSymbol(const QString& text)
{
    // Three dots or more: the text is all synthetic account with no analytic part, which
    // the symbol's format does not allow.
    if (text.count(QLatin1Char('.')) > 2)
        return false;
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.at(0).size() > MaxSyntheticLength)
        return false;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts.at(i).size() > MaxAnalyticLength)
            return false;
    }
    return true;
}

} // namespace fw
