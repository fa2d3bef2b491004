#include "platform/db/PgConnection.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"
#include "platform/db/EngineSupport.h"
#include "platform/db/IsoDay.h"
#include "platform/db/StoredValue.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>
#include <vector>
#include <libpq-fe.h>

namespace fw {

// The line of a client's or server's text that says what failed: not the warnings and
// notices that may come before it, nor the details after it; without "ERROR:" and the like.
QString ClientErrorLine(const QString& text)
{
    static const QRegularExpression aside(QStringLiteral("^(WARNING|NOTICE|INFO|DETAIL|HINT|CONTEXT):"));
    static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL|PANIC):\\s+"));
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.front().isSpace() || aside.match(line).hasMatch())
            continue;
        return line.remove(severity).trimmed();
    }
    return text.trimmed();
}

namespace {

// Type identities of the server's built-in types (pg_type.oid).
enum : Oid {
    kBool = 16,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kFloat4 = 700,
    kFloat8 = 701,
    kBpChar = 1042,
    kVarChar = 1043,
    kDate = 1082,
    kTimestamp = 1114,
    kTimestampTz = 1184,
    kNumeric = 1700,
};

const char kChannel[] = "fw_changes";
const QString kPrimaryComment = QStringLiteral("primary key");
const QString kTriggerFunction = QStringLiteral("fw_note_change");
const QString kDivideFunction = QStringLiteral("fw_divide");

// The server writes ISO dates (DateStyle is set so): YYYY-MM-DD, then a time for a moment.
// A year of five digits, one before Christ ("... BC") or an infinity is no date the layer
// holds.
QDate ParseDate(const char* text, int length)
{
    if ((length > 10 && text[10] != ' ') || QByteArrayView(text, length).endsWith(" BC"))
        return QDate();
    return IsoDay(text, length);
}

QDateTime ParseTimestamp(const char* text, int length)
{
    const QDate date = ParseDate(text, length);
    if (!date.isValid() || length < 19)
        return QDateTime();
    int h = 0, mi = 0, s = 0, ms = 0;
    std::from_chars(text + 11, text + 13, h);
    std::from_chars(text + 14, text + 16, mi);
    std::from_chars(text + 17, text + 19, s);
    if (length > 20 && text[19] == '.') {
        // Microseconds as written, cut to the milliseconds the layer keeps.
        char digits[4] = {'0', '0', '0', 0};
        for (int i = 0; i < 3 && 20 + i < length && text[20 + i] >= '0' && text[20 + i] <= '9'; ++i)
            digits[i] = text[20 + i];
        std::from_chars(digits, digits + 3, ms);
    }
    return QDateTime(date, QTime(h, mi, s, ms));
}

class PgRow final : public NativeRow {
public:
    PgRow(PGresult* result, int row) : result_(result), row_(row)
    {
        // The columns' types asked once a result, not once a value.
        types_.resize(size_t(std::max(PQnfields(result), 0)));
        for (size_t c = 0; c < types_.size(); ++c)
            types_[c] = PQftype(result, int(c));
    }
    void Next() { ++row_; }
    QVariant Value(int column) const override
    {
        if (PQgetisnull(result_, row_, column))
            return QVariant();
        const char* text = PQgetvalue(result_, row_, column);
        const int length = PQgetlength(result_, row_, column);
        switch (Type(column)) {
        case kBool:
            return QVariant(qint64(text[0] == 't'));
        case kInt2:
        case kInt4:
        case kInt8:
            return QVariant(Int(column));
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return QVariant(Number(text, length));
        case kDate: {
            const QDate date = ParseDate(text, length);
            return date.isValid() ? QVariant(date) : QVariant();
        }
        case kTimestamp:
        case kTimestampTz: {
            const QDateTime moment = ParseTimestamp(text, length);
            return moment.isValid() ? QVariant(moment) : QVariant();
        }
        default:
            return QVariant(QString::fromUtf8(text, length));
        }
    }
    int Stored(int column, QVariant& into) const override
    {
        const Oid type = Type(column);
        const int length = PQgetlength(result_, row_, column);
        // Booleans and numbers are written back in a form the server reads as the same value.
        // A null is empty: asked whether it is null only then.
        if ((length == 0 && PQgetisnull(result_, row_, column)) || type == kBool || type == kInt2 || type == kInt4
            || type == kInt8) {
            into = Value(column);
            return into.typeId();
        }
        const char* text = PQgetvalue(result_, row_, column);
        if (type == kFloat4 || type == kFloat8)
            return StoredDouble(Number(text, length), into);
        // A date the layer holds; more digits than a double keeps, microseconds beyond its
        // milliseconds.
        if (type == kDate && length == 10) {
            into = Value(column);
            return into.typeId();
        }
        if (type == kDate || type == kNumeric || type == kTimestamp || type == kTimestampTz) {
            into = EngineText(QByteArray(text, length));
            return EngineTextType();
        }
        return StoredText(text, length, into);
    }
    qint64 Int(int column) const override
    {
        const char* text = PQgetvalue(result_, row_, column);
        if (Type(column) == kBool)
            return text[0] == 't';
        qint64 value = 0;
        std::from_chars(text, text + PQgetlength(result_, row_, column), value);
        return value;
    }

private:
    // A number as the server writes it; what from_chars does not take, as Qt reads it.
    static double Number(const char* text, int length)
    {
        double value = 0;
        if (std::from_chars(text, text + length, value).ec != std::errc())
            value = QByteArray(text, length).toDouble();
        return value;
    }

