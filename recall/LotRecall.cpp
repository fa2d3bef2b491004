#include "recall/LotRecall.h"

#include "data/Genealogy.h"
#include "data/StockLedger.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

#include <algorithm>

namespace corvanel {

using fw::TQuery;

namespace {

// The lines of the statements the walk runs. Lines are found by article and lot through
// the lines' own index on them; the group is compared here, so that a lot of an article
// without group (null in the tables) is found like any other.
const QStringList kOutgoingOfLot{
    QStringLiteral("SELECT O.Contor, O.Contor_secundar, O.Cod_grupa, O.Cantitate + 0 AS Cantitate,"),
    QStringLiteral(" D.Tip, D.Numar, D.Data, D.Client"),
    QStringLiteral("FROM Item_out O, Doc_out D"),
    QStringLiteral("WHERE (O.Cod_articol = :Cod) AND (O.Lot = :Lot) AND (D.Contor = O.Contor)"),
    QStringLiteral("ORDER BY D.Data, O.Contor, O.Contor_secundar")};
const QStringList kReceiptsOfLot{
    QStringLiteral("SELECT I.Contor, I.Contor_secundar, I.Cod_grupa, I.Cod_gestiune, I.Cantitate + 0 AS Cantitate,"),
    QStringLiteral(" D.Tip, D.Numar, D.Data, D.Furnizor"),
    QStringLiteral("FROM Item_in I, Doc_in D"),
    QStringLiteral("WHERE (I.Cod_articol = :Cod) AND (I.Lot = :Lot) AND (D.Contor = I.Contor)"),
    QStringLiteral("ORDER BY D.Data, I.Contor, I.Contor_secundar")};
const QStringList kReceiptLine{
    QStringLiteral("SELECT I.Cod_grupa, I.Cod_articol, I.Lot, I.Cod_gestiune, I.Cantitate + 0 AS Cantitate,"),
    QStringLiteral(" D.Tip, D.Numar, D.Data, D.Furnizor"),
    QStringLiteral("FROM Item_in I, Doc_in D"),
    QStringLiteral("WHERE (I.Contor = :Contor) AND (I.Contor_secundar = :Linie) AND (D.Contor = I.Contor)")};
const QStringList kFedByLine{
    QStringLiteral("SELECT Contor_produs, Contor_secundar_produs, Cantitate"),
    QStringLiteral("FROM Genealogie"),
    QStringLiteral("WHERE (Contor_out = :Contor) AND (Contor_secundar_out = :Linie)")};
const QStringList kIntoLine{
    QStringLiteral("SELECT Cod_grupa, Cod_articol, Lot, Cantitate, Contor_in, Contor_secundar_in, Cod_gestiune, Contor_out"),
    QStringLiteral("FROM Genealogie"),
    QStringLiteral("WHERE (Contor_produs = :Contor) AND (Contor_secundar_produs = :Linie)"),
    QStringLiteral("ORDER BY Contor_out, Contor_secundar_out")};
const QStringList kDocumentHasGenealogy{QStringLiteral("SELECT COUNT(*) FROM Genealogie WHERE (Contor_out = :Contor)")};
const QStringList kTiedConsumption{
    QStringLiteral("SELECT Contor FROM Doc_out"),
    QStringLiteral("WHERE (Numar = :Numar) AND (Data = :Data) AND (Tip = :Tip)"),
    QStringLiteral("ORDER BY Contor")};
const QStringList kTiedReceipts{QStringLiteral("SELECT Contor FROM Doc_in"),
                                QStringLiteral("WHERE (Numar = :Numar) AND (Data = :Data)"),
                                QStringLiteral("ORDER BY Contor")};
const QStringList kDocumentLines{
    QStringLiteral("SELECT Contor_secundar, Cod_grupa, Cod_articol, Lot, Cantitate + 0 AS Cantitate, Cod_gestiune"),
    QStringLiteral("FROM Item_out"), QStringLiteral("WHERE (Contor = :Contor)"),
    QStringLiteral("ORDER BY Contor_secundar")};
const QStringList kArticle{QStringLiteral("SELECT Denumire, Unitate_masura FROM Catalog"),
                           QStringLiteral("WHERE (Grupa = :Grupa) AND (Cod = :Cod)")};
const QStringList kSupplier{QStringLiteral("SELECT Nume_furnizor FROM Furn WHERE (Cod_furnizor = :Cod)")};
// A lot name alone: an index seek for each article of the catalog, never a walk of the lines.
const QStringList kArticlesOfLotIn{
    QStringLiteral("SELECT DISTINCT Cod_grupa, Cod_articol FROM Item_in"),
    QStringLiteral("WHERE (Lot = :Lot) AND (Cod_articol IN (SELECT Cod FROM Catalog))")};
const QStringList kArticlesOfLotOut{
    QStringLiteral("SELECT DISTINCT Cod_grupa, Cod_articol FROM Item_out"),
    QStringLiteral("WHERE (Lot = :Lot) AND (Cod_articol IN (SELECT Cod FROM Catalog))")};
// A lot only the stock knows of (stock no receipt brought in): asked only when no
// document names the lot.
const QStringList kArticlesOfLotInStock = TStockLedger::ArticlesOfLotSql();
const QStringList kGroupsOfLotIn{QStringLiteral("SELECT DISTINCT Cod_grupa FROM Item_in"),
                                 QStringLiteral("WHERE (Cod_articol = :Cod) AND (Lot = :Lot)")};
const QStringList kGroupsOfLotOut{QStringLiteral("SELECT DISTINCT Cod_grupa FROM Item_out"),
                                  QStringLiteral("WHERE (Cod_articol = :Cod) AND (Lot = :Lot)")};
const QStringList kLotsReceived{
    QStringLiteral("SELECT I.Cod_grupa, I.Lot, MIN(D.Data) AS Prima, SUM(I.Cantitate + 0) AS Intrat"),
    QStringLiteral("FROM Item_in I LEFT JOIN Doc_in D ON (D.Contor = I.Contor)"),
    QStringLiteral("WHERE (I.Cod_articol = :Cod) AND (I.Lot IS NOT NULL)"),
    QStringLiteral("GROUP BY I.Cod_grupa, I.Lot")};

double Float(const TQuery& q, int column) { return q.Fields(column)->AsFloat(); }
QString Text(const TQuery& q, int column) { return q.Fields(column)->AsString(); }
QDate Date(const TQuery& q, int column)
{
    const fw::TField* f = q.Fields(column);
    return f->IsNull() ? QDate() : f->AsDate();
}

} // namespace

struct TLotWalk::TReceiptLine {
    TLotKey Lot;
    QString Warehouse;
    double Quantity = 0;
    TRecallDocument Document;
};

// One query per statement, kept for the walk.
struct TLotWalk::TQueries {
    TQueries(fw::TSession* session, const QString& database) : session_(session), database_(database) {}

