// An update of one row on the embedded engine without the row read back, where the engine
// stores every value of the row as it was bound.
//
// The engine changes what it is given only by the table's own rules: a trigger (which may
// write the row again), a generated column, a foreign key to the table itself (whose action
// may change the row), a NOT NULL column whose conflict rule puts its default in place of a
// null, a collation of a column's own (its condition matches a value other than the stored
// one), and the column's type, whose affinity converts a value of another kind (a text of
// digits into a number column, a whole real into an integer one, a number into a text
// column). What a table has of these is learnt once per update statement; any change of
// the schema, by this connection or another, recompiles the statement before it runs,
// which the engine counts, so the next run learns the table again.
#include "platform/db/SqliteConnection.h"

#include "platform/core/Exceptions.h"
#include "platform/db/SqliteValueKind.h"
#include "platform/db/StoredValue.h"

#include <QDate>
#include <cmath>
#include <type_traits>
#include <sqlite3.h>

namespace fw {

namespace {

using sqlite::BoundText;
using sqlite::Kind;
using sqlite::KindOf;

// The engine's affinity of a declared type, by its own rules in their order.
enum class Affinity { Integer, Text, Blob, Real, Numeric };

Affinity AffinityOf(const QString& declType)
{
    const QString t = declType.toUpper();
    if (t.contains(QLatin1String("INT")))
        return Affinity::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return Affinity::Text;
    if (t.isEmpty() || t.contains(QLatin1String("BLOB")))
        return Affinity::Blob;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB")))
        return Affinity::Real;
    return Affinity::Numeric;
}

// Whether a text might be read as a number by a number column's affinity: nothing but
// digits, blanks, points, exponents and signs, a sign only first or after an exponent's
// letter. Wider than the engine's rule, never narrower: "2026-12-11" is no number.
template <typename Char>
bool MayBeNumber(const Char* text, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i) {
        const auto c = static_cast<std::make_unsigned_t<Char>>(text[i]);
        const bool digit = c >= '0' && c <= '9';
        const bool blank = c == ' ' || (c >= '\t' && c <= '\r');
        const bool sign = (c == '+' || c == '-') && (i == 0 || text[i - 1] == 'e' || text[i - 1] == 'E');
        if (!digit && !blank && !sign && c != '.' && c != 'e' && c != 'E')
            return false;
    }
    return true;
}

// Whether a text bound is read back as the same string: whole UTF-16 with no NUL in it.
bool ReadsBackSame(const QString& text)
{
    const auto* c = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (c[i] == 0)
            return false;
        if (QChar::isHighSurrogate(c[i])) {
            if (i + 1 == n || !QChar::isLowSurrogate(c[i + 1]))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c[i])) {
            return false;
        }
    }
    return true;
}

struct Column {
    Affinity affinity = Affinity::Blob;
    bool notNull = false;
};

// Whether the engine stores `v` in a column as bound, reading back the same value.
bool Keeps(const Column& c, const QVariant& v)
{
    switch (KindOf(v)) {
    case Kind::Null:
        return !c.notNull;
    case Kind::Blob:
        return true;
    case Kind::Integer:
        return c.affinity == Affinity::Integer || c.affinity == Affinity::Numeric || c.affinity == Affinity::Blob;
    case Kind::Real: {
        // A NaN is stored as null, a negative zero read back as zero, a whole real becomes
        // an integer in an integer or numeric column.
        const double d = v.toDouble();
        if (std::isnan(d) || (d == 0 && std::signbit(d)))
            return false;
        if (c.affinity == Affinity::Integer || c.affinity == Affinity::Numeric)
            return std::isfinite(d) && std::trunc(d) != d;
        return c.affinity == Affinity::Real || c.affinity == Affinity::Blob;
    }
    case Kind::Text:
        break;
    }
    const bool asText = c.affinity == Affinity::Text || c.affinity == Affinity::Blob;
    if (IsEngineText(v)) {
        const QByteArray bytes = EngineTextBytes(v);
        return asText || !MayBeNumber(bytes.constData(), bytes.size());
    }
    const QString text = BoundText(v);
    return ReadsBackSame(text) && (asText || !MayBeNumber(text.utf16(), text.size()));
}

} // namespace

struct SqliteConnection::AsBound {
    // Nothing is taken as bound: the table has a trigger, a generated column or a foreign
    // key to itself, or a column of the row it does not have.
    bool never = false;
    std::vector<Column> columns; // per column of the row after its identity (TRowLayout)
    int recompiled = 0;          // the statement's count of recompilations when learnt
};

namespace {

// The row an update left, made of the values it bound, read as SqliteRow reads the engine's.
class BoundRow final : public NativeRow {
public:
    BoundRow(const QVariantList& values, const std::vector<int>& from) : values_(values), from_(from) {}

