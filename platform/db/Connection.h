#pragma once

// The engine behind the dataset layer: one open database per company directory, shared by
// every session of the process. A directory holds either an SQLite file (`tables.sqlite`)
// or a connection file naming a PostgreSQL database (`firma.pgsql`); everything above this
// class is the same for both. What differs between the engines lives in the two engine
// classes behind it (SqliteConnection, PgConnection): how rows are read and written, how
// names are spelt, the row identity, transactions and locks, metadata, errors, and how the
// commits of other programs are noticed.

#include "platform/db/Database.h"
#include "platform/db/Field.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace fw {

class EDatabaseError;
class TBulkCopy;

enum class TEngine { SQLite, PostgreSQL };

// One row of a result being read straight from the engine.
class NativeRow {
public:
    // Null, qint64, double, QString, QDate/QDateTime (a server's dates) or QByteArray.
    virtual QVariant Value(int column) const = 0;
    // The value exactly as stored, to be compared with what is stored later: Value() where
    // that gives it back, else the engine's own text of it (TEngineText, StoredValue.h).
    // Written over `into`, whose text keeps its buffer where it can take the new one: a
    // walk reads every row into a record the cursor let go (no allocation per value).
    // Returns the type written (QVariant::typeId), which a reader would otherwise ask again.
    virtual int Stored(int column, QVariant& into) const = 0;
    QVariant Stored(int column) const
    {
        QVariant v;
        Stored(column, v);
        return v;
    }
    virtual qint64 Int(int column) const = 0;

protected:
    ~NativeRow() = default;
};

// One statement of a batch: its text and positional values.
struct TStatement {
    QString sql;
    QVariantList values;
};

// A write of one row (an UPDATE by the row's identity, or an INSERT) with the row read back
// as stored afterwards, in the columns of a table's select list. `returning` is the write
// with that list as its result; `write` and `readBack` (the list's SELECT of the row by its
// identity, one value) the same in two statements, for an engine that runs those cheaper;
// empty where the identity may move with the write (an update of a key that is the engine's
// row number). `identity`: the index among an update's values of the row's identity; -1 for
// an insert, whose row is the one the engine inserted last.
struct TRowWrite {
    QString returning;
    QString write;
    QString readBack;
    int identity = -1;
};

// Statements inserting `rows` into `table`, each row its values of `columns` in that order,
// many rows to a statement (a table's statement-level work, a server's notice of changes
// among it, then runs once for them all). Empty without rows.
std::vector<TStatement> InsertStatements(const QString& table, const QStringList& columns,
                                         const std::vector<QVariantList>& rows);

struct ColumnInfo {
    QString name;
    QString declType;
    TFieldType type = TFieldType::Unknown;
    int size = 0;
    int pkPosition = 0; // 1-based position in the primary key, 0 when not part of it
};

// A column as a table is created with it: the declared type is the layer's own spelling
// ("VARCHAR(30)", "DOUBLE", "DATE"), which each engine turns into its own.
struct TColumnDef {
    QString name;
    QString declType;
    bool required = false;
};

class Connection {
public:
    // The connection of a directory, opened on first use and shared while anyone holds it.
    // A missing database (no file, no schema on the server) is made only with
    // CreateMissing; otherwise EDatabaseError naming it. `companyTables` (table names,
    // with or without ".DB"): a database that was there must hold at least one of them,
    // else it is someone else's and is refused with EDatabaseError naming it, untouched.
    // A database the user may not write opens read-only, and every write through it is
    // refused.
    static std::shared_ptr<Connection> Open(const QString& directory, TOpenMode mode = TOpenMode::Existing,
                                            const QStringList& companyTables = {});
    // Whether a directory names a database (its file, or its connection file), without
    // connecting.
    static bool HasDatabase(const QString& directory);
    // The directories whose databases are open in this process (as Directory() spells them).
    static QStringList OpenDirectories();

    virtual ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    virtual TEngine Engine() const = 0;
    bool ReadOnly() const { return readOnly_; }
    const QString& Directory() const { return directory_; }
    // What the user is told the database is: its file, or the server's database.
    virtual QString Describe() const = 0;
    // The QtSql connection, for statements that read results through QtSql (queries).
    QSqlDatabase Database() const { return QSqlDatabase::database(name_, false); }
    // Sends what the connection deferred (a server's savepoints) before a statement that
    // goes past it, through the QtSql connection.
    virtual void SendDeferred() {}

