#pragma once

// The engine behind the dataset layer: one open database file per directory, shared by
// every session of the process, with the few things that differ between engines kept here
// (transactions, table metadata, how a duplicate key is reported, declared column types).

#include "platform/db/Database.h"
#include "platform/db/Field.h"

#include <QHash>
#include <chrono>
#include <functional>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <vector>

namespace fw {

class EDatabaseError;

// One row of a result being read straight from the engine.
class NativeRow {
public:
    explicit NativeRow(void* statement) : statement_(statement) {}
    QVariant Value(int column) const; // null, qint64, double, QString or QByteArray
    qint64 Int(int column) const;

private:
    void* statement_;
};

struct ColumnInfo {
    QString name;
    QString declType;
    TFieldType type = TFieldType::Unknown;
    int size = 0;
    int pkPosition = 0; // 1-based position in the primary key, 0 when not part of it
};

class Connection final {
public:
    // The connection of a directory, opened on first use and shared while anyone holds it.
    // A missing file is made only with CreateMissing; otherwise EDatabaseError naming it.
    // `companyTables` (table names, with or without ".DB"): a file that was there must
    // hold at least one of them, else it is someone else's and is refused with
    // EDatabaseError naming it, untouched. A file is switched to WAL only once it is
    // known to be ours (made here, or found holding company tables). A file the user may
    // not write opens read-only, and every write through it is refused.
    static std::shared_ptr<Connection> Open(const QString& directory, TOpenMode mode = TOpenMode::Existing,
                                            const QStringList& companyTables = {});
    bool ReadOnly() const { return readOnly_; }
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& Directory() const { return directory_; }
    QSqlDatabase Database() const { return QSqlDatabase::database(name_, false); }

    // A prepared statement for the text, reused while the connection lives. Callers bind,
    // execute and call finish() when done reading.
    QSqlQuery& Prepared(const QString& sql);
    // Executes a statement with positional values; EDatabaseError on failure.
    void Exec(const QString& sql, const QVariantList& values = {});
    QSqlQuery& Run(const QString& sql, const QVariantList& values);
    // Runs a statement through the engine's own interface (the hot path of every table: no
    // per-value conversions of a general-purpose layer), one call per row it returns (a
    // SELECT, or the RETURNING list of a write). Returns the rows a write changed.
    int ForEachRow(const QString& sql, const QVariantList& values, const std::function<void(const NativeRow&)>& row);
    // Runs a query returning one number.
    qint64 ScalarInt(const QString& sql, const QVariantList& values);

    void Begin();
    void Commit();
    void Rollback();
    int TransactionDepth() const { return depth_; }

    // Table metadata; the name is matched without regard to case.
    QString StoredTableName(const QString& name); // empty when there is no such table
    std::vector<ColumnInfo> Columns(const QString& table);
    std::vector<QString> IndexSql(const QString& table);
    // The columns of each index of a table, in index order; the primary key counts as one.
    std::vector<QStringList> IndexColumns(const QString& table);

    // Declared types of a prepared statement's result columns.
    static QStringList DeclTypes(const QSqlQuery& query);
    static QString Quote(const QString& identifier);

    // Converts an engine error into the dataset layer's error, naming a duplicate key as
    // a key violation.
    [[noreturn]] static void Raise(const QSqlError& error, const QString& context = {});
    static bool IsKeyViolation(const QSqlError& error);

    // The hidden column that identifies a row whatever its values and keys, and the
    // comparison that holds when two values are equal or both null.
    static QString RowIdColumn() { return QStringLiteral("rowid"); }
    static QString NullSafeEqual() { return QStringLiteral(" IS "); }
    // A condition that holds when a column still stores the value the dataset layer read
    // from it (bound as ToSqlValue(type, value)), read the way the layer reads it.
    static QString StoredValueIs(const QString& quotedColumn, TFieldType type);
    // A column's declaration in CREATE TABLE. A lone integer key column is declared so
    // that it does not become the row identity (its value may be edited; the identity
    // must stay).
    static QString ColumnDeclaration(const QString& name, const QString& declType, bool lonePrimaryKey);

    // Counts that move whenever rows may have changed, so that cached rows are read again:
    // Generation() moves with every write through this connection that names no table,
    // every rollback, and every commit of another connection (asked of the engine at most
    // every kPollInterval); TableGeneration() besides with the writes that name the table.
    static constexpr std::chrono::milliseconds kPollInterval{200};
    quint64 Generation();
    quint64 TableGeneration(const quint64* tableCounter) { return Generation() + *tableCounter; }
    // The write count of one table (the name as stored); the pointer lives as long as the connection.
    const quint64* TableCounter(const QString& table);
    void Touch() { ++generation_; }
    void Touch(const QString& table) { ++tableWrites_[table.toLower()]; }

private:
    Connection(QString directory, QString connectionName);
    static std::shared_ptr<Connection> Connect(const QString& directory, const QString& file, bool create);
    bool HoldsAnyTable(const QStringList& names);
    void UseWal();

    QString directory_;
    QString name_;
    QHash<QString, QSqlQuery*> statements_;
    QHash<QString, void*> native_; // prepared engine statements by text
    void* NativeHandle() const;
    // Throws the engine's last error on that handle as a database error.
    [[noreturn]] void ThrowEngineError(void* handle) const;
    void ExecControl(const QString& sql);
    int depth_ = 0;
    quint64 generation_ = 0;
    bool readOnly_ = false;
    std::map<QString, quint64> tableWrites_; // nodes stay where they are: counters are handed out by address
    qint64 dataVersion_ = -1;
    std::chrono::steady_clock::time_point lastPoll_{};
};

// Type and size from a declared column type ("VARCHAR(30)", "DOUBLE", "DATE").
ColumnInfo ParseDeclType(const QString& declType);
QString SqlTypeName(TFieldType type, int size);
// Value as it is bound or compared in SQL, and back.
QVariant ToSqlValue(TFieldType type, const QVariant& value);
QVariant FromSqlValue(TFieldType type, const QVariant& value);
bool SameFamily(TFieldType a, TFieldType b);
// Equality as the dataset layer searches: null equals only null, text byte-wise.
bool SameValue(const QVariant& a, const QVariant& b);

} // namespace fw
