// The integrity check of a company kept on a server: every row of every table is read
// whole (a page the server cannot read is an error it reports), and where the database has
// the server's "amcheck" extension, every index of the table is checked against it. On a
// connection of its own, read-only, so that it may run on a thread of its own.
#include "platform/db/IntegrityCheck.h"

#include "platform/db/DbMessages.h"
#include "platform/db/EngineSupport.h"
#include "platform/db/ServerDatabase.h"

#include <QByteArray>
#include <libpq-fe.h>
#include <poll.h>
#include <utility>
#include <vector>

namespace fw {

namespace {

class TServerReader {
public:
    explicit TServerReader(const TServerDatabase& server)
    {
        // Every keyword of the company's connection, the same server as the company's own.
        std::vector<QByteArray> texts{QByteArrayLiteral("connect_timeout"), QByteArrayLiteral("10")};
        for (const auto& [key, value] : server.Parameters()) {
            if (key == QLatin1String("connect_timeout"))
                texts.erase(texts.begin(), texts.begin() + 2);
            texts.push_back(key.toUtf8());
            texts.push_back(value.toUtf8());
        }
        std::vector<const char*> keys, values;
        for (size_t i = 0; i + 1 < texts.size(); i += 2) {
            keys.push_back(texts[i].constData());
            values.push_back(texts[i + 1].constData());
        }
        keys.push_back(nullptr);
        values.push_back(nullptr);
        pg_ = PQconnectdbParams(keys.data(), values.data(), 0);
    }
    ~TServerReader() { PQfinish(pg_); }
    TServerReader(const TServerReader&) = delete;
    TServerReader& operator=(const TServerReader&) = delete;

    QString Error() const { return QString::fromUtf8(PQerrorMessage(pg_)).trimmed(); }
    bool Connected() const { return PQstatus(pg_) == CONNECTION_OK; }

    // Runs a statement and hands over each row; while the server works, `keepGoing` is
    // asked now and then, and false cancels the statement. False on an error or a cancel.
    bool Each(const QString& sql, const std::function<void(PGresult*, int row)>& row,
              const std::function<bool()>& keepGoing = {})
    {
        cancelled_ = false;
        if (!PQsendQuery(pg_, sql.toUtf8().constData()))
            return false;
        while (PQisBusy(pg_)) {
            pollfd fd{PQsocket(pg_), POLLIN, 0};
            poll(&fd, 1, 100);
            if (!PQconsumeInput(pg_))
                break;
            if (keepGoing && !cancelled_ && !keepGoing()) {
                cancelled_ = true;
                if (PGcancel* cancel = PQgetCancel(pg_)) {
                    char why[256];
                    PQcancel(cancel, why, sizeof why);
                    PQfreeCancel(cancel);
                }
            }
        }
        bool ok = true;
        while (PGresult* result = PQgetResult(pg_)) {
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_TUPLES_OK) {
                for (int i = 0; row && i < PQntuples(result); ++i)
                    row(result, i);
            } else if (status != PGRES_COMMAND_OK) {
                ok = false;
                lastError_ = QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
            }
            PQclear(result);
        }
        return ok && !cancelled_;
    }
    bool Cancelled() const { return cancelled_; }
    const QString& LastError() const { return lastError_; }
    QString Quote(const QString& name) const
    {
        const QByteArray utf8 = name.toUtf8();
        char* quoted = PQescapeIdentifier(pg_, utf8.constData(), size_t(utf8.size()));
        QString out = QString::fromUtf8(quoted);
        PQfreemem(quoted);
        return out;
    }

private:
    PGconn* pg_ = nullptr;
    bool cancelled_ = false;
    QString lastError_;
};

QString Text(PGresult* result, int row, int column) { return QString::fromUtf8(PQgetvalue(result, row, column)); }

} // namespace

TIntegrityReport CheckServerIntegrity(const TServerDatabase& server, const TIntegrityProgress& progress)
{
    TIntegrityReport report;
    TServerReader db(server);
    if (!db.Connected()) {
        report.Problems << dbmsg::ServerUnreachable(server.Describe(), ClientErrorLine(db.Error()));
        return report;
    }
    // A server gone meanwhile is told as such, not in the client's words.
    auto failure = [&] { return db.Connected() ? db.LastError() : dbmsg::ServerConnectionLost(server.Describe()); };
    const QString schema = db.Quote(server.SchemaName());
    db.Each(QStringLiteral("SET search_path TO %1, pg_catalog; SET default_transaction_read_only TO on").arg(schema), {});
    // The tables, each weighed by the server's estimate of its rows.
    std::vector<TTableToCheck> tables;
    std::vector<qint64> oids;
    if (!db.Each(QStringLiteral("SELECT c.relname, greatest(c.reltuples, 1)::bigint, c.oid FROM pg_class c "
                                "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                                "AND c.relkind IN ('r', 'p') ORDER BY c.relname"),
                 [&](PGresult* r, int i) {
                     tables.push_back({Text(r, i, 0), Text(r, i, 1).toLongLong()});
                     oids.push_back(Text(r, i, 2).toLongLong());
                 })) {
        report.Problems << failure();
        return report;
    }
    bool indexCheck = false;
    db.Each(QStringLiteral("SELECT 1 FROM pg_extension WHERE extname = 'amcheck'"), [&](PGresult*, int) { indexCheck = true; });
    return CheckTables(tables, progress, [&](const TTableToCheck& table, const std::function<bool()>& keepGoing) {
        TTableCheckResult result;
        const qint64 oid = oids[size_t(&table - tables.data())];
        bool ran = db.Each(QStringLiteral("SELECT sum(length(t::text)) FROM %1 t").arg(db.Quote(table.Name)), {}, keepGoing);
        if (ran && indexCheck)
            ran = db.Each(QStringLiteral("SELECT bt_index_check(i.indexrelid) FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid "
                                         "JOIN pg_am a ON a.oid = c.relam WHERE i.indrelid = %1 AND a.amname = 'btree'")
                              .arg(oid),
                          {}, keepGoing);
        result.Stopped = db.Cancelled();
        if (!ran && !result.Stopped)
            result.Findings << QStringLiteral("%1: %2").arg(table.Name, failure());
        return result;
    });
}

} // namespace fw
