#include "recall/RecallReads.h"

#include "data/FieldByName.h"
#include "data/StockLedger.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace corvanel {

using fw::TField;
using fw::TQuery;

namespace {

// The statements, each a head, a condition over a chunk of keys (a term per key, its
// parameters numbered where the term has #) and a tail. Lines are found by article and lot,
// documents by counter or by number and date, each through an index on them; the group
// is compared here, so that a lot of an article without group (null in the tables) is
// found like any other.
struct TBatchSql {
    QStringList Head;
    QString Term;
    QStringList Tail;
};

const TBatchSql kReceiptsOfLots{
    {QStringLiteral("SELECT I.Contor, I.Contor_secundar, I.Cod_grupa, I.Cod_articol, I.Lot, I.Cod_gestiune,"),
     QStringLiteral(" I.Cantitate + 0 AS Cantitate, D.Tip, D.Numar, D.Data, D.Furnizor"),
     QStringLiteral("FROM Item_in I, Doc_in D"), QStringLiteral("WHERE (D.Contor = I.Contor) AND")},
    QStringLiteral("(I.Cod_articol = :Cod# AND I.Lot = :Lot#)"),
    {QStringLiteral("ORDER BY D.Data, I.Contor, I.Contor_secundar")}};
const TBatchSql kReceiptLines{
    {QStringLiteral("SELECT I.Contor, I.Contor_secundar, I.Cod_grupa, I.Cod_articol, I.Lot, I.Cod_gestiune,"),
     QStringLiteral(" I.Cantitate + 0 AS Cantitate, D.Tip, D.Numar, D.Data, D.Furnizor"),
     QStringLiteral("FROM Item_in I, Doc_in D"), QStringLiteral("WHERE (D.Contor = I.Contor) AND")},
    QStringLiteral("(I.Contor = :Contor#)"),
    {}};
const TBatchSql kOutgoingOfLots{
    {QStringLiteral("SELECT O.Contor, O.Contor_secundar, O.Cod_grupa, O.Cod_articol, O.Lot, O.Cod_gestiune,"),
     QStringLiteral(" O.Cantitate + 0 AS Cantitate, D.Tip, D.Numar, D.Data, D.Client"),
     QStringLiteral("FROM Item_out O, Doc_out D"), QStringLiteral("WHERE (D.Contor = O.Contor) AND")},
    QStringLiteral("(O.Cod_articol = :Cod# AND O.Lot = :Lot#)"),
    {QStringLiteral("ORDER BY D.Data, O.Contor, O.Contor_secundar")}};
const TBatchSql kDocumentLines{
    {QStringLiteral("SELECT O.Contor, O.Contor_secundar, O.Cod_grupa, O.Cod_articol, O.Lot, O.Cod_gestiune,"),
     QStringLiteral(" O.Cantitate + 0 AS Cantitate, D.Tip, D.Numar, D.Data, D.Client"),
     QStringLiteral("FROM Item_out O, Doc_out D"), QStringLiteral("WHERE (D.Contor = O.Contor) AND")},
    QStringLiteral("(O.Contor = :Contor#)"),
    {QStringLiteral("ORDER BY O.Contor, O.Contor_secundar")}};
const QStringList kGenealogyColumns{
    QStringLiteral("SELECT Contor_out, Contor_secundar_out, Contor_produs, Contor_secundar_produs, Cantitate,"),
    QStringLiteral(" Cod_grupa, Cod_articol, Lot, Cod_gestiune, Contor_in, Contor_secundar_in"),
    QStringLiteral("FROM Genealogie WHERE")};
const TBatchSql kGenealogyOfDocuments{
    kGenealogyColumns, QStringLiteral("(Contor_out = :Contor#)"),
    {QStringLiteral("ORDER BY Contor_out, Contor_secundar_out, Contor_produs, Contor_secundar_produs")}};
const TBatchSql kGenealogyOfReceipts{
    kGenealogyColumns, QStringLiteral("(Contor_produs = :Contor#)"),
    {QStringLiteral("ORDER BY Contor_produs, Contor_secundar_produs, Contor_out, Contor_secundar_out")}};
const TBatchSql kConsumptionsNumbered{
    {QStringLiteral("SELECT Contor, Numar, Data FROM Doc_out WHERE (Tip = :Tip) AND")},
    QStringLiteral("(Numar = :Numar# AND Data = :Data#)"),
    {QStringLiteral("ORDER BY Contor")}};
const TBatchSql kReceiptsNumbered{{QStringLiteral("SELECT Contor, Numar, Data FROM Doc_in WHERE")},
                                  QStringLiteral("(Numar = :Numar# AND Data = :Data#)"),
                                  {QStringLiteral("ORDER BY Contor")}};
const TBatchSql kArticles{{QStringLiteral("SELECT Grupa, Cod, Denumire, Unitate_masura, Descriere FROM Catalog WHERE")},
                          QStringLiteral("(Cod = :Cod#)"),
                          {}};
const TBatchSql kPartners{{QStringLiteral("SELECT Cod_furnizor, Nume_furnizor, Cod_fiscal, Localitate, Adresa, Telefon FROM Furn WHERE")},
                           QStringLiteral("(Cod_furnizor = :Cod#)"),
                           {}};

// Chunks come in a few sizes, the last key repeated to fill one, so that the engine
// prepares few texts; the largest keeps well inside every engine's count of parameters.
constexpr int kChunkSizes[] = {1, 8, 64, 256};

// Parameters are bound by the type of the column they are compared with: text for codes
// and lots, numbers for counters and document numbers, dates for dates.
void Bind(TQuery& q, const QString& name, const QString& value) { q.ParamByName(name)->SetAsString(value); }
void Bind(TQuery& q, const QString& name, double value) { q.ParamByName(name)->SetAsFloat(value); }
void Bind(TQuery& q, const QString& name, const QDate& value) { q.ParamByName(name)->SetAsDate(value); }

QDate DateOf(const TField* f) { return f->IsNull() ? QDate() : f->AsDate(); }
qint64 Day(const QDate& date) { return date.isValid() ? date.toJulianDay() : 0; }

// A line of a document with its document, the columns found once per statement.
class TLineReader {
public:
    TLineReader(const TQuery& q, const char* partner)
        : counter_(F(&q, "Contor")), line_(F(&q, "Contor_secundar")), group_(F(&q, "Cod_grupa")),
          article_(F(&q, "Cod_articol")), lot_(F(&q, "Lot")), warehouse_(F(&q, "Cod_gestiune")),
          quantity_(F(&q, "Cantitate")), type_(F(&q, "Tip")), number_(F(&q, "Numar")), date_(F(&q, "Data")),
          partner_(F(&q, partner))
    {
    }
    TRecallDocLine operator()() const
    {
        TRecallDocLine line;
        line.Document = counter_->AsFloat();
        line.Line = line_->AsFloat();
        line.Lot = {group_->AsString(), article_->AsString(), lot_->AsString()};
        line.Warehouse = warehouse_->AsString();
        line.Quantity = quantity_->AsFloat();
        line.Type = type_->AsString();
        line.Number = number_->AsFloat();
        line.Date = DateOf(date_);
        line.Partner = partner_->AsString();
        return line;
    }

private:
    const TField *counter_, *line_, *group_, *article_, *lot_, *warehouse_, *quantity_, *type_, *number_, *date_, *partner_;
};

TRecallGenealogy ReadGenealogy(const TQuery& q)
{
    TRecallGenealogy g;
    g.Document = F(&q, "Contor_out")->AsFloat();
    g.Line = F(&q, "Contor_secundar_out")->AsFloat();
    const TField* product = F(&q, "Contor_produs");
    g.HasProduct = !product->IsNull();
    g.Receipt = product->AsFloat();
    g.ReceiptLine = F(&q, "Contor_secundar_produs")->AsFloat();
    g.Quantity = F(&q, "Cantitate")->AsFloat();
    g.Lot = {F(&q, "Cod_grupa")->AsString(), F(&q, "Cod_articol")->AsString(), F(&q, "Lot")->AsString()};
    g.Warehouse = F(&q, "Cod_gestiune")->AsString();
    g.In = F(&q, "Contor_in")->AsFloat();
    g.InLine = F(&q, "Contor_secundar_in")->AsFloat();
    return g;
}

// The keys not read yet, each once.
template <class Key, class Read>
std::vector<Key> Unread(const std::vector<Key>& keys, const std::set<Read>& read, Read (*of)(const Key&))
{
    std::set<Read> seen;
    std::vector<Key> out;
    for (const Key& key : keys)
        if (!read.contains(of(key)) && seen.insert(of(key)).second)
            out.push_back(key);
    return out;
}
template <class Key> Key Same(const Key& key) { return key; }
std::pair<QString, QString> ArticleLot(const TLotKey& lot) { return {lot.Article, lot.Lot}; }
std::pair<QString, QString> ArticleOnly(const TLotKey& lot) { return {QString(), lot.Article}; }
std::pair<double, qint64> Numbered(const std::pair<double, QDate>& n) { return {n.first, Day(n.second)}; }

} // namespace