    // Executes a statement with positional values; EDatabaseError on failure.
    void Exec(const QString& sql, const QVariantList& values = {});
    // Runs a statement through the engine's own interface (the hot path of every table: no
    // per-value conversions of a general-purpose layer), one call per row it returns (a
    // SELECT, or the RETURNING list of a write). Returns the rows a write changed.
    virtual int ForEachRow(const QString& sql, const QVariantList& values,
                           const std::function<void(const NativeRow&)>& row) = 0;
    // Runs a write of one row (TRowWrite) and gives `row` the row as stored afterwards, once
    // if it was written; returns the rows written (0 or 1). The write and its read are one
    // transaction: the row given is what this write left.
    virtual int WriteRow(const TRowWrite& statement, const QVariantList& values,
                         const std::function<void(const NativeRow&)>& row)
    {
        return ForEachRow(statement.returning, values, row);
    }
    // Runs statements in turn as ForEachRow runs each, sent together where the engine can
    // take them so (a server's pipeline: one round trip for many); each one's rows go to
    // `row` with its index in the batch. Returns the rows each one wrote. The first to fail
    // is thrown and those after it are not run. Meant for a transaction, which decides
    // about those before it (a server runs a pipeline outside one as one transaction).
    virtual std::vector<int> ForEachRowOf(const std::vector<TStatement>& batch,
                                          const std::function<void(size_t, const NativeRow&)>& row);
    // Runs a query returning one number.
    qint64 ScalarInt(const QString& sql, const QVariantList& values);
    // Appends rows to `table` in bulk, each row its values of `columns` in that order
    // (TBulkCopy): statements of many rows each, or the engine's own way of taking many
    // rows at once. Meant for a transaction, which decides about the rows written.
    virtual std::unique_ptr<TBulkCopy> BulkCopy(const QString& table, const QStringList& columns);

    // Transactions; nested levels are savepoints. The outermost level is where another
    // user's writes are waited for.
    void Begin();
    void Commit();
    void Rollback();
    int TransactionDepth() const { return depth_; }
    // Counts the outermost transactions begun: rows read under a lock are known to be
    // locked only while the transaction they were read in lasts.
    quint64 TransactionSerial() const { return transactionSerial_; }

    // Table metadata; the name is matched without regard to case.
    virtual QString StoredTableName(const QString& name) = 0; // empty when there is no such table
    virtual QStringList TableNames() = 0; // every table, as stored
    // The columns a dataset sees (never the hidden row identity).
    virtual std::vector<ColumnInfo> Columns(const QString& table) = 0;
    // The statements that made the secondary indexes of a table.
    virtual std::vector<QString> IndexSql(const QString& table) = 0;
    // The columns of each index of a table over all its rows, in index order; the primary
    // key counts as one. An index of some rows only (see CreateIndex) is not among them.
    virtual std::vector<QStringList> IndexColumns(const QString& table) = 0;
    // Whether the table has an index of that name holding only the rows of a condition.
    virtual bool HasPartialIndex(const QString& table, const QString& index) = 0;

    // Structure. A table is made with its primary key (column names, empty for none); the
    // engine adds what it needs besides (a row identity, a notice of changes).
    virtual void CreateTable(const QString& name, const std::vector<TColumnDef>& columns, const QStringList& primaryKey) = 0;
    // An index of the rows meeting `condition` (an SQL condition on the table's columns,
    // fixed text of the program's own) holds only those; an empty one, every row.
    virtual void CreateIndex(const QString& table, const QString& index, const QStringList& columns, bool unique,
                             bool descending, const QString& condition) = 0;
    // Gives an existing table a primary key; inside a transaction, so that a duplicate key
    // leaves the table as it was.
    virtual void AddPrimaryKey(const QString& table, const QStringList& columns) = 0;
    void DropTable(const QString& table);

