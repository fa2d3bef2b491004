#include "reports/TraceabilityData.h"

#include "data/Messages.h"
#include "data/Queries.h"
#include "dialogs/CodeList.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/schema/CompanyColumns.h"
#include "platform/schema/CompanyTables.h"

#include <utility>

namespace corvanel {

using namespace fw;

namespace {

// Lines of the receipt query that hold the two selections (0-based).
constexpr int kWarehouseLine = 10;
constexpr int kSupplierLine = 11;

// "(<column> IN (:<name>1,:<name>2)) AND" with one parameter for each code, or an empty
// line when there is no code.
QString InCondition(const QString& column, const QString& name, int count)
{
    if (count == 0)
        return QString();
    QStringList params;
    for (int i = 1; i <= count; ++i)
        params << QStringLiteral(":%1%2").arg(name).arg(i);
    return QStringLiteral("(%1 IN (%2)) AND").arg(column, params.join(QLatin1Char(',')));
}

void BindCodes(TQuery* query, const QString& name, const QStringList& codes)
{
    for (int i = 0; i < codes.size(); ++i)
        query->ParamByName(name + QString::number(i + 1))->SetAsString(codes.at(i));
}

} // namespace

const QStringList& TTraceabilityData::ReceiptSql()
{
    // D.Data is read as well: a consumption document carries its receipt's document date.
    static const QStringList sql{
        QStringLiteral("SELECT"),
        QStringLiteral("  D.Contor, D.Data_inregistrarii, D.Numar, D.Furnizor, D.Data, "),
        QStringLiteral("  C.Denumire, C.Unitate_masura, C.ZileValabilitate, C.Descriere,"),
        QStringLiteral("  I.Cod_grupa, I.Cod_articol, I.Cantitate, I.Pret_achizitie_lei as Pret_achizitie, "),
        QStringLiteral("  I.Cod_gestiune, I.Cantitate * I.Pret_achizitie_lei as Val, Lot,"),
        QStringLiteral("  F.Nume_furnizor, G.Denumire AS DenGrupa"),
        QStringLiteral("FROM"),
        QStringLiteral("  DOC_IN D LEFT JOIN FURN F ON (D.Furnizor = F.Cod_furnizor ),"),
        QStringLiteral("  CATALOG C, ITEM_IN I, GRUP G"),
        QStringLiteral("WHERE"),
        QStringLiteral("  (I.Cod_gestiune = :Gest) AND"),
        QStringLiteral("  (D.Furnizor = :Furn) AND"),
        QStringLiteral("  (D.Data_inregistrarii >= :FromDate) AND"),
        QStringLiteral("  (D.Data_inregistrarii <= :ToDate) "),
        QStringLiteral("AND"),
        QStringLiteral("  (D.Contor= I.Contor ) AND "),
        QStringLiteral("  (I.Cod_grupa = C.Grupa)  AND (C.Grupa = G.Cod_grupa) AND (I.Cod_articol= C.Cod )"),
        QString(),
        QStringLiteral("ORDER BY"),
        QStringLiteral("  D.Data_inregistrarii, D.Furnizor, I.Cod_gestiune, I.Cod_grupa, I.Cod_articol"),
        QStringLiteral(" "),
    };
    return sql;
}

const QStringList& TTraceabilityData::RawMaterialSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT D.Cod_grupa, D.Cod_articol, D2.Denumire, D.Lot, D.Cantitate, D.Cod_gestiune, "
                       "D2.Unitate_masura, D2.ZileValabilitate"),
        QStringLiteral("FROM \"Item_out.DB\" D, \"Doc_out.DB\" D1, \"Catalog.DB\" D2"),
        QStringLiteral("WHERE"),
        QStringLiteral("(D1.Contor = D.Contor)"),
        QStringLiteral(" AND (D2.Grupa = D.Cod_grupa)"),
        QStringLiteral(" AND (D2.Cod = D.Cod_articol)"),
        QStringLiteral(" AND (D1.Numar = :NrDoc)"),
        QStringLiteral(" AND (D1.Data = :DataDoc)"),
        QStringLiteral("ORDER BY D.Cod_grupa, D.Cod_articol, D.Lot, D.Cantitate, D.Cod_gestiune"),
    };
    return sql;
}