// One query per statement text, kept for the walk.
struct TRecallReads::TQueries {
    TQueries(fw::TSession* session, const QString& database) : session_(session), database_(database) {}

    TQuery& Prepared(const QStringList& sql)
    {
        std::unique_ptr<TQuery>& q = queries_[sql.join(QLatin1Char('\n'))];
        if (!q) {
            q = std::make_unique<TQuery>();
            q->SetSession(session_);
            q->SetDatabaseName(database_);
            q->SetSQL(sql);
        }
        q->Close();
        return *q;
    }

    // Runs the statement for the keys, chunk by chunk: `bind` binds one key's parameters
    // (their names end in its place in the chunk), `read` reads the rows of a chunk.
    template <class Key, class BindKey, class ReadRows>
    void Batch(const TBatchSql& sql, const std::vector<Key>& keys, BindKey bind, ReadRows read,
               const std::function<void(TQuery&)>& fixed = {})
    {
        for (size_t first = 0; first < keys.size();) {
            const size_t left = keys.size() - first;
            size_t size = size_t(kChunkSizes[std::size(kChunkSizes) - 1]);
            for (int s : kChunkSizes)
                if (size_t(s) >= left) {
                    size = size_t(s);
                    break;
                }
            QStringList terms;
            for (size_t i = 1; i <= size; ++i)
                terms << QString(sql.Term).replace(QLatin1Char('#'), QString::number(i));
            TQuery& q = Prepared(QStringList(sql.Head) << QLatin1Char('(') + terms.join(QStringLiteral(" OR ")) + QLatin1Char(')')
                                                       << sql.Tail);
            if (fixed)
                fixed(q);
            for (size_t i = 0; i < size; ++i)
                bind(q, QString::number(i + 1), keys[first + std::min(i, left - 1)]);
            q.Open();
            read(q);
            first += std::min(left, size);
        }
    }

