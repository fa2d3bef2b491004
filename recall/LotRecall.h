#pragma once

// Following a lot: forward, to the lots made from it and the customers that received
// them; backward, to the lots it was made from and the suppliers that brought them. The
// links are the genealogy the consumption documents wrote; a consumption document written
// before it kept one is tied to its receipt by number and date and shared by the recipes
// as they stand now, and every link so made is marked estimated. No window: the recall
// window, its report and the tool all show what this finds.

#include "data/LotStatus.h"
#include "data/Reversals.h"
#include "recall/LotKey.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace fw {
class TSession;
} // namespace fw

namespace corvanel {

class TReceiptWeights;
class TRecallReads;
struct TRecallDocLine;


// A document of the host as the recall names it.
struct TRecallDocument {
    double Counter = 0;
    QString Type;
    double Number = 0;
    QDate Date;
    QString Partner;     // the supplier's code, or the customer as the document holds it
    QString PartnerName; // the partner's name by the partners' table; the code when it has none
    QString FiscalCode;  // by the partners' table, where it has the partner
    QString Address;
    QString Phone;
    bool Known() const { return !Type.isEmpty() || Counter != 0; }
};

enum class TRecallKind {
    Lot,         // the lot followed, or a lot reached
    Receipt,     // a receipt that brought the lot followed in (or made it)
    Consumption, // a consumption document that drew on the lot above (forward)
    Shipment,    // an outgoing document that shipped the lot above (forward)
};

struct TRecallNode {
    TRecallKind Kind = TRecallKind::Lot;
    // 0 for the lot followed and its own documents; 1 for the lots made directly from it
    // (forward) or that went directly into it (backward) and their shipments; and so on.
    int Level = 0;
    TLotKey Lot;      // the lot, or the lot the document moved
    QString Name;     // of the lot's article
    QString Unit;     // of the lot's article
    QString Description; // of the lot's article
    QString Warehouse;
    // For a lot reached: the receipt that made it (forward) or brought it in (backward);
    // otherwise the node's own document.
    TRecallDocument Document;
    // For a lot reached: how much of the lot above went into it (forward) or came from it
    // (backward), in QuantityUnit; for a document: how much of the lot it moved.
    double Quantity = 0;
    QString QuantityUnit;
    // For a lot: what its receipt line made or brought in (in Unit); 0 when unknown.
    double Received = 0;
    // The part of the followed lot the node carries. Forward: how much of the followed lot
    // went into the lot or left with the document, in the followed lot's unit; backward: how
    // much of the lot went into the followed lot, in its own unit. A lot used in part passes
    // on the same part of what it was made of; for the lot followed, what came in.
    double Share = 0;
    QString ShareUnit;
    // For a lot: what its receipts made, by which its share is passed on (each quantity
    // under it carries Share / Made of itself); 0 when none made anything, and then every
    // quantity under it is carried whole, as a recall would rather reach too far than stop
    // short.
    double Made = 0;
    double Part() const { return Made > 0 ? Share / Made : 1; }
    bool Estimated = false; // the link comes from a document without genealogy
    bool Cycle = false;     // the lot is already on the way here: not followed again
    bool Repeated = false;  // the lot was followed elsewhere in the tree already
    TLotStanding Standing;  // for a lot: released unless held or found non-conforming
    std::vector<TRecallNode> Children;
};

enum class TRecallDirection { Forward, Backward };

// The mass balance of a lot, as an inspector asks for it (MassBalance.h).
// A document's part in a balance.
struct TBalanceMove {
    TRecallDocument Document; // the customer as Partner, for a shipment
    double Quantity = 0;
};

struct TLotBalance {
    TLotKey Lot;
    QString Name;
    QString Unit;
    double Received = 0;               // by every receipt of the lot
    std::vector<TBalanceMove> Consumed; // by document; a reversed one and its reversal left out
    std::vector<TBalanceMove> Shipped;  // by document (and so by customer)
    std::vector<std::pair<QString, double>> OnHand; // by warehouse

