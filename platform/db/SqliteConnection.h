#pragma once

// The embedded engine: the tables of a directory in one SQLite file inside it (internal
// to the dataset layer; everyone else goes through Connection).

#include "platform/db/Connection.h"
#include "platform/db/RowWrite.h"

#include <QHash>

#include <memory>

namespace fw {

class SqliteConnection final : public Connection {
public:
    // The file of a directory (canonical path); made only with CreateMissing, and then
    // `created` is set. A file the user may not write opens read-only.
    static std::shared_ptr<Connection> Connect(const QString& directory, TOpenMode mode, bool& created);
    ~SqliteConnection() override;

    TEngine Engine() const override { return TEngine::SQLite; }
    QString Describe() const override;
    int ForEachRow(const QString& sql, const QVariantList& values, const std::function<void(const NativeRow&)>& row) override;
    int WriteRow(const TRowWrite& statement, const QVariantList& values,
                 const std::function<void(const NativeRow&)>& row) override;
    // An update alone where the engine stores what it binds as bound (fw::WriteUpdate).
    int WriteUpdate(const TRowWrite& statement, const TRowLayout& layout, const QVariantList& values,
                    const std::function<void(const NativeRow&)>& row);

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
    QString QuotedName(const QString& name) const override { return name; }
    QString RowIdColumn() const override { return QStringLiteral("rowid"); }
    QString NullSafeEqual() const override { return QStringLiteral(" IS "); }
    QString OrderTerm(const QString& quotedColumn, bool descending) const override;
    QString LockRowsClause() const override { return QString(); }
    QStringList DeclTypes(const QSqlQuery& query) const override;
    [[noreturn]] void Raise(const QSqlError& error) const override;

protected:
    bool ExecDirect(const QString& sql) override;
    void ExecControl(const QString& sql) override;
    QString BeginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    bool InTransaction() override;
    void PollOtherCommits() override;
    std::optional<quint64> StoredVersion(bool refresh) override;
    void Claim() override;

private:
    SqliteConnection(QString directory, QString connectionName) : Connection(std::move(directory), std::move(connectionName)) {}
    static std::shared_ptr<SqliteConnection> Attempt(const QString& directory, const QString& file, bool create);
    QString File() const;
    void* NativeHandle() const;
    // Throws the engine's last error on that handle as a database error.
    [[noreturn]] void ThrowEngineError(void* handle) const;
    QString ColumnDeclaration(const QString& name, const QString& declType, bool lonePrimaryKey) const;

    // The engine's statement of a text, prepared once and kept.
    void* Prepared(const QString& sql);
    // What a table lets the engine store otherwise than bound (SqliteRowWrite.cpp).
    struct AsBound;
    std::shared_ptr<const AsBound> LearnAsBound(const TRowLayout& layout, int recompiled);

    mutable void* handle_ = nullptr; // the engine's connection, found once
    QHash<QString, void*> native_; // prepared engine statements by text
    // Per update statement run alone, what its table let through when learnt; learnt again
    // when the engine recompiled the statement since (a change of the schema, whoever made it).
    QHash<void*, std::shared_ptr<const AsBound>> asBound_;
    qint64 dataVersion_ = -1;
};

} // namespace fw