TTraceabilityData::TTraceabilityData(TSession* session, QObject* owner) : QObject(owner), session_(session)
{
    setObjectName(QStringLiteral("TraceabilityData"));
    const auto query = [&](const char* name, const QStringList& sql) {
        auto* q = new TQuery(this);
        q->setObjectName(QString::fromLatin1(name));
        q->SetSession(session);
        q->SetDatabaseName(KRBPROD);
        q->SetSQL(sql);
        return q;
    };
    const auto table = [&](const char* name, const QString& database, const QString& file) {
        auto* t = new TTable(this);
        t->setObjectName(QString::fromLatin1(name));
        t->SetSession(session);
        t->SetDatabaseName(database);
        t->SetTableName(file);
        t->SetReadOnly(true);
        return t;
    };

    Receipts = query("Receipts", ReceiptSql());
    DeclareFields(*Receipts, CompanyTable(DocInDB), {"Contor", "Data_inregistrarii", "Numar", "Furnizor", "Data"});
    DeclareFields(*Receipts, CompanyTable(CatalogDB), {"Denumire", "Unitate_masura", "ZileValabilitate", "Descriere"});
    DeclareFields(*Receipts, CompanyTable(ItemInDB), {"Cod_grupa", "Cod_articol", "Cantitate", "Cod_gestiune", "Lot"});
    DeclareFields(*Receipts, CompanyTable(FurnDB), {"Nume_furnizor"});
    Receipts->AddField(QStringLiteral("Pret_achizitie"), TFieldType::Float);
    Receipts->AddField(QStringLiteral("Val"), TFieldType::Float);
    Receipts->AddField(QStringLiteral("DenGrupa"), TFieldType::String, CompanyTable(GrupDB).Field("Denumire").Size);
    Receipts->FieldByName(QStringLiteral("Data_inregistrarii"))->SetDisplayFormat(QStringLiteral("dd.mm.yyyy"));

    ReceiptSource = new TDataSource(this);
    ReceiptSource->setObjectName(QStringLiteral("ReceiptSource"));
    ReceiptSource->SetDataSet(Receipts);

    WarehouseTable = table("WarehouseTable", KRBPROD, GestDB);
    DeclareFields(*WarehouseTable, CompanyTable(GestDB), {"Cod", "Denumire"});
    WarehouseTable->SetIndexFieldNames(QStringLiteral("Cod"));
    WarehouseTable->SetMasterSource(ReceiptSource);
    WarehouseTable->SetMasterFields(QStringLiteral("Cod_gestiune"));

    FirmTable = table("FirmTable", TVELDA, FirmDataDB);
    DeclareFields(*FirmTable, CompanyTable(FirmDataDB), {"Denumire", "Cod fiscal", "Adresa"});

}

void TTraceabilityData::SetSelection(const QString& warehouseList, const QString& supplierList)
{
    Receipts->Close();
    const QStringList warehouses = ParseCodeList(warehouseList);
    const QStringList suppliers = ParseCodeList(supplierList);
    Receipts->SetSQLLine(kWarehouseLine, InCondition(QStringLiteral("I.Cod_gestiune"), QStringLiteral("Gest"), int(warehouses.size())));
    Receipts->SetSQLLine(kSupplierLine, InCondition(QStringLiteral("D.Furnizor"), QStringLiteral("Furn"), int(suppliers.size())));
    BindCodes(Receipts, QStringLiteral("Gest"), warehouses);
    BindCodes(Receipts, QStringLiteral("Furn"), suppliers);
}

void TTraceabilityData::OpenData(TDateTime from, TDateTime to)
{
    FirmTable->Open();
    Receipts->ParamByName(QStringLiteral("FromDate"))->SetAsDateTime(from);
    Receipts->ParamByName(QStringLiteral("ToDate"))->SetAsDateTime(to);
    Receipts->Open();
    WarehouseTable->Open();
    ReadOwnExpiry(from, to);
}