    double ConsumedTotal() const;
    double ShippedTotal() const;
    double OnHandTotal() const;
    // What none of the above accounts for: 0 for a lot fully accounted for.
    double Difference() const;
    // The difference as a part of what came in; 0 when nothing came in.
    double DifferenceShare() const;
};

// What a lot was followed to: one tree per lot followed (a lot name several articles hold
// is followed for each of them).
struct TRecall {
    TRecallDirection Direction = TRecallDirection::Forward;
    std::vector<TRecallNode> Roots;
    std::vector<TLotBalance> Balances; // when asked for (TLotWalk::Balance)
    QStringList Drill;                 // the drill's lines, when the recall is one (RecallDrill.h)
};

// A lot of an article as the lot picker lists it.
struct TLotSummary {
    QString Lot;
    QDate FirstReceived; // the first receipt that brought it in; null when none did
    double Received = 0; // by every receipt
    double InStock = 0;  // left in stock now
};

class TLotWalk final {
public:
    // Reads the company database `database` of the session.
    TLotWalk(fw::TSession* session, const QString& database);
    ~TLotWalk();
    TLotWalk(const TLotWalk&) = delete;
    TLotWalk& operator=(const TLotWalk&) = delete;

    // The articles that hold a lot of that name (in stock, on a receipt or an outgoing
    // document), by group and code; given an article (a group may be empty), only that
    // one. Empty when the lot does not exist.
    std::vector<TLotKey> FindLots(const QString& lot, const QString& group = QString(), const QString& article = QString());
    // The lots of an article, by name.
    std::vector<TLotSummary> LotsOf(const QString& group, const QString& article);
    // The name of an article of the catalog; empty when there is no such article.
    QString ArticleName(const QString& group, const QString& article);

    TRecall Follow(const std::vector<TLotKey>& lots, TRecallDirection direction);
    // The mass balance of the lots followed and, forward, of the finished lots reached.
    void Balance(TRecall& recall);

private:
    // The lot's own receipts (the lot followed) as nodes of that level.
    std::vector<TRecallNode> ReceiptsOf(const TLotKey& key, int level);
    // Reads what the lots of one level lead to, in batches, and keeps each lot's children
    // (not followed further) in steps_; gives the lots they reach.
    std::vector<TLotKey> Step(const std::vector<TLotKey>& lots, TRecallDirection direction);
    void Prefetch(const std::vector<TLotKey>& lots, TRecallDirection direction);
    std::vector<TRecallNode> ForwardChildren(const TLotKey& lot);
    std::vector<TRecallNode> BackwardChildren(const TLotKey& lot);
    // Builds the tree depth first from the steps: a lot already on the way is marked a
    // cycle, one followed elsewhere already is marked repeated.
    void Expand(TRecallNode& node);
    // Gives a child of `node` its share by the node's part (and a lot what it made).
    void Carry(const TRecallNode& node, TRecallNode& child);
    // The lines of the receipts tied to a consumption document by number and date.
    const TReceiptWeights& TiedReceipts(double number, const QDate& date);
    TRecallNode LotNode(const TLotKey& key);
    void Describe(TRecallNode& node);
    void SetDocument(TRecallDocument& document, const TRecallDocLine& line);
    // Gives every lot of the recall its standing, read for all of them together.
    void SetStandings(TRecall& recall);

    std::unique_ptr<TRecallReads> reads_;
    std::map<TLotKey, std::vector<TRecallNode>> steps_;
    TRecallDirection direction_ = TRecallDirection::Forward;
    std::set<TLotKey> followed_;
    std::set<TLotKey> onTheWay_;
    std::map<std::pair<double, qint64>, std::unique_ptr<TReceiptWeights>> tied_;
    TReversals reversals_; // documents that count no longer
};

} // namespace corvanel