    Oid Type(int column) const
    {
        return size_t(column) < types_.size() ? types_[size_t(column)] : PQftype(result_, column);
    }

    PGresult* result_;
    int row_;
    std::vector<Oid> types_;
};

// The layer writes "?" for each value; the server numbers them ($1, $2 ...). Quoted text
// and names are left as they are.
QByteArray Numbered(const QString& sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            out += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++n);
        } else {
            out += c;
        }
    }
    return out.toUtf8();
}

QString ResultMessage(const PGresult* result, PGconn* pg)
{
    QString message;
    if (result) {
        message = QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
        const QString detail = QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL));
        if (!detail.isEmpty())
            message += QLatin1Char(' ') + detail;
    }
    if (message.isEmpty())
        message = ClientErrorLine(QString::fromUtf8(PQerrorMessage(pg)));
    if (message.isEmpty())
        message = dbmsg::UnknownEngineError();
    return message;
}

// The connection keywords beyond host, port, database and user, as QtSql hands them to
// the client: "key='value'" apart by ";" (which no value holds), quotes and backslashes
// escaped. A server that does not answer is given up after 10 s unless told otherwise.
QString ConnectOptions(const TServerDatabase& server)
{
    QStringList options;
    bool timeout = false;
    for (const auto& [key, value] : server.Options) {
        QString quoted = value;
        quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
        options << QStringLiteral("%1='%2'").arg(key, quoted);
        timeout = timeout || key == QLatin1String("connect_timeout");
    }
    if (!timeout)
        options.prepend(QStringLiteral("connect_timeout=10"));
    return options.join(QLatin1Char(';'));
}

struct ResultGuard {
    PGresult* result;
    ~ResultGuard() { PQclear(result); }
};

void IgnoreNotice(void*, const char*) {}

} // namespace

PgConnection::PgConnection(QString directory, QString connectionName, TServerDatabase server)
    : Connection(std::move(directory), std::move(connectionName)), server_(std::move(server)), schema_(server_.SchemaName())
{
}

std::shared_ptr<Connection> PgConnection::Connect(const QString& directory, const TServerDatabase& server, TOpenMode mode,
                                                  bool& created)
{
    static int serial = 0;
    const QString connName = QStringLiteral("fw-pg-%1").arg(++serial);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connName);
        if (!db.isValid()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connName);
            throw EDatabaseError(dbmsg::ServerUnreachable(server.Describe(),
                                                          QStringLiteral("The PostgreSQL driver of QtSql is missing.")));
        }
        db.setHostName(server.Host);
        if (server.Port > 0)
            db.setPort(server.Port);
        db.setDatabaseName(server.Database);
        db.setUserName(server.User);
        db.setConnectOptions(ConnectOptions(server));
        if (!db.open()) {
            const QString why = ClientErrorLine(db.lastError().databaseText());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connName);
            throw EDatabaseError(dbmsg::ServerUnreachable(server.Describe(), why));
        }
    }
    std::shared_ptr<PgConnection> conn(new PgConnection(directory, connName, server));
    const QVariant handle = conn->Database().driver()->handle();
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        throw EDatabaseError(dbmsg::EngineUnavailable(QString::fromLatin1(handle.typeName())));
    conn->pg_ = *static_cast<PGconn* const*>(handle.constData());
    // A server that went away as the connection was made reports no version at all.
    if (PQstatus(conn->pg_) != CONNECTION_OK || PQserverVersion(conn->pg_) == 0)
        throw EDatabaseError(dbmsg::ServerConnectionLost(server.Describe()));
    if (PQserverVersion(conn->pg_) < 100000)
        throw EDatabaseError(dbmsg::ServerTooOld(server.Describe(), PQserverVersion(conn->pg_)));
    PQsetNoticeProcessor(conn->pg_, &IgnoreNotice, nullptr);

    // What the connection must know, in one question: whether the schema is there, how
    // many tables it holds and how many of them the user may write, and whether the
    // server only serves reading.
    qint64 schemas = 0, tables = 0, writable = 0;
    bool readOnlyServer = false;
    conn->ForEachRow(QStringLiteral("SELECT (SELECT count(*) FROM pg_namespace WHERE nspname = ?), count(c.oid), "
                                    "count(c.oid) FILTER (WHERE has_table_privilege(c.oid, 'INSERT, UPDATE, DELETE')), "
                                    "current_setting('transaction_read_only') FROM pg_class c JOIN pg_namespace n ON "
                                    "n.oid = c.relnamespace AND n.nspname = ? WHERE c.relkind IN ('r', 'p')"),
                     {conn->schema_, conn->schema_}, [&](const NativeRow& r) {
                         schemas = r.Int(0);
                         tables = r.Int(1);
                         writable = r.Int(2);
                         readOnlyServer = r.Value(3).toString() == QLatin1String("on");
                     });
    // The schema is to a server what the file is to the embedded engine: made only when
    // tables are about to be created, and a new one (or an empty one) is ours to fill.
    const bool exists = schemas > 0;
    if (!exists && mode == TOpenMode::Existing)
        throw EDatabaseMissing(dbmsg::MissingDatabase(server.Describe()));
    created = !exists || (tables == 0 && mode == TOpenMode::CreateMissing);
    // A server that only serves reading, or a company whose tables the user may only read.
    conn->readOnly_ = readOnlyServer || (tables > 0 && writable == 0);
    if (!exists && !conn->readOnly_)
        conn->ExecDirect(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(conn->Quote(conn->schema_)));
    conn->SetUpSession();
    return conn;
}

