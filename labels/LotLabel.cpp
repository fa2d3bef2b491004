#include "labels/LotLabel.h"

#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "data/StockLedger.h"
#include "data/StockLots.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyColumns.h"
#include "platform/schema/CompanyTables.h"
#include "reports/FirmName.h"

namespace corvanel {

using namespace fw;

namespace {

void Prepare(TQuery& q, TProductionContext& context, const QStringList& sql, const QString& group, const QString& code,
             const QString& lot)
{
    q.SetSession(context.Session());
    q.SetDatabaseName(KRBPROD);
    q.SetSQL(sql);
    q.ParamByName(QStringLiteral("Grupa"))->SetAsString(group);
    q.ParamByName(QStringLiteral("Cod"))->SetAsString(code);
    if (!lot.isNull())
        q.ParamByName(QStringLiteral("Lot"))->SetAsString(lot);
}

// The lines a lot has in a table and the quantity they hold.
void DeclareCounts(TQuery& q)
{
    q.AddField(QStringLiteral("Linii"), TFieldType::Float);
    q.AddField(QStringLiteral("Cantitate"), TFieldType::Float);
}

} // namespace

bool SoldByWeight(const QString& unit)
{
    const QString u = unit.trimmed().toLower();
    return u == QLatin1String("kg") || u == QLatin1String("g");
}

double Kilograms(double quantity, const QString& unit)
{
    return unit.trimmed().toLower() == QLatin1String("g") ? quantity / 1000.0 : quantity;
}

void MakeElements(TLotLabel& label, const QString& barcode)
{
    const QString article = QStringLiteral("%1/%2 (%3)").arg(label.Group, label.Code, label.Name);
    const QString gtin = gs1::Gtin14(barcode, article);
    std::optional<double> netKg;
    if (SoldByWeight(label.Unit))
        netKg = Kilograms(label.Quantity, label.Unit);
    label.Elements = gs1::LotElements(gtin, label.Lot, label.Produced, label.UseBy, netKg);
}

TLotLabel ReadLotLabel(TProductionContext& context, const QString& group, const QString& code, const QString& lot,
                       std::optional<double> quantity)
{
    // The lot is held to GS1's rules first: a lot no label can carry is not looked for.
    gs1::CheckLot(lot);
    TLotLabel label;
    label.Group = group;
    label.Code = code;
    label.Lot = lot;
    TQuery article;
    Prepare(article, context,
            {QStringLiteral("SELECT Denumire, Unitate_masura, ZileValabilitate, Cod_bare FROM CATALOG"),
             QStringLiteral("WHERE (Grupa = :Grupa) AND (Cod = :Cod)")},
            group, code, QString());
    DeclareFields(article, CompanyTable(CatalogDB), {"Denumire", "Unitate_masura", "ZileValabilitate", "Cod_bare"});
    article.Open();
    if (article.Eof())
        throw ELabelRefused(QStringLiteral("Articolul %1/%2 nu exista in catalog.").arg(group, code));
    label.Name = article.FieldByName(QStringLiteral("Denumire"))->AsString();
    label.Unit = article.FieldByName(QStringLiteral("Unitate_masura"))->AsString();

    // What the lot's receipt lines brought in, and when the lot entered the stock; the
    // supplier's own expiry date where one was typed (not in a company that cannot keep it).
    const bool ownExpiry = TableHasColumn(KRBPROD, ItemInDB, QStringLiteral("Data_expirare"), context.Session())
                           && TableHasColumn(KRBPROD, StocDB, QStringLiteral("Data_expirare"), context.Session());
    TQuery received;
    Prepare(received, context,
            {QStringLiteral("SELECT COUNT(*) AS Linii, SUM(I.Cantitate) AS Cantitate,"),
             QStringLiteral(" MIN(D.Data_inregistrarii) AS Data_inregistrarii")
                 + (ownExpiry ? QStringLiteral(", MIN(I.Data_expirare) AS Data_expirare") : QString()),
             QStringLiteral("FROM ITEM_IN I, DOC_IN D WHERE (D.Contor = I.Contor)"),
             QStringLiteral(" AND (I.Cod_grupa = :Grupa) AND (I.Cod_articol = :Cod) AND (I.Lot = :Lot)")},
            group, code, lot);
    DeclareCounts(received);
    DeclareFields(received, CompanyTable(DocInDB), {"Data_inregistrarii"});
    if (ownExpiry)
        DeclareFields(received, CompanyTable(ItemInDB), {"Data_expirare"});
    received.Open();
    TQuery stock;
    Prepare(stock, context, TStockLedger::LotEntrySql(ownExpiry), group, code, lot);
    DeclareCounts(stock);
    DeclareFields(stock, CompanyTable(StocDB), {"Data_intrare"});
    if (ownExpiry)
        DeclareFields(stock, CompanyTable(StocDB), {"Data_expirare"});
    stock.Open();
    const bool hasLines = received.FieldByName(QStringLiteral("Linii"))->AsFloat() > 0;
    if (!hasLines && !(stock.FieldByName(QStringLiteral("Linii"))->AsFloat() > 0))
        throw ELabelRefused(
            QStringLiteral("Lotul \"%1\" al articolului %2/%3 nu exista in firma.").arg(lot, group, code));
    // A lot whose stock rows are gone entered on its receipt's day.
    label.Produced = stock.FieldByName(QStringLiteral("Data_intrare"))->AsDate();
    if (!label.Produced.isValid())
        label.Produced = received.FieldByName(QStringLiteral("Data_inregistrarii"))->AsDate();
    if (!label.Produced.isValid())
        throw ELabelRefused(QStringLiteral("Lotul \"%1\" al articolului %2/%3 nu are data intrarii in stoc: data "
                                           "productiei nu poate fi tiparita.")
                                .arg(lot, group, code));
    QDate own;
    if (ownExpiry) {
        own = stock.FieldByName(QStringLiteral("Data_expirare"))->AsDate();
        if (!own.isValid())
            own = received.FieldByName(QStringLiteral("Data_expirare"))->AsDate();
    }
    label.UseBy = ExpiryDate(label.Produced, article.FieldByName(QStringLiteral("ZileValabilitate"))->AsFloat(), own);
    label.Quantity = quantity ? *quantity : (hasLines ? received : stock).FieldByName(QStringLiteral("Cantitate"))->AsFloat();
    if (!(label.Quantity > 0))
        throw ELabelRefused(QStringLiteral("Lotul \"%1\" al articolului %2/%3 nu are o cantitate de tiparit; dati "
                                           "cantitatea neta a unui ambalaj.")
                                .arg(lot, group, code));
    MakeElements(label, article.FieldByName(QStringLiteral("Cod_bare"))->AsString());
    label.Company = ReadFirmName(context);
    return label;
}

} // namespace corvanel
