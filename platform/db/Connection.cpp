#include "platform/db/Connection.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"

#include <QDir>
#include <algorithm>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>
#include <QUrl>
#include <map>
#include <sqlite3.h>

namespace fw {

namespace {

std::map<QString, std::weak_ptr<Connection>>& Pool()
{
    static std::map<QString, std::weak_ptr<Connection>> pool;
    return pool;
}

QString CanonicalDir(const QString& directory)
{
    QFileInfo info(directory);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool IsReadOnlyError(int code) { return (code & 0xff) == SQLITE_READONLY; }

// The file as the engine's URI with options; "mode=rw" opens without ever creating.
QString FileUri(const QString& file, const QString& options)
{
    QUrl url = QUrl::fromLocalFile(file);
    url.setQuery(options);
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

QString DatabaseFileName() { return QStringLiteral("tables.sqlite"); }

namespace {

std::function<void(const QString&)>& DamageHandler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}

// A damaged page or a file that is no database: what the engine reads there cannot be
// trusted, which the program must hear of whoever is reading.
[[noreturn]] void Throw(int code, const QString& message, const QString& file)
{
    code &= 0xff;
    if (code != SQLITE_CORRUPT && code != SQLITE_NOTADB)
        throw EDatabaseError(message);
    if (DamageHandler())
        DamageHandler()(file);
    throw EDatabaseDamaged(message);
}

} // namespace

void SetDamagedDatabaseHandler(std::function<void(const QString& file)> handler)
{
    DamageHandler() = std::move(handler);
}

void Connection::ThrowEngineError(void* handle) const
{
    auto* db = static_cast<sqlite3*>(handle);
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    const int code = sqlite3_extended_errcode(db);
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw EDatabaseError(QStringLiteral("Key violation. (%1)").arg(message));
    if (IsReadOnlyError(code))
        throw EDatabaseError(dbmsg::ReadOnlyDatabase());
    Throw(code, message, QDir(directory_).filePath(DatabaseFileName()));
}


std::shared_ptr<Connection> Connection::Connect(const QString& directory, const QString& file, bool create)
{
    // A file the user may only read, in a directory where the engine cannot make the
    // shared index of its write-ahead log, can only be read as it stands.
    const QStringList attempts = create ? QStringList{QStringLiteral("mode=rwc")}
                                        : QStringList{QStringLiteral("mode=rw"), QStringLiteral("mode=ro&immutable=1")};
    static int serial = 0;
    QString failure;
    for (const QString& options : attempts) {
        const QString connName = QStringLiteral("fw-db-%1").arg(++serial);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connName);
            db.setDatabaseName(FileUri(file, options));
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_URI"));
            if (!db.open()) {
                failure = db.lastError().text();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(connName);
                continue;
            }
        }
        std::shared_ptr<Connection> conn(new Connection(directory, connName));
        // The first read shows a file that is no database, and a read-only one whose log
        // index cannot be shared.
        QSqlQuery probe(conn->Database());
        if (probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            probe.finish();
            conn->readOnly_ = sqlite3_db_readonly(static_cast<sqlite3*>(conn->NativeHandle()), "main") == 1;
            return conn;
        }
        const QSqlError error = probe.lastError();
        if (error.nativeErrorCode().toInt() == SQLITE_NOTADB)
            throw EDatabaseError(dbmsg::NotACompany(file));
        failure = error.text();
        if (!IsReadOnlyError(error.nativeErrorCode().toInt()) && (error.nativeErrorCode().toInt() & 0xff) != SQLITE_CANTOPEN)
            break;
    }
    throw EDatabaseError(QStringLiteral("Cannot open the database in %1: %2").arg(directory, failure));
}

std::shared_ptr<Connection> Connection::Open(const QString& directory, TOpenMode mode, const QStringList& companyTables)
{
    if (directory.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Path not found: the database directory is empty."));
    QFileInfo info(directory);
    if (!info.exists() || !info.isDir())
        throw EDatabaseError(QStringLiteral("Path not found: %1").arg(directory));
    const QString key = CanonicalDir(directory);
    const QString file = QDir(key).filePath(DatabaseFileName());
    auto& pool = Pool();
    std::shared_ptr<Connection> conn;
    if (auto it = pool.find(key); it != pool.end())
        conn = it->second.lock();
    bool created = false;
    if (!conn) {
        created = !QFileInfo::exists(file);
        if (created && mode == TOpenMode::Existing)
            throw EDatabaseError(dbmsg::MissingDatabase(file));
        conn = Connect(key, file, created);
        conn->Exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // Blocks are read by index seeks all over the file: map it rather than copy each page in.
        conn->Exec(QStringLiteral("PRAGMA mmap_size=1073741824"));
        conn->Exec(QStringLiteral("PRAGMA cache_size=-32768"));
        // A misspelt or renamed column must be an error, not a text constant of its name.
        auto* handle = static_cast<sqlite3*>(conn->NativeHandle());
        sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        pool[key] = conn;
    }
    if (!created && !companyTables.isEmpty() && !conn->HoldsAnyTable(companyTables))
        throw EDatabaseError(dbmsg::NotACompany(file));
    if (created || !companyTables.isEmpty())
        conn->UseWal();
    return conn;
}

bool Connection::HoldsAnyTable(const QStringList& names)
{
    for (const QString& name : names) {
        const qint64 found = ScalarInt(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                                                      "(lower(name)=lower(?) OR lower(name)||'.db'=lower(?))"),
                                       {name, name});
        if (found > 0)
            return true;
    }
    return false;
}

void Connection::UseWal()
{
    // WAL lets readers in other processes go on while one user writes.
    if (readOnly_)
        return;
    QSqlQuery q(Database());
    if (q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next()
        && q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
        return;
    q.finish();
    Exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

Connection::Connection(QString directory, QString connectionName)
    : directory_(std::move(directory)), name_(std::move(connectionName))
{
}

Connection::~Connection()
{
    for (void* st : std::as_const(native_))
        sqlite3_finalize(static_cast<sqlite3_stmt*>(st));
    native_.clear();
    for (QSqlQuery* q : std::as_const(statements_))
        delete q;
    statements_.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isOpen()) {
            if (depth_ > 0)
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name_);
    auto& pool = Pool();
    if (auto it = pool.find(directory_); it != pool.end() && it->second.expired())
        pool.erase(it);
}

QSqlQuery& Connection::Prepared(const QString& sql)
{
    if (QSqlQuery* q = statements_.value(sql))
        return *q;
    auto* q = new QSqlQuery(Database());
    q->setForwardOnly(true);
    if (!q->prepare(sql)) {
        const QSqlError error = q->lastError();
        delete q;
        Raise(error, sql);
    }
    statements_.insert(sql, q);
    return *q;
}

QSqlQuery& Connection::Run(const QString& sql, const QVariantList& values)
{
    QSqlQuery& q = Prepared(sql);
    q.finish();
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        const QSqlError error = q.lastError();
        q.finish();
        Raise(error, sql);
    }
    if (!q.isSelect())
        Touch();
    return q;
}

void Connection::Exec(const QString& sql, const QVariantList& values)
{
    if (values.isEmpty()) {
        // Statements without values (DDL, pragmas) are not worth keeping prepared: the
        // schema they change would invalidate cached statements anyway.
        QSqlQuery q(Database());
        if (!q.exec(sql))
            Raise(q.lastError(), sql);
        if (!q.isSelect())
            Touch();
        q.finish();
    } else {
        Run(sql, values).finish();
    }
}

void* Connection::NativeHandle() const
{
    const QVariant handle = Database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw EDatabaseError(QStringLiteral("The database engine is not available."));
    return *static_cast<sqlite3* const*>(handle.constData());
}

QVariant NativeRow::Value(int column) const
{
    auto* st = static_cast<sqlite3_stmt*>(statement_);
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(st, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(st, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(st, column)));
    }
    default:
        return QVariant();
    }
}