void PgConnection::SetUpSession()
{
    PQsetNoticeProcessor(pg_, &IgnoreNotice, nullptr);
    backendPid_ = PQbackendPID(pg_);
    // Names resolve in the company's schema only; dates and numbers come back in forms
    // read exactly; a lock another user holds is waited for as long as the embedded
    // engine waits for its file.
    // The server's own catalog comes after the company's schema, so that the few operators
    // the schema defines (see EnsureSchemaObjects) stand before the built-in ones.
    ExecDirect(QStringLiteral("SET search_path TO %1, pg_catalog; SET DateStyle TO ISO, YMD; SET extra_float_digits TO 3; "
                              "SET lock_timeout TO '10s'; SET client_min_messages TO warning; SET default_transaction_read_only "
                              "TO %2; LISTEN %3")
                   .arg(Quote(schema_), readOnly_ ? QStringLiteral("on") : QStringLiteral("off"), QString::fromLatin1(kChannel)));
    WatchNotices();
}

void PgConnection::WatchNotices()
{
    noticeWatch_.reset();
    const int socket = PQsocket(pg_);
    if (socket < 0 || !QAbstractEventDispatcher::instance())
        return;
    noticeWatch_ = std::make_unique<QSocketNotifier>(qintptr(socket), QSocketNotifier::Read);
    QObject::connect(noticeWatch_.get(), &QSocketNotifier::activated, [this] {
        DrainNotices();
        // A connection the server closed stays readable: it is made again before the
        // next statement, which watches its new socket.
        if (PQstatus(pg_) != CONNECTION_OK)
            noticeWatch_->setEnabled(false);
    });
}

PgConnection::~PgConnection()
{
    noticeWatch_.reset();
    if (pg_ && depth_ > 0)
        PQclear(PQexec(pg_, "ROLLBACK"));
    CloseDatabase();
}

void PgConnection::Reconnect()
{
    if (PQstatus(pg_) != CONNECTION_BAD || depth_ > 0)
        return;
    noticeWatch_.reset(); // its socket goes with the connection
    PQreset(pg_);
    if (PQstatus(pg_) != CONNECTION_OK)
        throw EDatabaseError(dbmsg::ServerConnectionLost(Describe()));
    prepared_.clear();
    SetUpSession();
    // What others committed meanwhile was not heard of.
    Touch();
}

void PgConnection::ThrowState(const QString& state, const QString& message) const
{
    if (state == QLatin1String("23505"))
        throw EKeyViolation(dbmsg::KeyViolation(message));
    if (state == QLatin1String("25006") || (readOnly_ && state == QLatin1String("42501")))
        throw EDatabaseError(dbmsg::ReadOnlyDatabase());
    if (state == QLatin1String("40001") || state == QLatin1String("40P01"))
        throw ETransactionConflict(message);
    if (state == QLatin1String("XX001") || state == QLatin1String("XX002"))
        ThrowDamaged(message, QDir(Directory()).filePath(TServerDatabase::FileName()));
    // A lock another user holds past the wait, as the embedded engine's busy file.
    if (state == QLatin1String("55P03"))
        throw EDatabaseError(dbmsg::DatabaseBusy(Describe()));
    if (state == QLatin1String("53100"))
        throw EDatabaseError(dbmsg::DiskFull(Describe()));
    // The connection's class, and the server shutting down or restarting.
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")) || (pg_ && PQstatus(pg_) == CONNECTION_BAD))
        throw EDatabaseError(dbmsg::ServerConnectionLost(Describe()));
    throw EDatabaseError(dbmsg::ServerError(state, message, Describe()));
}

void PgConnection::ThrowResult(PGresult* result) const
{
    const QString state = result ? QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QString();
    const QString message = ResultMessage(result, pg_);
    PQclear(result);
    ThrowState(state, message);
}

