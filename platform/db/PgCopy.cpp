// Values as text the server reads back exactly, as a statement's values and in the
// server's bulk copy: rows appended with COPY ... FROM STDIN in its text form, a chunk of
// them at a time.
//
// A statement of two hundred rows has the server bind and convert two thousand values and
// run its plan, then answer, before the next one leaves; COPY reads the rows as a stream
// of lines through the columns' own input functions, the same that read a statement's
// values given as text, so a value arrives as an INSERT would have stored it.
//
// Each chunk is one whole COPY: begun, sent and ended before the copy returns, so the
// connection is never left in the middle of one (another statement, a notice read while
// the program waits, a rollback after a failure elsewhere all find it as usual), and rows
// never sent are simply not written.

#include "platform/db/BulkCopy.h"
#include "platform/db/PgConnection.h"
#include "platform/db/StoredValue.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <memory>

#include <libpq-fe.h>

namespace fw {

namespace {

// Text sent in one COPY: large enough that beginning and ending one costs nothing beside
// its rows, small enough to keep little memory and to hear of a refused row early.
constexpr qsizetype kBytesPerCopy = 1 << 20;
// Text handed to libpq at once: its buffer grows to the largest piece given.
constexpr qsizetype kBytesPerPiece = qsizetype(64) * 1024;

// The characters COPY's text form reads otherwise: its escape, the line and column ends.
bool Special(char c) { return c == '\\' || c == '\n' || c == '\r' || c == '\t'; }

// The value's text from `from` to the end of `data`, escaped for COPY: a backslash, a tab,
// a line feed and a carriage return are written as \\, \t, \n and \r (UTF-8 never uses
// their bytes within another character).
void Escape(QByteArray& data, qsizetype from)
{
    const char* text = data.constData();
    qsizetype i = from;
    while (i < data.size() && !Special(text[i]))
        ++i;
    if (i == data.size())
        return;
    const qsizetype first = i;
    QByteArray escaped;
    escaped.reserve((data.size() - i) * 2);
    for (; i < data.size(); ++i) {
        const char c = text[i];
        if (Special(c))
            escaped.append('\\').append(c == '\n' ? 'n' : c == '\r' ? 'r' : c == '\t' ? 't' : '\\');
        else
            escaped.append(c);
    }
    data.truncate(first);
    data.append(escaped);
}

} // namespace

void PgConnection::AppendValueText(QByteArray& out, const QVariant& v)
{
    char buffer[64];
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v.toDouble()).ptr - buffer);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v.toLongLong()).ptr - buffer);
        return;
    case QMetaType::Bool:
        out.append(v.toBool() ? '1' : '0');
        return;
    case QMetaType::QDate:
        out.append(v.toDate().toString(Qt::ISODate).toLatin1());
        return;
    case QMetaType::QDateTime:
        out.append(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1());
        return;
    case QMetaType::QString: {
        // Most texts of a company are ASCII: copied as they are, without a UTF-8 copy made
        // and thrown away for each.
        const QString& text = *static_cast<const QString*>(v.constData());
        const qsizetype at = out.size();
        out.resize(at + text.size());
        char* to = out.data() + at;
        for (const QChar c : text) {
            if (c.unicode() >= 0x80) {
                out.truncate(at);
                out.append(text.toUtf8());
                return;
            }
            *to++ = char(c.unicode());
        }
        return;
    }
    default:
        out.append(IsEngineText(v) ? EngineTextBytes(v) : v.toString().toUtf8());
    }
}

class PgConnection::TServerCopy final : public TBulkCopy {
public:
    TServerCopy(PgConnection& to, const QString& table, const QStringList& columns) : to_(to), table_(table)
    {
        QStringList quoted;
        for (const QString& c : columns)
            quoted << to.Quote(c);
        statement_ = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(to.Quote(table), quoted.join(QStringLiteral(", "))).toUtf8();
        data_.reserve(kBytesPerCopy + kBytesPerPiece);
    }

    void Add(QVariantList&& values) override
    {
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                data_ += '\t';
            const QVariant& v = values.at(i);
            if (!v.isValid() || v.isNull()) {
                data_ += "\\N";
                continue;
            }
            const qsizetype from = data_.size();
            AppendValueText(data_, v);
            Escape(data_, from);
        }
        data_ += '\n';
        if (data_.size() >= kBytesPerCopy)
            Flush();
    }

    void Flush() override
    {
        if (data_.isEmpty())
            return;
        // Sent or not, the rows are done with: a failure leaves them to the transaction's
        // rollback. The buffer keeps its room for the next chunk.
        try {
            Send();
        } catch (...) {
            data_.resize(0);
            throw;
        }
        data_.resize(0);
        to_.Touch(table_);
    }

private:
    void Send()
    {
        to_.Reconnect();
        to_.SendDeferred();
        PGconn* pg = to_.pg_;
        PGresult* begun = PQexec(pg, statement_.constData());
        if (PQresultStatus(begun) != PGRES_COPY_IN)
            to_.ThrowResult(begun);
        PQclear(begun);
        bool sent = true;
        for (qsizetype at = 0; sent && at < data_.size(); at += kBytesPerPiece)
            sent = PQputCopyData(pg, data_.constData() + at, int(std::min(kBytesPerPiece, data_.size() - at))) == 1;
        // A copy not sent whole is ended as failed, so that none of it is kept.
        sent = PQputCopyEnd(pg, sent ? nullptr : "not sent whole") == 1 && sent;
        // The copy's outcome, then the end of its results: the first failure is the one said.
        PGresult* failed = nullptr;
        bool copying = false;
        while (PGresult* r = PQgetResult(pg)) {
            const ExecStatusType status = PQresultStatus(r);
            if (status == PGRES_COPY_IN) {
                // The end could not be sent: the connection is gone, and nothing more comes.
                PQclear(r);
                copying = true;
                break;
            }
            if (status != PGRES_COMMAND_OK && !failed)
                failed = r;
            else
                PQclear(r);
        }
        if (failed || !sent || copying)
            to_.ThrowResult(failed);
    }

    PgConnection& to_;
    QString table_;
    QByteArray statement_;
    QByteArray data_; // the rows not sent yet, as COPY's lines
};

std::unique_ptr<TBulkCopy> PgConnection::BulkCopy(const QString& table, const QStringList& columns)
{
    return std::make_unique<TServerCopy>(*this, table, columns);
}

} // namespace fw