qint64 NativeRow::Int(int column) const { return sqlite3_column_int64(static_cast<sqlite3_stmt*>(statement_), column); }

int Connection::ForEachRow(const QString& sql, const QVariantList& values, const std::function<void(const NativeRow&)>& row)
{
    auto* db = static_cast<sqlite3*>(NativeHandle());
    auto* st = static_cast<sqlite3_stmt*>(native_.value(sql));
    if (!st) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
            ThrowEngineError(db);
        native_.insert(sql, st);
    }
    // The statement is reset whatever happens, so that it never holds the database.
    struct Reset {
        sqlite3_stmt* st;
        ~Reset()
        {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
    } reset{st};
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        int rc;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(st, i + 1);
        } else {
            switch (v.typeId()) {
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(st, i + 1, v.toDouble());
                break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
                break;
            default: {
                const QString text = v.toString();
                rc = sqlite3_bind_text16(st, i + 1, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
            }
            }
        }
        if (rc != SQLITE_OK)
            ThrowEngineError(db);
    }
    const NativeRow current(st);
    for (;;) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            if (row)
                row(current);
        } else if (rc == SQLITE_DONE) {
            break;
        } else {
            ThrowEngineError(db);
        }
    }
    return sqlite3_stmt_readonly(st) ? 0 : sqlite3_changes(db);
}