// A statement's values as libpq takes them: texts, and no pointer for a null.
struct PgConnection::TBoundValues {
    explicit TBoundValues(const QVariantList& values)
        : texts(size_t(values.size())), pointers(size_t(values.size()), nullptr), lengths(size_t(values.size()), 0)
    {
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& v = values.at(i);
            if (!v.isValid() || v.isNull())
                continue;
            AppendValueText(texts[size_t(i)], v);
            pointers[size_t(i)] = texts[size_t(i)].constData();
            lengths[size_t(i)] = int(texts[size_t(i)].size());
        }
    }
    std::vector<QByteArray> texts;
    std::vector<const char*> pointers;
    std::vector<int> lengths;
};

namespace {

// Each row of a result, then the rows a write changed (none for a SELECT).
int ReadResult(PGresult* result, const std::function<void(const NativeRow&)>& row)
{
    if (PQresultStatus(result) == PGRES_TUPLES_OK && row) {
        const int rows = PQntuples(result);
        PgRow current(result, 0);
        for (int i = 0; i < rows; ++i, current.Next())
            row(current);
    }
    const char* tuples = PQcmdTuples(result);
    if (std::strncmp(PQcmdStatus(result), "SELECT", 6) == 0 || !tuples || !*tuples)
        return 0;
    return std::atoi(tuples);
}

} // namespace

QByteArray PgConnection::StatementName(const QString& sql, bool& prepare)
{
    QByteArray name = prepared_.value(sql);
    prepare = name.isEmpty();
    return prepare ? "fw_" + QByteArray::number(++statementSerial_) : name;
}

PGresult* PgConnection::Run(const QString& sql, const QVariantList& values)
{
    Reconnect();
    if (depth_ == 0)
        deferred_.clear(); // levels of a transaction the server ended
    bool prepare = false;
    const QByteArray name = StatementName(sql, prepare);
    const TBoundValues bound(values);
    if (!deferred_.isEmpty())
        return RunPipeline({{name, &sql, prepare, &bound}}).front();
    if (prepare) {
        PGresult* made = PQprepare(pg_, name.constData(), Numbered(sql).constData(), 0, nullptr);
        if (PQresultStatus(made) != PGRES_COMMAND_OK)
            ThrowResult(made);
        PQclear(made);
        prepared_.insert(sql, name);
    }
    return PQexecPrepared(pg_, name.constData(), int(values.size()), bound.pointers.data(), bound.lengths.data(), nullptr, 0);
}

std::vector<PGresult*> PgConnection::RunPipeline(const std::vector<TCall>& calls)
{
    const QByteArrayList control = std::exchange(deferred_, {});
    if (!PQenterPipelineMode(pg_))
        ThrowResult(nullptr);
    // Each request in turn: whether its result is a statement's, which the caller is given.
    std::vector<bool> statement;
    bool sent = true;
    for (const QByteArray& c : control) {
        sent = sent && PQsendQueryParams(pg_, c.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
        statement.push_back(false);
    }
    for (const TCall& call : calls) {
        if (call.prepare) {
            sent = sent && PQsendPrepare(pg_, call.name.constData(), Numbered(*call.sql).constData(), 0, nullptr);
            statement.push_back(false);
        }
        sent = sent
               && PQsendQueryPrepared(pg_, call.name.constData(), int(call.values->pointers.size()),
                                      call.values->pointers.data(), call.values->lengths.data(), nullptr, 0);
        statement.push_back(true);
    }
    sent = sent && PQpipelineSync(pg_);
    // Each request's result, then the end of the pipeline. After a failure the server
    // skips the rest (PGRES_PIPELINE_ABORTED): the first failure is the one said.
    std::vector<PGresult*> results;
    while (sent && results.size() < statement.size()) {
        PGresult* r = PQgetResult(pg_);
        if (!r)
            break;
        results.push_back(r);
        while (PGresult* end = PQgetResult(pg_)) // the null that ends the request's results
            PQclear(end);
    }
    if (sent) {
        while (PGresult* r = PQgetResult(pg_)) {
            const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
            PQclear(r);
            if (sync)
                break;
        }
    }
    PQexitPipelineMode(pg_);
    // Fewer results than requests: the connection failed, and its state says how.
    PGresult* failed = nullptr;
    for (size_t i = 0; i < results.size() && !failed; ++i) {
        const ExecStatusType status = PQresultStatus(results[i]);
        if (status != PGRES_COMMAND_OK && !(statement[i] && status == PGRES_TUPLES_OK))
            failed = results[i];
    }
    if (failed || results.size() < statement.size()) {
        for (PGresult* r : results)
            if (r != failed)
                PQclear(r);
        ThrowResult(failed);
    }
    std::vector<PGresult*> kept;
    kept.reserve(calls.size());
    for (size_t i = 0; i < results.size(); ++i) {
        if (statement[i])
            kept.push_back(results[i]);
        else
            PQclear(results[i]);
    }
    for (const TCall& call : calls)
        if (call.prepare)
            prepared_.insert(*call.sql, call.name);
    return kept;
}

int PgConnection::ForEachRow(const QString& sql, const QVariantList& values, const std::function<void(const NativeRow&)>& row)
{
    PGresult* result = Run(sql, values);
    ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_FATAL_ERROR && depth_ == 0
        && QLatin1String(PQresultErrorField(result, PG_DIAG_SQLSTATE)) == QLatin1String("0A000")) {
        // A table changed under a prepared statement ("cached plan must not change result
        // type"): outside a transaction it is prepared again from its text once.
        PQclear(result);
        ForgetStatements();
        result = Run(sql, values);
        status = PQresultStatus(result);
    }
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        ThrowResult(result);
    const ResultGuard guard{result};
    return ReadResult(result, row);
}

