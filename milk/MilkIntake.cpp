#include "milk/MilkIntake.h"

#include "data/FieldByName.h"
#include "data/LotStatus.h"
#include "data/ProductionData.h"
#include "data/Queries.h"
#include "data/StockLedger.h"
#include "milk/MilkMessages.h"
#include "platform/core/Readable.h"
#include "platform/db/ConflictRetry.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"
#include "requirement/GenealogyWriter.h"
#include "requirement/OutgoingDocument.h"

#include <QSet>
#include <cmath>
#include <memory>

namespace corvanel {

using namespace fw;

namespace {

QDate DateOf(const QVariant& v)
{
    return v.typeId() == QMetaType::QDate ? v.toDate() : QDate::fromString(v.toString(), Qt::ISODate);
}

std::optional<double> NumberOf(const QVariant& v)
{
    return v.isNull() || !v.isValid() ? std::nullopt : std::optional<double>(v.toDouble());
}

QVariant Nullable(const std::optional<double>& v) { return v ? QVariant(*v) : QVariant(); }

const QString kInhibitors = QStringLiteral("INHIBITORI");

// What a delivery's row is written with (the tank it goes into comes later).
const QStringList kDeliveryColumns{QStringLiteral("Contor"),      QStringLiteral("Contor_secundar"), QStringLiteral("Data"),
                                   QStringLiteral("Cod_furnizor"), QStringLiteral("Cod_grupa"),       QStringLiteral("Cod_articol"),
                                   QStringLiteral("Lot"),          QStringLiteral("Cod_gestiune"),    QStringLiteral("Litri"),
                                   QStringLiteral("Kg"),           QStringLiteral("Densitate"),       QStringLiteral("Temperatura"),
                                   QStringLiteral("Proba"),        QStringLiteral("Agent")};

// The raw milk's article as the settings name it: whether the catalog counts it in litres.
bool ArticleInLitres(Connection& engine, const TMilkSettings& settings)
{
    if (settings.Group.isEmpty() || settings.Article.isEmpty() || settings.Warehouse.isEmpty())
        throw EMilkRefused(msg::MilkArticleNotSet());
    std::optional<QString> unit;
    engine.ForEachRow(QStringLiteral("SELECT Unitate_masura FROM CATALOG WHERE Grupa = ? AND Cod = ?"),
                      {settings.Group, settings.Article},
                      [&](const NativeRow& row) { unit = row.Value(0).toString().trimmed().toLower(); });
    if (!unit)
        throw EMilkRefused(msg::MilkUnknownArticle(settings.Group + QLatin1Char('/') + settings.Article));
    return unit->startsWith(QLatin1Char('l'));
}

// Litres and kilograms of a delivery, each from the other where one is missing.
std::pair<double, double> Quantities(const TMilkDelivery& d, double density)
{
    const double litres = d.Litres ? *d.Litres : (d.Kg ? *d.Kg / density : 0);
    const double kg = d.Kg ? *d.Kg : litres * density;
    return {litres, kg};
}

// The counter table for an incoming document's number, read for update inside the
// writer's transaction (the requirement's own dataset declares only the outgoing counter).
std::unique_ptr<TTable> IncomingCounters(TProductionData& dm)
{
    auto counters = std::make_unique<TTable>();
    counters->SetSession(dm.Session);
    counters->SetDatabaseName(KRBPROD);
    counters->SetTableName(CounterDB);
    DeclareFields(*counters, CompanyTable(CounterDB));
    counters->SetReadForUpdate(true);
    counters->Open();
    return counters;
}

} // namespace

bool TDeliveryRow::Inhibitors() const
{
    const auto found = Results.constFind(kInhibitors);
    return found != Results.constEnd() && found->Word == LabValueWords(TParameterKind::PositiveNegative).value(1);
}

QMap<QString, QString> FarmerNames(Connection& engine)
{
    QMap<QString, QString> names;
    engine.ForEachRow(QStringLiteral("SELECT Cod_furnizor, Nume_furnizor FROM Furn"), {},
                      [&](const NativeRow& row) { names.insert(row.Value(0).toString(), row.Value(1).toString()); });
    return names;
}

std::vector<TSupplierChoice> MilkSupplierChoices(Connection& engine)
{
    QSet<QString> delivered;
    engine.ForEachRow(QStringLiteral("SELECT DISTINCT Cod_furnizor FROM LivrariLapte"), {},
                      [&](const NativeRow& row) { delivered.insert(row.Value(0).toString()); });
    const QMap<QString, QString> names = FarmerNames(engine);
    std::vector<TSupplierChoice> choices;
    choices.reserve(size_t(names.size()));
    for (const bool farmers : {true, false})
        for (auto it = names.cbegin(); it != names.cend(); ++it)
            if (delivered.contains(it.key()) == farmers)
                choices.push_back({it.key(), it.value(), farmers});
    return choices;
}

std::vector<TRecordedDelivery> RecordMilkDeliveries(TProductionData& dm, const TMilkSettings& settings, const QDate& day,
                                                    const std::vector<TMilkDelivery>& deliveries, const QString& agent,
                                                    const QDateTime& at)
{
    Connection& engine = *dm.ProductionDatabase->GetConnection();
    if (deliveries.empty())
        throw EMilkRefused(msg::MilkNoDeliveries());
    const bool inLitres = ArticleInLitres(engine, settings);
    const QMap<QString, QString> farmers = FarmerNames(engine);
    for (const TMilkDelivery& d : deliveries) {
        if (!farmers.contains(d.Farmer))
            throw EMilkRefused(msg::MilkUnknownFarmer(d.Farmer));
        if (d.Density && !(*d.Density > 0))
            throw EMilkRefused(msg::MilkBadDensity(d.Farmer));
        const auto [litres, kg] = Quantities(d, d.Density.value_or(settings.Density));
        if (!(litres > 0) || !(kg > 0))
            throw EMilkRefused(msg::MilkNoQuantity(d.Farmer));
    }
    const QString positive = LabValueWords(TParameterKind::PositiveNegative).value(1);
    return WithConsumptionDocument(dm, [&] {
        return RetryOnConflict([&] {
            TTransaction tx(*dm.ProductionDatabase);
            LockLotWriters(engine);
            const std::unique_ptr<TTable> counters = IncomingCounters(dm);
            std::vector<TRecordedDelivery> written;
            std::vector<QVariantList> headers, lines, stock, rows;
            std::vector<TLabResult> results;
            for (const TMilkDelivery& d : deliveries) {
                const double density = d.Density.value_or(settings.Density);
                const auto [litres, kg] = Quantities(d, density);
                const double counter = TakeDocumentCounter(*counters, QStringLiteral("NewCounterIn"), DocInDB);
                const QString lot = QStringLiteral("LL%1-%2").arg(day.toString(QStringLiteral("yyyyMMdd"))).arg(counter, 0, 'f', 0);
                // The price of a unit of the receipt line; the month's statement settles the real one.
                double price = settings.BasePrice;
                if (inLitres != settings.PricePerLitre)
                    price = inLitres ? price * density : price / density;
                const double quantity = inLitres ? litres : kg;
                headers.push_back({counter, day, counter, ReceiptDocType, day, d.Farmer, QStringLiteral("Receptie lapte")});
                lines.push_back({counter, 1.0, settings.Warehouse, settings.Group, settings.Article, lot, quantity, price, price, agent});
                stock.push_back({quantity, settings.Article, settings.Group, settings.Warehouse, price, lot, agent, counter, 1.0, day});
                rows.push_back({counter, 1.0, day, d.Farmer, settings.Group, settings.Article, lot, settings.Warehouse, litres, kg,
                                Nullable(d.Density), Nullable(d.Temperature), d.Sample.isEmpty() ? QVariant() : QVariant(d.Sample),
                                agent});
                bool inhibitors = false;
                for (const auto& [parameter, value] : d.Results) {
                    results.push_back({{settings.Group, settings.Article, lot}, parameter, value, day, d.Sample, QString()});
                    inhibitors = inhibitors || (parameter == kInhibitors && value.Word == positive);
                }
                written.push_back({counter, 1.0, lot, inhibitors});
            }
            std::vector<TStatement> writes = InsertStatements(QStringLiteral("Doc_in"),
                                                              {QStringLiteral("Contor"), QStringLiteral("Data_inregistrarii"),
                                                               QStringLiteral("Numar"), QStringLiteral("Tip"), QStringLiteral("Data"),
                                                               QStringLiteral("Furnizor"), QStringLiteral("Explicatie")},
                                                              headers);
            for (TStatement& s : InsertStatements(QStringLiteral("Item_in"),
                                                  {QStringLiteral("Contor"), QStringLiteral("Contor_secundar"),
                                                   QStringLiteral("Cod_gestiune"), QStringLiteral("Cod_grupa"),
                                                   QStringLiteral("Cod_articol"), QStringLiteral("Lot"), QStringLiteral("Cantitate"),
                                                   QStringLiteral("Pret_achizitie_valuta"), QStringLiteral("Pret_achizitie_lei"),
                                                   QStringLiteral("Agent")},
                                                  lines))
                writes.push_back(std::move(s));
            const TStockLedger ledger = dm.Ledger(day);
            const QStringList stockColumns{QStringLiteral("Cantitate"),      QStringLiteral("Cod_articol"), QStringLiteral("Cod_grupa"),
                                           QStringLiteral("Cod_gestiune"),   QStringLiteral("Pret_achizitie"), QStringLiteral("Lot"),
                                           QStringLiteral("Agent"),          QStringLiteral("Contor_in"),
                                           QStringLiteral("Contor_secundar_in"), QStringLiteral("Data_intrare")};
            for (const QVariantList& s : stock)
                for (TStatement& st : ledger.Insert(stockColumns, s))
                    writes.push_back(std::move(st));
            for (TStatement& s : InsertStatements(QStringLiteral("LivrariLapte"), kDeliveryColumns, rows))
                writes.push_back(std::move(s));
            engine.ForEachRowOf(writes, {});
            for (const char* table : {"Doc_in", "Item_in", "LivrariLapte"})
                engine.Touch(QLatin1String(table));
            ledger.Touch();
            if (!results.empty())
                RecordLabResults(dm, results, agent, at);
            // Inhibitors make the milk unfit whatever the norms hold: its lot is never drawn.
            for (const TRecordedDelivery& w : written) {
                const TLotId lot{settings.Group, settings.Article, w.Lot};
                if (w.NonConforming && LotStandingOf(engine, lot).State != LotStateName(TLotState::NonConforming))
                    RecordLotState(engine, lot, TLotState::NonConforming, msg::MilkInhibitorsReason(), agent, at);
            }
            for (TRecordedDelivery& w : written)
                w.NonConforming = !LotStandingOf(engine, {settings.Group, settings.Article, w.Lot}).Usable();
            tx.Commit();
            return written;
        });
    });
}

std::vector<TDeliveryRow> ReadMilkDeliveries(Connection& engine, const QDate& from, const QDate& to)
{
    const QString sql = QStringLiteral(
        "SELECT d.Contor, d.Contor_secundar, d.Data, d.Cod_furnizor, d.Cod_grupa, d.Cod_articol, d.Lot, d.Litri, d.Kg, "
        "d.Densitate, d.Temperatura, d.Proba, d.Contor_tanc, a.Parametru, a.Valoare, a.Valoare_text "
        "FROM LivrariLapte d LEFT JOIN AnalizeLot a ON a.Cod_grupa = d.Cod_grupa AND a.Cod_articol = d.Cod_articol "
        "AND a.Lot = d.Lot WHERE d.Data >= ? AND d.Data <= ? "
        "ORDER BY d.Cod_furnizor, d.Data, d.Contor, d.Contor_secundar, a.%1").arg(engine.RowIdColumn());
    std::vector<TDeliveryRow> rows;
    engine.ForEachRow(sql, {from, to}, [&](const NativeRow& row) {
        const double receipt = row.Value(0).toDouble(), line = row.Value(1).toDouble();
        if (rows.empty() || rows.back().Receipt != receipt || rows.back().Line != line) {
            TDeliveryRow d;
            d.Receipt = receipt;
            d.Line = line;
            d.Day = DateOf(row.Value(2));
            d.Farmer = row.Value(3).toString();
            d.Group = row.Value(4).toString();
            d.Article = row.Value(5).toString();
            d.Lot = row.Value(6).toString();
            d.Litres = row.Value(7).toDouble();
            d.Kg = row.Value(8).toDouble();
            d.Density = NumberOf(row.Value(9));
            d.Temperature = NumberOf(row.Value(10));
            d.Sample = row.Value(11).toString();
            d.Tank = NumberOf(row.Value(12));
            rows.push_back(std::move(d));
        }
        if (row.Value(13).isNull())
            return;
        // The last result of a parameter is the one that stands (a sample measured again).
        rows.back().Results.insert(row.Value(13).toString(), {NumberOf(row.Value(14)), row.Value(15).toString()});
    });
    return rows;
}

namespace {

struct TTankDelivery {
    double Receipt = 0, Line = 0;
    QString Farmer, Group, Article, Lot;
    std::optional<double> Tank;
};

QString TankLotOf(Connection& engine, double receipt)
{
    QString lot;
    engine.ForEachRow(QStringLiteral("SELECT Lot FROM Item_in WHERE Contor = ? ORDER BY Contor_secundar"), {receipt},
                      [&](const NativeRow& row) {
                          if (lot.isEmpty())
                              lot = row.Value(0).toString();
                      });
    return lot;
}

// The deliveries named, read inside the tank's transaction, each checked: there, not in a
// tank yet, released. EMilkRefused naming the first that is not.
std::vector<TTankDelivery> TankDeliveries(Connection& engine, const std::vector<std::pair<double, double>>& keys)
{
    std::vector<TStatement> reads;
    reads.reserve(keys.size());
    for (const auto& [receipt, line] : keys)
        reads.push_back({QStringLiteral("SELECT Cod_furnizor, Cod_grupa, Cod_articol, Lot, Contor_tanc FROM LivrariLapte "
                                        "WHERE Contor = ? AND Contor_secundar = ?"),
                         {receipt, line}});
    std::vector<std::optional<TTankDelivery>> found(keys.size());
    engine.ForEachRowOf(reads, [&](size_t i, const NativeRow& row) {
        found[i] = TTankDelivery{keys[i].first,           keys[i].second,           row.Value(0).toString(),
                                 row.Value(1).toString(), row.Value(2).toString(), row.Value(3).toString(),
                                 NumberOf(row.Value(4))};
    });
    std::vector<TTankDelivery> deliveries;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!found[i])
            throw EMilkRefused(msg::MilkUnknownDelivery(keys[i].first, keys[i].second));
        const TTankDelivery& d = *found[i];
        if (d.Tank)
            throw EMilkRefused(msg::MilkAlreadyInTank(d.Lot, d.Farmer, TankLotOf(engine, *d.Tank)));
        const TLotStanding standing = LotStandingOf(engine, {d.Group, d.Article, d.Lot});
        if (!standing.Usable())
            throw EMilkRefused(msg::MilkNonConformingDelivery(d.Lot, d.Farmer, standing.State));
        deliveries.push_back(d);
    }
    return deliveries;
}

} // namespace

