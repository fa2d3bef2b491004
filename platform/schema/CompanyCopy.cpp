#include "platform/schema/CompanyCopy.h"

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

enum class TKind { Numeric, Boolean, Text, Other };

TKind KindOf(TFieldType type)
{
    switch (type) {
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word:
        return TKind::Numeric;
    case TFieldType::Boolean:
        return TKind::Boolean;
    case TFieldType::String:
    case TFieldType::Unknown:
        return TKind::Text;
    default:
        return TKind::Other;
    }
}

// Characters as the engines' length() counts them: code points, not UTF-16 units.
qint64 CodePoints(const QString& s)
{
    qint64 n = 0;
    for (const QChar c : s)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

bool Close(double a, double b, double scale)
{
    return a == b || std::abs(a - b) <= 1e-9 * std::max(1.0, scale);
}

} // namespace

TTableMeasures::TTableMeasures(QString table, std::vector<ColumnInfo> columns)
    : table_(std::move(table)), columns_(std::move(columns))
{
    size_t figures = 1;
    for (const ColumnInfo& c : columns_)
        figures += KindOf(c.type) == TKind::Numeric || KindOf(c.type) == TKind::Text ? 2 : 1;
    counted_.assign(figures, 0.0);
}

QStringList TTableMeasures::Names(const Connection& c) const
{
    const bool server = c.Engine() == TEngine::PostgreSQL;
    QStringList parts{QStringLiteral("count(*)")};
    for (const ColumnInfo& col : columns_) {
        const QString q = c.Quote(col.name);
        switch (KindOf(col.type)) {
        case TKind::Numeric:
            parts << QStringLiteral("sum(%1)").arg(q) << QStringLiteral("sum(abs(%1))").arg(q);
            break;
        case TKind::Boolean:
            parts << (server ? QStringLiteral("sum(CASE WHEN %1 THEN 1 ELSE 0 END)") : QStringLiteral("sum(%1 <> 0)")).arg(q);
            break;
        case TKind::Text:
            // Counted as a comparison rather than NULLIF: the same rows (neither null nor
            // empty), and SQLite scans a million-row table in about two thirds of the time.
            parts << QStringLiteral("count(CASE WHEN %1 <> '' THEN 1 END)").arg(q) << QStringLiteral("sum(length(%1))").arg(q);
            break;
        case TKind::Other:
            parts << (server ? QStringLiteral("count(%1)") : QStringLiteral("count(CASE WHEN %1 <> '' THEN 1 END)")).arg(q);
        }
    }
    return parts;
}

std::vector<double> TTableMeasures::Measure(Connection& c) const
{
    std::vector<double> out;
    const QStringList parts = Names(c);
    c.ForEachRow(QStringLiteral("SELECT %1 FROM %2").arg(parts.join(QStringLiteral(", ")), c.Quote(table_)), {},
                 [&](const NativeRow& r) {
                     for (int i = 0; i < parts.size(); ++i)
                         out.push_back(r.Value(i).toDouble());
                 });
    return out;
}

void TTableMeasures::Count(const QVariantList& values)
{
    size_t at = 0;
    counted_[at++] += 1;
    for (size_t i = 0; i < columns_.size(); ++i) {
        const QVariant& v = values.at(qsizetype(i));
        const bool held = v.isValid() && !v.isNull();
        switch (KindOf(columns_[i].type)) {
        case TKind::Numeric: {
            const double d = held ? v.toDouble() : 0.0;
            counted_[at++] += d;
            counted_[at++] += std::abs(d);
            break;
        }
        case TKind::Boolean:
            counted_[at++] += held && v.toBool() ? 1 : 0;
            break;
        case TKind::Text: {
            const QString s = held ? v.toString() : QString();
            counted_[at++] += s.isEmpty() ? 0 : 1;
            counted_[at++] += double(CodePoints(s));
            break;
        }
        case TKind::Other:
            counted_[at++] += held && !(v.typeId() == QMetaType::QString && v.toString().isEmpty()) ? 1 : 0;
        }
    }
}

int TTableMeasures::FirstDifference(const std::vector<double>& a, const std::vector<double>& b) const
{
    if (a.size() != b.size())
        return int(std::min(a.size(), b.size()));
    size_t at = 0;
    if (a[at] != b[at])
        return 0;
    ++at;
    for (const ColumnInfo& col : columns_) {
        if (KindOf(col.type) == TKind::Numeric) {
            // Sums of many numbers differ in their last bits with the order they are added in.
            const double scale = std::max(a[at + 1], b[at + 1]);
            if (!Close(a[at], b[at], scale))
                return int(at);
            if (!Close(a[at + 1], b[at + 1], scale))
                return int(at + 1);
            at += 2;
            continue;
        }
        const size_t figures = KindOf(col.type) == TKind::Text ? 2 : 1;
        for (size_t k = 0; k < figures; ++k, ++at)
            if (a[at] != b[at])
                return int(at);
    }
    return -1;
}

} // namespace fw