std::vector<int> PgConnection::ForEachRowOf(const std::vector<TStatement>& batch,
                                            const std::function<void(size_t, const NativeRow&)>& row)
{
    std::vector<int> written;
    written.reserve(batch.size());
    // A pipeline is sent whole before its results are read: kept short enough that the
    // results of its statements never fill what the connection buffers, where the server
    // would wait for them to be read while this side still sends.
    constexpr size_t kDepth = 64;
    for (size_t begin = 0; begin < batch.size(); begin += kDepth) {
        const size_t end = std::min(batch.size(), begin + kDepth);
        Reconnect();
        if (depth_ == 0)
            deferred_.clear();
        std::vector<TBoundValues> values;
        values.reserve(end - begin);
        std::vector<TCall> calls;
        calls.reserve(end - begin);
        QHash<QString, QByteArray> preparedHere; // a text is prepared once in a pipeline
        for (size_t i = begin; i < end; ++i) {
            const QString& sql = batch[i].sql;
            values.emplace_back(batch[i].values);
            bool prepare = false;
            QByteArray name = preparedHere.value(sql);
            if (name.isEmpty()) {
                name = StatementName(sql, prepare);
                if (prepare)
                    preparedHere.insert(sql, name);
            }
            calls.push_back({name, &sql, prepare, &values.back()});
        }
        std::vector<std::unique_ptr<PGresult, void (*)(PGresult*)>> results;
        for (PGresult* r : RunPipeline(calls))
            results.emplace_back(r, &PQclear);
        for (size_t i = 0; i < results.size(); ++i)
            written.push_back(ReadResult(results[i].get(), [&](const NativeRow& r) {
                if (row)
                    row(begin + i, r);
            }));
    }
    return written;
}

bool PgConnection::ExecDirect(const QString& sql)
{
    Reconnect();
    SendDeferred();
    PGresult* result = PQexec(pg_, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        ThrowResult(result);
    const QByteArray tag = PQcmdStatus(result);
    PQclear(result);
    // A table changed or gone changes what statements prepared on it return; a new one
    // changes none.
    if (tag.startsWith("DROP") || tag.startsWith("ALTER"))
        ForgetStatements();
    return status != PGRES_TUPLES_OK && !tag.startsWith("SET") && !tag.startsWith("LISTEN");
}

void PgConnection::ExecControl(const QString& sql)
{
    if (sql.startsWith(QLatin1String("SAVEPOINT ")) || sql.startsWith(QLatin1String("RELEASE "))) {
        deferred_ << sql.toUtf8();
        return;
    }
    Reconnect();
    // A rollback of everything leaves nothing to keep; anything else goes after what was
    // deferred, in the same round trip.
    QByteArray text = sql.toUtf8();
    if (sql == QLatin1String("ROLLBACK") || depth_ == 0)
        deferred_.clear();
    else if (!deferred_.isEmpty())
        text = std::exchange(deferred_, {}).join("; ") + "; " + text;
    if (sql == QLatin1String("COMMIT")) {
        CommitKnowingOutcome(text);
        return;
    }
    PGresult* result = PQexec(pg_, text.constData());
    if (PQresultStatus(result) != PGRES_COMMAND_OK)
        ThrowResult(result);
    PQclear(result);
}

void PgConnection::SendDeferred()
{
    if (depth_ == 0)
        deferred_.clear();
    if (deferred_.isEmpty())
        return;
    const QByteArray text = std::exchange(deferred_, {}).join("; ");
    PGresult* result = PQexec(pg_, text.constData());
    if (PQresultStatus(result) != PGRES_COMMAND_OK)
        ThrowResult(result);
    PQclear(result);
}

bool PgConnection::InTransaction()
{
    const PGTransactionStatusType status = PQtransactionStatus(pg_);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

void PgConnection::PollOtherCommits()
{
    // Other programs' commits were announced by the tables' triggers; the announcements
    // wait in the connection's input, read without a round trip to the server.
    DrainNotices();
}

void PgConnection::DrainNotices()
{
    if (PQstatus(pg_) != CONNECTION_OK || PQtransactionStatus(pg_) == PQTRANS_ACTIVE)
        return;
    PQconsumeInput(pg_);
    const QString prefix = schema_ + QLatin1Char('.');
    while (PGnotify* notice = PQnotifies(pg_)) {
        const QString payload = QString::fromUtf8(notice->extra);
        if (notice->be_pid != backendPid_ && payload.startsWith(prefix))
            Touch(payload.mid(prefix.size()));
        PQfreemem(notice);
    }
}

void PgConnection::ForgetStatements()
{
    if (prepared_.isEmpty())
        return;
    QByteArray sql;
    for (const QByteArray& name : std::as_const(prepared_))
        sql += "DEALLOCATE " + name + ';';
    prepared_.clear();
    if (PQstatus(pg_) == CONNECTION_OK)
        PQclear(PQexec(pg_, sql.constData()));
}

// ---------------------------------------------------------------- metadata

QString PgConnection::StoredTableName(const QString& name)
{
    QString stored;
    ForEachRow(QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                              "WHERE n.nspname = ? AND c.relkind IN ('r', 'p') AND lower(c.relname) = lower(?)"),
               {schema_, name}, [&](const NativeRow& r) { stored = r.Value(0).toString(); });
    return stored;
}

QStringList PgConnection::TableNames()
{
    QStringList names;
    ForEachRow(QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                              "WHERE n.nspname = ? AND c.relkind IN ('r', 'p') ORDER BY c.relname"),
               {schema_}, [&](const NativeRow& r) { names << r.Value(0).toString(); });
    return names;
}