QString MakeTankLot(TProductionData& dm, const TMilkSettings& settings, const QDate& day,
                    const std::vector<std::pair<double, double>>& keys, const QString& agent)
{
    if (keys.empty())
        throw EMilkRefused(msg::MilkNoDeliveries());
    if (settings.Warehouse.isEmpty())
        throw EMilkRefused(msg::MilkArticleNotSet());
    Connection& engine = *dm.ProductionDatabase->GetConnection();
    return WithConsumptionDocument(dm, [&] {
        return RetryOnConflict([&] {
            TTransaction tx(*dm.ProductionDatabase);
            LockLotWriters(engine);
            const std::unique_ptr<TTable> counters = IncomingCounters(dm);
            const std::vector<TTankDelivery> deliveries = TankDeliveries(engine, keys);
            const TStockLedger ledger = dm.Ledger(day);
            const std::vector<std::optional<TStockLot>> lots = ledger.LotsOfLines(keys);
            double total = 0, value = 0;
            for (size_t i = 0; i < lots.size(); ++i) {
                if (!lots[i] || !(lots[i]->Quantity > 0))
                    throw EMilkRefused(msg::MilkDeliveryLotGone(deliveries[i].Lot, deliveries[i].Farmer));
                total += lots[i]->Quantity;
                value += lots[i]->Quantity * StoredValue(*lots[i], "Pret_achizitie").toDouble();
            }
            const double receipt = TakeDocumentCounter(*counters, QStringLiteral("NewCounterIn"), DocInDB);
            QString lot = QStringLiteral("TC%1-%2").arg(day.toString(QStringLiteral("yyyyMMdd"))).arg(receipt, 0, 'f', 0);
            const double price = total > 0 ? value / total : 0;
            const QString group = deliveries.front().Group, article = deliveries.front().Article;
            const QString explanation = QStringLiteral("Tanc lapte ") + lot;
            std::vector<TStatement> writes = InsertStatements(
                QStringLiteral("Doc_in"),
                {QStringLiteral("Contor"), QStringLiteral("Data_inregistrarii"), QStringLiteral("Numar"), QStringLiteral("Tip"),
                 QStringLiteral("Data"), QStringLiteral("Explicatie")},
                {{receipt, day, receipt, ProductionDocType, day, explanation}});
            for (TStatement& s : InsertStatements(QStringLiteral("Item_in"),
                                                  {QStringLiteral("Contor"), QStringLiteral("Contor_secundar"),
                                                   QStringLiteral("Cod_gestiune"), QStringLiteral("Cod_grupa"),
                                                   QStringLiteral("Cod_articol"), QStringLiteral("Lot"), QStringLiteral("Cantitate"),
                                                   QStringLiteral("Pret_achizitie_valuta"), QStringLiteral("Pret_achizitie_lei"),
                                                   QStringLiteral("Agent")},
                                                  {{receipt, 1.0, settings.Warehouse, group, article, lot, total, price, price, agent}}))
                writes.push_back(std::move(s));
            for (TStatement& s : ledger.Insert({QStringLiteral("Cantitate"), QStringLiteral("Cod_articol"), QStringLiteral("Cod_grupa"),
                                                QStringLiteral("Cod_gestiune"), QStringLiteral("Pret_achizitie"), QStringLiteral("Lot"),
                                                QStringLiteral("Agent"), QStringLiteral("Contor_in"),
                                                QStringLiteral("Contor_secundar_in"), QStringLiteral("Data_intrare")},
                                               {total, article, group, settings.Warehouse, price, lot, agent, receipt, 1.0, day}))
                writes.push_back(std::move(s));
            // Emptied as a consumption for the tank's receipt: its number and date, so that
            // the receipt's consumption and the recall find it as they find any other.
            Reread(dm.Requirement().CounterTable());
            const double document = BeginConsumptionDocument(dm, receipt, day, agent, explanation);
            std::vector<QVariantList> outLines, genealogy;
            std::vector<TStatement> takes;
            for (size_t i = 0; i < lots.size(); ++i) {
                const TStockLot& drawn = *lots[i];
                const double line = double(i + 1);
                outLines.push_back({document, line, drawn.Warehouse, deliveries[i].Group, deliveries[i].Article, drawn.Quantity,
                                    StoredValue(drawn, "Pret_achizitie"), drawn.Lot, agent});
                QVariantList fed{document, line, receipt, 1.0, drawn.Quantity};
                const QStringList& columns = TGenealogyWriter::Columns();
                for (qsizetype c = fed.size(); c < columns.size(); ++c)
                    fed << StoredValue(drawn, columns[c].toLatin1().constData());
                genealogy.push_back(std::move(fed));
                takes.push_back(ledger.Take(drawn, {i, drawn.Quantity, 0, true}));
                takes.push_back({QStringLiteral("UPDATE LivrariLapte SET Contor_tanc = ? WHERE Contor = ? AND Contor_secundar = ? "
                                                "AND Contor_tanc IS NULL"),
                                 {receipt, keys[i].first, keys[i].second}});
            }
            for (TStatement& s : InsertStatements(QStringLiteral("Item_out"),
                                                  {QStringLiteral("Contor"), QStringLiteral("Contor_secundar"),
                                                   QStringLiteral("Cod_gestiune"), QStringLiteral("Cod_grupa"),
                                                   QStringLiteral("Cod_articol"), QStringLiteral("Cantitate"),
                                                   QStringLiteral("Pret_achizitie"), QStringLiteral("Lot"), QStringLiteral("Agent")},
                                                  outLines))
                writes.push_back(std::move(s));
            for (TStatement& s : InsertStatements(QStringLiteral("Genealogie"), TGenealogyWriter::Columns(), genealogy))
                writes.push_back(std::move(s));
            const size_t firstTake = writes.size();
            writes.insert(writes.end(), takes.begin(), takes.end());
            RequireEachLotWritten(engine.ForEachRowOf(writes, {}), firstTake);
            for (const char* table : {"Doc_in", "Item_in", "Item_out", "Genealogie", "LivrariLapte"})
                engine.Touch(QLatin1String(table));
            ledger.Touch();
            tx.Commit();
            return lot;
        });
    });
}

} // namespace corvanel
