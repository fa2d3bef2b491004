#include "platform/db/KeyConditions.h"

#include "platform/db/Connection.h"

#include <QStringList>
#include <algorithm>

namespace fw::keys {

bool IsNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

void KeyCondition(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals,
                  qint64 id, KeyOp op, size_t i)
{
    const size_t last = op == KeyOp::AtOrAfter ? size_t(vals.size()) : cols.size();
    if (i == last) {
        if (op == KeyOp::AtOrAfter)
            sql.Add(QStringLiteral("1 = 1"));
        else
            sql.Add(conn.RowIdColumn() + (op == KeyOp::After ? QStringLiteral(" > ?") : QStringLiteral(" < ?")), id);
        return;
    }
    const QString c = conn.Quote(cols[i]);
    const QVariant& v = vals[int(i)];
    if (IsNull(v))
        sql.Add(op == KeyOp::Before ? QStringLiteral("(") + c + QStringLiteral(" IS NULL AND ")
                                    : QStringLiteral("(") + c + QStringLiteral(" IS NOT NULL OR (") + c + QStringLiteral(" IS NULL AND "));
    else if (op == KeyOp::Before)
        sql.Add(QStringLiteral("((") + c + QStringLiteral(" < ? OR ") + c + QStringLiteral(" IS NULL) OR ("), v);
    else
        sql.Add(QStringLiteral("(") + c + QStringLiteral(" > ? OR ("), v);
    if (!IsNull(v))
        sql.Add(c + QStringLiteral(" = ? AND "), v);
    KeyCondition(conn, sql, cols, vals, id, op, i + 1);
    sql.Add(IsNull(v) && op == KeyOp::Before ? QStringLiteral(")") : QStringLiteral("))"));
}

size_t LowerBound(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals)
{
    int k = 0;
    while (k < vals.size() && size_t(k) < cols.size() && !IsNull(vals[k]))
        ++k;
    if (k == 0)
        return 0;
    if (k == 1) {
        sql.Add(conn.Quote(cols[0]) + QStringLiteral(" >= ? AND "), vals[0]);
        return 1;
    }
    QStringList names, marks;
    for (int i = 0; i < k; ++i) {
        names << conn.Quote(cols[size_t(i)]);
        marks << QStringLiteral("?");
    }
    sql.Add(QStringLiteral("(") + names.join(QLatin1Char(',')) + QStringLiteral(") >= (") + marks.join(QLatin1Char(','))
            + QStringLiteral(") AND "));
    for (int i = 0; i < k; ++i)
        sql.values << vals[i];
    return size_t(k);
}

void AfterTies(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals, qint64 id)
{
    QString text = QStringLiteral("NOT (");
    for (size_t i = 0; i < cols.size(); ++i) {
        text += conn.Quote(cols[i]) + QStringLiteral(" = ? AND ");
        sql.values << vals[int(i)];
    }
    sql.Add(text + conn.RowIdColumn() + QStringLiteral(" <= ?)"), id);
}

bool AfterRowValue(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals,
                   qint64 id)
{
    if (!LevelsApply(conn, cols, vals))
        return false;
    QString names = QStringLiteral("(");
    QString marks = QStringLiteral(") > (");
    for (size_t i = 0; i < cols.size(); ++i) {
        names += conn.Quote(cols[i]) + QLatin1Char(',');
        marks += QStringLiteral("?,");
        sql.values << vals[qsizetype(i)];
    }
    sql.Add(names + conn.RowIdColumn() + marks + QStringLiteral("?)"), id);
    return true;
}

bool LevelsApply(const Connection& conn, const std::vector<QString>& cols, const QVariantList& vals)
{
    return conn.Engine() == TEngine::SQLite && !cols.empty() && size_t(vals.size()) >= cols.size()
           && std::none_of(vals.begin(), vals.begin() + qsizetype(cols.size()), [](const QVariant& v) { return IsNull(v); });
}

std::vector<Sql> AfterLevels(const Connection& conn, const std::vector<QString>& cols, const QVariantList& vals,
                             qint64 id)
{
    std::vector<Sql> levels(cols.size() + 1);
    QString equal;
    for (size_t i = 0; i <= cols.size(); ++i) {
        // Level i holds the rows equal to the key on its first i columns and after it on the next.
        Sql& level = levels[cols.size() - i];
        level.text = equal;
        for (size_t k = 0; k < i; ++k)
            level.values << vals[qsizetype(k)];
        if (i == cols.size()) {
            level.Add(conn.RowIdColumn() + QStringLiteral(" > ?"), id);
            break;
        }
        const QString c = conn.Quote(cols[i]);
        level.Add(c + QStringLiteral(" > ?"), vals[qsizetype(i)]);
        equal += c + QStringLiteral(" = ? AND ");
    }
    return levels;
}

bool ReadAsRanges(Connection& conn, const std::vector<QString>& texts)
{
    bool ranges = true;
    for (const QString& text : texts) {
        // A row of the plan says how a table is read (SCAN from its start, SEARCH an index
        // from a bound) or that rows are sorted apart (USE TEMP B-TREE FOR ORDER BY).
        conn.ForEachRow(QStringLiteral("EXPLAIN QUERY PLAN ") + text, {}, [&](const NativeRow& row) {
            const QString detail = row.Value(3).toString();
            if (detail.startsWith(QLatin1String("SCAN")) || detail.contains(QLatin1String("TEMP B-TREE")))
                ranges = false;
        });
        if (!ranges)
            return false;
    }
    return true;
}

} // namespace fw::keys