std::vector<std::pair<QStringList, bool>> PgConnection::Indexes(const QString& table, QStringList* primary)
{
    // Each index with its columns in order (the trailing row identity left out) and
    // whether it is unique; the primary key is the one so commented.
    std::vector<std::pair<QStringList, bool>> out;
    ForEachRow(QStringLiteral(
                   "SELECT i.relname, x.indisunique, obj_description(i.oid, 'pg_class'), "
                   "(SELECT string_agg(a.attname, chr(31) ORDER BY k.ord) FROM unnest(x.indkey) WITH ORDINALITY AS k(attnum, ord) "
                   "JOIN pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.attnum) "
                   "FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_class t ON t.oid = x.indrelid "
                   "JOIN pg_namespace n ON n.oid = t.relnamespace WHERE n.nspname = ? AND t.relname = ? AND x.indpred IS NULL "
                   "ORDER BY i.relname"),
               {schema_, table}, [&](const NativeRow& r) {
                   QStringList columns = r.Value(3).toString().split(QChar(31), Qt::SkipEmptyParts);
                   while (!columns.isEmpty() && columns.last() == RowIdColumn())
                       columns.removeLast();
                   if (columns.isEmpty())
                       return;
                   if (primary && r.Value(2).toString() == kPrimaryComment)
                       *primary = columns;
                   else
                       out.emplace_back(columns, r.Int(1) != 0);
               });
    return out;
}

std::vector<ColumnInfo> PgConnection::Columns(const QString& table)
{
    std::vector<ColumnInfo> cols;
    ForEachRow(QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod), col_description(a.attrelid, a.attnum) "
                              "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
                              "WHERE n.nspname = ? AND c.relname = ? AND a.attnum > 0 AND NOT a.attisdropped AND a.attname <> ? "
                              "ORDER BY a.attnum"),
               {schema_, table, RowIdColumn()}, [&](const NativeRow& r) {
                   ColumnInfo c = ParseDeclType(r.Value(1).toString());
                   const QString stored = r.Value(0).toString();
                   // The name as it was spelt when the table was made.
                   const QString spelt = r.Value(2).toString();
                   c.name = spelt.compare(stored, Qt::CaseInsensitive) == 0 ? spelt : stored;
                   cols.push_back(c);
               });
    QStringList primary;
    Indexes(table, &primary);
    for (int i = 0; i < primary.size(); ++i)
        for (ColumnInfo& c : cols)
            if (c.name.compare(primary[i], Qt::CaseInsensitive) == 0)
                c.pkPosition = i + 1;
    return cols;
}

std::vector<QString> PgConnection::IndexSql(const QString& table)
{
    std::vector<QString> out;
    ForEachRow(QStringLiteral("SELECT indexdef FROM pg_indexes WHERE schemaname = ? AND tablename = ? AND indexdef NOT LIKE ? "
                              "ORDER BY indexname"),
               {schema_, table, QStringLiteral("%(") + RowIdColumn() + QLatin1Char(')')},
               [&](const NativeRow& r) { out.push_back(r.Value(0).toString()); });
    return out;
}

bool PgConnection::HasPartialIndex(const QString& table, const QString& index)
{
    bool found = false;
    ForEachRow(QStringLiteral("SELECT 1 FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid "
                              "JOIN pg_class t ON t.oid = x.indrelid JOIN pg_namespace n ON n.oid = t.relnamespace "
                              "WHERE n.nspname = ? AND t.relname = ? AND i.relname = ? AND x.indpred IS NOT NULL"),
               {schema_, table, index.toLower()}, [&](const NativeRow&) { found = true; });
    return found;
}

std::vector<QStringList> PgConnection::IndexColumns(const QString& table)
{
    QStringList primary;
    std::vector<QStringList> out;
    for (auto& index : Indexes(table, &primary))
        out.push_back(index.first);
    if (!primary.isEmpty())
        out.insert(out.begin(), primary);
    return out;
}

// ---------------------------------------------------------------- structure

