#include "host/OutgoingLedger.h"

#include "host/ReceiptLedger.h"
#include "host/Schema.h"
#include "host/WriteRefusal.h"
#include "platform/core/Formats.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

#include <algorithm>
#include <vector>

namespace pelmaris {

namespace {

QVariant Field(const fw::TDataSet& ds, const char* name) { return ds.FieldByName(QString::fromLatin1(name))->Value(); }

// A stock row the line draws on, and what it gives.
struct TDrawnRow {
    fw::TBookmark Row;
    double Take;
};

// The line's article, warehouse and quantity, checked before anything is locked.
void RequireComplete(const QString& database, const TOutgoingLine& line)
{
    if (line.Warehouse.isEmpty() || line.Group.isEmpty() || line.Article.isEmpty())
        throw EWriteRefused(QStringLiteral("Completati gestiunea, grupa si articolul!"));
    if (!(line.Quantity > StockTolerance))
        throw EWriteRefused(QStringLiteral("Cantitatea trebuie sa fie mai mare decat zero!"));
    if (line.Contor == 0 && (line.Number <= 0 || !line.Date.isValid()))
        throw EWriteRefused(QStringLiteral("Completati numarul si data documentului!"));
    if (!OpenTable(database, fw::CatalogDB, QStringLiteral("Grupa;Cod"))->FindKey({line.Group, line.Article}))
        throw EWriteRefused(QStringLiteral("Articolul <%1  %2> nu exista in catalog!").arg(line.Group, line.Article));
    if (!OpenTable(database, fw::GestDB, QStringLiteral("Cod"))->FindKey({line.Warehouse}))
        throw EWriteRefused(QStringLiteral("Gestiunea <%1> nu exista!").arg(line.Warehouse));
}

// The header row of an existing document locked until the line is written, so that no
// other user numbers a line of it meanwhile; its next line number.
double NextOutgoingLineNumber(const QString& database, double contor)
{
    if (!OpenTable(database, fw::DocOutDB, QStringLiteral("Contor"), true)->FindKey({contor}))
        throw EWriteRefused(QStringLiteral("Documentul de iesire nu mai exista (l-a sters alt utilizator). Linia nu a fost scrisa."));
    fw::TQuery last;
    last.SetDatabaseName(database);
    last.SetSQL({QStringLiteral("SELECT MAX(Contor_secundar) AS M FROM \"Item_out.DB\""), QStringLiteral("WHERE Contor = :Contor")});
    last.ParamByName(QStringLiteral("Contor"))->SetAsFloat(contor);
    last.Open();
    return last.Fields(0)->AsFloat() + 1;
}

} // namespace

QString LotNotUsableText(const QString& lot, const QString& article, const TLotRefusal& refusal)
{
    return QStringLiteral("Lotul <%1> al articolului %2 este %3%4. Linia nu a fost scrisa.")
        .arg(lot, article, refusal.State, refusal.Reason.isEmpty() ? QString() : QStringLiteral(": ") + refusal.Reason);
}

double WriteOutgoingLine(const QString& database, const TOutgoingLine& line, const TLotCheck& check)
{
    RequireComplete(database, line);
    const QString article = line.Group + QLatin1Char('/') + line.Article;
    auto catalog = OpenTable(database, fw::CatalogDB, QStringLiteral("Grupa;Cod"));
    catalog->FindKey({line.Group, line.Article});
    const QVariant salePrice = Field(*catalog, "Pret_vinzare");
    const QVariant goodsAccount = Field(*catalog, "Cont_marfa");
    double contor = line.Contor;
    fw::RunTransaction(catalog->GetConnection(), [&] {
        // The counter row first: a hold of the lot either committed before this, and is
        // seen below, or waits for the line.
        const auto counters = LockCounterRow(database);
        if (check)
            if (const std::optional<TLotRefusal> refusal = check(line.Group, line.Article, line.Lot))
                throw EWriteRefused(LotNotUsableText(line.Lot, article, *refusal));

        // The article's rows in that warehouse, by the index on article and warehouse (in
        // the order they entered within it), read for update.
        auto stock = OpenTable(database, fw::StocDB, QStringLiteral("Cod_grupa;Cod_articol;Cod_gestiune"), true);
        const auto text = [&stock](const char* field) { return stock->FieldByName(QString::fromLatin1(field))->AsString(); };
        std::vector<TDrawnRow> drawn;
        double left = line.Quantity;
        double onHand = 0;
        for (bool found = stock->FindKey({line.Group, line.Article, line.Warehouse});
             found && !stock->Eof() && text("Cod_grupa") == line.Group && text("Cod_articol") == line.Article
             && text("Cod_gestiune") == line.Warehouse;
             stock->Next()) {
            if (text("Lot") != line.Lot)
                continue;
            const double quantity = stock->FieldByName(QStringLiteral("Cantitate"))->AsFloat();
            if (quantity <= StockTolerance)
                continue;
            onHand += quantity;
            if (left > StockTolerance) {
                drawn.push_back({stock->GetBookmark(), std::min(quantity, left)});
                left -= drawn.back().Take;
            }
        }
        if (left > StockTolerance)
            throw EWriteRefused(QStringLiteral("Stoc insuficient: lotul <%1> al articolului %2 are in gestiunea %3 %4, "
                                               "linia cere %5. Linia nu a fost scrisa.")
                                    .arg(line.Lot, article, line.Warehouse, fw::FloatToStr(onHand),
                                         fw::FloatToStr(line.Quantity)));

        double number = 0;
        if (line.Contor == 0) {
            contor = fw::TakeDocumentCounter(*counters, QStringLiteral("NewCounterOut"), fw::DocOutDB);
            OpenTable(database, fw::DocOutDB)->AppendRecord({contor, line.Date, line.Number, fw::InvoiceDocType, line.Date,
                                                             line.Client.isEmpty() ? QVariant() : QVariant(line.Client),
                                                             QVariant(), QVariant(), line.Agent});
            number = 1;
        } else {
            number = NextOutgoingLineNumber(database, contor);
        }
        auto lines = OpenTable(database, fw::ItemOutDB);
        for (const TDrawnRow& d : drawn) {
            stock->GotoBookmark(d.Row);
            const double quantity = stock->FieldByName(QStringLiteral("Cantitate"))->AsFloat();
            lines->Append();
            const std::pair<const char*, QVariant> values[] = {
                {"Contor", contor},
                {"Contor_secundar", number++},
                {"Cod_gestiune", line.Warehouse},
                {"Cod_grupa", line.Group},
                {"Cod_articol", line.Article},
                {"Cantitate", d.Take},
                {"Pret_achizitie", Field(*stock, "Pret_achizitie")},
                {"Pret_vinzare", salePrice},
                {"Cont_marfa", goodsAccount},
                {"Lot", line.Lot.isEmpty() ? QVariant() : QVariant(line.Lot)},
                {"Agent", line.Agent}};
            for (const auto& [name, value] : values)
                lines->FieldByName(QString::fromLatin1(name))->SetValue(value);
            lines->Post();
            if (quantity - d.Take <= StockTolerance) {
                stock->Delete();
            } else {
                stock->Edit();
                stock->FieldByName(QStringLiteral("Cantitate"))->SetAsFloat(quantity - d.Take);
                stock->Post();
            }
        }
    });
    return contor;
}

} // namespace pelmaris
