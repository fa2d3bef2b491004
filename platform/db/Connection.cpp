#include "platform/db/Connection.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/EngineSupport.h"
#include "platform/db/IsoDay.h"
#include "platform/db/PgConnection.h"
#include "platform/db/ServerDatabase.h"
#include "platform/db/SqliteConnection.h"
#include "platform/db/StoredValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <cerrno>
#include <ctime>
#include <map>
#include <sys/stat.h>

namespace fw {

namespace {

// The monotonic clock at the kernel's tick: asked on every step of a walk, where the exact
// clock costs more than the poll it times.
std::chrono::steady_clock::time_point CoarseNow()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec)));
}

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

std::function<void(const QString&)>& DamageHandler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}

} // namespace

QString DatabaseFileName() { return QStringLiteral("tables.sqlite"); }

void SetDamagedDatabaseHandler(std::function<void(const QString& file)> handler)
{
    DamageHandler() = std::move(handler);
}

void ThrowDamaged(const QString& message, const QString& where)
{
    Q_UNUSED(message); // the engine's own words, which the user is not given
    if (DamageHandler())
        DamageHandler()(where);
    throw EDatabaseDamaged(dbmsg::DatabaseDamaged(where));
}

bool Connection::HasDatabase(const QString& directory)
{
    const QDir dir(directory);
    return QFileInfo(dir.filePath(DatabaseFileName())).isFile() || QFileInfo(dir.filePath(TServerDatabase::FileName())).isFile();
}

QStringList Connection::OpenDirectories()
{
    QStringList directories;
    for (const auto& [directory, connection] : Pool())
        if (!connection.expired())
            directories << directory;
    return directories;
}

std::shared_ptr<Connection> Connection::Open(const QString& directory, TOpenMode mode, const QStringList& companyTables)
{
    if (directory.trimmed().isEmpty())
        throw EDatabaseError(dbmsg::NoDatabaseDirectory());
    QFileInfo info(directory);
    if (!info.exists() || !info.isDir()) {
        // One the user may not reach is there all the same: said as such, not as missing.
        struct stat unreachable {};
        if (::stat(QFile::encodeName(directory).constData(), &unreachable) != 0 && errno == EACCES)
            throw EDatabaseError(dbmsg::DirectoryUnreadable(directory));
        throw EDatabaseError(dbmsg::DirectoryNotFound(directory));
    }
    const QString key = CanonicalDir(directory);
    auto& pool = Pool();
    std::shared_ptr<Connection> conn;
    if (auto it = pool.find(key); it != pool.end())
        conn = it->second.lock();
    bool created = false;
    if (!conn) {
        // A connection file names a server's database; otherwise the tables are in the
        // directory's own file.
        if (const std::optional<TServerDatabase> server = TServerDatabase::Read(key))
            conn = PgConnection::Connect(key, *server, mode, created);
        else
            conn = SqliteConnection::Connect(key, mode, created);
        pool[key] = conn;
    }
    if (!created && !companyTables.isEmpty()) {
        bool holds = false;
        for (const QString& name : companyTables) {
            QString table = name;
            if (table.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
                table.chop(3);
            holds = holds || !conn->StoredTableName(table).isEmpty();
        }
        if (!holds)
            throw EDatabaseError(dbmsg::NotACompany(conn->Describe()));
    }
    if (created || !companyTables.isEmpty())
        conn->Claim();
    return conn;
}

Connection::Connection(QString directory, QString connectionName)
    : directory_(std::move(directory)), name_(std::move(connectionName))
{
}

Connection::~Connection()
{
    auto& pool = Pool();
    if (auto it = pool.find(directory_); it != pool.end() && it->second.expired())
        pool.erase(it);
}

void Connection::CloseDatabase()
{
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

void Connection::Exec(const QString& sql, const QVariantList& values)
{
    if (values.isEmpty()) {
        // Statements without values (DDL, settings) are not worth keeping prepared: the
        // structure they change would invalidate prepared statements anyway.
        if (ExecDirect(sql))
            Touch();
    } else {
        ForEachRow(sql, values, {});
        Touch();
    }
}

std::vector<TStatement> InsertStatements(const QString& table, const QStringList& columns,
                                         const std::vector<QVariantList>& rows)
{
    // A hundred rows to a statement: the texts prepared stay few, and the values bound well
    // within what an engine takes.
    constexpr size_t kRows = 100;
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QStringLiteral(", ")));
    const QString row = QStringLiteral("(?") + QStringLiteral(", ?").repeated(columns.size() - 1) + QLatin1Char(')');
    std::vector<TStatement> statements;
    for (size_t begin = 0; begin < rows.size(); begin += kRows) {
        const size_t end = std::min(rows.size(), begin + kRows);
        TStatement insert{head + QStringList(qsizetype(end - begin), row).join(QStringLiteral(", ")), {}};
        insert.values.reserve(qsizetype(end - begin) * columns.size());
        for (size_t r = begin; r < end; ++r)
            insert.values << rows[r];
        statements.push_back(std::move(insert));
    }
    return statements;
}

