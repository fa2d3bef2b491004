#include "platform/db/SqliteConnection.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"
#include "platform/db/EngineSupport.h"
#include "platform/db/SqliteValueKind.h"
#include "platform/db/StoredValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace fw {

namespace {

bool IsReadOnlyError(int code) { return (code & 0xff) == SQLITE_READONLY; }

// The file as the engine's URI with options; "mode=rw" opens without ever creating.
QString FileUri(const QString& file, const QString& options)
{
    QUrl url = QUrl::fromLocalFile(file);
    url.setQuery(options);
    return url.toString(QUrl::FullyEncoded);
}

// The engine's error by its code (extended, with the system's error number behind it):
// a duplicate key, a file that may only be read, a file another program kept locked past
// the wait, a full disk (which a write through the log or its index may report as an I/O
// error), and a damaged page or a file that is no database — what the engine reads there
// cannot be trusted, which the program must hear of whoever is reading. Anything else
// keeps the engine's text.
[[noreturn]] void Throw(int code, int systemError, const QString& message, const QString& file)
{
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw EKeyViolation(dbmsg::KeyViolation(message));
    switch (code & 0xff) {
    case SQLITE_READONLY:
        throw EDatabaseError(dbmsg::ReadOnlyDatabase());
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw EDatabaseError(dbmsg::DatabaseBusy(file));
    case SQLITE_FULL:
        throw EDatabaseError(dbmsg::DiskFull(file));
    case SQLITE_IOERR:
        if (systemError == ENOSPC || systemError == EDQUOT)
            throw EDatabaseError(dbmsg::DiskFull(file));
        throw EDatabaseError(dbmsg::DiskError(file));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        ThrowDamaged(message, file);
    case SQLITE_NOMEM:
        throw EDatabaseError(dbmsg::OutOfMemory());
    }
    // A table another program took away, named as the dataset layer names a missing table.
    static const QLatin1String noSuchTable("no such table: ");
    if (message.startsWith(noSuchTable))
        throw EDatabaseError(dbmsg::MissingTable(message.mid(noSuchTable.size()).section(QLatin1Char('.'), -1)));
    throw EDatabaseError(message);
}

// Why the file could not be opened, in the user's words, by the engine's code (and the
// system's error number behind a failed read or write).
QString OpeningFailure(int code, int systemError, const QString& engineText)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return dbmsg::OpeningDiskFull();
    case SQLITE_IOERR:
        return systemError == ENOSPC || systemError == EDQUOT ? dbmsg::OpeningDiskFull() : dbmsg::OpeningDiskError();
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_READONLY:
        return dbmsg::OpeningFileUnusable();
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return dbmsg::OpeningBusy();
    case SQLITE_NOMEM:
        return dbmsg::OutOfMemory();
    default:
        return dbmsg::OpeningEngineText(engineText);
    }
}

class SqliteRow final : public NativeRow {
public:
    explicit SqliteRow(sqlite3_stmt* statement) : st_(statement) {}
    QVariant Value(int column) const override { return Read(column, sqlite3_column_type(st_, column)); }
    int Stored(int column, QVariant& into) const override
    {
        // The column's value found once and its parts read from it: each sqlite3_column_
        // call finds the column again (the connection is used by one thread at a time).
        sqlite3_value* value = sqlite3_column_value(st_, column);
        switch (sqlite3_value_type(value)) {
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            return StoredText(text, sqlite3_value_bytes(value), into);
        }
        case SQLITE_FLOAT:
            return StoredDouble(sqlite3_value_double(value), into);
        default:
            into = Read(column, sqlite3_column_type(st_, column));
            return into.typeId();
        }
    }
    qint64 Int(int column) const override { return sqlite3_column_int64(st_, column); }

