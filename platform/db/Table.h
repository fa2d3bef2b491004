#pragma once

#include "platform/db/DataSet.h"
#include "platform/db/Database.h"

#include <QFlags>

namespace fw {

class Connection;
class TSession;
class TMasterLink;
struct Sql;

enum class TIndexOption { Primary = 1, Unique = 2, Descending = 4 };
Q_DECLARE_FLAGS(TIndexOptions, TIndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TIndexOptions)

struct TFieldDef {
    QString Name;
    TFieldType DataType = TFieldType::String;
    int Size = 0;
    bool Required = false;
};

struct TIndexDef {
    QString Name; // empty for the primary index
    QString Fields; // "Cod;Cod_MatPrim"
    TIndexOptions Options;
    QString Condition = {}; // the rows it holds, an SQL condition; empty: every row
};

// A table of a database, named by its file name ("Reteta.DB" is the table Reteta; case
// does not matter). Its rows come in the order of IndexFieldNames, or in primary order
// (the primary key, else insertion order). Rows are read in blocks as the cursor moves:
// opening, a key search or an append never reads the whole table.
class TTable final : public TDataSet {
public:
    explicit TTable(QObject* owner = nullptr);
    ~TTable() override;

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name) { databaseName_ = name; }
    const QString& TableName() const { return tableName_; }
    void SetTableName(const QString& name) { tableName_ = name; }
    TSession* Session() const;
    void SetSession(TSession* session) { session_ = session; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // Rows read to decide a write (a counter, a lot's quantity): every row this table
    // reads while its connection is in a transaction stays locked until the transaction
    // ends, so that another user who wants it waits and then sees what was written. A
    // record being edited is read again under the lock when the edit begins. Nothing
    // changes on an engine whose transactions already keep every other writer out.
    bool ReadForUpdate() const { return readForUpdate_; }
    void SetReadForUpdate(bool lock) { readForUpdate_ = lock; }

    // The order: field names separated by ";". May change while open (the current record stays).
    const QString& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const QString& names);

    // Master-detail: only rows whose leading order fields equal the master's fields show;
    // a new row takes the master's values.
    TDataSource* MasterSource() const { return masterSource_; }
    void SetMasterSource(TDataSource* source);
    const QString& MasterFields() const { return masterFields_; }
    void SetMasterFields(const QString& fields);

    // Exact search on the leading fields of the current order; moves when found.
    bool FindKey(const QVariantList& values);
    // Moves to the first record at or after the key (the last record when none is).
    void FindNearest(const QVariantList& values);

    // Structure.
    std::vector<TFieldDef> FieldDefs;
    std::vector<TIndexDef> IndexDefs;
    bool Exists();
    // Creates the table from FieldDefs (or the declared data fields) and IndexDefs.
    void CreateTable();
    void DeleteTable();
    void EmptyTable();
    void AddIndex(const QString& name, const QString& fields, TIndexOptions options, const QString& condition = {});
    // True when an index of the table (its key included) begins with these fields.
    bool HasIndexOn(const QString& fields);
    // Whether the table has the index of that name holding only the rows of a condition.
    bool HasPartialIndex(const QString& name);

    // The SQL name of the table and the connection it lives on (open datasets only).
    QString SqlTableName() const;
    std::shared_ptr<Connection> GetConnection() const { return connection_; }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    std::vector<TRecord> FetchFirst(int count) override;
    std::vector<TRecord> FetchLast(int count) override;
    std::vector<TRecord> FetchAfter(const TRecord& record, int count) override;
    std::vector<TRecord> FetchBefore(const TRecord& record, int count) override;
    std::optional<TRecord> FetchById(TBookmark id) override;
    std::vector<TRecord> FetchAt(int position, int count) override;
    int CountAll() override;
    int CountBefore(const TRecord& record) override;
    std::vector<TRecord> FetchMatching(const std::vector<TField*>& fields, const QVariantList& values, int offset,
                                       int limit) override;
    std::vector<TRecord> FetchNearest(const std::vector<TField*>& fields, const QVariantList& values,
                                      int limit) override;
    bool InternalCanModify() const override { return !readOnly_; }
    std::optional<TBookmark> InternalPost(const TRecord& record, const TRecord* old,
                                          const std::vector<bool>& changed) override;
    bool InternalDelete(const TRecord& record) override;
    std::unique_ptr<TTransaction> BeginWrite() override;
    quint64 DataGeneration() override;
    bool HoldsRowsRead() const override;
    std::optional<quint64> StoredVersion() override;
    std::optional<quint64> TakeReadVersion() override;
    std::optional<TRecord> TakeWrittenRecord() override;
    void InitNewRecord() override;

public:
    struct Impl;

private:
    friend class TMasterLink;
    void MasterChanged();
    // The read version as it stands after using rows a read made earlier (FetchFirst).
    void TakeKeptRead(std::optional<quint64> version);
    void InternalOpenOrder();
    void BuildRange();
    std::vector<TRecord> Select(const QString& where, const QVariantList& values, bool descending, int limit,
                                int offset = 0);
    class RecordReader;
    int Count(const QString& where, const QVariantList& values);
    std::vector<TField*> OrderFields(int count);
    bool BeforeCondition(const TRecord& record, Sql& sql) const;
    // The values of the order columns of a record read (TRecord::key, or its fields' values).
    QVariantList KeyOf(const TRecord& record) const;
    // The condition that a row still holds what was read (its text, then its values).
    const QString& StillHoldsText() const;
    void StillHoldsValues(const TRecord& record, QVariantList& values) const;
    // "the row with Contor = 12" for the user: which row a message is about.
    QString RowDescription(const TRecord& record) const;
    QString LeadingNull() const;
    std::shared_ptr<Connection> ConnectionForStructure(TOpenMode mode = TOpenMode::Existing);

    QString databaseName_;
    QString tableName_;
    TSession* session_ = nullptr;
    bool readOnly_ = false;
    bool readForUpdate_ = false;
    QString indexFieldNames_;
    TDataSource* masterSource_ = nullptr;
    QString masterFields_;
    QStringList masterFieldNames_; // masterFields_ split
    std::unique_ptr<TMasterLink> masterLink_;
    std::shared_ptr<Connection> connection_;
    const quint64* tableWrites_ = nullptr; // the connection's count of writes to this table
    std::unique_ptr<Impl> impl_;
    std::optional<TRecord> written_; // the row the last post wrote, as the engine gave it back
    std::optional<quint64> readVersion_; // the engine's count before the first read since TakeReadVersion
    bool readSinceTaken_ = false;
};

} // namespace fw
