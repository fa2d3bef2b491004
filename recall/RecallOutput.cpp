#include "recall/RecallOutput.h"

#include "data/Messages.h"
#include "platform/db/OutputFile.h"
#include "platform/core/Csv.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Readable.h"
#include "recall/RecallContacts.h"

#include <QDir>
#include <QSaveFile>
#include <functional>
#include <map>
#include <tuple>

namespace corvanel {

namespace {

QString Article(const TLotKey& lot) { return lot.Group + QLatin1Char('/') + lot.Article; }

QString LotText(const TLotKey& lot, const QString& name)
{
    QString text = QStringLiteral("Lot %1  %2").arg(lot.Lot, Article(lot));
    if (!name.isEmpty())
        text += QStringLiteral("  ") + name;
    return text;
}

// Each node after its parent, with its depth in the tree.
void Walk(const std::vector<TRecallNode>& nodes, int depth, const std::function<void(const TRecallNode&, int)>& visit)
{
    for (const TRecallNode& node : nodes) {
        visit(node, depth);
        Walk(node.Children, depth + 1, visit);
    }
}

} // namespace

// A lot reached that no receipt brought in, or that came in on a receipt from no supplier
// (the opening balance), was there from the start.
QString PartnerOf(const TRecallNode& node, int depth)
{
    if (node.Kind == TRecallKind::Lot && depth > 0 && node.Document.Partner.isEmpty())
        return OpeningStockPartner();
    return node.Document.PartnerName;
}

QString DocumentText(const TRecallDocument& d, const fw::TFormatSettings& formats)
{
    if (!d.Known())
        return QString();
    return (d.Type + QLatin1Char(' ') + fw::FloatToStr(d.Number, formats)).trimmed();
}

const QStringList& RecallColumnTitles()
{
    static const QStringList titles{QStringLiteral("Lot / document"), QStringLiteral("Document"),
                                    QStringLiteral("Data"),           QStringLiteral("Partener"),
                                    QStringLiteral("Gestiune"),       QStringLiteral("Cantitate"),
                                    QStringLiteral("U.M."),           QStringLiteral("Observatii")};
    return titles;
}

QStringList RecallColumns(const TRecallLine& l)
{
    return {l.Element, l.Document, l.Date, l.Partner, l.Warehouse, l.Quantity, l.Unit, l.Remark};
}

TRecallLine DescribeNode(const TRecallNode& node, int depth, TRecallDirection direction, const fw::TFormatSettings& formats)
{
    TRecallLine line;
    line.Depth = depth;
    line.Node = &node;
    switch (node.Kind) {
    case TRecallKind::Lot:
        line.Element = LotText(node.Lot, node.Name);
        if (node.Received != 0)
            line.Element += QStringLiteral(", %1 %2").arg(fw::QuantityToStr(node.Received, formats), node.Unit).trimmed();
        // Whoever reads the tree decides on each lot: one not released says so and why.
        if (!node.Standing.Usable())
            line.Element += QStringLiteral(" (%1)").arg(node.Standing.Reason.isEmpty()
                                                            ? node.Standing.State
                                                            : node.Standing.State + QStringLiteral(": ") + node.Standing.Reason);
        break;
    case TRecallKind::Receipt:
        line.Element = QStringLiteral("Intrare");
        break;
    case TRecallKind::Consumption:
        line.Element = QStringLiteral("Consum");
        break;
    case TRecallKind::Shipment:
        line.Element = QStringLiteral("Iesire");
        break;
    }
    line.Document = DocumentText(node.Document, formats);
    line.Date = fw::DateText(node.Document.Date, formats);
    line.Partner = PartnerOf(node, depth);
    line.Warehouse = node.Warehouse;
    // The lot followed shows what came in; every other line what moved.
    if (node.Kind != TRecallKind::Lot || depth > 0) {
        line.Quantity = fw::QuantityToStr(node.Quantity, formats);
        line.Unit = node.QuantityUnit;
    }
    QStringList remarks;
    // Where the part of the followed lot differs from what moved, both are shown.
    if (depth > 0 && (node.Share != node.Quantity || node.ShareUnit != node.QuantityUnit))
        remarks << QStringLiteral("%1: %2 %3")
                       .arg(direction == TRecallDirection::Forward ? QStringLiteral("din lotul urmarit")
                                                                : QStringLiteral("in lotul urmarit"),
                            fw::QuantityToStr(node.Share, formats), node.ShareUnit)
                       .trimmed();
    if (node.Estimated)
        remarks << QStringLiteral("estimat");
    if (node.Cycle)
        remarks << QStringLiteral("ciclu: lotul este mai sus pe acest drum");
    if (node.Repeated)
        remarks << QStringLiteral("urmarit mai sus");
    line.Remark = remarks.join(QStringLiteral("; "));
    return line;
}

std::vector<TRecallLine> RecallLines(const TRecall& recall, const fw::TFormatSettings& formats)
{
    std::vector<TRecallLine> lines;
    Walk(recall.Roots, 0, [&](const TRecallNode& node, int depth) { lines.push_back(DescribeNode(node, depth, recall.Direction, formats)); });
    return lines;
}

namespace {

using TTotals = std::map<std::tuple<QString, QString, QString>, TRecallTotal>;

void Add(TTotals& to, const TTotals& from, double scale)
{
    for (const auto& [key, total] : from) {
        TRecallTotal& t = to[key];
        const double quantity = t.Quantity + total.Quantity * scale;
        t = total;
        t.Quantity = quantity;
    }
}

// Adds up the shares under a node. A lot followed elsewhere in the tree (repeated) carries
// what is under it there, by the part it carries here: `under` keeps, per lot followed,
// its part (TRecallNode::Part) and the totals under it.
struct TTotaller {
    bool Forward = true;
    std::map<TLotKey, std::pair<double, TTotals>> under;