    // Pieces of SQL as this engine spells them.
    virtual QString Quote(const QString& identifier) const = 0;
    // A name written in double quotes in a fixed SQL text, as the engine must be given it.
    virtual QString QuotedName(const QString& name) const = 0;
    // The hidden column that identifies a row whatever its values and keys, and the
    // comparison that holds when two values are equal or both null.
    virtual QString RowIdColumn() const = 0;
    virtual QString NullSafeEqual() const = 0;
    // An order term: nulls come before every value going up (after them going down).
    virtual QString OrderTerm(const QString& quotedColumn, bool descending) const = 0;
    // What a SELECT ends with to lock the rows it reads until the transaction ends; empty
    // where the outermost transaction already keeps every other writer out.
    virtual QString LockRowsClause() const = 0;
    // Declared types of a prepared QtSql statement's result columns.
    virtual QStringList DeclTypes(const QSqlQuery& query) const = 0;
    // The name of a result column as the SQL text spells it (a server folds unquoted
    // names to lower case).
    virtual QString ResultName(const QString& name, const QString& sql) const { Q_UNUSED(sql); return name; }

    // Converts a QtSql error into the dataset layer's error, naming a duplicate key as a
    // key violation.
    [[noreturn]] virtual void Raise(const QSqlError& error) const = 0;

    // Counts that move whenever rows may have changed, so that cached rows are read again:
    // Generation() moves with every write through this connection that names no table,
    // every rollback, and every commit of another connection (noticed at most every
    // kPollInterval); TableGeneration() besides with the writes that name the table.
    static constexpr std::chrono::milliseconds kPollInterval{200};
    quint64 Generation();
    quint64 TableGeneration(const quint64* tableCounter) { return Generation() + *tableCounter; }
    // The write count of one table (the name as stored); the pointer lives as long as the connection.
    const quint64* TableCounter(const QString& table);
    void Touch() { ++generation_; }
    void Touch(const QString& table) { ++tableWrites_[table.toLower()]; }
    // A count that moves with every change to the stored rows, by this connection (through
    // any statement) or by any other, where the engine keeps one; none where it does not.
    // Without `refresh` it is the count as the last statement found it (no work); with it
    // the engine is asked first about other programs' commits (one short statement).
    virtual std::optional<quint64> StoredVersion(bool refresh) { Q_UNUSED(refresh); return std::nullopt; }

protected:
    Connection(QString directory, QString connectionName);
    const QString& ConnectionName() const { return name_; }
    // Runs a statement without values and without keeping it prepared (DDL, settings);
    // true when it may have changed rows.
    virtual bool ExecDirect(const QString& sql) = 0;
    // Transaction control; the engine's own words for each step.
    virtual void ExecControl(const QString& sql) = 0;
    virtual QString BeginStatement() const = 0;
    // Whether the engine still has a transaction open (a failed commit may have ended it).
    virtual bool InTransaction() = 0;
    virtual void AfterCommit() {}
    // Notices the commits of other programs since last asked (Touch/Touch(table)).
    virtual void PollOtherCommits() = 0;
    // Prepared statements are kept per text; a change of structure lets them go.
    virtual void ForgetStatements() {}
    // Closes what the QtSql connection holds and removes it.
    void CloseDatabase();
    // Called once the database is known to be a company's (made here, or found holding
    // company tables), before anyone uses it.
    virtual void Claim() {}

    bool readOnly_ = false;
    int depth_ = 0;

private:
    QString directory_;
    QString name_;
    quint64 generation_ = 0;
    quint64 transactionSerial_ = 0;
    std::map<QString, quint64> tableWrites_; // nodes stay where they are: counters are handed out by address
    std::chrono::steady_clock::time_point lastPoll_{};
};

// Type and size from a declared column type ("VARCHAR(30)", "DOUBLE", "DATE"; also a
// server's own spelling, "character varying(30)", "double precision").
ColumnInfo ParseDeclType(const QString& declType);
QString SqlTypeName(TFieldType type, int size);
// Value as it is bound or compared in SQL, and back.
QVariant ToSqlValue(TFieldType type, const QVariant& value);
QVariant FromSqlValue(TFieldType type, const QVariant& value);
bool SameFamily(TFieldType a, TFieldType b);
// Equality as the dataset layer searches: null equals only null, text byte-wise.
bool SameValue(const QVariant& a, const QVariant& b);

} // namespace fw
