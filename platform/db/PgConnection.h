#pragma once

// The multi-workstation engine: a company's tables in one schema of a PostgreSQL
// database, named by the connection file of its directory (internal to the dataset layer;
// everyone else goes through Connection).
//
// QtSql's QPSQL driver makes the connection and runs the queries read through QtSql; the
// layer's own statements (block reads, row writes, metadata, transactions) go straight to
// libpq on the driver's connection, prepared once per text.
//
// What it keeps the same as the embedded engine:
// - names: tables, columns and indexes are made in lower case, so that the fixed SQL
//   texts, which spell names unquoted in any case, find them; the spelling a column was
//   made with is kept in its comment and is the field's name;
// - order: text columns compare byte by byte (COLLATE "C"), nulls come first, and every
//   index ends in the row identity, so that ordered block reads are index seeks;
// - row identity: a hidden column `fw_rowid` (an identity never handed out twice);
// - other users: every table notifies its changes on commit (a statement trigger and
//   NOTIFY), which the connection hears without asking the server;
// - arithmetic: a number divided by zero is null (an operator of the company's schema,
//   which stands before the server's own in the search path).

#include "platform/db/Connection.h"
#include "platform/db/ServerDatabase.h"

#include <QHash>

#include <functional>
#include <memory>

class QSocketNotifier;

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace fw {

class PgConnection final : public Connection {
public:
    // The database a connection file names. The schema is made only with CreateMissing
    // (and then `created` is set, as for an empty one); otherwise a missing schema is
    // EDatabaseError naming it. A server that cannot be reached is EDatabaseError.
    static std::shared_ptr<Connection> Connect(const QString& directory, const TServerDatabase& server, TOpenMode mode,
                                               bool& created);
    ~PgConnection() override;

    TEngine Engine() const override { return TEngine::PostgreSQL; }
    QString Describe() const override { return server_.Describe(); }
    int ForEachRow(const QString& sql, const QVariantList& values, const std::function<void(const NativeRow&)>& row) override;
    std::vector<int> ForEachRowOf(const std::vector<TStatement>& batch,
                                  const std::function<void(size_t, const NativeRow&)>& row) override;
    // The server's COPY, a chunk of rows at a time (PgCopy.cpp).
    std::unique_ptr<TBulkCopy> BulkCopy(const QString& table, const QStringList& columns) override;

    QString StoredTableName(const QString& name) override;
    QStringList TableNames() override;
    std::vector<ColumnInfo> Columns(const QString& table) override;
    std::vector<QString> IndexSql(const QString& table) override;
    std::vector<QStringList> IndexColumns(const QString& table) override;
    bool HasPartialIndex(const QString& table, const QString& index) override;

    void CreateTable(const QString& name, const std::vector<TColumnDef>& columns, const QStringList& primaryKey) override;
    void CreateIndex(const QString& table, const QString& index, const QStringList& columns, bool unique,
                     bool descending, const QString& condition) override;
    void AddPrimaryKey(const QString& table, const QStringList& columns) override;
    // Adds a column, empty in every row, to an existing table (fw::AddColumn).
    void AddColumn(const QString& table, const TColumnDef& column);

    QString Quote(const QString& identifier) const override;
    QString QuotedName(const QString& name) const override { return name.toLower(); }
    QString RowIdColumn() const override { return QStringLiteral("fw_rowid"); }
    QString NullSafeEqual() const override { return QStringLiteral(" IS NOT DISTINCT FROM "); }
    QString OrderTerm(const QString& quotedColumn, bool descending) const override;
    QString LockRowsClause() const override { return QStringLiteral(" FOR UPDATE"); }
    QStringList DeclTypes(const QSqlQuery& query) const override;
    QString ResultName(const QString& name, const QString& sql) const override;
    [[noreturn]] void Raise(const QSqlError& error) const override;

    // The server's type of a layer's declared type ("DOUBLE" -> "DOUBLE PRECISION", text
    // compared byte by byte).
    static QString ServerType(const QString& declType);

    // Where a test cuts a connection around a commit: called before COMMIT is sent and
    // after it was sent but before its reply is read, with the connection's socket and
    // its server process. None in the program.
    enum class TCommitStage { BeforeSend, AfterSend };
    using TCommitInterruption = std::function<void(TCommitStage stage, int socket, int serverProcess)>;
    static void SetCommitInterruption(TCommitInterruption interruption);

protected:
    bool ExecDirect(const QString& sql) override;
    void ExecControl(const QString& sql) override;
    void SendDeferred() override;
    QString BeginStatement() const override { return QStringLiteral("BEGIN"); }
    bool InTransaction() override;
    void PollOtherCommits() override;
    void ForgetStatements() override;
    void Claim() override;

private:
    PgConnection(QString directory, QString connectionName, TServerDatabase server);
    // Settings of the session, made again after the connection was reset.
    void SetUpSession();
    // A lost connection is made again before the next statement, when no transaction
    // was open (one that was is gone with it).
    void Reconnect();
    // Sends `text` (the deferred levels, then COMMIT) and reads its outcome. When the
    // connection is lost before the reply arrives, the server is asked on a new connection
    // whether the transaction committed: returns when it did; "not saved" when it did not;
    // "outcome unknown" when the server cannot be asked.
    void CommitKnowingOutcome(const QByteArray& text);
    // Whether transaction `xid` (as txid_current gives it) committed, asked on the
    // connection made again; the server process that ran it is ended first when it has
    // not noticed the lost connection yet.
    bool CommittedAfterLostReply(const QByteArray& xid, int serverProcess);
    // Reads the announcements waiting in the connection's input into the tables' write
    // counts, which hold one pending change per table however many were announced.
    void DrainNotices();
    // While the program waits for its user, announcements are read as they arrive (where
    // the thread has an event loop): an idle workstation would otherwise leave them
    // waiting in its input, and the server's queue behind them, until it reads again.
    void WatchNotices();
    // A result the statement did not succeed with, as the layer's error; frees it.
    [[noreturn]] void ThrowResult(PGresult* result) const;
    [[noreturn]] void ThrowState(const QString& state, const QString& message) const;
    // A value as text the server reads back exactly, appended to `out`: numbers in their
    // shortest exact form whatever the locale, dates in ISO form, text in UTF-8. Not null.
    static void AppendValueText(QByteArray& out, const QVariant& value);
    class TServerCopy;
    struct TBoundValues;
    // A statement as a pipeline sends it: prepared under `name` first where `prepare`.
    struct TCall {
        QByteArray name;
        const QString* sql;
        bool prepare;
        const TBoundValues* values;
    };
    // The name a statement's text is prepared under; `prepare` where it is not yet.
    QByteArray StatementName(const QString& sql, bool& prepare);
    PGresult* Run(const QString& sql, const QVariantList& values);
    // The deferred savepoints, then each statement (prepared first where its text is new),
    // in one round trip (libpq's pipeline); the statements' results, in order. The first
    // request that failed is thrown.
    std::vector<PGresult*> RunPipeline(const std::vector<TCall>& calls);
    // Statements of a table's structure.
    QString Comment(const QString& what, const QString& text) const;
    QString IndexStatement(const QString& table, const QString& index, const QStringList& columns, bool unique,
                           bool descending, const QString& condition) const;
    QString PrimaryKey(const QString& table, const QStringList& columns) const;
    QString ChangeTrigger(const QString& table);
    // What the company's schema holds besides its tables: the notice of changes and the
    // division of the embedded engine.
    void EnsureSchemaObjects();
    std::vector<std::pair<QStringList, bool>> Indexes(const QString& table, QStringList* primary);

    PGconn* pg_ = nullptr;
    TServerDatabase server_;
    QString schema_;
    int backendPid_ = 0;
    int statementSerial_ = 0;
    QHash<QString, QByteArray> prepared_; // statement names by text
    // A nested level's SAVEPOINT and RELEASE wait for the next statement and go with it:
    // every row written inside a transaction has a level of its own, and each of them
    // would otherwise cost a round trip.
    QByteArrayList deferred_;
    bool schemaObjectsChecked_ = false;
    std::unique_ptr<QSocketNotifier> noticeWatch_;
};

} // namespace fw