    QVariant Value(int column) const override
    {
        QVariant v;
        const int type = Stored(column, v);
        return type == EngineTextType() ? QVariant(QString::fromUtf8(EngineTextBytes(v))) : v;
    }
    int Stored(int column, QVariant& into) const override
    {
        const QVariant& v = values_.at(from_[size_t(column)]);
        switch (KindOf(v)) {
        case Kind::Null:
            into = QVariant();
            return into.typeId();
        case Kind::Integer:
            into = QVariant(qint64(v.toLongLong()));
            return QMetaType::LongLong;
        case Kind::Real:
            return StoredDouble(v.toDouble(), into);
        case Kind::Blob:
            into = v;
            return QMetaType::QByteArray;
        case Kind::Text:
            break;
        }
        if (IsEngineText(v)) {
            const QByteArray bytes = EngineTextBytes(v);
            return StoredText(bytes.constData(), bytes.size(), into);
        }
        into = BoundText(v);
        return QMetaType::QString;
    }
    qint64 Int(int column) const override { return values_.at(from_[size_t(column)]).toLongLong(); }

private:
    const QVariantList& values_;
    const std::vector<int>& from_;
};

} // namespace

std::shared_ptr<const SqliteConnection::AsBound> SqliteConnection::LearnAsBound(const TRowLayout& layout, int recompiled)
{
    auto learnt = std::make_shared<AsBound>();
    learnt->recompiled = recompiled;
    QHash<QString, Column> columns; // by name in lower case
    ForEachRow(QStringLiteral("SELECT name, type, \"notnull\", hidden FROM pragma_table_xinfo(?)"), {layout.table},
               [&](const NativeRow& r) {
                   // A generated column is hidden as 2 (computed when read) or 3 (stored).
                   if (r.Int(3) >= 2)
                       learnt->never = true;
                   columns.insert(r.Value(0).toString().toLower(), Column{AffinityOf(r.Value(1).toString()), r.Int(2) != 0});
               });
    for (const QString& name : layout.columns) {
        const auto c = columns.constFind(name.toLower());
        if (c == columns.cend())
            learnt->never = true;
        else
            learnt->columns.push_back(*c);
    }
    const qint64 triggers = ScalarInt(QStringLiteral("SELECT count(*) FROM (SELECT tbl_name FROM sqlite_master WHERE "
                                                     "type = 'trigger' UNION ALL SELECT tbl_name FROM sqlite_temp_master "
                                                     "WHERE type = 'trigger') WHERE lower(tbl_name) = lower(?)"),
                                      {layout.table});
    const qint64 toItself =
        ScalarInt(QStringLiteral("SELECT count(*) FROM pragma_foreign_key_list(?) WHERE lower(\"table\") = lower(?)"),
                  {layout.table, layout.table});
    // A column compared by a collation of its own matches a condition's value that is not the
    // stored one (a text in another case): what the row holds then is only known by reading it.
    const qint64 collated = ScalarInt(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                                     "lower(name) = lower(?) AND sql LIKE '%COLLATE%'"),
                                      {layout.table});
    learnt->never = learnt->never || triggers > 0 || toItself > 0 || collated > 0;
    return learnt;
}

int SqliteConnection::WriteUpdate(const TRowWrite& statement, const TRowLayout& layout, const QVariantList& values,
                                  const std::function<void(const NativeRow&)>& row)
{
    if (statement.write.isEmpty() || statement.identity < 0 || layout.from.empty())
        return WriteRow(statement, values, row);
    auto* st = static_cast<sqlite3_stmt*>(Prepared(statement.write));
    const int recompiled = sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0);
    std::shared_ptr<const AsBound>& known = asBound_[st];
    if (!known || known->recompiled != recompiled)
        known = LearnAsBound(layout, recompiled);
    const AsBound& table = *known;
    bool asBound = !table.never;
    for (size_t c = 0; asBound && c < table.columns.size(); ++c)
        asBound = Keeps(table.columns[c], values.at(layout.from[c + 1]));
    if (!asBound)
        return WriteRow(statement, values, row);
    // The update alone, its own transaction where none is open.
    const int written = ForEachRow(statement.write, values, {});
    if (written == 0 || !row)
        return written;
    if (sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0) != recompiled) {
        // The table changed before the update ran: what it stored is read, after the update's
        // commit where it made its own. Written all the same if that read fails: the caller
        // reads the row again without it.
        asBound_.remove(st);
        try {
            ForEachRow(statement.readBack, {values.at(statement.identity)}, row);
        } catch (const EDatabaseError&) {
        }
        return written;
    }
    row(BoundRow(values, layout.from));
    return written;
}

} // namespace fw
