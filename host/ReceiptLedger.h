#pragma once

#include "host/WriteRefusal.h"
#include "platform/core/Exceptions.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "platform/db/DataSet.h"

namespace fw {
class TTable;
} // namespace fw

namespace pelmaris {

// Incoming documents and the stock they bring. Every receipt line owns one stock lot
// in Stoc.DB (the lot names its line by counter and line number): saving the line adds
// or adjusts the lot, deleting the line removes it, each in one transaction with the
// line. What has already left the lot (the add-on's consumption documents draw on it)
// cannot be undone from the receipt: such a change is refused.

// One receipt line as far as stock is concerned.
struct TReceiptLine {
    double Contor = 0;
    double ContorSecundar = 0;
    QString Gestiune;
    QString Grupa;
    QString Articol;
    QString Lot;
    QString Agent;
    double Cantitate = 0;
    double Pret = 0; // purchase price in local currency
    QDate DataIntrare;
    QDate DataExpirare; // the supplier's date typed on the line; invalid: entry plus shelf life
};

// Quantities closer than this count as equal.
inline constexpr double StockTolerance = 0.000001;

// Brings the stock of a line from `before` (none for a new line) to `after` (none for a
// deleted line), inside the caller's transaction, which has locked the counter row before
// anything else (the order every writer of lots keeps). EWriteRefused when the lot has been
// drawn on and the change would need that back: deleting the line, moving it to another
// article, group, warehouse or lot, or cutting its quantity below what was drawn.
void ApplyLineToStock(const QString& database, const std::optional<TReceiptLine>& before,
                      const std::optional<TReceiptLine>& after);

// The line as stored (null when there is no such line).
std::optional<TReceiptLine> StoredLine(const QString& database, double contor, double contorSecundar);

// The next counter of an incoming document: COUNTER.DB's NewCounterIn raised by one and
// stored, never at or below a counter already used. Inside the caller's transaction.
double TakeReceiptCounter(const QString& database);

// The next line number of a document. Inside the caller's transaction, which holds the
// write lock (on a server, the document's header row, locked here): no other user can take
// the same number before the line is written.
double NextLineNumber(const QString& database, double contor);

// Writes a whole receipt line and its lot in one transaction (what the demo company and
// imports use; the document window goes through TReceiptBinding).
void AddReceiptLine(const QString& database, const QVariantList& itemInValues);

// Ties the document window's tables to the stock: checks and completes headers and
// lines before they are saved, and writes what goes with a row in the transaction the row
// is written in (see TDataSet::BeforeWrite): the counter of a new document, the number of
// a new line, the lot of each line, the lines and lots of a deleted document. A refused
// save shows why and leaves the row in editing; nothing is written.
class TReceiptBinding final : public QObject {
public:
    TReceiptBinding(fw::TTable* headers, fw::TTable* lines, QObject* owner = nullptr);
    // Unhooks itself from the tables that are still there.
    ~TReceiptBinding() override;

private:
    void HeaderNewRecord();
    void HeaderBeforePost();
    void HeaderWrite(fw::TUpdateKind kind);
    void LineBeforeInsert();
    void LineNewRecord();
    void LineBeforePost();
    void LineWrite(fw::TUpdateKind kind);
    // A stock refusal met while writing is shown once everything is rolled back; the save
    // then ends silently. Other errors go on to the window.
    // Shows a refusal, then ends the save silently.
    [[noreturn]] static void Refuse(const QString& message);

    QString Database() const;
    // A table of the company opened on the row with that key (its first row for no key);
    // null when there is none.
    std::unique_ptr<fw::TTable> Find(const QString& table, const QString& keyFields, const QVariantList& key) const;

    QPointer<fw::TTable> headers_;
    QPointer<fw::TTable> lines_;
};

} // namespace pelmaris