QString PgConnection::ServerType(const QString& declType)
{
    const ColumnInfo info = ParseDeclType(declType);
    switch (info.type) {
    case TFieldType::String:
        return (info.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(info.size) : QStringLiteral("TEXT"))
               + QStringLiteral(" COLLATE \"C\"");
    case TFieldType::Float:
    case TFieldType::Currency:
        return QStringLiteral("DOUBLE PRECISION");
    case TFieldType::Smallint:
        return QStringLiteral("SMALLINT");
    case TFieldType::Integer:
    case TFieldType::Word:
        return declType.contains(QLatin1String("BIG"), Qt::CaseInsensitive) ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case TFieldType::Boolean:
        return QStringLiteral("BOOLEAN");
    case TFieldType::Date:
        return QStringLiteral("DATE");
    case TFieldType::DateTime:
        return QStringLiteral("TIMESTAMP");
    case TFieldType::Unknown:
        break;
    }
    return QStringLiteral("TEXT COLLATE \"C\"");
}

QString PgConnection::Comment(const QString& what, const QString& text) const
{
    // A comment takes a literal only: the server's own quoting makes one.
    const QByteArray utf8 = text.toUtf8();
    char* literal = PQescapeLiteral(pg_, utf8.constData(), size_t(utf8.size()));
    if (!literal)
        throw EDatabaseError(QString::fromUtf8(PQerrorMessage(pg_)).trimmed());
    QString sql = QStringLiteral("COMMENT ON %1 IS %2").arg(what, QString::fromUtf8(literal));
    PQfreemem(literal);
    return sql;
}

void PgConnection::EnsureSchemaObjects()
{
    if (schemaObjectsChecked_)
        return;
    bool notice = false, divide = false;
    ForEachRow(QStringLiteral("SELECT bool_or(p.proname = ?), bool_or(p.proname = ?) FROM pg_proc p "
                              "JOIN pg_namespace n ON n.oid = p.pronamespace WHERE n.nspname = ?"),
               {kTriggerFunction, kDivideFunction, schema_}, [&](const NativeRow& r) {
                   notice = r.Int(0) != 0;
                   divide = r.Int(1) != 0;
               });
    // Every change to a table is announced when its transaction commits, whoever makes it.
    if (!notice)
        ExecDirect(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN "
                                  "PERFORM pg_notify('%2', TG_TABLE_SCHEMA || '.' || TG_TABLE_NAME); RETURN NULL; END$$")
                       .arg(Quote(kTriggerFunction), QString::fromLatin1(kChannel)));
    // A number divided by zero is null, as the embedded engine has it: the fixed queries
    // divide by figures a user may have left at zero (a recipe's yield), and must then
    // give a row without a value rather than fail as a whole.
    if (!divide)
        ExecDirect(QStringLiteral("CREATE FUNCTION %1(double precision, double precision) RETURNS double precision "
                                  "LANGUAGE sql IMMUTABLE AS "
                                  "'SELECT $1 OPERATOR(pg_catalog./) NULLIF($2, 0::double precision)';"
                                  "CREATE OPERATOR %2./ (LEFTARG = double precision, RIGHTARG = double precision, "
                                  "FUNCTION = %2.%1)")
                       .arg(Quote(kDivideFunction), Quote(schema_)));
    schemaObjectsChecked_ = true;
}

void PgConnection::Claim()
{
    // A company made before these objects were part of one gets them when it is opened by
    // someone who may make them (each is made whole by its own statement).
    if (readOnly_)
        return;
    try {
        EnsureSchemaObjects();
    } catch (const EDatabaseError&) {
        // Someone who may not make them: the company works without them, as before.
        schemaObjectsChecked_ = false;
    }
}

QString PgConnection::ChangeTrigger(const QString& table)
{
    EnsureSchemaObjects();
    return QStringLiteral("CREATE TRIGGER fw_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %1 "
                          "FOR EACH STATEMENT EXECUTE PROCEDURE %2()")
        .arg(Quote(table), Quote(kTriggerFunction));
}

void PgConnection::CreateTable(const QString& name, const std::vector<TColumnDef>& columns, const QStringList& primaryKey)
{
    // One round trip for the table and everything that goes with it.
    QStringList cols{RowIdColumn() + QStringLiteral(" BIGINT GENERATED ALWAYS AS IDENTITY")};
    for (const TColumnDef& c : columns)
        cols << Quote(c.name) + QLatin1Char(' ') + ServerType(c.declType) + (c.required ? QStringLiteral(" NOT NULL") : QString());
    cols << QStringLiteral("CONSTRAINT %1 PRIMARY KEY (%2)").arg(Quote(name + QLatin1Char('_') + RowIdColumn()), RowIdColumn());
    QStringList script{QStringLiteral("CREATE TABLE %1 (%2)").arg(Quote(name), cols.join(QStringLiteral(", ")))};
    for (const TColumnDef& c : columns)
        if (c.name != c.name.toLower())
            script << Comment(QStringLiteral("COLUMN %1.%2").arg(Quote(name), Quote(c.name)), c.name);
    if (!primaryKey.isEmpty())
        script << PrimaryKey(name, primaryKey);
    script << ChangeTrigger(name);
    ExecDirect(script.join(QStringLiteral(";\n")));
}