std::vector<int> Connection::ForEachRowOf(const std::vector<TStatement>& batch,
                                          const std::function<void(size_t, const NativeRow&)>& row)
{
    std::vector<int> written;
    written.reserve(batch.size());
    for (size_t i = 0; i < batch.size(); ++i)
        written.push_back(ForEachRow(batch[i].sql, batch[i].values, [&](const NativeRow& r) {
            if (row)
                row(i, r);
        }));
    return written;
}

qint64 Connection::ScalarInt(const QString& sql, const QVariantList& values)
{
    qint64 result = 0;
    bool first = true;
    ForEachRow(sql, values, [&](const NativeRow& row) {
        if (first)
            result = row.Int(0);
        first = false;
    });
    return result;
}

void Connection::Begin()
{
    // Savepoints nest; the outermost level is where the engine makes this writer wait for
    // the others (see BeginStatement), so that two users cannot both read and then fail
    // to write.
    if (depth_ == 0) {
        ExecControl(BeginStatement());
        ++transactionSerial_;
    } else {
        ExecControl(QStringLiteral("SAVEPOINT fw_level_%1").arg(depth_));
    }
    ++depth_;
}

void Connection::Commit()
{
    if (depth_ == 0)
        throw EDatabaseError(dbmsg::NoTransaction());
    if (depth_ == 1)
        ExecControl(QStringLiteral("COMMIT"));
    else
        ExecControl(QStringLiteral("RELEASE fw_level_%1").arg(depth_ - 1));
    --depth_;
    if (depth_ == 0)
        AfterCommit();
}

void Connection::Rollback()
{
    if (depth_ == 0)
        return;
    --depth_;
    Touch();
    if (!InTransaction()) {
        // The engine has already rolled the whole transaction back (a failed commit,
        // a full disk, a lost connection): every level of it is gone.
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

void Connection::DropTable(const QString& table)
{
    Exec(QStringLiteral("DROP TABLE %1").arg(Quote(table)));
    ForgetStatements();
}

quint64 Connection::Generation()
{
    const auto now = CoarseNow();
    if (now - lastPoll_ >= kPollInterval) {
        lastPoll_ = now;
        // Should the engine not answer now, it is asked again next time: nothing depends
        // on this but freshness.
        try {
            PollOtherCommits();
        } catch (const EDatabaseError&) {
        }
    }
    return generation_;
}

const quint64* Connection::TableCounter(const QString& table) { return &tableWrites_[table.toLower()]; }

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
            // The layer writes dates as YYYY-MM-DD: read those directly; the general parser
            // stays for anything else the file may hold.
            const QString text = value.toString();
            QDate d = IsoDay(reinterpret_cast<const char16_t*>(text.constData()), text.size());
            if (!d.isValid())
                d = QDate::fromString(text.left(10), kDateFormat);
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
    // A value that cannot be read equals no value.
    if (IsValueFault(a) || IsValueFault(b))
        return false;
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.toString() == b.toString();
    if (a.typeId() == QMetaType::QDate || b.typeId() == QMetaType::QDate)
        return a.toDate() == b.toDate();
    if (a.typeId() == QMetaType::QDateTime || b.typeId() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime();
    return a.toDouble() == b.toDouble();
}

} // namespace fw
