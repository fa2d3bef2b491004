#pragma once

// What a recall shows, whoever shows it: the window's tree, the report's lines, the tool's
// text, and the CSV that the window exports and the tool writes.

#include "platform/core/Formats.h"
#include "recall/LotRecall.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvanel {

// A node as one line of text columns, at its depth in the tree (0 for a lot followed).
struct TRecallLine {
    int Depth = 0;
    const TRecallNode* Node = nullptr;
    QString Element; // what the line is: the lot, or the kind of document
    QString Document;
    QString Date;
    QString Partner;
    QString Warehouse;
    QString Quantity;
    QString Unit;
    QString Remark; // estimated, a cycle, followed above
};

// The captions of the columns, in the order of TRecallLine's texts.
const QStringList& RecallColumnTitles();
QStringList RecallColumns(const TRecallLine& line);

// Every node, depth first, each after the one above it.
std::vector<TRecallLine> RecallLines(const TRecall& recall, const fw::TFormatSettings& formats);
// The partner of a node at that depth of its tree: for a lot reached, its supplier (the
// opening stock when none brought it in); for a document, its partner.
QString PartnerOf(const TRecallNode& node, int depth);
// A document as the recall names it: its type and number; empty when unknown.
QString DocumentText(const TRecallDocument& document, const fw::TFormatSettings& formats);
// The texts of one node of a recall in that direction.
TRecallLine DescribeNode(const TRecallNode& node, int depth, TRecallDirection direction, const fw::TFormatSettings& formats);

// A total per customer (forward: what the shipments reached gave them) or per supplier
// (backward: what of their lots went in), per article.
struct TRecallTotal {
    QString Partner;
    QString Group;
    QString Article;
    QString Name;
    QString Unit;
    double Quantity = 0;
};
std::vector<TRecallTotal> RecallTotals(const TRecall& recall);
// Where a lot reached came from when no receipt, or a receipt from no supplier, brought it
// in: the stock the company started with.
QString OpeningStockPartner();
// "Total pe clienti" or "Total pe furnizori".
QString RecallTotalsTitle(TRecallDirection direction);
// The title of a recall: "Urmarirea lotului X ..., inainte/inapoi".
QString RecallTitle(const TRecall& recall);

// The CSV: a heading, then one record per lot reached and per shipment, depth first
// (Nivel;Tip;Numar;Data;Partener;Cod_grupa;Cod_articol;Lot;Cantitate;Estimat;Cota, the
// last the node's share of the followed lot, TRecallNode::Share).
QString RecallCsv(const TRecall& recall);
// The same, written whole or not at all. EInOutError when the file cannot be written or is
// refused (fw::CheckOutputFile: one of the company's files, no regular file).
void WriteRecallCsv(const TRecall& recall, const QString& fileName);
// The tree as indented text, then the totals.
QString RecallText(const TRecall& recall, const fw::TFormatSettings& formats);

} // namespace corvanel