quint64 Connection::Generation()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ >= kPollInterval) {
        lastPoll_ = now;
        // The engine's count of commits made by other connections to the file. Should it
        // not answer now, it is asked again next time: nothing depends on this but freshness.
        qint64 version = dataVersion_;
        try {
            ForEachRow(QStringLiteral("PRAGMA data_version"), {}, [&](const NativeRow& r) { version = r.Int(0); });
        } catch (const EDatabaseError&) {
        }
        if (version != dataVersion_) {
            if (dataVersion_ >= 0)
                Touch();
            dataVersion_ = version;
        }
    }
    return generation_;
}

const quint64* Connection::TableCounter(const QString& table) { return &tableWrites_[table.toLower()]; }

qint64 Connection::ScalarInt(const QString& sql, const QVariantList& values)
{
    QSqlQuery& q = Run(sql, values);
    qint64 result = 0;
    if (q.next())
        result = q.value(0).toLongLong();
    q.finish();
    return result;
}

void Connection::ExecControl(const QString& sql)
{
    // Transaction control changes no rows: caches stay valid.
    ForEachRow(sql, {}, {});
}

void Connection::Begin()
{
    // Savepoints nest; the outermost level takes the write lock at once so that two users
    // cannot both read and then fail to write.
    if (depth_ == 0)
        ExecControl(QStringLiteral("BEGIN IMMEDIATE"));
    else
        ExecControl(QStringLiteral("SAVEPOINT fw_level_%1").arg(depth_));
    ++depth_;
}

void Connection::Commit()
{
    if (depth_ == 0)
        throw EDatabaseError(QStringLiteral("No transaction is active."));
    if (depth_ == 1)
        ExecControl(QStringLiteral("COMMIT"));
    else
        ExecControl(QStringLiteral("RELEASE fw_level_%1").arg(depth_ - 1));
    --depth_;
}

void Connection::Rollback()
{
    if (depth_ == 0)
        return;
    --depth_;
    Touch();
    if (sqlite3_get_autocommit(static_cast<sqlite3*>(NativeHandle()))) {
        // The engine has already rolled the whole transaction back (a failed commit,
        // a full disk): every level of it is gone.
        depth_ = 0;
        return;
    }
    if (depth_ == 0) {
        ExecControl(QStringLiteral("ROLLBACK"));
    } else {
        ExecControl(QStringLiteral("ROLLBACK TO fw_level_%1").arg(depth_));
        ExecControl(QStringLiteral("RELEASE fw_level_%1").arg(depth_));
    }
}

QString Connection::StoredTableName(const QString& name)
{
    QSqlQuery& q = Run(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)"),
                       {name});
    QString stored;
    if (q.next())
        stored = q.value(0).toString();
    q.finish();
    return stored;
}

std::vector<ColumnInfo> Connection::Columns(const QString& table)
{
    std::vector<ColumnInfo> cols;
    QSqlQuery q(Database());
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(Quote(table))))
        Raise(q.lastError());
    while (q.next()) {
        ColumnInfo c = ParseDeclType(q.value(2).toString());
        c.name = q.value(1).toString();
        c.pkPosition = q.value(5).toInt();
        cols.push_back(c);
    }
    return cols;
}

std::vector<QString> Connection::IndexSql(const QString& table)
{
    std::vector<QString> out;
    QSqlQuery& q = Run(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND lower(tbl_name)=lower(?) "
                                      "AND sql IS NOT NULL"),
                       {table});
    while (q.next())
        out.push_back(q.value(0).toString());
    q.finish();
    return out;
}

