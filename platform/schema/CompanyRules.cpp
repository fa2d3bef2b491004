#include "platform/schema/CompanyRules.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QStringList>
#include <algorithm>

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

double TakeDocumentCounter(TTable& counters, const QString& field, const QString& documents)
{
    counters.First();
    if (counters.IsEmpty())
        counters.Append();
    else
        counters.Edit();
    TQuery used;
    used.SetSession(counters.Session());
    used.SetDatabaseName(counters.DatabaseName());
    used.SetSQL({QStringLiteral("SELECT MAX(Contor) AS M FROM \"%1\"").arg(documents)});
    used.Open();
    TField* counter = counters.FieldByName(field);
    const double next = std::max(counter->AsFloat(), used.Fields(0)->AsFloat()) + 1; // null counts as 0
    counter->SetAsFloat(next);
    counters.Post();
    return next;
}

} // namespace fw
