#include "platform/db/Query.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/StoredValue.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace fw {

void TParam::Set(TFieldType type, QVariant value)
{
    type_ = type;
    value_ = std::move(value);
}
void TParam::SetAsFloat(double v) { Set(TFieldType::Float, v); }
void TParam::SetAsString(const QString& v) { Set(TFieldType::String, v); }
void TParam::SetAsInteger(qint64 v) { Set(TFieldType::Integer, v); }
void TParam::SetAsDate(const QDate& v) { Set(TFieldType::Date, v); }
void TParam::SetAsDateTime(TDateTime v) { Set(TFieldType::Date, DateTimeToDate(v)); }
void TParam::SetAsBoolean(bool v) { Set(TFieldType::Boolean, v); }
void TParam::Clear() { value_ = QVariant(); }

TQuery::TQuery(QObject* owner) : TDataSet(owner) {}

TQuery::~TQuery() { Shutdown(); }

TSession* TQuery::Session() const { return session_ ? session_ : TSession::Default(); }

void TQuery::SetSQL(const QStringList& lines)
{
    Close();
    sql_ = lines;
    RenewParams();
}

void TQuery::SetSQLLine(int index, const QString& line)
{
    Close();
    while (sql_.size() <= index)
        sql_ << QString();
    sql_[index] = line;
    RenewParams();
}

void TQuery::RenewParams()
{
    QStringList order;
    AdaptSql(SqlText(), &order);
    std::vector<std::unique_ptr<TParam>> renewed;
    for (const QString& name : order) {
        bool seen = false;
        for (const auto& p : renewed)
            seen = seen || p->Name().compare(name, Qt::CaseInsensitive) == 0;
        if (seen)
            continue;
        // A parameter that stays keeps its value.
        std::unique_ptr<TParam> kept;
        for (auto& p : params_)
            if (p && p->Name().compare(name, Qt::CaseInsensitive) == 0)
                kept = std::move(p);
        renewed.push_back(kept ? std::move(kept) : std::make_unique<TParam>(name));
    }
    params_ = std::move(renewed);
}

TParam* TQuery::FindParam(const QString& name) const
{
    for (const auto& p : params_)
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    return nullptr;
}

TParam* TQuery::ParamByName(const QString& name) const
{
    TParam* p = FindParam(name);
    if (!p)
        throw EDatabaseError(dbmsg::ParameterNotFound(objectName(), name));
    return p;
}