namespace {

QString LineKey(double receipt, const QString& group, const QString& article, const QString& lot)
{
    return QString::number(receipt, 'f', 0) + QChar(0x1f) + group + QChar(0x1f) + article + QChar(0x1f) + lot;
}

} // namespace

void TTraceabilityData::ReadOwnExpiry(TDateTime from, TDateTime to)
{
    ownExpiry_.clear();
    // A company that could not take the column (read only) has no own dates.
    if (!TableHasColumn(KRBPROD, ItemInDB, QStringLiteral("Data_expirare"), session_))
        return;
    TQuery q;
    q.SetSession(session_);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL({QStringLiteral("SELECT I.Contor, I.Cod_grupa, I.Cod_articol, I.Lot, I.Data_expirare"),
              QStringLiteral("FROM DOC_IN D, ITEM_IN I"),
              QStringLiteral("WHERE (D.Contor = I.Contor) AND (I.Data_expirare IS NOT NULL) AND"),
              QStringLiteral("  (D.Data_inregistrarii >= :FromDate) AND (D.Data_inregistrarii <= :ToDate)")});
    DeclareFields(q, CompanyTable(ItemInDB), {"Contor", "Cod_grupa", "Cod_articol", "Lot", "Data_expirare"});
    q.ParamByName(QStringLiteral("FromDate"))->SetAsDateTime(from);
    q.ParamByName(QStringLiteral("ToDate"))->SetAsDateTime(to);
    q.Open();
    const auto text = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name))->AsString(); };
    for (; !q.Eof(); q.Next())
        ownExpiry_.insert(LineKey(q.FieldByName(QStringLiteral("Contor"))->AsFloat(), text("Cod_grupa"), text("Cod_articol"), text("Lot")),
                          q.FieldByName(QStringLiteral("Data_expirare"))->AsDate());
}

QDate TTraceabilityData::OwnExpiry() const
{
    if (ownExpiry_.isEmpty())
        return {};
    const auto text = [this](const char* name) { return Receipts->FieldByName(QString::fromLatin1(name))->AsString(); };
    return ownExpiry_.value(LineKey(Receipts->FieldByName(QStringLiteral("Contor"))->AsFloat(), text("Cod_grupa"),
                                    text("Cod_articol"), text("Lot")));
}

void TTraceabilityData::CloseData()
{
    Receipts->Close();
    WarehouseTable->Close();
    FirmTable->Close();
}

std::vector<TRawMaterialLine> TTraceabilityData::RawMaterials()
{
    // Asked once for every receipt of the period: the engine keeps the statement prepared
    // under its text (a query of the dataset layer would parse it anew on each opening, two
    // fifths of the read), so only the text for this engine is made once.
    const QVariant number = ToSqlValue(TFieldType::Float, Receipts->FieldByName(QStringLiteral("Numar"))->AsFloat());
    const QVariant date = ToSqlValue(TFieldType::Date, Receipts->FieldByName(QStringLiteral("Data"))->Value());
    std::vector<TRawMaterialLine> lines;
    try {
        const std::shared_ptr<Connection> engine = session_->ConnectionFor(KRBPROD);
        if (rawMaterialEngine_.lock() != engine) {
            rawMaterialSql_ = TQuery::AdaptSql(RawMaterialSql().join(QLatin1Char('\n')), &rawMaterialOrder_, engine.get());
            rawMaterialEngine_ = engine;
        }
        QVariantList values;
        for (const QString& name : std::as_const(rawMaterialOrder_))
            values << (name == QLatin1String("NrDoc") ? number : date);
        // In the order of the columns the statement selects.
        engine->ForEachRow(rawMaterialSql_, values, [&lines](const NativeRow& row) {
            lines.push_back({row.Value(0).toString(), row.Value(1).toString(), row.Value(2).toString(),
                             row.Value(3).toString(), row.Value(4).toDouble(), row.Value(5).toString(),
                             row.Value(6).toString()});
        });
    } catch (const EDatabaseError& error) {
        // Reaches whoever shows errors in the add-on's own words.
        throw EDatabaseError(msg::ReportDatabaseError(error.Message()));
    }
    return lines;
}

} // namespace corvanel
