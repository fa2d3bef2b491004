#include "recall/MassBalance.h"

#include "platform/core/Csv.h"
#include "platform/core/Readable.h"
#include "platform/schema/DocumentTypes.h"
#include "recall/RecallOutput.h"
#include "recall/RecallReads.h"

#include <functional>
#include <set>

namespace corvanel {

namespace {

double Sum(const std::vector<TBalanceMove>& moves)
{
    double sum = 0;
    for (const TBalanceMove& m : moves)
        sum += m.Quantity;
    return sum;
}

// A lot reached forward that nothing was made of, each once (where it was followed).
void FinishedLots(const std::vector<TRecallNode>& nodes, int depth, std::vector<TLotKey>& out)
{
    for (const TRecallNode& node : nodes) {
        if (node.Kind == TRecallKind::Lot && depth > 0 && !node.Repeated && !node.Cycle
            && std::none_of(node.Children.begin(), node.Children.end(),
                            [](const TRecallNode& c) { return c.Kind == TRecallKind::Consumption; }))
            out.push_back(node.Lot);
        FinishedLots(node.Children, depth + 1, out);
    }
}

} // namespace

double TLotBalance::ConsumedTotal() const { return Sum(Consumed); }
double TLotBalance::ShippedTotal() const { return Sum(Shipped); }
double TLotBalance::OnHandTotal() const
{
    double sum = 0;
    for (const auto& [warehouse, quantity] : OnHand)
        sum += quantity;
    return sum;
}
double TLotBalance::Difference() const { return Received - ConsumedTotal() - ShippedTotal() - OnHandTotal(); }
double TLotBalance::DifferenceShare() const { return Received != 0 ? Difference() / Received : 0; }

std::vector<TLotKey> BalancedLots(const TRecall& recall)
{
    std::vector<TLotKey> lots;
    for (const TRecallNode& root : recall.Roots)
        lots.push_back(root.Lot);
    if (recall.Direction == TRecallDirection::Forward)
        FinishedLots(recall.Roots, 0, lots);
    std::vector<TLotKey> once;
    std::set<TLotKey> seen;
    for (const TLotKey& lot : lots)
        if (seen.insert(lot).second)
            once.push_back(lot);
    return once;
}

std::vector<TLotBalance> LotBalances(TRecallReads& reads, const TReversals& reversals, const std::vector<TLotKey>& lots)
{
    reads.LoadArticles(lots);
    reads.LoadReceiptsOfLots(lots);
    reads.LoadOutgoingOfLots(lots);
    reads.LoadStock(lots);
    std::vector<TLotBalance> balances;
    for (const TLotKey& lot : lots) {
        TLotBalance b;
        b.Lot = lot;
        b.Name = reads.Article(lot.Group, lot.Article).Name;
        b.Unit = reads.Article(lot.Group, lot.Article).Unit;
        for (const TRecallDocLine& in : reads.ReceiptsOfLot(lot))
            b.Received += in.Quantity;
        for (const TRecallDocLine& out : reads.OutgoingOfLot(lot)) {
            const bool consumption = out.Type == fw::ConsumptionDocType;
            if (consumption && reversals.Involves(out.Document))
                continue;
            std::vector<TBalanceMove>& moves = consumption ? b.Consumed : b.Shipped;
            // The lines of one document are one move (they come in the document's order).
            if (moves.empty() || moves.back().Document.Counter != out.Document) {
                TBalanceMove move;
                move.Document = {out.Document, out.Type, out.Number, out.Date, out.Partner, out.Partner, {}, {}, {}};
                moves.push_back(move);
            }
            moves.back().Quantity += out.Quantity;
        }
        b.OnHand = reads.StockOfLot(lot);
        balances.push_back(std::move(b));
    }
    return balances;
}

QString BalanceCsv(const std::vector<TLotBalance>& balances)
{
    QString out = fw::CsvRecord({QStringLiteral("Cod_grupa"), QStringLiteral("Cod_articol"), QStringLiteral("Lot"),
                                 QStringLiteral("Intrat"), QStringLiteral("Consumat"), QStringLiteral("Livrat"),
                                 QStringLiteral("Stoc"), QStringLiteral("Diferenta")});
    for (const TLotBalance& b : balances)
        out += fw::CsvRecord({b.Lot.Group, b.Lot.Article, b.Lot.Lot, fw::CsvNumber(b.Received),
                              fw::CsvNumber(b.ConsumedTotal()), fw::CsvNumber(b.ShippedTotal()),
                              fw::CsvNumber(b.OnHandTotal()), fw::CsvNumber(b.Difference())});
    return out;
}

QString BalanceTitle() { return QStringLiteral("Bilant masic"); }

QStringList BalanceText(const std::vector<TLotBalance>& balances, const fw::TFormatSettings& formats)
{
    QStringList lines;
    for (const TLotBalance& b : balances) {
        const auto quantity = [&](double q) { return (fw::QuantityToStr(q, formats) + QLatin1Char(' ') + b.Unit).trimmed(); };
        lines << QStringLiteral("Lot %1 (%2/%3) %4: intrat %5, consumat %6, livrat %7, in stoc %8, diferenta %9 (%10%)")
                     .arg(b.Lot.Lot, b.Lot.Group, b.Lot.Article, b.Name, quantity(b.Received), quantity(b.ConsumedTotal()),
                          quantity(b.ShippedTotal()), quantity(b.OnHandTotal()), quantity(b.Difference()))
                     .arg(fw::QuantityToStr(100 * b.DifferenceShare(), formats));
        if (b.Received == 0)
            lines.back() += QStringLiteral(" - nicio receptie: lotul era in stocul initial");
        const auto document = [&](const TRecallDocument& d) {
            return QStringLiteral("%1 din %2").arg(DocumentText(d, formats), fw::DateText(d.Date, formats));
        };
        for (const TBalanceMove& m : b.Consumed)
            lines << QStringLiteral("  consumat: %1: %2").arg(document(m.Document), quantity(m.Quantity));
        for (const TBalanceMove& m : b.Shipped)
            lines << QStringLiteral("  livrat: %1, %2: %3")
                         .arg(m.Document.Partner.isEmpty() ? QStringLiteral("-") : m.Document.Partner,
                              document(m.Document), quantity(m.Quantity));
        for (const auto& [warehouse, q] : b.OnHand)
            lines << QStringLiteral("  in stoc: gestiunea %1: %2").arg(warehouse, quantity(q));
    }
    return lines;
}

} // namespace corvanel