std::vector<QStringList> Connection::IndexColumns(const QString& table)
{
    std::vector<QStringList> out;
    QStringList key;
    std::vector<ColumnInfo> cols = Columns(table);
    std::sort(cols.begin(), cols.end(), [](const ColumnInfo& a, const ColumnInfo& b) { return a.pkPosition < b.pkPosition; });
    for (const ColumnInfo& c : cols)
        if (c.pkPosition > 0)
            key << c.name;
    if (!key.isEmpty())
        out.push_back(key);
    QSqlQuery list(Database());
    if (!list.exec(QStringLiteral("PRAGMA index_list(%1)").arg(Quote(table))))
        Raise(list.lastError());
    QStringList names;
    while (list.next())
        names << list.value(1).toString();
    for (const QString& index : names) {
        QSqlQuery info(Database());
        if (!info.exec(QStringLiteral("PRAGMA index_info(%1)").arg(Quote(index))))
            Raise(info.lastError());
        QStringList columns;
        while (info.next())
            columns << info.value(2).toString();
        out.push_back(columns);
    }
    return out;
}

QStringList Connection::DeclTypes(const QSqlQuery& query)
{
    QStringList types;
    const QSqlResult* result = query.result();
    if (!result)
        return types;
    const QVariant handle = result->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return types;
    sqlite3_stmt* stmt = *static_cast<sqlite3_stmt* const*>(handle.constData());
    if (!stmt)
        return types;
    const int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) {
        const char* decl = sqlite3_column_decltype(stmt, i);
        types << (decl ? QString::fromUtf8(decl) : QString());
    }
    return types;
}

QString Connection::StoredValueIs(const QString& quotedColumn, TFieldType type)
{
    // As FromSqlValue reads: an empty text is null, a date is the first ten characters
    // of its text, a moment whatever form it was written in, a boolean any number but zero.
    switch (type) {
    case TFieldType::String:
        return QStringLiteral("NULLIF(%1, '')").arg(quotedColumn) + NullSafeEqual() + QLatin1Char('?');
    case TFieldType::Date:
        return QStringLiteral("substr(%1, 1, 10)").arg(quotedColumn) + NullSafeEqual() + QLatin1Char('?');
    case TFieldType::Boolean:
        return QStringLiteral("(%1 <> 0)").arg(quotedColumn) + NullSafeEqual() + QLatin1Char('?');
    case TFieldType::DateTime:
        // Any of the written forms of a moment (with or without a "T" or milliseconds).
        return QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', %1)").arg(quotedColumn) + NullSafeEqual()
               + QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', ?)");
    default:
        return quotedColumn + NullSafeEqual() + QLatin1Char('?');
    }
}

QString Connection::ColumnDeclaration(const QString& name, const QString& declType, bool lonePrimaryKey)
{
    // The engine makes a lone key column declared exactly INTEGER an alias of the rowid.
    const bool alias = lonePrimaryKey && declType.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
    return Quote(name) + QLatin1Char(' ') + (alias ? QStringLiteral("INT") : declType);
}

QString Connection::Quote(const QString& identifier)
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

bool Connection::IsKeyViolation(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("2067") || code == QLatin1String("1555")
           || error.databaseText().contains(QLatin1String("UNIQUE constraint failed"));
}

void Connection::Raise(const QSqlError& error, const QString& context)
{
    QString message = error.databaseText().trimmed();
    if (message.isEmpty())
        message = error.driverText().trimmed();
    if (message.isEmpty())
        message = QStringLiteral("Unknown database error.");
    if (IsKeyViolation(error))
        throw EDatabaseError(QStringLiteral("Key violation. (%1)").arg(message));
    if (IsReadOnlyError(error.nativeErrorCode().toInt()))
        throw EDatabaseError(dbmsg::ReadOnlyDatabase());
    Q_UNUSED(context);
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    Throw(numeric ? code : SQLITE_ERROR, message, QString());
}

