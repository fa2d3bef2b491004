#pragma once

// Outgoing document lines entered in the host, and the stock they take. A line is written
// whole or not at all: the document's header when it is new, the line (one row per stock
// row it draws on, each with that row's purchase price) and the lot's rows taken down, in
// one transaction that first locks the counter row, as every writer of lots does. Only then
// is the lot judged (by the add-on, when it judges lots): a hold committed meanwhile has
// either been committed before, and the line is refused, or waits until the line is in.

#include "host/AddOn.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace pelmaris {

// A line as the user gives it, and the header of a new document.
struct TOutgoingLine {
    double Contor = 0; // the document it goes on; 0: a new document, numbered `Number`
    double Number = 0;
    QDate Date;
    QString Client;
    QString Warehouse;
    QString Group;
    QString Article;
    QString Lot; // empty: the article's stock without a lot
    double Quantity = 0;
    QString Agent;
};

// Why a lot may not leave (none: it may), asked inside the writing transaction.
using TLotCheck = std::function<std::optional<TLotRefusal>(const QString& group, const QString& code, const QString& lot)>;

// The refusal's words for a lot that is not usable.
QString LotNotUsableText(const QString& lot, const QString& article, const TLotRefusal& refusal);

// Writes the line; returns the document's counter. EWriteRefused (nothing written) for a
// line incomplete, an article or warehouse unknown, a document gone, a lot refused by
// `check` or short of the quantity; EDatabaseError when the engine fails.
double WriteOutgoingLine(const QString& database, const TOutgoingLine& line, const TLotCheck& check);

} // namespace pelmaris
