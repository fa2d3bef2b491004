#include "host/ReceiptLedger.h"

#include "host/LotOutgoings.h"
#include "host/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"
#include "platform/ui/MessageDlg.h"

#include <cmath>

namespace pelmaris {

namespace {

const QString kStoc = fw::StocDB;
const QString kItemIn = fw::ItemInDB;
const QString kDocIn = fw::DocInDB;

QString Str(const fw::TDataSet& ds, const char* field) { return ds.FieldByName(QString::fromLatin1(field))->AsString(); }
double Num(const fw::TDataSet& ds, const char* field) { return ds.FieldByName(QString::fromLatin1(field))->AsFloat(); }
bool IsNull(const fw::TDataSet& ds, const char* field) { return ds.FieldByName(QString::fromLatin1(field))->IsNull(); }
void Set(fw::TDataSet& ds, const char* field, const QVariant& value)
{
    ds.FieldByName(QString::fromLatin1(field))->SetValue(value);
}

// The line held by the active record of an Item_in dataset.
TReceiptLine LineOf(const fw::TDataSet& ds)
{
    TReceiptLine line;
    line.Contor = Num(ds, "Contor");
    line.ContorSecundar = Num(ds, "Contor_secundar");
    line.Gestiune = Str(ds, "Cod_gestiune");
    line.Grupa = Str(ds, "Cod_grupa");
    line.Articol = Str(ds, "Cod_articol");
    line.Lot = Str(ds, "Lot");
    line.Agent = Str(ds, "Agent");
    line.Cantitate = Num(ds, "Cantitate");
    line.Pret = Num(ds, "Pret_achizitie_lei");
    // A company that could not take the column (read only) has no such date.
    if (const fw::TField* expiry = ds.FindField(QStringLiteral("Data_expirare")))
        line.DataExpirare = expiry->AsDate();
    return line;
}

void WriteLot(fw::TTable& stoc, const TReceiptLine& line, double quantity)
{
    Set(stoc, "Cantitate", quantity);
    Set(stoc, "Cod_articol", line.Articol);
    Set(stoc, "Cod_grupa", line.Grupa);
    Set(stoc, "Cod_gestiune", line.Gestiune);
    Set(stoc, "Pret_achizitie", line.Pret);
    Set(stoc, "Lot", line.Lot);
    Set(stoc, "Agent", line.Agent);
    Set(stoc, "Contor_in", line.Contor);
    Set(stoc, "Contor_secundar_in", line.ContorSecundar);
    Set(stoc, "Data_intrare", line.DataIntrare.isValid() ? QVariant(line.DataIntrare) : QVariant());
    if (fw::TField* expiry = stoc.FindField(QStringLiteral("Data_expirare")))
        expiry->SetValue(line.DataExpirare.isValid() ? QVariant(line.DataExpirare) : QVariant());
}

double MaxOf(const QString& database, const QStringList& sql, const std::function<void(fw::TQuery&)>& bind = {})
{
    fw::TQuery q;
    q.SetDatabaseName(database);
    q.SetSQL(sql);
    if (bind)
        bind(q);
    q.Open();
    return q.Fields(0)->AsFloat();
}

QDate RegistrationDate(const QString& database, double contor)
{
    auto docs = OpenTable(database, kDocIn, QStringLiteral("Contor"));
    return docs->FindKey({contor}) ? docs->FieldByName(QStringLiteral("Data_inregistrarii"))->AsDate() : QDate();
}

} // namespace

void ApplyLineToStock(const QString& database, const std::optional<TReceiptLine>& before,
                      const std::optional<TReceiptLine>& after)
{
    auto stoc = OpenTable(database, kStoc, QStringLiteral("Contor_in;Contor_secundar_in"), true);
    bool haveLot = false;
    double drawn = 0; // what has left the lot since the line put it there
    if (before) {
        haveLot = stoc->FindKey({before->Contor, before->ContorSecundar});
        drawn = before->Cantitate - (haveLot ? Num(*stoc, "Cantitate") : 0.0);
    }
    // One line: how much has gone, where to, and what therefore cannot be done.
    auto refuse = [&](const QString& consequence) {
        const QString where = LotOutgoings(database, *before);
        return EWriteRefused(QStringLiteral("Din lotul <%1> au iesit deja %2%3: %4")
                                 .arg(before->Lot, fw::FloatToStr(drawn),
                                      where.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(where), consequence));
    };
    if (!after) {
        if (drawn > StockTolerance)
            throw refuse(QStringLiteral("linia nu mai poate fi stearsa."));
        if (haveLot)
            stoc->Delete();
        return;
    }
    if (before && drawn > StockTolerance
        && (before->Articol != after->Articol || before->Grupa != after->Grupa || before->Gestiune != after->Gestiune
            || before->Lot != after->Lot))
        throw refuse(QStringLiteral("articolul, grupa, gestiunea si lotul liniei nu mai pot fi schimbate."));
    // The lot keeps whatever has been drawn from it and follows the line in the rest.
    const double remaining = after->Cantitate - drawn;
    if (remaining < -StockTolerance)
        throw refuse(QStringLiteral("cantitatea liniei nu poate fi mai mica."));
    if (haveLot) {
        if (remaining <= StockTolerance) {
            stoc->Delete();
            return;
        }
        stoc->Edit();
        WriteLot(*stoc, *after, remaining);
        stoc->Post();
    } else if (remaining > StockTolerance) {
        stoc->Append();
        WriteLot(*stoc, *after, remaining);
        stoc->Post();
    }
}

std::optional<TReceiptLine> StoredLine(const QString& database, double contor, double contorSecundar)
{
    auto lines = OpenTable(database, kItemIn, QStringLiteral("Contor;Contor_secundar"), true);
    if (!lines->FindKey({contor, contorSecundar}))
        return std::nullopt;
    return LineOf(*lines);
}

double TakeReceiptCounter(const QString& database)
{
    return fw::TakeDocumentCounter(*OpenTable(database, fw::CounterDB, {}, true),
                                   QStringLiteral("NewCounterIn"), kDocIn);
}

double NextLineNumber(const QString& database, double contor)
{
    // Lines of one document are numbered one at a time: whoever numbers one holds the
    // document's header until the line is written.
    OpenTable(database, kDocIn, QStringLiteral("Contor"), true)->FindKey({contor});
    return MaxOf(database,
                 {QStringLiteral("SELECT MAX(Contor_secundar) AS M FROM \"Item_in.DB\""),
                  QStringLiteral("WHERE Contor = :Contor")},
                 [&](fw::TQuery& q) { q.ParamByName(QStringLiteral("Contor"))->SetAsFloat(contor); })
           + 1;
}

void AddReceiptLine(const QString& database, const QVariantList& itemInValues)
{
    auto lines = OpenTable(database, kItemIn);
    fw::RunTransaction(lines->GetConnection(), [&] {
        LockCounterRow(database);
        lines->AppendRecord(itemInValues);
        TReceiptLine line = LineOf(*lines);
        line.DataIntrare = RegistrationDate(database, line.Contor);
        ApplyLineToStock(database, std::nullopt, line);
    });
}

// --- The document window's tables -------------------------------------------------------

TReceiptBinding::TReceiptBinding(fw::TTable* headers, fw::TTable* lines, QObject* owner)
    : QObject(owner), headers_(headers), lines_(lines)
{
    headers_->OnNewRecord = [this](fw::TDataSet*) { HeaderNewRecord(); };
    headers_->BeforePost = [this](fw::TDataSet*) { HeaderBeforePost(); };
    headers_->BeforeWrite = [this](fw::TDataSet*, fw::TUpdateKind kind) { HeaderWrite(kind); };
    lines_->BeforeInsert = [this](fw::TDataSet*) { LineBeforeInsert(); };
    lines_->OnNewRecord = [this](fw::TDataSet*) { LineNewRecord(); };
    lines_->BeforePost = [this](fw::TDataSet*) { LineBeforePost(); };
    lines_->BeforeWrite = [this](fw::TDataSet*, fw::TUpdateKind kind) { LineWrite(kind); };
    for (fw::TTable* table : {headers, lines})
        ReportWriteRefusals(table);
}

TReceiptBinding::~TReceiptBinding()
{
    for (fw::TTable* table : {headers_.data(), lines_.data()}) {
        if (!table)
            continue;
        table->OnNewRecord = nullptr;
        table->BeforeInsert = nullptr;
        table->BeforePost = nullptr;
        table->BeforeWrite = nullptr;
        table->OnPostError = nullptr;
        table->OnDeleteError = nullptr;
    }
}

QString TReceiptBinding::Database() const { return headers_->DatabaseName(); }

void TReceiptBinding::Refuse(const QString& message)
{
    fw::MessageDlg(message, fw::TMsgDlgType::Warning);
    fw::Abort();
}

std::unique_ptr<fw::TTable> TReceiptBinding::Find(const QString& table, const QString& keyFields,
                                                   const QVariantList& key) const
{
    auto t = OpenTable(Database(), table, keyFields);
    const bool found = key.isEmpty() ? !t->IsEmpty() : t->FindKey(key);
    return found ? std::move(t) : nullptr;
}

void TReceiptBinding::HeaderNewRecord()
{
    const QDate today = QDate::currentDate();
    Set(*headers_, "Data", today);
    Set(*headers_, "Data_inregistrarii", today);
    Set(*headers_, "Tip", fw::ReceiptDocType);
}

void TReceiptBinding::HeaderBeforePost()
{
    if (IsNull(*headers_, "Numar") || IsNull(*headers_, "Data"))
        Refuse(QStringLiteral("Completati numarul si data documentului!"));
    const QString supplier = Str(*headers_, "Furnizor");
    if (!supplier.isEmpty() && !Find(fw::FurnDB, QStringLiteral("Cod_furnizor"), {supplier}))
        Refuse(QStringLiteral("Furnizorul <%1> nu exista!").arg(supplier));
    if (IsNull(*headers_, "Data_inregistrarii"))
        Set(*headers_, "Data_inregistrarii", headers_->FieldByName(QStringLiteral("Data"))->Value());
}

void TReceiptBinding::HeaderWrite(fw::TUpdateKind kind)
{
    if (kind == fw::TUpdateKind::Insert) {
        Set(*headers_, "Contor", TakeReceiptCounter(Database()));
    } else if (kind == fw::TUpdateKind::Delete) {
        // The document goes with its lines and their lots, or not at all.
        LockCounterRow(Database());
        const double contor = Num(*headers_, "Contor");
        auto lines = OpenTable(Database(), kItemIn, QStringLiteral("Contor"));
        lines->FindKey({contor});
        while (!lines->Eof() && Num(*lines, "Contor") == contor) {
            ApplyLineToStock(Database(), LineOf(*lines), std::nullopt);
            lines->Delete();
        }
    }
}

void TReceiptBinding::LineBeforeInsert()
{
    if (headers_->IsEditing())
        headers_->Post();
    if (headers_->IsEmpty())
        Refuse(QStringLiteral("Adaugati mai intai antetul documentului!"));
}

void TReceiptBinding::LineNewRecord()
{
    // The line's number is taken when it is saved (see LineWrite).
    Set(*lines_, "Contor", Num(*headers_, "Contor"));
    Set(*lines_, "Valuta", QStringLiteral("RON"));
    // The first user of the company stands for whoever works at this desk.
    if (auto users = Find(fw::UserDB, QString(), {}))
        Set(*lines_, "Agent", Str(*users, "Init"));
}

void TReceiptBinding::LineBeforePost()
{
    const QString group = Str(*lines_, "Cod_grupa");
    const QString article = Str(*lines_, "Cod_articol");
    const QString store = Str(*lines_, "Cod_gestiune");
    if (group.isEmpty() || article.isEmpty() || store.isEmpty() || IsNull(*lines_, "Cantitate"))
        Refuse(QStringLiteral("Completati gestiunea, grupa, articolul si cantitatea!"));
    auto catalog = Find(fw::CatalogDB, QStringLiteral("Grupa;Cod"), {group, article});
    if (!catalog)
        Refuse(QStringLiteral("Articolul <%1  %2> nu exista in catalog!").arg(group, article));
    if (!Find(fw::GestDB, QStringLiteral("Cod"), {store}))
        Refuse(QStringLiteral("Gestiunea <%1> nu exista!").arg(store));
    if (Num(*lines_, "Cantitate") <= 0)
        Refuse(QStringLiteral("Cantitatea trebuie sa fie mai mare decat zero!"));

    // What the line leaves empty comes from the article and the currency.
    if (Str(*lines_, "Valuta").isEmpty())
        Set(*lines_, "Valuta", QStringLiteral("RON"));
    auto rate = [&](const QString& currency) {
        auto valuta = Find(fw::ValutaDB, QStringLiteral("Valuta"), {currency});
        return valuta ? Num(*valuta, "Curs") : 0.0;
    };
    const double lineRate = rate(Str(*lines_, "Valuta"));
    if (IsNull(*lines_, "Pret_achizitie_lei") && !IsNull(*lines_, "Pret_achizitie_valuta") && lineRate > 0)
        Set(*lines_, "Pret_achizitie_lei", fw::RoundHalfEven(Num(*lines_, "Pret_achizitie_valuta") * lineRate, 4));
    if (IsNull(*lines_, "Pret_achizitie_valuta") && !IsNull(*lines_, "Pret_achizitie_lei") && lineRate > 0)
        Set(*lines_, "Pret_achizitie_valuta", fw::RoundHalfEven(Num(*lines_, "Pret_achizitie_lei") / lineRate, 4));
    const double usd = rate(QStringLiteral("USD"));
    if (IsNull(*lines_, "Pret_echiv_USD") && usd > 0)
        Set(*lines_, "Pret_echiv_USD", fw::RoundHalfEven(Num(*lines_, "Pret_achizitie_lei") / usd, 4));
    if (Str(*lines_, "Cont_marfa").isEmpty())
        Set(*lines_, "Cont_marfa", Str(*catalog, "Cont_marfa"));
    if (Str(*lines_, "Cont_TVA_Intrari").isEmpty())
        Set(*lines_, "Cont_TVA_Intrari", Str(*catalog, "Cont_TVA_Intrari"));
    if (IsNull(*lines_, "TVA"))
        Set(*lines_, "TVA",
            fw::RoundHalfEven(Num(*lines_, "Cantitate") * Num(*lines_, "Pret_achizitie_lei") * Num(*catalog, "Coef_TVA") / 100, 2));
}

void TReceiptBinding::LineWrite(fw::TUpdateKind kind)
{
    LockCounterRow(Database());
    if (kind == fw::TUpdateKind::Insert)
        Set(*lines_, "Contor_secundar", NextLineNumber(Database(), Num(*lines_, "Contor")));
    // The lot follows the line as it is stored now, not as this window read it.
    std::optional<TReceiptLine> before;
    if (kind != fw::TUpdateKind::Insert) {
        auto old = [&](const char* field) { return lines_->FieldByName(QString::fromLatin1(field))->OldValue().toDouble(); };
        before = StoredLine(Database(), old("Contor"), old("Contor_secundar"));
    }
    std::optional<TReceiptLine> after;
    if (kind != fw::TUpdateKind::Delete) {
        after = LineOf(*lines_);
        after->DataIntrare = headers_->FieldByName(QStringLiteral("Data_inregistrarii"))->AsDate();
    }
    ApplyLineToStock(Database(), before, after);
}

} // namespace pelmaris