private:
    QVariant Read(int column, int type) const
    {
        switch (type) {
        case SQLITE_INTEGER:
            return QVariant(qint64(sqlite3_column_int64(st_, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(st_, column));
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st_, column));
            return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(st_, column)));
        }
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(st_, column));
            return QVariant(QByteArray(data, sqlite3_column_bytes(st_, column)));
        }
        default:
            return QVariant();
        }
    }

    sqlite3_stmt* st_;
};

// Room for the texts a statement binds, kept until it is reset: the engine takes them as
// they are instead of copying each into memory of its own and freeing it again.
struct BindArena {
    static constexpr qsizetype kSize = 2048;
    std::array<char, kSize> bytes;
    qsizetype used = 0;
};

// A text of ASCII characters alone is bound as the engine stores it (UTF-8, the same bytes):
// bound as UTF-16, the engine would convert it on binding and again for each comparison.
// False, binding nothing, for any other text or one longer than the room left.
bool BindAscii(sqlite3_stmt* st, int position, const QString& text, BindArena& arena, int& rc)
{
    if (text.size() > BindArena::kSize - arena.used)
        return false;
    char* narrow = arena.bytes.data() + arena.used;
    const auto* wide = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (wide[i] >= 0x80)
            return false;
        narrow[i] = char(wide[i]);
    }
    arena.used += text.size();
    rc = sqlite3_bind_text(st, position, narrow, int(text.size()), SQLITE_STATIC);
    return true;
}

} // namespace

QString SqliteConnection::File() const { return QDir(Directory()).filePath(DatabaseFileName()); }

QString SqliteConnection::Describe() const { return File(); }

void SqliteConnection::ThrowEngineError(void* handle) const
{
    auto* db = static_cast<sqlite3*>(handle);
    Throw(sqlite3_extended_errcode(db), sqlite3_system_errno(db), QString::fromUtf8(sqlite3_errmsg(db)), File());
}

std::shared_ptr<SqliteConnection> SqliteConnection::Attempt(const QString& directory, const QString& file, bool create)
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
                const QSqlError error = db.lastError();
                failure = OpeningFailure(error.nativeErrorCode().toInt(), 0, error.text());
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(connName);
                continue;
            }
        }
        std::shared_ptr<SqliteConnection> conn(new SqliteConnection(directory, connName));
        // The first read shows a file that is no database, a damaged one (a page or the
        // schema it cannot read), one the disk fails, and a read-only one whose log index
        // cannot be shared.
        QSqlQuery probe(conn->Database());
        if (probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            probe.finish();
            conn->readOnly_ = sqlite3_db_readonly(static_cast<sqlite3*>(conn->NativeHandle()), "main") == 1;
            return conn;
        }
        const QSqlError error = probe.lastError();
        const int code = error.nativeErrorCode().toInt();
        if (code == SQLITE_NOTADB)
            throw EDatabaseError(dbmsg::NotACompany(file));
        if ((code & 0xff) == SQLITE_CORRUPT)
            ThrowDamaged(error.text(), file);
        failure = OpeningFailure(code, sqlite3_system_errno(static_cast<sqlite3*>(conn->NativeHandle())), error.text());
        if (!IsReadOnlyError(code) && (code & 0xff) != SQLITE_CANTOPEN)
            break;
    }
    throw EDatabaseError(dbmsg::CannotOpenDatabase(directory, failure));
}

std::shared_ptr<Connection> SqliteConnection::Connect(const QString& directory, TOpenMode mode, bool& created)
{
    const QString file = QDir(directory).filePath(DatabaseFileName());
    created = !QFileInfo::exists(file);
    if (created && mode == TOpenMode::Existing)
        throw EDatabaseMissing(dbmsg::MissingDatabase(file));
    // The engine makes its file readable by others only, whatever the umask. Made here
    // first, empty, it follows the umask as the company's other files do, so that a group of
    // users can share a company; the engine's logs take the file's permissions.
    const int made = created ? ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666) : -1;
    if (made >= 0)
        ::close(made);
    std::shared_ptr<SqliteConnection> conn;
    try {
        conn = Attempt(directory, file, created);
    } catch (const EDatabaseError&) {
        if (made >= 0 && QFileInfo(file).size() == 0)
            QFile::remove(file);
        throw;
    }
    conn->Exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // Blocks are read by index seeks all over the file: map it rather than copy each page in.
    conn->Exec(QStringLiteral("PRAGMA mmap_size=1073741824"));
    conn->Exec(QStringLiteral("PRAGMA cache_size=-32768"));
    // A misspelt or renamed column must be an error, not a text constant of its name.
    auto* handle = static_cast<sqlite3*>(conn->NativeHandle());
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    return conn;
}

