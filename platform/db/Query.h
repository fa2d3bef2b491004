#pragma once

#include "platform/db/DataSet.h"

namespace fw {

class Connection;
class TSession;

// A named parameter of a query, bound by the type it was last given.
class TParam final {
public:
    explicit TParam(QString name) : name_(std::move(name)) {}
    const QString& Name() const { return name_; }
    TFieldType DataType() const { return type_; }
    const QVariant& Value() const { return value_; }
    bool IsNull() const { return !value_.isValid() || value_.isNull(); }
    void SetAsFloat(double v);
    void SetAsString(const QString& v);
    void SetAsInteger(qint64 v);
    void SetAsDate(const QDate& v);
    void SetAsDateTime(TDateTime v); // bound as a date: the time of day takes no part
    void SetAsBoolean(bool v);
    void Clear();

private:
    void Set(TFieldType type, QVariant value);

    QString name_;
    TFieldType type_ = TFieldType::Unknown;
    QVariant value_;
};

// A query given as SQL lines, kept exactly as written; before it is prepared the text is
// adapted to the engine (a quoted "Name.DB" names the table Name). Named parameters
// (":Name") are bound as values, never spliced into the text. The result is read-only
// and read whole when opened.
class TQuery final : public TDataSet {
public:
    explicit TQuery(QObject* owner = nullptr);
    ~TQuery() override;

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name) { databaseName_ = name; }
    TSession* Session() const;
    void SetSession(TSession* session) { session_ = session; }

    // The SQL lines. Changing them closes the query and renews its parameters.
    const QStringList& SQL() const { return sql_; }
    void SetSQL(const QStringList& lines);
    void SetSQLLine(int index, const QString& line);
    QString SqlText() const { return sql_.join(QLatin1Char('\n')); }

    int ParamCount() const { return int(params_.size()); }
    TParam* Params(int index) const { return params_.at(size_t(index)).get(); }
    TParam* ParamByName(const QString& name) const; // EDatabaseError when absent
    TParam* FindParam(const QString& name) const;

    // Runs a statement that returns no rows.
    void ExecSQL();
    int RowsAffected() const { return rowsAffected_; }

    // Declared SQL type of each result column ("VARCHAR(8)", "DOUBLE"), when known.
    const QStringList& ColumnDeclTypes() const { return declTypes_; }

    std::shared_ptr<Connection> GetConnection() const { return connection_; }

    // The text as it is sent to the engine of `connection` (names written in double quotes
    // spelt as that engine keeps them; as written without one), and the parameter names
    // in order of use.
    static QString AdaptSql(const QString& text, QStringList* parameterOrder = nullptr,
                            const Connection* connection = nullptr);

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

private:
    void RenewParams();
    QVariantList BoundValues(const QStringList& order) const;

    QString databaseName_;
    TSession* session_ = nullptr;
    QStringList sql_;
    std::vector<std::unique_ptr<TParam>> params_;
    std::vector<TRecord> rows_;
    QStringList declTypes_;
    int rowsAffected_ = 0;
    std::shared_ptr<Connection> connection_;
};

} // namespace fw
