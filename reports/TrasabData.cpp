#include "reports/TrasabData.h"

#include "data/Queries.h"
#include "data/ProductionData.h"
#include "dialogs/CodeList.h"
#include "platform/core/Exceptions.h"
#include "platform/schema/CompanyTables.h"

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

QString ReportDbErrorText(const QString& message)
{
    return QStringLiteral("Eroare de acces la baza de date!\r<") + message + QStringLiteral(">!");
}

const QStringList& TTrasabData::ReceiptSql()
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

const QStringList& TTrasabData::RawMaterialSql()
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

TTrasabData::TTrasabData(QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("TrasabData"));
    TSession* session = AddOnSession();
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

    Q = query("Q", ReceiptSql());
    DeclareFields(*Q, CompanyTable(DocInDB), {"Contor", "Data_inregistrarii", "Numar", "Furnizor", "Data"});
    DeclareFields(*Q, CompanyTable(CatalogDB), {"Denumire", "Unitate_masura", "ZileValabilitate", "Descriere"});
    DeclareFields(*Q, CompanyTable(ItemInDB), {"Cod_grupa", "Cod_articol", "Cantitate", "Cod_gestiune", "Lot"});
    DeclareFields(*Q, CompanyTable(FurnDB), {"Nume_furnizor"});
    Q->AddField(QStringLiteral("Pret_achizitie"), TFieldType::Float);
    Q->AddField(QStringLiteral("Val"), TFieldType::Float);
    Q->AddField(QStringLiteral("DenGrupa"), TFieldType::String, CompanyTable(GrupDB).Field("Denumire").Size);
    Q->FieldByName(QStringLiteral("Data_inregistrarii"))->SetDisplayFormat(QStringLiteral("dd.mm.yyyy"));

    DS = new TDataSource(this);
    DS->setObjectName(QStringLiteral("DS"));
    DS->SetDataSet(Q);

    GestT = table("GestT", KRBPROD, GestDB);
    DeclareFields(*GestT, CompanyTable(GestDB), {"Cod", "Denumire"});
    GestT->SetIndexFieldNames(QStringLiteral("Cod"));
    GestT->SetMasterSource(DS);
    GestT->SetMasterFields(QStringLiteral("Cod_gestiune"));

    Firm = table("Firm", TVELDA, FirmDataDB);
    DeclareFields(*Firm, CompanyTable(FirmDataDB), {"Denumire", "Cod fiscal", "Adresa"});

    QOut = query("QOut", RawMaterialSql());
    DeclareFields(*QOut, CompanyTable(ItemOutDB), {"Cod_grupa", "Cod_articol"});
    DeclareFields(*QOut, CompanyTable(CatalogDB), {"Denumire"});
    DeclareFields(*QOut, CompanyTable(ItemOutDB), {"Lot", "Cantitate", "Cod_gestiune"});
    DeclareFields(*QOut, CompanyTable(CatalogDB), {"Unitate_masura", "ZileValabilitate"});
}

void TTrasabData::SetSelection(const QString& warehouseList, const QString& supplierList)
{
    Q->Close();
    const QStringList warehouses = ParseCodeList(warehouseList);
    const QStringList suppliers = ParseCodeList(supplierList);
    Q->SetSQLLine(kWarehouseLine, InCondition(QStringLiteral("I.Cod_gestiune"), QStringLiteral("Gest"), int(warehouses.size())));
    Q->SetSQLLine(kSupplierLine, InCondition(QStringLiteral("D.Furnizor"), QStringLiteral("Furn"), int(suppliers.size())));
    BindCodes(Q, QStringLiteral("Gest"), warehouses);
    BindCodes(Q, QStringLiteral("Furn"), suppliers);
}

void TTrasabData::OpenData(TDateTime from, TDateTime to)
{
    Firm->Open();
    Q->ParamByName(QStringLiteral("FromDate"))->SetAsDateTime(from);
    Q->ParamByName(QStringLiteral("ToDate"))->SetAsDateTime(to);
    Q->Open();
    GestT->Open();
}

void TTrasabData::CloseData()
{
    Q->Close();
    GestT->Close();
    Firm->Close();
    QOut->Close();
}

std::vector<TRawMaterialLine> TTrasabData::RawMaterials()
{
    QOut->Close();
    QOut->ParamByName(QStringLiteral("NrDoc"))->SetAsFloat(Q->FieldByName(QStringLiteral("Numar"))->AsFloat());
    TParam* date = QOut->ParamByName(QStringLiteral("DataDoc"));
    TField* receiptDate = Q->FieldByName(QStringLiteral("Data"));
    if (receiptDate->IsNull())
        date->Clear();
    else
        date->SetAsDate(receiptDate->AsDate());
    try {
        QOut->Open();
    } catch (const EDatabaseError& error) {
        // Reaches whoever shows errors in the add-on's own words.
        throw EDatabaseError(ReportDbErrorText(error.Message()));
    }
    const auto field = [this](const char* name) { return QOut->FieldByName(QString::fromLatin1(name)); };
    TField* group = field("Cod_grupa");
    TField* code = field("Cod_articol");
    TField* name = field("Denumire");
    TField* lot = field("Lot");
    TField* quantity = field("Cantitate");
    TField* warehouse = field("Cod_gestiune");
    TField* unit = field("Unitate_masura");
    std::vector<TRawMaterialLine> lines;
    for (QOut->First(); !QOut->Eof(); QOut->Next())
        lines.push_back({group->AsString(), code->AsString(), name->AsString(), lot->AsString(), quantity->AsFloat(),
                         warehouse->AsString(), unit->AsString()});
    return lines;
}

} // namespace corvanel