    fw::TSession* session_;
    QString database_;
    std::map<QString, std::unique_ptr<TQuery>> queries_;
};

TRecallReads::TRecallReads(fw::TSession* session, const QString& database)
    : session_(session), database_(database), q_(std::make_unique<TQueries>(session, database))
{
    fw::TTable genealogy;
    genealogy.SetSession(session);
    genealogy.SetDatabaseName(database);
    genealogy.SetTableName(fw::GenealogieDB);
    hasGenealogy_ = genealogy.Exists();
}

TRecallReads::~TRecallReads() = default;

namespace {

void BindLot(TQuery& q, const QString& at, const TLotKey& lot)
{
    Bind(q, QStringLiteral("Cod") + at, lot.Article);
    Bind(q, QStringLiteral("Lot") + at, lot.Lot);
}
void BindCounter(TQuery& q, const QString& at, double counter) { Bind(q, QStringLiteral("Contor") + at, counter); }
void BindNumbered(TQuery& q, const QString& at, const std::pair<double, QDate>& n)
{
    Bind(q, QStringLiteral("Numar") + at, n.first);
    Bind(q, QStringLiteral("Data") + at, n.second);
}

} // namespace

namespace {

// Reads the rows of `sql` for the keys not read yet (by `of`), each row given to `store` as
// `reader` makes it of the query, and marks those keys read.
template <class Queries, class Key, class ReadKey, class BindKey, class Reader, class Store>
void Load(Queries& queries, const TBatchSql& sql, const std::vector<Key>& wanted, std::set<ReadKey>& read,
          ReadKey (*of)(const Key&), BindKey bind, Reader reader, Store store)
{
    const std::vector<Key> keys = Unread(wanted, read, of);
    queries.Batch(sql, keys, bind, [&](TQuery& q) {
        const auto row = reader(q);
        for (; !q.Eof(); q.Next())
            store(row());
    });
    for (const Key& key : keys)
        read.insert(of(key));
}

auto Lines(const char* partner)
{
    return [partner](const TQuery& q) { return TLineReader(q, partner); };
}
auto Genealogy(const TQuery& q)
{
    return [&q] { return ReadGenealogy(q); };
}

} // namespace

