#include "platform/schema/CompanyRules.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <tuple>

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
    const double stored = counter->AsFloat(); // null counts as 0
    const double largest = used.Fields(0)->AsFloat();
    // A number past which one more is no longer a different number, or one with a fraction,
    // would hand out numbers that collide or that no document may take: refused, naming
    // where it lies, before anything is written.
    for (const auto& [value, table, column] : {std::tuple{stored, counters.TableName(), field},
                                               std::tuple{largest, documents, QStringLiteral("Contor")}}) {
        if (!(value >= -MaxDocumentCounter && value < MaxDocumentCounter) || std::floor(value) != value) {
            counters.Cancel();
            throw EDatabaseError(dbmsg::UnusableCounter(table, column, value, MaxDocumentCounter));
        }
    }
    const double next = std::max(stored, largest) + 1;
    counter->SetAsFloat(next);
    counters.Post();
    return next;
}

} // namespace fw
