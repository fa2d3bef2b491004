#include "recall/LotRecall.h"

#include "data/FieldByName.h"
#include "data/Genealogy.h"
#include "data/StockLedger.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"
#include "recall/MassBalance.h"
#include "recall/RecallReads.h"

#include <algorithm>
#include <functional>

namespace corvanel {

using fw::TQuery;

namespace {

// A lot name alone: an index seek for each article of the catalog, never a walk of the lines.
const QStringList kArticlesOfLotIn{
    QStringLiteral("SELECT DISTINCT Cod_grupa, Cod_articol FROM Item_in"),
    QStringLiteral("WHERE (Lot = :Lot) AND (Cod_articol IN (SELECT Cod FROM Catalog))")};
const QStringList kArticlesOfLotOut{
    QStringLiteral("SELECT DISTINCT Cod_grupa, Cod_articol FROM Item_out"),
    QStringLiteral("WHERE (Lot = :Lot) AND (Cod_articol IN (SELECT Cod FROM Catalog))")};
const QStringList kGroupsOfLotIn{QStringLiteral("SELECT DISTINCT Cod_grupa FROM Item_in"),
                                 QStringLiteral("WHERE (Cod_articol = :Cod) AND (Lot = :Lot)")};
const QStringList kGroupsOfLotOut{QStringLiteral("SELECT DISTINCT Cod_grupa FROM Item_out"),
                                  QStringLiteral("WHERE (Cod_articol = :Cod) AND (Lot = :Lot)")};
const QStringList kLotsReceived{
    QStringLiteral("SELECT I.Cod_grupa, I.Lot, MIN(D.Data) AS Prima, SUM(I.Cantitate + 0) AS Intrat"),
    QStringLiteral("FROM Item_in I LEFT JOIN Doc_in D ON (D.Contor = I.Contor)"),
    QStringLiteral("WHERE (I.Cod_articol = :Cod) AND (I.Lot IS NOT NULL)"),
    QStringLiteral("GROUP BY I.Cod_grupa, I.Lot")};

// A statement of the lot picker run once: its parameters (by name) are all codes and lots,
// text columns.
class TLookup {
public:
    TLookup(fw::TSession* session, const QString& database, const QStringList& sql,
            const std::vector<std::pair<const char*, QString>>& values)
    {
        q_.SetSession(session);
        q_.SetDatabaseName(database);
        q_.SetSQL(sql);
        for (const auto& [name, value] : values)
            q_.ParamByName(QString::fromLatin1(name))->SetAsString(value);
        q_.Open();
    }
    TQuery& operator*() { return q_; }
    QString Text(const char* column) const { return F(&q_, column)->AsString(); }

private:
    TQuery q_;
};

// A consumption reversed, or its reversal, moved nothing in the end.
bool Counts(const TReversals& reversals, double document) { return !reversals.Involves(document); }

// A link found, before its lot is read: to whom, how much, and whether it is estimated.
struct TLink {
    double Receipt = 0;
    double Line = 0;
    double Quantity = 0;
    bool Estimated = false;
    TLotKey Lot;       // backward: the lot that went in
    QString Warehouse; // backward: where that lot lay
};

// Links to the same place add up, in the order they were first found.
void AddLink(std::vector<TLink>& links, const TLink& link)
{
    for (TLink& l : links)
        if (l.Receipt == link.Receipt && l.Line == link.Line && l.Lot == link.Lot) {
            l.Quantity += link.Quantity;
            l.Estimated = l.Estimated || link.Estimated;
            return;
        }
    links.push_back(link);
}

// Children are kept at the levels they have under a lot of level 0.
void Shift(TRecallNode& node, int by)
{
    node.Level += by;
    for (TRecallNode& child : node.Children)
        Shift(child, by);
}

} // namespace

TLotWalk::TLotWalk(fw::TSession* session, const QString& database)
    : reads_(std::make_unique<TRecallReads>(session, database))
{
    reversals_ = ReadReversals(session, database);
}

TLotWalk::~TLotWalk() = default;

std::vector<TLotKey> TLotWalk::FindLots(const QString& lot, const QString& group, const QString& article)
{
    std::set<TLotKey> found;
    if (lot.isEmpty())
        return {};
    fw::TSession* session = reads_->Session();
    const QString& database = reads_->Database();
    if (!article.isEmpty()) {
        for (const QStringList* sql : {&kGroupsOfLotIn, &kGroupsOfLotOut})
            for (TLookup q(session, database, *sql, {{"Cod", article}, {"Lot", lot}}); !(*q).Eof(); (*q).Next())
                if (q.Text("Cod_grupa") == group)
                    found.insert({group, article, lot});
        if (found.empty()) {
            std::vector<std::pair<const char*, QString>> values{{"Cod", article}, {"Lot", lot}};
            if (!group.isEmpty())
                values.push_back({"Grupa", group});
            TLookup q(session, database, TStockLedger::LotRowsSql(group), values);
            if (F(&*q, "Randuri")->AsFloat() > 0)
                found.insert({group, article, lot});
        }
    } else {
        for (const QStringList* sql : {&kArticlesOfLotIn, &kArticlesOfLotOut})
            for (TLookup q(session, database, *sql, {{"Lot", lot}}); !(*q).Eof(); (*q).Next())
                found.insert({q.Text("Cod_grupa"), q.Text("Cod_articol"), lot});
        // A lot only the stock knows of (stock no receipt brought in): asked only when no
        // document names the lot.
        if (found.empty())
            for (TLookup q(session, database, TStockLedger::ArticlesOfLotSql(), {{"Lot", lot}}); !(*q).Eof(); (*q).Next())
                found.insert({q.Text("Cod_grupa"), q.Text("Cod_articol"), lot});
    }
    return {found.begin(), found.end()};
}

std::vector<TLotSummary> TLotWalk::LotsOf(const QString& group, const QString& article)
{
    fw::TSession* session = reads_->Session();
    const QString& database = reads_->Database();
    std::map<QString, TLotSummary> lots;
    for (TLookup q(session, database, kLotsReceived, {{"Cod", article}}); !(*q).Eof(); (*q).Next()) {
        if (q.Text("Cod_grupa") != group)
            continue;
        TLotSummary& s = lots[q.Text("Lot")];
        s.Lot = q.Text("Lot");
        const fw::TField* first = F(&*q, "Prima");
        s.FirstReceived = first->IsNull() ? QDate() : first->AsDate();
        s.Received = F(&*q, "Intrat")->AsFloat();
    }
    std::vector<std::pair<const char*, QString>> values{{"Cod", article}};
    if (!group.isEmpty())
        values.push_back({"Grupa", group});
    for (TLookup q(session, database, TStockLedger::StockOfLotsSql(group), values); !(*q).Eof(); (*q).Next()) {
        TLotSummary& s = lots[q.Text("Lot")];
        s.Lot = q.Text("Lot");
        s.InStock = F(&*q, "Stoc")->AsFloat();
    }
    std::vector<TLotSummary> out;
    out.reserve(lots.size());
    for (auto& [name, summary] : lots)
        out.push_back(summary);
    return out;
}

TRecall TLotWalk::Follow(const std::vector<TLotKey>& lots, TRecallDirection direction)
{
    followed_.clear();
    onTheWay_.clear();
    steps_.clear();
    direction_ = direction;
    // Level by level, each level's lots read together; then the tree, depth first.
    std::set<TLotKey> reached(lots.begin(), lots.end());
    for (std::vector<TLotKey> level(reached.begin(), reached.end()); !level.empty();) {
        std::vector<TLotKey> next;
        for (const TLotKey& lot : Step(level, direction))
            if (reached.insert(lot).second)
                next.push_back(lot);
        level = std::move(next);
    }
    TRecall recall;
    recall.Direction = direction;
    for (const TLotKey& key : lots) {
        TRecallNode root = LotNode(key);
        root.Children = ReceiptsOf(key, 0);
        if (!root.Children.empty()) {
            root.Document = root.Children.front().Document;
            root.Warehouse = root.Children.front().Warehouse;
            for (TRecallNode& receipt : root.Children) {
                root.Received += receipt.Quantity;
                receipt.Share = receipt.Quantity;
                receipt.ShareUnit = receipt.QuantityUnit;
            }
        }
        root.Share = root.Made = root.Received;
        root.ShareUnit = root.Unit;
        Expand(root);
        recall.Roots.push_back(std::move(root));
    }
    SetStandings(recall);
    return recall;
}

namespace {

void EachLot(std::vector<TRecallNode>& nodes, const std::function<void(TRecallNode&)>& visit)
{
    for (TRecallNode& node : nodes) {
        if (node.Kind == TRecallKind::Lot)
            visit(node);
        EachLot(node.Children, visit);
    }
}

} // namespace

void TLotWalk::SetStandings(TRecall& recall)
{
    // A company the user may only read may predate the standings: all its lots are released.
    fw::TTable standings;
    standings.SetSession(reads_->Session());
    standings.SetDatabaseName(reads_->Database());
    standings.SetTableName(fw::StareLotDB);
    if (!standings.Exists())
        return;
    std::vector<TMaterialDraw> articles;
    std::map<std::pair<QString, QString>, size_t> index;
    EachLot(recall.Roots, [&](TRecallNode& node) {
        if (index.emplace(std::pair(node.Lot.Group, node.Lot.Article), articles.size()).second)
            articles.push_back({node.Lot.Group, node.Lot.Article, 0});
    });
    const std::vector<QHash<QString, TLotStanding>> held =
        UnusableLots(*reads_->Session()->ConnectionFor(reads_->Database()), articles);
    EachLot(recall.Roots, [&](TRecallNode& node) {
        const QHash<QString, TLotStanding>& ofArticle = held[index.at({node.Lot.Group, node.Lot.Article})];
        const auto found = ofArticle.constFind(node.Lot.Lot);
        if (found != ofArticle.constEnd())
            node.Standing = *found;
    });
}

std::vector<TLotKey> TLotWalk::Step(const std::vector<TLotKey>& lots, TRecallDirection direction)
{
    Prefetch(lots, direction);
    std::vector<TLotKey> reached;
    for (const TLotKey& lot : lots) {
        std::vector<TRecallNode> children =
            direction == TRecallDirection::Forward ? ForwardChildren(lot) : BackwardChildren(lot);
        for (const TRecallNode& child : children) {
            if (child.Kind == TRecallKind::Lot)
                reached.push_back(child.Lot);
            for (const TRecallNode& grandchild : child.Children)
                reached.push_back(grandchild.Lot);
        }
        steps_[lot] = std::move(children);
    }
    return reached;
}

void TLotWalk::Prefetch(const std::vector<TLotKey>& lots, TRecallDirection direction)
{
    TRecallReads& r = *reads_;
    r.LoadArticles(lots);
    r.LoadReceiptsOfLots(lots);
    std::vector<double> receipts;  // whose lines are reached
    std::vector<TLotKey> reached;  // lots reached (or likely so)
    std::vector<QString> partners; // of the documents reached
    for (const TLotKey& lot : lots)
        for (const TRecallDocLine& in : r.ReceiptsOfLot(lot))
            partners.push_back(in.Partner);
    if (direction == TRecallDirection::Forward) {
        r.LoadOutgoingOfLots(lots);
        std::vector<double> documents;
        for (const TLotKey& lot : lots)
            for (const TRecallDocLine& line : r.OutgoingOfLot(lot)) {
                partners.push_back(line.Partner);
                if (line.Type == fw::ConsumptionDocType && Counts(reversals_, line.Document))
                    documents.push_back(line.Document);
            }
        r.LoadGenealogyOfDocuments(documents);
        for (const TLotKey& lot : lots)
            for (const TRecallDocLine& line : r.OutgoingOfLot(lot))
                for (const TRecallGenealogy& g : r.FedByLine(line.Document, line.Line))
                    if (g.HasProduct)
                        receipts.push_back(g.Receipt);
        std::vector<std::pair<double, QDate>> numbers; // of lines drawn without genealogy
        for (const TLotKey& lot : lots)
            for (const TRecallDocLine& line : r.OutgoingOfLot(lot))
                if (line.Type == fw::ConsumptionDocType && r.FedByLine(line.Document, line.Line).empty())
                    numbers.push_back({line.Number, line.Date});
        r.LoadReceiptsNumbered(numbers);
        for (const auto& [number, date] : numbers)
            for (double receipt : r.ReceiptsNumbered(number, date))
                receipts.push_back(receipt);
        r.LoadReceiptLines(receipts);
    } else {
        std::vector<std::pair<double, QDate>> numbers;
        for (const TLotKey& lot : lots)
            for (const TRecallDocLine& made : r.ReceiptsOfLot(lot)) {
                receipts.push_back(made.Document);
                numbers.push_back({made.Number, made.Date});
            }
        r.LoadGenealogyOfReceipts(receipts);
        r.LoadConsumptionsNumbered(numbers);
        std::vector<double> documents;
        for (const auto& [number, date] : numbers)
            for (double document : r.ConsumptionsNumbered(number, date))
                if (Counts(reversals_, document))
                    documents.push_back(document);
        r.LoadGenealogyOfDocuments(documents);
        std::vector<double> legacy; // written without genealogy
        for (double document : documents)
            if (!r.DocumentHasGenealogy(document))
                legacy.push_back(document);
        r.LoadDocumentLines(legacy);
        for (double document : legacy)
            for (const TRecallDocLine& used : r.DocumentLines(document))
                reached.push_back(used.Lot);
        std::vector<double> inward;
        for (const TLotKey& lot : lots)
            for (const TRecallDocLine& made : r.ReceiptsOfLot(lot))
                for (const TRecallGenealogy& g : r.IntoReceiptLine(made.Document, made.Line)) {
                    inward.push_back(g.In);
                    reached.push_back(g.Lot);
                }
        r.LoadReceiptLines(inward);
        receipts = std::move(inward);
        r.LoadReceiptsOfLots(reached);
        for (const TLotKey& lot : reached)
            for (const TRecallDocLine& in : r.ReceiptsOfLot(lot))
                partners.push_back(in.Partner);
    }
    for (double receipt : receipts)
        for (const TRecallDocLine* line : r.LinesOfReceipt(receipt)) {
            reached.push_back(line->Lot);
            partners.push_back(line->Partner);
        }
    r.LoadArticles(reached);
    r.LoadPartners(partners);
}

void TLotWalk::Balance(TRecall& recall)
{
    recall.Balances = LotBalances(*reads_, reversals_, BalancedLots(recall));
}

TRecallNode TLotWalk::LotNode(const TLotKey& key)
{
    TRecallNode node;
    node.Kind = TRecallKind::Lot;
    node.Lot = key;
    Describe(node);
    return node;
}

void TLotWalk::Describe(TRecallNode& node)
{
    const TRecallArticle& article = reads_->Article(node.Lot.Group, node.Lot.Article);
    node.Name = article.Name;
    node.Unit = article.Unit;
    node.Description = article.Description;
}

QString TLotWalk::ArticleName(const QString& group, const QString& article)
{
    return reads_->Article(group, article).Name;
}

void TLotWalk::SetDocument(TRecallDocument& document, const TRecallDocLine& line)
{
    document.Counter = line.Document;
    document.Type = line.Type;
    document.Number = line.Number;
    document.Date = line.Date;
    document.Partner = line.Partner;
    document.PartnerName = line.Partner;
    if (line.Partner.isEmpty())
        return;
    const TRecallPartner& partner = reads_->Partner(line.Partner);
    document.PartnerName = partner.Name;
    document.FiscalCode = partner.FiscalCode;
    document.Address = partner.Address;
    document.Phone = partner.Phone;
}

void TLotWalk::Expand(TRecallNode& node)
{
    if (onTheWay_.count(node.Lot)) {
        node.Cycle = true;
        return;
    }
    if (!followed_.insert(node.Lot).second) {
        node.Repeated = true;
        return;
    }
    onTheWay_.insert(node.Lot);
    auto step = steps_.find(node.Lot);
    if (step != steps_.end()) {
        for (TRecallNode& child : step->second) {
            Shift(child, node.Level);
            Carry(node, child);
            if (child.Kind == TRecallKind::Lot)
                Expand(child);
            else
                for (TRecallNode& lot : child.Children) { // what a document drew is the lot's
                    Carry(node, lot);
                    Expand(lot);
                }
            node.Children.push_back(std::move(child));
        }
        steps_.erase(step);
    }
    onTheWay_.erase(node.Lot);
}

void TLotWalk::Carry(const TRecallNode& node, TRecallNode& child)
{
    // Multiplied before it is divided: a share of whole figures stays as written.
    child.Share = node.Made > 0 ? child.Quantity * node.Share / node.Made : child.Quantity;
    child.ShareUnit = direction_ == TRecallDirection::Forward ? node.ShareUnit : child.Unit;
    if (child.Kind == TRecallKind::Lot)
        for (const TRecallDocLine& in : reads_->ReceiptsOfLot(child.Lot))
            child.Made += in.Quantity;
}

std::vector<TRecallNode> TLotWalk::ReceiptsOf(const TLotKey& key, int level)
{
    std::vector<TRecallNode> receipts;
    for (const TRecallDocLine& in : reads_->ReceiptsOfLot(key)) {
        TRecallNode r;
        r.Kind = TRecallKind::Receipt;
        r.Level = level;
        r.Lot = key;
        r.Warehouse = in.Warehouse;
        r.Quantity = in.Quantity;
        SetDocument(r.Document, in);
        Describe(r);
        r.QuantityUnit = r.Unit;
        receipts.push_back(std::move(r));
    }
    return receipts;
}

const TReceiptWeights& TLotWalk::TiedReceipts(double number, const QDate& date)
{
    const std::pair<double, qint64> key{number, date.isValid() ? date.toJulianDay() : 0};
    std::unique_ptr<TReceiptWeights>& weights = tied_[key];
    if (!weights)
        weights = std::make_unique<TReceiptWeights>(reads_->Session(), reads_->Database(),
                                                    date.isValid() ? reads_->ReceiptsNumbered(number, date)
                                                                   : std::vector<double>());
    return *weights;
}

std::vector<TRecallNode> TLotWalk::ForwardChildren(const TLotKey& key)
{
    const TRecallNode node = LotNode(key);
    std::vector<TRecallDocLine> lines;
    for (const TRecallDocLine& line : reads_->OutgoingOfLot(key))
        if (Counts(reversals_, line.Document))
            lines.push_back(line);

    std::vector<TRecallNode> children;
    for (size_t first = 0; first < lines.size();) {
        // The lines of one document.
        size_t end = first;
        double moved = 0;
        while (end < lines.size() && lines[end].Document == lines[first].Document)
            moved += lines[end++].Quantity;
        const TRecallDocLine& d = lines[first];
        TRecallNode doc;
        doc.Lot = key;
        doc.Name = node.Name;
        doc.Unit = node.Unit;
        doc.Quantity = moved;
        doc.QuantityUnit = node.Unit;
        SetDocument(doc.Document, d);
        if (d.Type != fw::ConsumptionDocType) {
            doc.Kind = TRecallKind::Shipment;
            children.push_back(std::move(doc));
            first = end;
            continue;
        }
        doc.Kind = TRecallKind::Consumption;
        std::vector<TLink> links;
        for (size_t i = first; i < end; ++i) {
            const std::vector<TRecallGenealogy>& fed = reads_->FedByLine(lines[i].Document, lines[i].Line);
            for (const TRecallGenealogy& g : fed)
                if (g.HasProduct)
                    AddLink(links, {g.Receipt, g.ReceiptLine, g.Quantity, false, {}, {}});
            if (!fed.empty())
                continue;
            const TReceiptWeights& tied = TiedReceipts(d.Number, d.Date);
            for (const TReceiptWeights::TShare& s : tied.Shares(key.Group, key.Article, lines[i].Quantity))
                AddLink(links, {tied.Lines()[s.Line].Receipt, tied.Lines()[s.Line].Line, s.Quantity, true, {}, {}});
        }
        for (const TLink& link : links) {
            const TRecallDocLine* made = reads_->ReceiptLine(link.Receipt, link.Line);
            if (!made)
                continue; // the receipt line is gone, and its lot with it
            TRecallNode lot = LotNode(made->Lot);
            lot.Level = 1;
            SetDocument(lot.Document, *made);
            lot.Warehouse = made->Warehouse;
            lot.Received = made->Quantity;
            lot.Quantity = link.Quantity;
            lot.QuantityUnit = node.Unit;
            lot.Estimated = link.Estimated;
            doc.Children.push_back(std::move(lot));
        }
        children.push_back(std::move(doc));
        first = end;
    }
    return children;
}

std::vector<TRecallNode> TLotWalk::BackwardChildren(const TLotKey& key)
{
    std::vector<TLink> links;
    for (const TRecallDocLine& r : reads_->ReceiptsOfLot(key)) {
        for (const TRecallGenealogy& g : reads_->IntoReceiptLine(r.Document, r.Line))
            if (Counts(reversals_, g.Document))
                AddLink(links, {g.In, g.InLine, g.Quantity, false, g.Lot, g.Warehouse});
        if (!r.Date.isValid())
            continue;
        // The consumption documents tied to the receipt that were written without genealogy.
        for (double document : reads_->ConsumptionsNumbered(r.Number, r.Date)) {
            if (!Counts(reversals_, document) || reads_->DocumentHasGenealogy(document))
                continue;
            const TReceiptWeights& tied = TiedReceipts(r.Number, r.Date);
            const auto& tiedLines = tied.Lines();
            const auto self = std::find_if(tiedLines.begin(), tiedLines.end(), [&](const TReceiptWeights::TLine& l) {
                return l.Receipt == r.Document && l.Line == r.Line;
            });
            if (self == tiedLines.end())
                continue;
            const size_t index = size_t(self - tiedLines.begin());
            for (const TRecallDocLine& u : reads_->DocumentLines(document))
                for (const TReceiptWeights::TShare& s : tied.Shares(u.Lot.Group, u.Lot.Article, u.Quantity))
                    if (s.Line == index)
                        AddLink(links, {0, 0, s.Quantity, true, u.Lot, u.Warehouse});
        }
    }
    std::vector<TRecallNode> children;
    for (const TLink& link : links) {
        TRecallNode lot = LotNode(link.Lot);
        lot.Level = 1;
        lot.Quantity = link.Quantity;
        lot.QuantityUnit = lot.Unit;
        lot.Estimated = link.Estimated;
        lot.Warehouse = link.Warehouse;
        // The receipt that brought in the stock row drawn on; without one recorded, the
        // lot's first receipt.
        if (const TRecallDocLine* in = link.Receipt != 0 ? reads_->ReceiptLine(link.Receipt, link.Line) : nullptr) {
            SetDocument(lot.Document, *in);
            lot.Received = in->Quantity;
        } else if (const std::vector<TRecallNode> receipts = ReceiptsOf(link.Lot, lot.Level); !receipts.empty()) {
            lot.Document = receipts.front().Document;
            lot.Received = receipts.front().Quantity;
        }
        children.push_back(std::move(lot));
    }
    return children;
}

} // namespace corvanel