void TRecallReads::LoadReceiptsOfLots(const std::vector<TLotKey>& lots)
{
    Load(*q_, kReceiptsOfLots, lots, receiptsRead_, &ArticleLot, BindLot, Lines("Furnizor"),
         [&](TRecallDocLine r) { receiptsOfLot_[r.Lot].push_back(std::move(r)); });
}

void TRecallReads::LoadOutgoingOfLots(const std::vector<TLotKey>& lots)
{
    Load(*q_, kOutgoingOfLots, lots, outgoingRead_, &ArticleLot, BindLot, Lines("Client"),
         [&](TRecallDocLine o) { outgoingOfLot_[o.Lot].push_back(std::move(o)); });
}

void TRecallReads::LoadReceiptLines(const std::vector<double>& receipts)
{
    Load(*q_, kReceiptLines, receipts, receiptLinesRead_, &Same<double>, BindCounter, Lines("Furnizor"),
         [&](TRecallDocLine r) { receiptLines_[{r.Document, r.Line}] = std::move(r); });
}

void TRecallReads::LoadDocumentLines(const std::vector<double>& documents)
{
    Load(*q_, kDocumentLines, documents, documentLinesRead_, &Same<double>, BindCounter, Lines("Client"),
         [&](TRecallDocLine o) { documentLines_[o.Document].push_back(std::move(o)); });
}

void TRecallReads::LoadGenealogyOfDocuments(const std::vector<double>& documents)
{
    // Without the table every document is one written without genealogy.
    Load(*q_, kGenealogyOfDocuments, hasGenealogy_ ? documents : std::vector<double>(), fedRead_, &Same<double>,
         BindCounter, Genealogy, [&](TRecallGenealogy g) {
             documentsWithGenealogy_.insert(g.Document);
             fedBy_[{g.Document, g.Line}].push_back(std::move(g));
         });
    if (!hasGenealogy_)
        fedRead_.insert(documents.begin(), documents.end());
}

void TRecallReads::LoadGenealogyOfReceipts(const std::vector<double>& receipts)
{
    Load(*q_, kGenealogyOfReceipts, hasGenealogy_ ? receipts : std::vector<double>(), intoRead_, &Same<double>,
         BindCounter, Genealogy, [&](TRecallGenealogy g) { into_[{g.Receipt, g.ReceiptLine}].push_back(std::move(g)); });
    if (!hasGenealogy_)
        intoRead_.insert(receipts.begin(), receipts.end());
}

namespace {

// Documents by number and date, read into `found` and marked read in `read` (a document
// without a date ties nothing).
template <class Queries>
void LoadNumbered(Queries& queries, const TBatchSql& sql, const std::vector<std::pair<double, QDate>>& numbers,
                  std::map<std::pair<double, qint64>, std::vector<double>>& found,
                  const std::function<void(TQuery&)>& fixed = {})
{
    std::vector<std::pair<double, QDate>> keys;
    std::set<std::pair<double, qint64>> seen;
    for (const auto& n : numbers)
        if (!found.contains(Numbered(n)) && seen.insert(Numbered(n)).second) {
            found[Numbered(n)];
            if (n.second.isValid())
                keys.push_back(n);
        }
    queries.Batch(sql, keys, BindNumbered, [&](TQuery& q) {
        const TField* counter = F(&q, "Contor");
        const TField* number = F(&q, "Numar");
        const TField* date = F(&q, "Data");
        for (; !q.Eof(); q.Next())
            found[{number->AsFloat(), Day(DateOf(date))}].push_back(counter->AsFloat());
    }, fixed);
}

} // namespace