    void Sum(const TRecallNode& node, int depth, TTotals& out)
    {
        const bool counts = Forward ? node.Kind == TRecallKind::Shipment : node.Kind == TRecallKind::Lot && depth > 0;
        if (counts) {
            const QString partner = PartnerOf(node, depth);
            TRecallTotal& t = out[{partner, node.Lot.Group, node.Lot.Article}];
            t.Partner = partner;
            t.Group = node.Lot.Group;
            t.Article = node.Lot.Article;
            t.Name = node.Name;
            t.Unit = node.ShareUnit;
            t.Quantity += node.Share;
        }
        if (node.Repeated) {
            const auto found = under.find(node.Lot);
            if (found != under.end() && found->second.first != 0)
                Add(out, found->second.second, node.Part() / found->second.first);
            return;
        }
        TTotals below;
        for (const TRecallNode& child : node.Children)
            Sum(child, depth + 1, below);
        if (node.Kind == TRecallKind::Lot && !node.Cycle)
            under[node.Lot] = {node.Part(), below};
        Add(out, below, 1);
    }
};

} // namespace

std::vector<TRecallTotal> RecallTotals(const TRecall& recall)
{
    TTotaller totaller{recall.Direction == TRecallDirection::Forward, {}};
    TTotals totals;
    for (const TRecallNode& root : recall.Roots)
        totaller.Sum(root, 0, totals);
    std::vector<TRecallTotal> out;
    out.reserve(totals.size());
    for (auto& [key, total] : totals)
        out.push_back(total);
    return out;
}

QString OpeningStockPartner() { return QStringLiteral("Stoc initial"); }

QString RecallTotalsTitle(TRecallDirection direction)
{
    return direction == TRecallDirection::Forward ? QStringLiteral("Total pe clienti") : QStringLiteral("Total pe furnizori");
}

QString RecallTitle(const TRecall& recall)
{
    QStringList lots;
    for (const TRecallNode& root : recall.Roots)
        lots << QStringLiteral("%1 (%2)").arg(root.Lot.Lot, Article(root.Lot));
    return QStringLiteral("Urmarirea lotului %1, %2")
        .arg(lots.join(QStringLiteral(", ")),
             recall.Direction == TRecallDirection::Forward ? QStringLiteral("inainte: unde a ajuns")
                                                           : QStringLiteral("inapoi: din ce s-a facut"));
}

QString RecallCsv(const TRecall& recall)
{
    QString out = fw::CsvRecord({QStringLiteral("Nivel"), QStringLiteral("Tip"), QStringLiteral("Numar"),
                                 QStringLiteral("Data"), QStringLiteral("Partener"), QStringLiteral("Cod_grupa"),
                                 QStringLiteral("Cod_articol"), QStringLiteral("Lot"), QStringLiteral("Cantitate"),
                                 QStringLiteral("Estimat"), QStringLiteral("Cota")});
    Walk(recall.Roots, 0, [&](const TRecallNode& node, int depth) {
        const bool reached = node.Kind == TRecallKind::Lot && depth > 0;
        if (!reached && node.Kind != TRecallKind::Shipment)
            return;
        const TRecallDocument& d = node.Document;
        out += fw::CsvRecord({QString::number(node.Level), d.Type, d.Known() ? fw::CsvNumber(d.Number) : QString(),
                              d.Date.isValid() ? d.Date.toString(Qt::ISODate) : QString(), d.Partner, node.Lot.Group,
                              node.Lot.Article, node.Lot.Lot, fw::CsvNumber(node.Quantity),
                              node.Estimated ? QStringLiteral("1") : QStringLiteral("0"), fw::CsvNumber(node.Share)});
    });
    return out;
}

void WriteRecallCsv(const TRecall& recall, const QString& fileName)
{
    fw::CheckOutputFile(fileName);
    QSaveFile file(fileName);
    const QByteArray bytes = RecallCsv(recall).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw fw::EInOutError(msg::FileNotWritten(QDir::toNativeSeparators(fileName)));
}

QString RecallText(const TRecall& recall, const fw::TFormatSettings& formats)
{
    QString out = RecallTitle(recall) + QLatin1Char('\n') + SectionsText({CustomersToCall(recall)});
    for (const TRecallLine& line : RecallLines(recall, formats)) {
        QStringList parts{line.Element};
        if (!line.Document.isEmpty())
            parts << line.Document + (line.Date.isEmpty() ? QString() : QStringLiteral(" din ") + line.Date);
        for (const QString& more : {line.Partner, line.Warehouse.isEmpty() ? QString() : QStringLiteral("gestiunea ") + line.Warehouse})
            if (!more.isEmpty())
                parts << more;
        if (!line.Quantity.isEmpty())
            parts << (line.Quantity + QLatin1Char(' ') + line.Unit).trimmed();
        if (!line.Remark.isEmpty())
            parts << QLatin1Char('[') + line.Remark + QLatin1Char(']');
        out += QString(2 * qsizetype(line.Depth + 1), QLatin1Char(' ')) + parts.join(QStringLiteral(", ")) + QLatin1Char('\n');
    }
    const std::vector<TRecallTotal> totals = RecallTotals(recall);
    if (!totals.empty()) {
        out += RecallTotalsTitle(recall.Direction) + QStringLiteral(":\n");
        for (const TRecallTotal& t : totals)
            out += QStringLiteral("  %1, %2/%3 %4: %5 %6\n")
                       .arg(t.Partner.isEmpty() ? QStringLiteral("-") : t.Partner, t.Group, t.Article, t.Name,
                            fw::QuantityToStr(t.Quantity, formats), t.Unit);
    }
    return out + SectionsText(InspectionSections(recall, formats));
}

} // namespace corvanel