void SqliteConnection::Claim()
{
    // WAL lets readers in other processes go on while one user writes. A file is switched
    // only once it is known to be ours.
    if (readOnly_)
        return;
    QSqlQuery q(Database());
    if (q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next()
        && q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
        return;
    q.finish();
    Exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

SqliteConnection::~SqliteConnection()
{
    for (void* st : std::as_const(native_))
        sqlite3_finalize(static_cast<sqlite3_stmt*>(st));
    native_.clear();
    {
        QSqlDatabase db = Database();
        if (db.isOpen() && depth_ > 0)
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    }
    CloseDatabase();
}

bool SqliteConnection::ExecDirect(const QString& sql)
{
    QSqlQuery q(Database());
    if (!q.exec(sql))
        Raise(q.lastError());
    const bool select = q.isSelect();
    q.finish();
    return !select;
}

void* SqliteConnection::NativeHandle() const
{
    // The connection stays open as long as this object: its handle does not change.
    if (handle_)
        return handle_;
    const QVariant handle = Database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw EDatabaseError(dbmsg::EngineUnavailable());
    handle_ = *static_cast<sqlite3* const*>(handle.constData());
    return handle_;
}

void* SqliteConnection::Prepared(const QString& sql)
{
    auto* st = static_cast<sqlite3_stmt*>(native_.value(sql));
    if (st)
        return st;
    auto* db = static_cast<sqlite3*>(NativeHandle());
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK)
        ThrowEngineError(db);
    native_.insert(sql, st);
    return st;
}

int SqliteConnection::ForEachRow(const QString& sql, const QVariantList& values,
                                 const std::function<void(const NativeRow&)>& row)
{
    auto* db = static_cast<sqlite3*>(NativeHandle());
    auto* st = static_cast<sqlite3_stmt*>(Prepared(sql));
    // Declared before the reset, which lets go of the texts bound from it.
    BindArena arena;
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
        int rc = SQLITE_OK;
        switch (sqlite::KindOf(v)) {
        case sqlite::Kind::Null:
            rc = sqlite3_bind_null(st, i + 1);
            break;
        case sqlite::Kind::Real:
            rc = sqlite3_bind_double(st, i + 1, v.toDouble());
            break;
        case sqlite::Kind::Integer:
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
            break;
        case sqlite::Kind::Blob: {
            const QByteArray blob = v.toByteArray();
            rc = sqlite3_bind_blob64(st, i + 1, blob.constData(), sqlite3_uint64(blob.size()), SQLITE_TRANSIENT);
            break;
        }
        case sqlite::Kind::Text: {
            if (v.typeId() == QMetaType::QDate) {
                rc = sqlite3_bind_text(st, i + 1, sqlite::BoundText(v).toUtf8().constData(), -1, SQLITE_TRANSIENT);
                break;
            }
            if (IsEngineText(v)) {
                const QByteArray text = EngineTextBytes(v);
                rc = sqlite3_bind_text64(st, i + 1, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                                         SQLITE_UTF8);
                break;
            }
            const QString text = v.toString();
            if (BindAscii(st, i + 1, text, arena, rc))
                break;
            rc = sqlite3_bind_text16(st, i + 1, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK)
            ThrowEngineError(db);
    }
    const SqliteRow current(st);
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

int SqliteConnection::WriteRow(const TRowWrite& statement, const QVariantList& values,
                               const std::function<void(const NativeRow&)>& row)
{
    // The engine gathers a write's RETURNING rows in a table it makes and drops for every
    // run, which costs more than the write; the row read by its identity in the same
    // transaction is the same row.
    if (statement.write.isEmpty())
        return Connection::WriteRow(statement, values, row);
    auto* db = static_cast<sqlite3*>(NativeHandle());
    const bool own = sqlite3_get_autocommit(db) != 0;
    if (own)
        ForEachRow(BeginStatement(), {}, {});
    try {
        const int written = ForEachRow(statement.write, values, {});
        if (written > 0) {
            const qint64 id = statement.identity < 0 ? qint64(sqlite3_last_insert_rowid(db))
                                                     : values.at(statement.identity).toLongLong();
            ForEachRow(statement.readBack, {id}, row);
        }
        if (own)
            ForEachRow(QStringLiteral("COMMIT"), {}, {});
        return written;
    } catch (...) {
        // Nothing of the write stays: the transaction is gone unless the engine kept it.
        if (own && !sqlite3_get_autocommit(db)) {
            try {
                ForEachRow(QStringLiteral("ROLLBACK"), {}, {});
            } catch (const EDatabaseError&) {
            }
        }
        throw;
    }
}

void SqliteConnection::PollOtherCommits()
{
    // The engine's count of commits made by other connections to the file.
    qint64 version = dataVersion_;
    ForEachRow(QStringLiteral("PRAGMA data_version"), {}, [&](const NativeRow& r) { version = r.Int(0); });
    if (version != dataVersion_) {
        if (dataVersion_ >= 0)
            Touch();
        dataVersion_ = version;
    }
}

std::optional<quint64> SqliteConnection::StoredVersion(bool refresh)
{
    // The pager's own count moves with this connection's writes as well as with the commits
    // of others it noticed at its last read; the poll is such a read.
    if (refresh)
        PollOtherCommits();
    unsigned int version = 0;
    if (sqlite3_file_control(static_cast<sqlite3*>(NativeHandle()), "main", SQLITE_FCNTL_DATA_VERSION, &version) != SQLITE_OK)
        return std::nullopt;
    return version;
}

void SqliteConnection::ExecControl(const QString& sql)
{
    // Transaction control changes no rows: caches stay valid.
    ForEachRow(sql, {}, {});
}

bool SqliteConnection::InTransaction() { return !sqlite3_get_autocommit(static_cast<sqlite3*>(NativeHandle())); }

QString SqliteConnection::StoredTableName(const QString& name)
{
    QString stored;
    ForEachRow(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)"), {name},
               [&](const NativeRow& r) { stored = r.Value(0).toString(); });
    return stored;
}

QStringList SqliteConnection::TableNames()
{
    QStringList names;
    ForEachRow(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%' ORDER BY name"), {},
               [&](const NativeRow& r) { names << r.Value(0).toString(); });
    return names;
}

std::vector<ColumnInfo> SqliteConnection::Columns(const QString& table)
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

std::vector<QString> SqliteConnection::IndexSql(const QString& table)
{
    std::vector<QString> out;
    ForEachRow(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND lower(tbl_name)=lower(?) "
                              "AND sql IS NOT NULL"),
               {table}, [&](const NativeRow& r) { out.push_back(r.Value(0).toString()); });
    return out;
}

std::vector<QStringList> SqliteConnection::IndexColumns(const QString& table)
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
        if (list.value(4).toInt() == 0) // over every row
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

bool SqliteConnection::HasPartialIndex(const QString& table, const QString& index)
{
    bool found = false;
    ForEachRow(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND lower(tbl_name) = lower(?) "
                              "AND lower(name) = lower(?) AND sql LIKE '% WHERE %'"),
               {table, index}, [&](const NativeRow&) { found = true; });
    return found;
}