void PgConnection::AddColumn(const QString& table, const TColumnDef& column)
{
    // The column's name as written is kept in its comment, as CreateTable keeps it.
    QStringList script{QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(Quote(table), Quote(column.name), ServerType(column.declType))};
    if (column.name != column.name.toLower())
        script << Comment(QStringLiteral("COLUMN %1.%2").arg(Quote(table), Quote(column.name)), column.name);
    ExecDirect(script.join(QStringLiteral(";\n")));
    ForgetStatements(); // statements prepared on the table's old columns
}

QString PgConnection::IndexStatement(const QString& table, const QString& index, const QStringList& columns, bool unique,
                                     bool descending, const QString& condition) const
{
    QStringList cols;
    for (const QString& c : columns)
        cols << OrderTerm(Quote(c), descending);
    // Rows of equal keys follow their identity, as every ordered read asks.
    if (!unique)
        cols << RowIdColumn() + (descending ? QStringLiteral(" DESC") : QString());
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)%5")
        .arg(unique ? QStringLiteral("UNIQUE ") : QString(), Quote(index), Quote(table), cols.join(QStringLiteral(", ")),
             condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition);
}

void PgConnection::CreateIndex(const QString& table, const QString& index, const QStringList& columns, bool unique,
                               bool descending, const QString& condition)
{
    ExecDirect(IndexStatement(table, index, columns, unique, descending, condition));
}

QString PgConnection::PrimaryKey(const QString& table, const QStringList& columns) const
{
    // A unique index rather than a constraint: like the embedded engine's key it lets
    // nulls be, and it keeps them first, as every ordered read asks.
    const QString index = table + QStringLiteral("_key");
    return IndexStatement(table, index, columns, true, false, {}) + QStringLiteral(";\n")
           + Comment(QStringLiteral("INDEX %1").arg(Quote(index)), kPrimaryComment);
}

void PgConnection::AddPrimaryKey(const QString& table, const QStringList& columns) { ExecDirect(PrimaryKey(table, columns)); }

// ---------------------------------------------------------------- SQL pieces

QString PgConnection::Quote(const QString& identifier) const
{
    QString s = identifier.toLower();
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString PgConnection::OrderTerm(const QString& quotedColumn, bool descending) const
{
    return quotedColumn + (descending ? QStringLiteral(" DESC NULLS LAST") : QStringLiteral(" NULLS FIRST"));
}

QStringList PgConnection::DeclTypes(const QSqlQuery& query) const
{
    QStringList types;
    const QSqlResult* result = query.result();
    if (!result)
        return types;
    const QVariant handle = result->handle();
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGresult*") != 0 && qstrcmp(handle.typeName(), "pg_result*") != 0))
        return types;
    const PGresult* res = *static_cast<PGresult* const*>(handle.constData());
    if (!res)
        return types;
    for (int i = 0; i < PQnfields(res); ++i) {
        const int modifier = PQfmod(res, i);
        switch (PQftype(res, i)) {
        case kVarChar:
        case kBpChar:
            types << (modifier > 4 ? QStringLiteral("VARCHAR(%1)").arg(modifier - 4) : QStringLiteral("TEXT"));
            break;
        case kText:
            types << QStringLiteral("TEXT");
            break;
        case kFloat4:
        case kFloat8:
        case kNumeric:
            types << QStringLiteral("DOUBLE");
            break;
        case kInt2:
            types << QStringLiteral("SMALLINT");
            break;
        case kInt4:
        case kInt8:
            types << QStringLiteral("INTEGER");
            break;
        case kBool:
            types << QStringLiteral("BOOLEAN");
            break;
        case kDate:
            types << QStringLiteral("DATE");
            break;
        case kTimestamp:
        case kTimestampTz:
            types << QStringLiteral("TIMESTAMP");
            break;
        default:
            types << QString();
        }
    }
    return types;
}

QString PgConnection::ResultName(const QString& name, const QString& sql) const
{
    // The server gives unquoted names in lower case; the field is named as the text
    // spells it ("D1.Cod_Grupa" gives "Cod_Grupa", "... AS Cant" gives "Cant").
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    for (auto it = word.globalMatch(sql); it.hasNext();) {
        QString token = it.next().captured();
        if (token.compare(name, Qt::CaseInsensitive) == 0)
            return token;
    }
    return name;
}

void PgConnection::Raise(const QSqlError& error) const
{
    // The driver's text is the server's whole error ("ERROR:  ...", then the state in
    // parentheses): the user sees the message itself.
    QString message = ClientErrorLine(error.databaseText());
    if (message.isEmpty())
        message = ClientErrorLine(error.driverText());
    static const QRegularExpression state(QStringLiteral("\\s*\\([0-9A-Z]{5}\\)$"));
    message.remove(state);
    if (message.isEmpty())
        message = dbmsg::UnknownEngineError();
    ThrowState(error.nativeErrorCode(), message);
}

} // namespace fw