    // The query of those lines with its parameters bound in order, opened.
    TQuery& Run(const QStringList& sql, const QVariantList& values)
    {
        std::unique_ptr<TQuery>& q = queries_[sql.join(QLatin1Char('\n'))];
        if (!q) {
            q = std::make_unique<TQuery>();
            q->SetSession(session_);
            q->SetDatabaseName(database_);
            q->SetSQL(sql);
        }
        q->Close();
        for (int i = 0; i < q->ParamCount(); ++i) {
            const QVariant& v = values.at(i);
            fw::TParam* p = q->Params(i);
            if (v.typeId() == QMetaType::Double)
                p->SetAsFloat(v.toDouble());
            else if (v.typeId() == QMetaType::QDate)
                p->SetAsDate(v.toDate());
            else
                p->SetAsString(v.toString());
        }
        q->Open();
        return *q;
    }

    fw::TSession* session_;
    QString database_;
    std::map<QString, std::unique_ptr<TQuery>> queries_;
    bool hasGenealogy_ = true;
};

TLotWalk::TLotWalk(fw::TSession* session, const QString& database) : q_(std::make_unique<TQueries>(session, database))
{
    // A company the user may only read may lack the table: its documents are estimated.
    fw::TTable genealogy;
    genealogy.SetSession(session);
    genealogy.SetDatabaseName(database);
    genealogy.SetTableName(fw::GenealogieDB);
    q_->hasGenealogy_ = genealogy.Exists();
    reversals_ = ReadReversals(session, database);
}

TLotWalk::~TLotWalk() = default;

std::vector<TLotKey> TLotWalk::FindLots(const QString& lot, const QString& group, const QString& article)
{
    std::set<TLotKey> found;
    if (lot.isEmpty())
        return {};
    if (!article.isEmpty()) {
        for (const QStringList* sql : {&kGroupsOfLotIn, &kGroupsOfLotOut})
            for (TQuery& q = q_->Run(*sql, {article, lot}); !q.Eof(); q.Next())
                if (Text(q, 0) == group)
                    found.insert({group, article, lot});
        if (found.empty()) {
            const QStringList sql = TStockLedger::LotRowsSql(group);
            TQuery& q = group.isEmpty() ? q_->Run(sql, {article, lot}) : q_->Run(sql, {group, article, lot});
            if (Float(q, 0) > 0)
                found.insert({group, article, lot});
        }
    } else {
        for (const QStringList* sql : {&kArticlesOfLotIn, &kArticlesOfLotOut})
            for (TQuery& q = q_->Run(*sql, {lot}); !q.Eof(); q.Next())
                found.insert({Text(q, 0), Text(q, 1), lot});
        if (found.empty())
            for (TQuery& q = q_->Run(kArticlesOfLotInStock, {lot}); !q.Eof(); q.Next())
                found.insert({Text(q, 0), Text(q, 1), lot});
    }
    return {found.begin(), found.end()};
}

std::vector<TLotSummary> TLotWalk::LotsOf(const QString& group, const QString& article)
{
    std::map<QString, TLotSummary> lots;
    for (TQuery& q = q_->Run(kLotsReceived, {article}); !q.Eof(); q.Next()) {
        if (Text(q, 0) != group)
            continue;
        TLotSummary& s = lots[Text(q, 1)];
        s.Lot = Text(q, 1);
        s.FirstReceived = Date(q, 2);
        s.Received = Float(q, 3);
    }
    const QStringList stock = TStockLedger::StockOfLotsSql(group);
    for (TQuery& q = group.isEmpty() ? q_->Run(stock, {article}) : q_->Run(stock, {group, article}); !q.Eof(); q.Next()) {
        TLotSummary& s = lots[Text(q, 0)];
        s.Lot = Text(q, 0);
        s.InStock = Float(q, 1);
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
    TRecall recall;
    recall.Direction = direction;
    for (const TLotKey& key : lots) {
        TRecallNode root = LotNode(key, 0);
        root.Children = ReceiptsOf(key, 0);
        if (!root.Children.empty()) {
            root.Document = root.Children.front().Document;
            root.Warehouse = root.Children.front().Warehouse;
            for (const TRecallNode& receipt : root.Children)
                root.Received += receipt.Quantity;
        }
        Expand(root, direction);
        recall.Roots.push_back(std::move(root));
    }
    return recall;
}

TRecallNode TLotWalk::LotNode(const TLotKey& key, int level)
{
    TRecallNode node;
    node.Kind = TRecallKind::Lot;
    node.Level = level;
    node.Lot = key;
    Describe(node);
    return node;
}

void TLotWalk::Describe(TRecallNode& node)
{
    const std::pair<QString, QString> article{node.Lot.Group, node.Lot.Article};
    auto found = articles_.find(article);
    if (found == articles_.end()) {
        TQuery& q = q_->Run(kArticle, {node.Lot.Group, node.Lot.Article});
        found = articles_.emplace(article, q.Eof() ? std::pair<QString, QString>() : std::pair{Text(q, 0), Text(q, 1)}).first;
    }
    node.Name = found->second.first;
    node.Unit = found->second.second;
}

QString TLotWalk::ArticleName(const QString& group, const QString& article)
{
    TRecallNode node;
    node.Lot = {group, article, QString()};
    Describe(node);
    return node.Name;
}

void TLotWalk::SetDocument(TRecallDocument& document, const QString& type, double number, const QDate& date,
                           const QString& partner, double counter, bool supplier)
{
    document.Counter = counter;
    document.Type = type;
    document.Number = number;
    document.Date = date;
    document.Partner = partner;
    document.PartnerName = partner;
    if (!supplier || partner.isEmpty())
        return;
    auto found = suppliers_.find(partner);
    if (found == suppliers_.end()) {
        TQuery& q = q_->Run(kSupplier, {partner});
        found = suppliers_.emplace(partner, q.Eof() || Text(q, 0).isEmpty() ? partner : Text(q, 0)).first;
    }
    document.PartnerName = found->second;
}

void TLotWalk::Expand(TRecallNode& node, TRecallDirection direction)
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
    if (direction == TRecallDirection::Forward)
        Forward(node);
    else
        Backward(node);
    onTheWay_.erase(node.Lot);
}

std::vector<TRecallNode> TLotWalk::ReceiptsOf(const TLotKey& key, int level)
{
    std::vector<TRecallNode> receipts;
    for (TQuery& q = q_->Run(kReceiptsOfLot, {key.Article, key.Lot}); !q.Eof(); q.Next()) {
        if (Text(q, 2) != key.Group)
            continue;
        TRecallNode r;
        r.Kind = TRecallKind::Receipt;
        r.Level = level;
        r.Lot = key;
        r.Warehouse = Text(q, 3);
        r.Quantity = Float(q, 4);
        SetDocument(r.Document, Text(q, 5), Float(q, 6), Date(q, 7), Text(q, 8), Float(q, 0), true);
        receipts.push_back(std::move(r));
    }
    for (TRecallNode& r : receipts) {
        Describe(r);
        r.QuantityUnit = r.Unit;
    }
    return receipts;
}

const TLotWalk::TReceiptLine* TLotWalk::ReceiptLine(double receipt, double line)
{
    auto found = receiptLines_.find({receipt, line});
    if (found != receiptLines_.end())
        return found->second.get();
    std::unique_ptr<TReceiptLine> read;
    TQuery& q = q_->Run(kReceiptLine, {receipt, line});
    if (!q.Eof()) {
        read = std::make_unique<TReceiptLine>();
        read->Lot = {Text(q, 0), Text(q, 1), Text(q, 2)};
        read->Warehouse = Text(q, 3);
        read->Quantity = Float(q, 4);
        const QString type = Text(q, 5);
        const double number = Float(q, 6);
        const QDate date = Date(q, 7);
        const QString supplier = Text(q, 8);
        SetDocument(read->Document, type, number, date, supplier, receipt, true);
    }
    return receiptLines_.emplace(std::pair{receipt, line}, std::move(read)).first->second.get();
}

const TReceiptWeights& TLotWalk::TiedReceipts(double number, const QDate& date)
{
    const std::pair<double, qint64> key{number, date.isValid() ? date.toJulianDay() : 0};
    std::unique_ptr<TReceiptWeights>& weights = tied_[key];
    if (!weights) {
        std::vector<double> receipts;
        if (date.isValid())
            for (TQuery& q = q_->Run(kTiedReceipts, {number, date}); !q.Eof(); q.Next())
                receipts.push_back(Float(q, 0));
        weights = std::make_unique<TReceiptWeights>(q_->session_, q_->database_, receipts);
    }
    return *weights;
}

namespace {

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

} // namespace

void TLotWalk::Forward(TRecallNode& node)
{
    struct TOutLine {
        double Document, Line, Quantity;
        QString Type;
        double Number;
        QDate Date;
        QString Customer;
    };
    std::vector<TOutLine> lines;
    for (TQuery& q = q_->Run(kOutgoingOfLot, {node.Lot.Article, node.Lot.Lot}); !q.Eof(); q.Next())
        // A reversed consumption and its reversal moved nothing in the end.
        if (Text(q, 2) == node.Lot.Group && !reversals_.Involves(Float(q, 0)))
            lines.push_back({Float(q, 0), Float(q, 1), Float(q, 3), Text(q, 4), Float(q, 5), Date(q, 6), Text(q, 7)});

    for (size_t first = 0; first < lines.size();) {
        // The lines of one document.
        size_t end = first;
        double moved = 0;
        while (end < lines.size() && lines[end].Document == lines[first].Document)
            moved += lines[end++].Quantity;
        const TOutLine& d = lines[first];
        TRecallNode doc;
        doc.Level = node.Level;
        doc.Lot = node.Lot;
        doc.Name = node.Name;
        doc.Unit = node.Unit;
        doc.Quantity = moved;
        doc.QuantityUnit = node.Unit;
        SetDocument(doc.Document, d.Type, d.Number, d.Date, d.Customer, d.Document, false);
        if (d.Type != fw::ConsumptionDocType) {
            doc.Kind = TRecallKind::Shipment;
            node.Children.push_back(std::move(doc));
            first = end;
            continue;
        }
        doc.Kind = TRecallKind::Consumption;
        std::vector<TLink> links;
        for (size_t i = first; i < end; ++i) {
            bool written = false;
            if (q_->hasGenealogy_)
                for (TQuery& q = q_->Run(kFedByLine, {lines[i].Document, lines[i].Line}); !q.Eof(); q.Next()) {
                    written = true;
                    if (!q.Fields(0)->IsNull())
                        AddLink(links, {Float(q, 0), Float(q, 1), Float(q, 2), false, {}, {}});
                }
            if (written)
                continue;
            const TReceiptWeights& tied = TiedReceipts(d.Number, d.Date);
            for (const TReceiptWeights::TShare& s : tied.Shares(node.Lot.Group, node.Lot.Article, lines[i].Quantity))
                AddLink(links, {tied.Lines()[s.Line].Receipt, tied.Lines()[s.Line].Line, s.Quantity, true, {}, {}});
        }
        for (const TLink& link : links) {
            const TReceiptLine* made = ReceiptLine(link.Receipt, link.Line);
            if (!made)
                continue; // the receipt line is gone, and its lot with it
            TRecallNode lot = LotNode(made->Lot, node.Level + 1);
            lot.Document = made->Document;
            lot.Warehouse = made->Warehouse;
            lot.Received = made->Quantity;
            lot.Quantity = link.Quantity;
            lot.QuantityUnit = node.Unit;
            lot.Estimated = link.Estimated;
            Expand(lot, TRecallDirection::Forward);
            doc.Children.push_back(std::move(lot));
        }
        node.Children.push_back(std::move(doc));
        first = end;
    }
}

void TLotWalk::Backward(TRecallNode& node)
{
    struct TMadeBy {
        double Receipt, Line;
        double Number;
        QDate Date;
    };
    std::vector<TMadeBy> made;
    for (TQuery& q = q_->Run(kReceiptsOfLot, {node.Lot.Article, node.Lot.Lot}); !q.Eof(); q.Next())
        if (Text(q, 2) == node.Lot.Group)
            made.push_back({Float(q, 0), Float(q, 1), Float(q, 6), Date(q, 7)});

    std::vector<TLink> links;
    for (const TMadeBy& r : made) {
        if (q_->hasGenealogy_)
            for (TQuery& q = q_->Run(kIntoLine, {r.Receipt, r.Line}); !q.Eof(); q.Next())
                if (!reversals_.Involves(Float(q, 7)))
                    AddLink(links, {Float(q, 4), Float(q, 5), Float(q, 3), false, {Text(q, 0), Text(q, 1), Text(q, 2)}, Text(q, 6)});
        if (!r.Date.isValid())
            continue;
        // The consumption documents tied to the receipt that were written without genealogy.
        std::vector<double> documents;
        for (TQuery& q = q_->Run(kTiedConsumption, {r.Number, r.Date, fw::ConsumptionDocType}); !q.Eof(); q.Next())
            documents.push_back(Float(q, 0));
        for (double document : documents) {
            if (reversals_.Involves(document))
                continue;
            if (q_->hasGenealogy_ && Float(q_->Run(kDocumentHasGenealogy, {document}), 0) > 0)
                continue;
            const TReceiptWeights& tied = TiedReceipts(r.Number, r.Date);
            const auto& tiedLines = tied.Lines();
            const auto self = std::find_if(tiedLines.begin(), tiedLines.end(), [&](const TReceiptWeights::TLine& l) {
                return l.Receipt == r.Receipt && l.Line == r.Line;
            });
            if (self == tiedLines.end())
                continue;
            const size_t index = size_t(self - tiedLines.begin());
            struct TUsed {
                TLotKey Lot;
                double Quantity;
                QString Warehouse;
            };
            std::vector<TUsed> used;
            for (TQuery& q = q_->Run(kDocumentLines, {document}); !q.Eof(); q.Next())
                used.push_back({{Text(q, 1), Text(q, 2), Text(q, 3)}, Float(q, 4), Text(q, 5)});
            for (const TUsed& u : used)
                for (const TReceiptWeights::TShare& s : tied.Shares(u.Lot.Group, u.Lot.Article, u.Quantity))
                    if (s.Line == index)
                        AddLink(links, {0, 0, s.Quantity, true, u.Lot, u.Warehouse});
        }
    }
    for (const TLink& link : links) {
        TRecallNode lot = LotNode(link.Lot, node.Level + 1);
        lot.Quantity = link.Quantity;
        lot.QuantityUnit = lot.Unit;
        lot.Estimated = link.Estimated;
        lot.Warehouse = link.Warehouse;
        // The receipt that brought in the stock row drawn on; without one recorded, the
        // lot's first receipt.
        if (const TReceiptLine* in = link.Receipt != 0 ? ReceiptLine(link.Receipt, link.Line) : nullptr) {
            lot.Document = in->Document;
            lot.Received = in->Quantity;
        } else if (const std::vector<TRecallNode> receipts = ReceiptsOf(link.Lot, lot.Level); !receipts.empty()) {
            lot.Document = receipts.front().Document;
            lot.Received = receipts.front().Quantity;
        }
        Expand(lot, TRecallDirection::Backward);
        node.Children.push_back(std::move(lot));
    }
}

} // namespace corvanel