QString SqliteConnection::ColumnDeclaration(const QString& name, const QString& declType, bool lonePrimaryKey) const
{
    // The engine makes a lone key column declared exactly INTEGER an alias of the rowid;
    // its value may be edited, the identity must stay.
    const bool alias = lonePrimaryKey && declType.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
    return Quote(name) + QLatin1Char(' ') + (alias ? QStringLiteral("INT") : declType);
}

namespace {

QString Joined(const QStringList& quoted) { return quoted.join(QStringLiteral(", ")); }

} // namespace

void SqliteConnection::CreateTable(const QString& name, const std::vector<TColumnDef>& columns, const QStringList& primaryKey)
{
    QStringList cols;
    for (const TColumnDef& c : columns)
        cols << ColumnDeclaration(c.name, c.declType,
                                  primaryKey.size() == 1 && primaryKey.front().compare(c.name, Qt::CaseInsensitive) == 0)
                    + (c.required ? QStringLiteral(" NOT NULL") : QString());
    if (!primaryKey.isEmpty()) {
        QStringList key;
        for (const QString& k : primaryKey)
            key << Quote(k);
        cols << QStringLiteral("PRIMARY KEY (%1)").arg(Joined(key));
    }
    Exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(Quote(name), Joined(cols)));
}

void SqliteConnection::CreateIndex(const QString& table, const QString& index, const QStringList& columns, bool unique,
                                   bool descending, const QString& condition)
{
    QStringList cols;
    for (const QString& c : columns)
        cols << Quote(c) + (descending ? QStringLiteral(" DESC") : QString());
    Exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)%5")
             .arg(unique ? QStringLiteral("UNIQUE ") : QString(), Quote(index), Quote(table), Joined(cols),
                  condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition));
}