ColumnInfo ParseDeclType(const QString& declType)
{
    ColumnInfo c;
    c.declType = declType;
    const QString t = declType.toUpper();
    static const QRegularExpression sizeRe(QStringLiteral("\\(\\s*(\\d+)"));
    const auto m = sizeRe.match(t);
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CLOB"))) {
        c.type = TFieldType::String;
        c.size = m.hasMatch() ? m.captured(1).toInt() : 0;
    } else if (t.contains(QLatin1String("DATETIME")) || t.contains(QLatin1String("TIMESTAMP"))) {
        c.type = TFieldType::DateTime;
    } else if (t.contains(QLatin1String("DATE"))) {
        c.type = TFieldType::Date;
    } else if (t.contains(QLatin1String("BOOL"))) {
        c.type = TFieldType::Boolean;
    } else if (t.contains(QLatin1String("SMALLINT"))) {
        c.type = TFieldType::Smallint;
    } else if (t.contains(QLatin1String("INT"))) {
        c.type = TFieldType::Integer;
    } else if (t.contains(QLatin1String("DOUB")) || t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
               || t.contains(QLatin1String("NUMERIC")) || t.contains(QLatin1String("DECIMAL"))) {
        c.type = TFieldType::Float;
    } else if (t.contains(QLatin1String("MONEY"))) {
        c.type = TFieldType::Currency;
    }
    return c;
}

QString SqlTypeName(TFieldType type, int size)
{
    switch (type) {
    case TFieldType::String:
        return size > 0 ? QStringLiteral("VARCHAR(%1)").arg(size) : QStringLiteral("TEXT");
    case TFieldType::Float:
    case TFieldType::Currency:
        return QStringLiteral("DOUBLE");
    case TFieldType::Smallint:
        return QStringLiteral("SMALLINT");
    case TFieldType::Integer:
    case TFieldType::Word:
        return QStringLiteral("INTEGER");
    case TFieldType::Boolean:
        return QStringLiteral("BOOLEAN");
    case TFieldType::Date:
        return QStringLiteral("DATE");
    case TFieldType::DateTime:
        return QStringLiteral("TIMESTAMP");
    case TFieldType::Unknown:
        break;
    }
    return QString();
}

namespace {
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
} // namespace

QVariant ToSqlValue(TFieldType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (type) {
    case TFieldType::String: {
        const QString s = value.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case TFieldType::Float:
    case TFieldType::Currency:
        return value.toDouble();
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word:
        return value.toLongLong();
    case TFieldType::Boolean:
        return value.toBool() ? 1 : 0;
    case TFieldType::Date:
        return value.toDate().toString(kDateFormat);
    case TFieldType::DateTime:
        return value.toDateTime().toString(kDateTimeFormat);
    case TFieldType::Unknown:
        break;
    }
    return value;
}

QVariant FromSqlValue(TFieldType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (type) {
    case TFieldType::String:
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word:
        // Text and numbers read back exactly as they are written.
        return ToSqlValue(type, value);
    case TFieldType::Boolean:
        return value.toLongLong() != 0;
    case TFieldType::Date: {
        if (value.typeId() == QMetaType::QString) {
            const QDate d = QDate::fromString(value.toString().left(10), kDateFormat);
            return d.isValid() ? QVariant(d) : QVariant();
        }
        return QVariant(value.toDate());
    }
    case TFieldType::DateTime: {
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString();
            QDateTime dt = QDateTime::fromString(s, kDateTimeFormat);
            if (!dt.isValid())
                dt = QDateTime::fromString(s, Qt::ISODateWithMs);
            if (!dt.isValid())
                dt = QDateTime(QDate::fromString(s.left(10), kDateFormat), QTime(0, 0));
            return dt.isValid() ? QVariant(dt) : QVariant();
        }
        return QVariant(value.toDateTime());
    }
    case TFieldType::Unknown:
        break;
    }
    return value;
}

bool SameFamily(TFieldType a, TFieldType b)
{
    auto family = [](TFieldType t) {
        switch (t) {
        case TFieldType::Float:
        case TFieldType::Currency:
            return 1;
        case TFieldType::Smallint:
        case TFieldType::Integer:
        case TFieldType::Word:
            return 2;
        default:
            return 10 + int(t);
        }
    };
    return family(a) == family(b);
}

bool SameValue(const QVariant& a, const QVariant& b)
{
    const bool an = !a.isValid() || a.isNull();
    const bool bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an && bn;
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.toString() == b.toString();
    if (a.typeId() == QMetaType::QDate || b.typeId() == QMetaType::QDate)
        return a.toDate() == b.toDate();
    if (a.typeId() == QMetaType::QDateTime || b.typeId() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime();
    return a.toDouble() == b.toDouble();
}

} // namespace fw
