// The server's commit, whose outcome the program knows even when the reply is lost.
//
// A commit the server carried out but whose reply never arrived (the network or the
// server went away just then) would otherwise be reported as not saved, and the user,
// doing it again, would consume twice or raise prices twice. So the transaction's own
// identity is asked for before COMMIT leaves, and after a lost reply the server is asked,
// on a connection made again, what became of it: the engine keeps that for every
// transaction (txid_status), so nothing of the company's is written for it.

#include "platform/db/PgConnection.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"

#include <QSocketNotifier>
#include <QThread>

#include <libpq-fe.h>

namespace fw {

namespace {

PgConnection::TCommitInterruption& Interruption()
{
    static PgConnection::TCommitInterruption interruption;
    return interruption;
}

// How long the server process that ran the transaction is given to end once asked to.
constexpr int kOutcomeChecks = 100;
constexpr unsigned long kOutcomeWaitMs = 100;

} // namespace

void PgConnection::SetCommitInterruption(TCommitInterruption interruption) { Interruption() = std::move(interruption); }

void PgConnection::CommitKnowingOutcome(const QByteArray& text)
{
    // The transaction's identity, asked before COMMIT leaves. None for one that wrote
    // nothing (there is nothing to lose), or one a failed statement has doomed already.
    QByteArray xid;
    if (PQtransactionStatus(pg_) == PQTRANS_INTRANS) {
        PGresult* asked = PQexec(pg_, "SELECT txid_current_if_assigned()");
        if (PQresultStatus(asked) != PGRES_TUPLES_OK)
            ThrowResult(asked); // the connection went before COMMIT did: nothing was saved
        if (PQntuples(asked) == 1 && !PQgetisnull(asked, 0, 0))
            xid = PQgetvalue(asked, 0, 0);
        PQclear(asked);
    }
    const int serverProcess = backendPid_;
    if (Interruption())
        Interruption()(TCommitStage::BeforeSend, PQsocket(pg_), serverProcess);
    // The results of the deferred levels, then COMMIT's: the first failure is the one said.
    PGresult* outcome = nullptr;
    if (PQsendQuery(pg_, text.constData())) {
        if (Interruption())
            Interruption()(TCommitStage::AfterSend, PQsocket(pg_), serverProcess);
        while (PGresult* r = PQgetResult(pg_)) {
            if (outcome && PQresultStatus(outcome) != PGRES_COMMAND_OK) {
                PQclear(r);
                continue;
            }
            PQclear(outcome);
            outcome = r;
        }
    }
    if (outcome && PQresultStatus(outcome) == PGRES_COMMAND_OK) {
        // A commit of a transaction in which a statement failed is the server's rollback.
        const bool rolledBack = qstrcmp(PQcmdStatus(outcome), "ROLLBACK") == 0;
        PQclear(outcome);
        if (rolledBack)
            throw EDatabaseError(dbmsg::TransactionRolledBack());
        return;
    }
    // No answer of the server's (a failure of the connection has no SQL state, or one of
    // the connection's class): what became of the transaction is asked.
    const QByteArray state = outcome ? QByteArray(PQresultErrorField(outcome, PG_DIAG_SQLSTATE)) : QByteArray();
    const bool unanswered = state.isEmpty() || state.startsWith("08") || state.startsWith("57P");
    if (!xid.isEmpty() && (unanswered || PQstatus(pg_) == CONNECTION_BAD)) {
        PQclear(outcome);
        if (CommittedAfterLostReply(xid, serverProcess))
            return;
        throw EDatabaseError(dbmsg::ServerConnectionLost(Describe()));
    }
    ThrowResult(outcome);
}

bool PgConnection::CommittedAfterLostReply(const QByteArray& xid, int serverProcess)
{
    noticeWatch_.reset(); // its socket goes with the connection
    PQreset(pg_);
    if (PQstatus(pg_) != CONNECTION_OK)
        throw EDatabaseError(dbmsg::CommitOutcomeUnknown(Describe()));
    prepared_.clear();
    deferred_.clear();
    const QByteArray process = QByteArray::number(serverProcess);
    const auto ask = [&](const char* sql, int count) {
        const char* values[] = {xid.constData(), process.constData()};
        PGresult* r = PQexecParams(pg_, sql, count, nullptr, values, nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            PQclear(r);
            throw EDatabaseError(dbmsg::CommitOutcomeUnknown(Describe()));
        }
        QByteArray answer = PQntuples(r) == 1 && !PQgetisnull(r, 0, 0) ? QByteArray(PQgetvalue(r, 0, 0)) : QByteArray();
        PQclear(r);
        return answer;
    };
    try {
        SetUpSession();
    } catch (const EDatabaseError&) {
        throw EDatabaseError(dbmsg::CommitOutcomeUnknown(Describe()));
    }
    // What others committed meanwhile was not heard of.
    Touch();
    for (int check = 0; check < kOutcomeChecks; ++check) {
        const QByteArray status = ask("SELECT txid_status($1::bigint)", 1);
        if (status == "committed")
            return true;
        if (status != "in progress")
            return false; // aborted, or so old the server no longer knows: not this one's
        // Its server process has not noticed the lost connection yet: it is ended (a
        // commit under way completes first), if it is still the one running it.
        if (check == 0)
            ask("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid = $2::int AND "
                "backend_xid::text = ($1::bigint % 4294967296)::text",
                2);
        QThread::msleep(kOutcomeWaitMs);
    }
    throw EDatabaseError(dbmsg::CommitOutcomeUnknown(Describe()));
}

} // namespace fw