void SqliteConnection::AddColumn(const QString& table, const TColumnDef& column)
{
    // An added column cannot be NOT NULL without a default: the rows already there hold none.
    Exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(Quote(table), ColumnDeclaration(column.name, column.declType, false)));
}

void SqliteConnection::AddPrimaryKey(const QString& table, const QStringList& columns)
{
    // The engine cannot add a primary key to a table: rebuild the table with it, rows in
    // their order, all or nothing (a duplicate key leaves the table as it was).
    const std::vector<ColumnInfo> cols = Columns(table);
    const std::vector<QString> indexes = IndexSql(table);
    std::vector<TColumnDef> defs;
    QStringList names;
    for (const ColumnInfo& c : cols) {
        defs.push_back({c.name, c.declType, false});
        names << Quote(c.name);
    }
    const QString temp = table + QStringLiteral("__rebuild");
    CreateTable(temp, defs, columns);
    Exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3 ORDER BY rowid").arg(Quote(temp), Joined(names), Quote(table)));
    Exec(QStringLiteral("DROP TABLE %1").arg(Quote(table)));
    Exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(Quote(temp), Quote(table)));
    for (const QString& sql : indexes)
        Exec(sql);
}

QString SqliteConnection::Quote(const QString& identifier) const
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString SqliteConnection::OrderTerm(const QString& quotedColumn, bool descending) const
{
    // The engine's own order: nulls below every value.
    return descending ? quotedColumn + QStringLiteral(" DESC") : quotedColumn;
}

QStringList SqliteConnection::DeclTypes(const QSqlQuery& query) const
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

void SqliteConnection::Raise(const QSqlError& error) const
{
    QString message = error.databaseText().trimmed();
    if (message.isEmpty())
        message = error.driverText().trimmed();
    if (message.isEmpty())
        message = dbmsg::UnknownEngineError();
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    int systemError = 0;
    try {
        systemError = sqlite3_system_errno(static_cast<sqlite3*>(NativeHandle()));
    } catch (const EDatabaseError&) {
    }
    Throw(numeric ? code : SQLITE_ERROR, systemError, message, File());
}

} // namespace fw
