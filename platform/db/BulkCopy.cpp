#include "platform/db/BulkCopy.h"

#include "platform/db/Connection.h"

#include <memory>

namespace fw {

namespace {

// The embedded engine's bulk copy: statements of kRowsPerStatement rows, prepared once (a
// large table sends thousands of them), well within the values an engine takes in one.
class TInsertCopy final : public TBulkCopy {
public:
    static constexpr int kRowsPerStatement = 200;

    TInsertCopy(Connection& to, const QString& table, const QStringList& columns) : to_(to), table_(table)
    {
        QStringList quoted, marks;
        for (const QString& c : columns) {
            quoted << to.Quote(c);
            marks << QStringLiteral("?");
        }
        head_ = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(to.Quote(table), quoted.join(QStringLiteral(", ")));
        row_ = QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
        full_ = Statement(kRowsPerStatement);
        values_.reserve(qsizetype(kRowsPerStatement) * columns.size());
    }

    void Add(QVariantList&& values) override
    {
        values_.append(std::move(values));
        if (++rows_ == kRowsPerStatement)
            Flush();
    }

    void Flush() override
    {
        if (rows_ == 0)
            return;
        to_.ForEachRow(rows_ == kRowsPerStatement ? full_ : Statement(rows_), values_, {});
        to_.Touch(table_);
        values_.clear();
        rows_ = 0;
    }

private:
    QString Statement(int rows) const
    {
        QStringList all;
        for (int i = 0; i < rows; ++i)
            all << row_;
        return head_ + all.join(QStringLiteral(", "));
    }

    Connection& to_;
    QString table_;
    QString head_, row_;
    // The text of a whole statement, made once.
    QString full_;
    QVariantList values_;
    int rows_ = 0;
};

} // namespace

std::unique_ptr<TBulkCopy> Connection::BulkCopy(const QString& table, const QStringList& columns)
{
    return std::make_unique<TInsertCopy>(*this, table, columns);
}

} // namespace fw