void TRecallReads::LoadConsumptionsNumbered(const std::vector<std::pair<double, QDate>>& numbers)
{
    LoadNumbered(*q_, kConsumptionsNumbered, numbers, consumptionsNumbered_,
                 [](TQuery& q) { Bind(q, QStringLiteral("Tip"), fw::ConsumptionDocType); });
}

void TRecallReads::LoadReceiptsNumbered(const std::vector<std::pair<double, QDate>>& numbers)
{
    LoadNumbered(*q_, kReceiptsNumbered, numbers, receiptsNumbered_);
}

void TRecallReads::LoadArticles(const std::vector<TLotKey>& lots)
{
    const std::vector<TLotKey> keys = Unread(lots, articlesRead_, &ArticleOnly);
    q_->Batch(
        kArticles, keys, [](TQuery& q, const QString& at, const TLotKey& lot) { Bind(q, QStringLiteral("Cod") + at, lot.Article); },
        [&](TQuery& q) {
            const TField* group = F(&q, "Grupa");
            const TField* code = F(&q, "Cod");
            const TField* name = F(&q, "Denumire");
            const TField* unit = F(&q, "Unitate_masura");
            const TField* description = F(&q, "Descriere");
            for (; !q.Eof(); q.Next())
                articles_[{group->AsString(), code->AsString()}] = {name->AsString(), unit->AsString(), description->AsString()};
        });
    for (const TLotKey& lot : keys)
        articlesRead_.insert(ArticleOnly(lot));
}

void TRecallReads::LoadPartners(const std::vector<QString>& codes)
{
    std::vector<QString> keys;
    for (const QString& code : codes)
        if (!code.isEmpty() && !partners_.contains(code) && std::find(keys.begin(), keys.end(), code) == keys.end())
            keys.push_back(code);
    for (const QString& code : keys)
        partners_[code].Name = code;
    q_->Batch(
        kPartners, keys, [](TQuery& q, const QString& at, const QString& code) { Bind(q, QStringLiteral("Cod") + at, code); },
        [&](TQuery& q) {
            const TField* code = F(&q, "Cod_furnizor");
            const TField* name = F(&q, "Nume_furnizor");
            const TField* fiscal = F(&q, "Cod_fiscal");
            const TField* locality = F(&q, "Localitate");
            const TField* address = F(&q, "Adresa");
            const TField* phone = F(&q, "Telefon");
            for (; !q.Eof(); q.Next()) {
                TRecallPartner& p = partners_[code->AsString()];
                if (!name->AsString().isEmpty())
                    p.Name = name->AsString();
                p.FiscalCode = fiscal->AsString();
                QStringList where;
                for (const TField* f : {locality, address})
                    if (!f->AsString().trimmed().isEmpty())
                        where << f->AsString().trimmed();
                p.Address = where.join(QStringLiteral(", "));
                p.Phone = phone->AsString();
            }
        });
}