QString TQuery::AdaptSql(const QString& text, QStringList* parameterOrder, const Connection* connection)
{
    // Quoted "Name.DB" names the table Name (as the engine spells names); ":Name" becomes
    // a positional placeholder.
    QString out;
    out.reserve(text.size());
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'')) {
            const int end = int(text.indexOf(QLatin1Char('\''), i + 1));
            const int stop = end < 0 ? n : end + 1;
            out += text.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char('"')) {
            const int end = int(text.indexOf(QLatin1Char('"'), i + 1));
            const int stop = end < 0 ? n : end + 1;
            QString ident = text.mid(i + 1, (end < 0 ? n : end) - i - 1);
            if (ident.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
                ident.chop(3);
            if (connection)
                ident = connection->QuotedName(ident);
            out += QLatin1Char('"') + ident + QLatin1Char('"');
            i = stop;
        } else if (c == QLatin1Char(':') && i + 1 < n
                   && (text.at(i + 1).isLetter() || text.at(i + 1) == QLatin1Char('_'))
                   && (i == 0 || text.at(i - 1) != QLatin1Char(':'))) {
            int j = i + 1;
            while (j < n && (text.at(j).isLetterOrNumber() || text.at(j) == QLatin1Char('_')))
                ++j;
            if (parameterOrder)
                *parameterOrder << text.mid(i + 1, j - i - 1);
            out += QLatin1Char('?');
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QVariantList TQuery::BoundValues(const QStringList& order) const
{
    QVariantList values;
    for (const QString& name : order) {
        TParam* p = ParamByName(name);
        values << (p->IsNull() ? QVariant() : ToSqlValue(p->DataType(), p->Value()));
    }
    return values;
}

void TQuery::InternalOpen()
{
    auto conn = Session()->ConnectionFor(databaseName_);
    QStringList order;
    const QString text = AdaptSql(SqlText(), &order, conn.get());
    conn->SendDeferred();
    QSqlQuery q(conn->Database());
    q.setForwardOnly(true);
    if (!q.prepare(text))
        conn->Raise(q.lastError());
    const QVariantList values = BoundValues(order);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        conn->Raise(q.lastError());
    if (!q.isSelect())
        throw EDatabaseError(dbmsg::StatementWithoutRows(objectName()));
    declTypes_ = conn->DeclTypes(q);
    const QSqlRecord rec = q.record();
    const int ncols = rec.count();

    // Read everything: results are small, and an open statement would hold the database.
    std::vector<QVariantList> raw;
    while (q.next()) {
        QVariantList row;
        row.reserve(ncols);
        for (int c = 0; c < ncols; ++c)
            row << q.value(c);
        raw.push_back(std::move(row));
    }
    q.finish();

    // Column types: the declared type, else what the values are.
    std::vector<ColumnInfo> cols(static_cast<size_t>(ncols));
    for (int c = 0; c < ncols; ++c) {
        cols[size_t(c)] = ParseDeclType(declTypes_.value(c));
        cols[size_t(c)].name = conn->ResultName(rec.fieldName(c), text);
        if (cols[size_t(c)].type == TFieldType::Unknown) {
            TFieldType guess = TFieldType::Float;
            for (const QVariantList& row : raw) {
                const QVariant& v = row.at(c);
                if (v.isNull())
                    continue;
                guess = v.typeId() == QMetaType::QString ? TFieldType::String
                        : v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int ? TFieldType::Integer
                                                                                              : TFieldType::Float;
                break;
            }
            cols[size_t(c)].type = guess;
        }
    }

    std::vector<int> fieldColumn;
    if (FieldCount() == 0) {
        SetDefaultFields(true);
        for (const ColumnInfo& c : cols)
            AddField(c.name, c.type, c.size);
    } else {
        SetDefaultFields(false);
    }
    fieldColumn.assign(size_t(FieldCount()), -1);
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        if (!f->IsStored())
            continue;
        int found = -1;
        for (int c = 0; c < ncols; ++c)
            if (cols[size_t(c)].name.compare(f->FieldName(), Qt::CaseInsensitive) == 0)
                found = c;
        if (found < 0)
            throw EDatabaseError(dbmsg::FieldNotFound(objectName(), f->FieldName()));
        fieldColumn[size_t(i)] = found;
    }
    rows_.clear();
    rows_.reserve(raw.size());
    TBookmark id = 0;
    for (const QVariantList& row : raw) {
        TRecord r;
        r.id = id++;
        r.values.resize(size_t(FieldCount()));
        for (int i = 0; i < FieldCount(); ++i) {
            if (fieldColumn[size_t(i)] < 0)
                continue;
            // A value the field cannot hold (a sum beyond a double, say) is that one
            // value's fault, not the whole result's.
            try {
                r.values[size_t(i)] = Fields(i)->Coerce(FromSqlValue(Fields(i)->DataType(), row.at(fieldColumn[size_t(i)])));
            } catch (const EConvertError& e) {
                r.values[size_t(i)] = ValueFault(e.Message());
            }
        }
        rows_.push_back(std::move(r));
    }
    // Declared types as the result carries them, for copying the result into a table.
    QStringList types;
    for (const ColumnInfo& c : cols)
        types << (c.declType.isEmpty() ? SqlTypeName(c.type, c.size) : c.declType);
    declTypes_ = types;
    connection_ = conn;
    // Disconnecting the database closes the result with the rest of its datasets.
    if (TDatabase* db = Session()->FindDatabase(databaseName_))
        db->RegisterDataSet(this);
}

void TQuery::InternalClose()
{
    if (TDatabase* db = Session()->FindDatabase(databaseName_))
        db->UnregisterDataSet(this);
    rows_.clear();
    connection_.reset();
}

void TQuery::ExecSQL()
{
    if (Active())
        Close();
    auto conn = Session()->ConnectionFor(databaseName_);
    QStringList order;
    const QString text = AdaptSql(SqlText(), &order, conn.get());
    conn->SendDeferred();
    QSqlQuery q(conn->Database());
    if (!q.prepare(text))
        conn->Raise(q.lastError());
    const QVariantList values = BoundValues(order);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        conn->Raise(q.lastError());
    rowsAffected_ = q.numRowsAffected();
    q.finish();
    conn->Touch();
}

std::vector<TRecord> TQuery::FetchFirst(int count) { return FetchAt(0, count); }

std::vector<TRecord> TQuery::FetchLast(int count)
{
    std::vector<TRecord> out;
    for (int i = int(rows_.size()) - 1; i >= 0 && int(out.size()) < count; --i)
        out.push_back(rows_[size_t(i)]);
    return out;
}

std::vector<TRecord> TQuery::FetchAfter(const TRecord& record, int count) { return FetchAt(int(record.id) + 1, count); }

std::vector<TRecord> TQuery::FetchBefore(const TRecord& record, int count)
{
    std::vector<TRecord> out;
    for (int i = int(record.id) - 1; i >= 0 && int(out.size()) < count; --i)
        out.push_back(rows_[size_t(i)]);
    return out;
}

std::optional<TRecord> TQuery::FetchById(TBookmark id)
{
    if (id < 0 || size_t(id) >= rows_.size())
        return std::nullopt;
    return rows_[size_t(id)];
}

std::vector<TRecord> TQuery::FetchAt(int position, int count)
{
    std::vector<TRecord> out;
    for (size_t i = size_t(std::max(position, 0)); i < rows_.size() && int(out.size()) < count; ++i)
        out.push_back(rows_[i]);
    return out;
}

int TQuery::CountAll() { return int(rows_.size()); }

int TQuery::CountBefore(const TRecord& record) { return int(record.id); }

std::vector<TRecord> TQuery::FetchMatching(const std::vector<TField*>& fields, const QVariantList& values, int offset,
                                           int limit)
{
    std::vector<TRecord> out;
    int skipped = 0;
    for (const TRecord& r : rows_) {
        bool match = true;
        for (size_t i = 0; i < fields.size() && match; ++i)
            match = SameValue(r.values[size_t(fields[i]->Index())], values.at(int(i)));
        if (!match)
            continue;
        if (skipped++ < offset)
            continue;
        out.push_back(r);
        if (int(out.size()) >= limit)
            break;
    }
    return out;
}

} // namespace fw
