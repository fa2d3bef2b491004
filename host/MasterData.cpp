#include "host/MasterData.h"

#include "host/Schema.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"


namespace pelmaris {

namespace {

QStringList Split(const QString& fields) { return fields.split(QLatin1Char(';'), Qt::SkipEmptyParts); }

QString KeyText(const QVariantList& key)
{
    QStringList parts;
    for (const QVariant& v : key)
        parts << v.toString();
    return parts.join(QStringLiteral("  "));
}

QString PlacesText(const QStringList& places)
{
    QStringList in;
    for (const QString& p : places)
        in << QStringLiteral("in ") + p;
    if (in.size() == 1)
        return in.first();
    const QString last = in.takeLast();
    return in.join(QStringLiteral(", ")) + QStringLiteral(" si ") + last;
}

// Keys are texts, compared byte-wise as the engine compares them.
bool SameKey(const QVariantList& a, const QVariantList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).isNull() != b.at(i).isNull() || a.at(i).toString() != b.at(i).toString())
            return false;
    }
    return true;
}

bool TableExists(const QString& database, const QString& name)
{
    fw::TTable table;
    table.SetDatabaseName(database);
    table.SetTableName(name);
    return table.Exists();
}

bool Refers(const QString& database, const TReference& ref, const QStringList& keyFields, const QVariantList& key)
{
    const QStringList fields = Split(ref.Fields);
    const QStringList standsFor = ref.KeyFields.isEmpty() ? keyFields : Split(ref.KeyFields);
    QStringList conditions;
    for (qsizetype i = 0; i < fields.size(); ++i)
        conditions << QStringLiteral("%1 = :K%2").arg(fields.at(i)).arg(i);
    fw::TQuery q;
    q.SetDatabaseName(database);
    q.SetSQL({QStringLiteral("SELECT 1 AS Found FROM \"%1\"").arg(ref.Table),
              QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND ")), QStringLiteral("LIMIT 1")});
    for (qsizetype i = 0; i < fields.size(); ++i)
        q.ParamByName(QStringLiteral("K%1").arg(i))->SetAsString(key.at(keyFields.indexOf(standsFor.at(i))).toString());
    q.Open();
    return !q.IsEmpty();
}

const QStringList kAccountFields = {
    QStringLiteral("Cont_marfa"),  QStringLiteral("Cont_cheltuieli"), QStringLiteral("Cont_TVA_Intrari"),
    QStringLiteral("Cont_TVA_Iesiri"), QStringLiteral("Cont_accize"), QStringLiteral("Cont_adaos"),
    QStringLiteral("Cont_venituri")};

[[noreturn]] void Warn(const QString& message)
{
    fw::MessageDlg(message, fw::TMsgDlgType::Warning);
    fw::Abort();
}

} // namespace

const TMasterTable& ClassesTable()
{
    static const TMasterTable t{fw::MaterialeDB, QStringLiteral("Cod_material"),
                                QStringLiteral("Clasa"), QStringLiteral("stearsa"), QStringLiteral("clasei"),
                                {QStringLiteral("Cod_material"), QStringLiteral("Denumire")},
                                QStringLiteral("Introduceti codul si denumirea clasei!"),
                                {{fw::GrupDB, QStringLiteral("Cod_material"), {}, QStringLiteral("grupe")}}};
    return t;
}

const TMasterTable& GroupsTable()
{
    static const TMasterTable t{
        fw::GrupDB, QStringLiteral("Cod_grupa"), QStringLiteral("Grupa"), QStringLiteral("stearsa"),
        QStringLiteral("grupei"), {QStringLiteral("Cod_grupa"), QStringLiteral("Denumire")},
        QStringLiteral("Introduceti codul si denumirea grupei!"),
        {{fw::CatalogDB, QStringLiteral("Grupa"), {}, QStringLiteral("catalogul de articole")},
         {fw::StocDB, QStringLiteral("Cod_grupa"), {}, QStringLiteral("stoc")}}};
    return t;
}

const TMasterTable& ArticlesTable()
{
    static const TMasterTable t{
        fw::CatalogDB, QStringLiteral("Grupa;Cod"), QStringLiteral("Articolul"), QStringLiteral("sters"),
        QStringLiteral("articolului"), {QStringLiteral("Cod"), QStringLiteral("Denumire")},
        QStringLiteral("Introduceti atît codul si denumirea!"),
        {{fw::StocDB, QStringLiteral("Cod_grupa;Cod_articol"), {}, QStringLiteral("stoc")},
         // A recipe names its product by code alone, its materials by group and code.
         {fw::RetetaDB, QStringLiteral("Cod"), QStringLiteral("Cod"), QStringLiteral("retete")},
         {fw::RetetaDB, QStringLiteral("Cod_Grupa;Cod_MatPrim"), {}, QStringLiteral("retete")},
         {fw::ItemInDB, QStringLiteral("Cod_grupa;Cod_articol"), {},
          QStringLiteral("documente de intrare")},
         {fw::ItemOutDB, QStringLiteral("Cod_grupa;Cod_articol"), {},
          QStringLiteral("documente de iesire")}}};
    return t;
}

const TMasterTable& WarehousesTable()
{
    static const TMasterTable t{
        fw::GestDB, QStringLiteral("Cod"), QStringLiteral("Gestiunea"), QStringLiteral("stearsa"),
        QStringLiteral("gestiunii"), {QStringLiteral("Cod"), QStringLiteral("Denumire")},
        QStringLiteral("Introduceti codul si denumirea gestiunii!"),
        {{fw::StocDB, QStringLiteral("Cod_gestiune"), {}, QStringLiteral("stoc")},
         {fw::ItemInDB, QStringLiteral("Cod_gestiune"), {}, QStringLiteral("documente de intrare")},
         {fw::ItemOutDB, QStringLiteral("Cod_gestiune"), {}, QStringLiteral("documente de iesire")}}};
    return t;
}

const TMasterTable& SuppliersTable()
{
    static const TMasterTable t{
        fw::FurnDB, QStringLiteral("Cod_furnizor"), QStringLiteral("Furnizorul"), QStringLiteral("sters"),
        QStringLiteral("furnizorului"), {QStringLiteral("Cod_furnizor"), QStringLiteral("Nume_furnizor")},
        QStringLiteral("Introduceti codul si numele furnizorului!"),
        {{fw::DocInDB, QStringLiteral("Furnizor"), {}, QStringLiteral("documente de intrare")}}};
    return t;
}

const TMasterTable& CurrenciesTable()
{
    static const TMasterTable t{
        fw::ValutaDB, QStringLiteral("Valuta"), QStringLiteral("Valuta"), QStringLiteral("stearsa"),
        QStringLiteral("valutei"), {QStringLiteral("Valuta"), QStringLiteral("Denumire")},
        QStringLiteral("Introduceti codul si denumirea valutei!"),
        {{fw::CatalogDB, QStringLiteral("Moneda"), {}, QStringLiteral("catalogul de articole")},
         {fw::ItemInDB, QStringLiteral("Valuta"), {}, QStringLiteral("documente de intrare")}}};
    return t;
}

QStringList PlacesUsing(const QString& database, const TMasterTable& table, const QVariantList& key)
{
    const QStringList keyFields = Split(table.Key);
    QStringList places;
    for (const TReference& ref : table.References) {
        if (places.contains(ref.Place) || !TableExists(database, ref.Table))
            continue;
        if (Refers(database, ref, keyFields, key))
            places << ref.Place;
    }
    return places;
}

QString DeleteRefusal(const TMasterTable& table, const QVariantList& key, const QStringList& places)
{
    return QStringLiteral("%1 <%2> nu poate fi %3: apare %4.")
        .arg(table.Subject, KeyText(key), table.Deleted, PlacesText(places));
}

QString KeyChangeRefusal(const TMasterTable& table, const QVariantList& key, const QStringList& places)
{
    return QStringLiteral("Codul %1 <%2> nu poate fi schimbat: apare %3.")
        .arg(table.OfSubject, KeyText(key), PlacesText(places));
}

void BindAccountChecks(fw::TTable* table, const QStringList& fields)
{
    for (const QString& name : fields) {
        table->FieldByName(name)->OnValidate = [](fw::TField* field) {
            if (!fw::IsValidAccountSymbol(field->AsString()))
                Warn(QStringLiteral("Introduceti simbolul contului în format 999(9).99(9).99(9) !"));
        };
    }
}

void BindArticleChecks(fw::TTable* catalog)
{
    BindAccountChecks(catalog, kAccountFields);
    catalog->FieldByName(QStringLiteral("Moneda"))->OnValidate = [catalog](fw::TField* field) {
        // The catalog lookup's rule: an emptied currency is no currency of the list either.
        const QString code = field->AsString();
        auto currencies = OpenTable(catalog->DatabaseName(), CurrenciesTable().Table, CurrenciesTable().Key);
        if (!currencies->FindKey({code}))
            Warn(QStringLiteral("<%1> nu exista în catalogul de valute!").arg(code));
    };
    catalog->OnNewRecord = [](fw::TDataSet* ds) {
        const std::pair<const char*, QVariant> defaults[] = {
            {"Cont_marfa", QStringLiteral("371")},       {"Cont_cheltuieli", QStringLiteral("607")},
            {"Cont_TVA_Intrari", QStringLiteral("4426")}, {"Cont_TVA_Iesiri", QStringLiteral("4427")},
            {"Coef_TVA", 19.0},                           {"Cont_venituri", QStringLiteral("707")},
            {"Cont_adaos", QStringLiteral("378")},        {"Cont_accize", QStringLiteral("446")}};
        for (const auto& [field, value] : defaults)
            ds->FieldByName(QString::fromLatin1(field))->SetValue(value);
    };
}

// --- Binding -----------------------------------------------------------------------------

TMasterBinding::TMasterBinding(fw::TTable* table, const TMasterTable& rules, QObject* owner)
    : QObject(owner), table_(table), rules_(rules), keyFields_(Split(rules.Key))
{
    // What depends on other rows (a code taken, a row still referred to) is checked inside
    // the row's own transaction, so another user cannot start using the row in between.
    table_->BeforePost = [this](fw::TDataSet*) { BeforePost(); };
    table_->BeforeWrite = [this](fw::TDataSet*, fw::TUpdateKind kind) { BeforeWrite(kind); };
    ReportWriteRefusals(table_);
}

TMasterBinding::~TMasterBinding()
{
    if (table_) {
        table_->BeforePost = nullptr;
        table_->BeforeWrite = nullptr;
        table_->OnPostError = nullptr;
        table_->OnDeleteError = nullptr;
    }
}

QVariantList TMasterBinding::Key(bool old) const
{
    QVariantList key;
    for (const QString& f : keyFields_) {
        fw::TField* field = table_->FieldByName(f);
        key << (old ? field->OldValue() : field->Value());
    }
    return key;
}

void TMasterBinding::Refuse(const QString& message) { throw EWriteRefused(message); }

void TMasterBinding::BeforePost()
{
    for (const QString& f : rules_.Required) {
        if (table_->FieldByName(f)->AsString().trimmed().isEmpty())
            Warn(rules_.RequiredMessage);
    }
}

void TMasterBinding::BeforeWrite(fw::TUpdateKind kind)
{
    if (kind == fw::TUpdateKind::Delete) {
        const QVariantList key = Key(false);
        const QStringList places = PlacesUsing(table_->DatabaseName(), rules_, key);
        if (!places.isEmpty())
            Refuse(DeleteRefusal(rules_, key, places));
        return;
    }
    const QVariantList key = Key(false);
    const bool inserting = kind == fw::TUpdateKind::Insert;
    const QVariantList old = inserting ? QVariantList() : Key(true);
    const bool keyChanged = !inserting && !SameKey(old, key);
    if (keyChanged) {
        const QStringList places = PlacesUsing(table_->DatabaseName(), rules_, old);
        if (!places.isEmpty())
            Refuse(KeyChangeRefusal(rules_, old, places));
    }
    if (inserting || keyChanged) {
        auto others = OpenTable(table_->DatabaseName(), rules_.Table, rules_.Key);
        if (others->FindKey(key))
            Refuse(QStringLiteral("%1 cu codul <%2> exista deja!").arg(rules_.Subject, KeyText(key)));
    }
    if (CheckRow)
        CheckRow(table_);
}

} // namespace pelmaris