void TRecallReads::LoadStock(const std::vector<TLotKey>& lots)
{
    for (const bool grouped : {true, false}) {
        std::vector<TLotKey> keys;
        for (const TLotKey& lot : lots)
            if (lot.Group.isEmpty() != grouped && !stockRead_.contains(lot) && std::find(keys.begin(), keys.end(), lot) == keys.end())
                keys.push_back(lot);
        const std::array<QString, 3> sql = TStockLedger::LotsStockByWarehouseSql(grouped);
        q_->Batch(
            {{sql[0]}, sql[1], {sql[2]}}, keys,
            [grouped](TQuery& q, const QString& at, const TLotKey& lot) {
                if (grouped)
                    Bind(q, QStringLiteral("Grupa") + at, lot.Group);
                BindLot(q, at, lot);
            },
            [&](TQuery& q) {
                const TField* group = F(&q, "Cod_grupa");
                const TField* article = F(&q, "Cod_articol");
                const TField* lot = F(&q, "Lot");
                const TField* warehouse = F(&q, "Cod_gestiune");
                const TField* quantity = F(&q, "Stoc");
                for (; !q.Eof(); q.Next())
                    stock_[{group->AsString(), article->AsString(), lot->AsString()}].push_back(
                        {warehouse->AsString(), quantity->AsFloat()});
            });
        stockRead_.insert(keys.begin(), keys.end());
        // By warehouse code as the program compares codes, whatever the engine's collation.
        for (const TLotKey& lot : keys)
            std::sort(stock_[lot].begin(), stock_[lot].end());
    }
}

// ---------------------------------------------------------------- what was read

namespace {

template <class Map> const typename Map::mapped_type& Found(const Map& map, const typename Map::key_type& key)
{
    static const typename Map::mapped_type none{};
    const auto found = map.find(key);
    return found == map.end() ? none : found->second;
}

} // namespace

const std::vector<TRecallDocLine>& TRecallReads::ReceiptsOfLot(const TLotKey& lot)
{
    LoadReceiptsOfLots({lot});
    return Found(receiptsOfLot_, lot);
}

const std::vector<TRecallDocLine>& TRecallReads::OutgoingOfLot(const TLotKey& lot)
{
    LoadOutgoingOfLots({lot});
    return Found(outgoingOfLot_, lot);
}

const TRecallDocLine* TRecallReads::ReceiptLine(double receipt, double line)
{
    LoadReceiptLines({receipt});
    const auto found = receiptLines_.find({receipt, line});
    return found == receiptLines_.end() ? nullptr : &found->second;
}

std::vector<const TRecallDocLine*> TRecallReads::LinesOfReceipt(double receipt)
{
    LoadReceiptLines({receipt});
    std::vector<const TRecallDocLine*> lines;
    for (auto i = receiptLines_.lower_bound({receipt, -std::numeric_limits<double>::infinity()});
         i != receiptLines_.end() && i->first.first == receipt; ++i)
        lines.push_back(&i->second);
    return lines;
}

const std::vector<TRecallGenealogy>& TRecallReads::FedByLine(double document, double line)
{
    LoadGenealogyOfDocuments({document});
    return Found(fedBy_, {document, line});
}

bool TRecallReads::DocumentHasGenealogy(double document)
{
    LoadGenealogyOfDocuments({document});
    return documentsWithGenealogy_.contains(document);
}

const std::vector<TRecallGenealogy>& TRecallReads::IntoReceiptLine(double receipt, double line)
{
    LoadGenealogyOfReceipts({receipt});
    return Found(into_, {receipt, line});
}

const std::vector<double>& TRecallReads::ConsumptionsNumbered(double number, const QDate& date)
{
    LoadConsumptionsNumbered({{number, date}});
    return Found(consumptionsNumbered_, {number, Day(date)});
}

const std::vector<double>& TRecallReads::ReceiptsNumbered(double number, const QDate& date)
{
    LoadReceiptsNumbered({{number, date}});
    return Found(receiptsNumbered_, {number, Day(date)});
}

const std::vector<TRecallDocLine>& TRecallReads::DocumentLines(double document)
{
    LoadDocumentLines({document});
    return Found(documentLines_, document);
}

const TRecallArticle& TRecallReads::Article(const QString& group, const QString& code)
{
    LoadArticles({TLotKey{group, code, QString()}});
    return Found(articles_, {group, code});
}

const std::vector<std::pair<QString, double>>& TRecallReads::StockOfLot(const TLotKey& lot)
{
    LoadStock({lot});
    return Found(stock_, lot);
}

const TRecallPartner& TRecallReads::Partner(const QString& code)
{
    LoadPartners({code});
    return Found(partners_, code);
}

} // namespace corvanel
