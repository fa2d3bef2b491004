#include "host/Schema.h"

#include "platform/core/Exceptions.h"

#include <QSet>

namespace pelmaris {

using fw::TFieldType;
using fw::TIndexOption;

namespace {

fw::TFieldDef S(const char* name, int width) { return {QString::fromLatin1(name), TFieldType::String, width, false}; }
fw::TFieldDef F(const char* name) { return {QString::fromLatin1(name), TFieldType::Float, 0, false}; }
fw::TFieldDef D(const char* name) { return {QString::fromLatin1(name), TFieldType::Date, 0, false}; }
fw::TFieldDef B(const char* name) { return {QString::fromLatin1(name), TFieldType::Boolean, 0, false}; }

fw::TIndexDef Key(const char* fields)
{
    return {QString(), QString::fromLatin1(fields), fw::TIndexOptions(TIndexOption::Primary) | TIndexOption::Unique};
}
fw::TIndexDef Index(const char* name, const char* fields)
{
    return {QString::fromLatin1(name), QString::fromLatin1(fields), {}};
}

std::vector<TTableLayout> BuildHostTables()
{
    const int W = DefaultStringWidth;
    return {
        {"Materiale.db", {S("Cod_material", 10), S("Denumire", 100), S("CONT_SINT", 20)}, {Key("Cod_material")}},
        {"Grup.DB",
         {S("Cod_material", 10), S("Cod_grupa", 8), S("Denumire", 100), S("Cont_sint", 20)},
         {Key("Cod_grupa"), Index("Cod_material", "Cod_material")}},
        {"CATALOG.DB",
         {S("Grupa", 8), S("Cod", 30), S("Denumire", 255), F("CantReteta"), S("Descriere", 255),
          S("Unitate_masura", 4), F("Pret_vinzare"), S("Moneda", 3), F("Coef_TVA"), F("Coef_accize"),
          S("Cont_marfa", 20), S("Cont_cheltuieli", 20), S("Cont_TVA_Intrari", 20), S("Cont_TVA_Iesiri", 20),
          S("Cont_accize", 20), S("Cont_adaos", 20), S("Cont_venituri", 20), F("Stock_minim"),
          F("ZileValabilitate"), S("Cod_bare", 60)},
         // Recipes and the requirement join the catalog on the article code alone.
         {Key("Grupa;Cod"), Index("Cod", "Cod")}},
        {"Gest.db", {S("Cod", 4), S("Denumire", 30), S("Responsabil", 30)}, {Key("Cod")}},
        {"Furn.db",
         {S("Cod_furnizor", 30), S("Nume_furnizor", 255), S("Cod_fiscal", W), S("Localitate", 30),
          S("Adresa", 255), S("Telefon", W)},
         {Key("Cod_furnizor")}},
        {"VALUTA.DB", {S("Valuta", 3), S("Denumire", 30), F("Curs")}, {Key("Valuta")}},
        // The report reads these three without stating widths, so they keep the default one.
        {"FIRMDATA.DB",
         {S("Denumire", W), S("Adresa", W), S("Cod fiscal", W), S("Nr_Reg_Com", W), S("Telefon", W)},
         {}},
        {"USER.DB", {S("Init", 3), S("Name", 20)}, {Key("Init")}},
        {"COUNTER.DB", {F("NewCounterIn"), F("NewCounterOut")}, {}},
        {"Doc_in.DB",
         {F("Contor"), D("Data_inregistrarii"), F("Numar"), S("Tip", 3), D("Data"), S("Furnizor", 30),
          S("Explicatie", 255)},
         {Key("Contor"), Index("Data_inregistrarii", "Data_inregistrarii")}},
        {"Item_in.DB",
         {F("Contor"), F("Contor_secundar"), S("Cod_gestiune", 4), S("Cod_grupa", 8), S("Cod_articol", 30),
          S("Lot", 30), F("Cantitate"), F("Pret_achizitie_valuta"), S("Valuta", 3), F("Pret_achizitie_lei"),
          F("Pret_echiv_USD"), F("TVA"), S("Cont_marfa", 20), S("Cont_TVA_Intrari", 20), S("Agent", 3),
          F("Contor_Com"), B("Serii"), S("Cod_bare", 60)},
         // The key names each line's stock lot; lines are read per document by counter.
         {Key("Contor;Contor_secundar"), Index("Contor", "Contor")}},
        {"Doc_out.DB",
         {F("Contor"), D("Data_inregistrarii"), F("Numar"), S("Tip", 3), D("Data"), S("Client", 30),
          S("Explicatie", 255), D("Data_scadenta"), S("Agent", 3)},
         // A consumption document is found again by the receipt's number and date.
         {Key("Contor"), Index("Numar_Data", "Numar;Data")}},
        // No key: the lines of a document come in the order they were written.
        {"Item_out.DB",
         {F("Contor"), F("Contor_secundar"), S("Cod_gestiune", 4), S("Cod_grupa", 8), S("Cod_articol", 30),
          F("Cantitate"), F("Pret_achizitie"), F("Pret_vinzare"), F("Pret_vz_echiv_USD"), F("TVA"),
          S("Cont_marfa", 20), S("Cont_cheltuieli", 20), S("Cont_TVA_Iesiri", 20), S("Cont_accize", 20),
          F("Acciza"), S("Cont_adaos", 20), S("Cont_venituri", 20), S("Lot", 30), S("Agent", 3), S("Cod_bare", 60)},
         {Index("Contor", "Contor")}},
        // No key either: lots are drawn in the order they entered. Beside the lot itself
        // each row names the receipt line it came from, so that changing or deleting that
        // line finds its lot.
        {"Stoc.DB",
         {F("Cantitate"), S("Cod_articol", 30), S("Cod_grupa", 8), S("Cod_gestiune", 4), F("Pret_achizitie"),
          S("Lot", 30), S("Agent", 3), F("Contor_in"), F("Contor_secundar_in"), D("Data_intrare")},
         {Index("Articol", "Cod_grupa;Cod_articol"), Index("Intrare", "Contor_in;Contor_secundar_in")}},
    };
}

bool KnownType(TFieldType type)
{
    switch (type) {
    case TFieldType::String:
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word:
    case TFieldType::Boolean:
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Date:
    case TFieldType::DateTime:
        return true;
    case TFieldType::Unknown:
        break;
    }
    return false;
}

} // namespace

const std::vector<TTableLayout>& HostTables()
{
    static const std::vector<TTableLayout> tables = BuildHostTables();
    return tables;
}

const TTableLayout* FindHostTable(const QString& name)
{
    for (const TTableLayout& t : HostTables()) {
        if (t.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

TTableLayout LayoutFromDefinition(const fw::TTableDefinition& definition)
{
    auto refuse = [&](const QString& why) -> fw::EDatabaseError {
        return fw::EDatabaseError(QStringLiteral("%1: %2").arg(definition.Name, why));
    };
    TTableLayout layout;
    layout.Name = definition.Name.trimmed();
    if (layout.Name.isEmpty())
        throw fw::EDatabaseError(QStringLiteral("A table definition without a name"));
    if (definition.Fields.empty())
        throw refuse(QStringLiteral("no fields"));
    QSet<QString> names;
    for (const fw::TFieldDescriptor& f : definition.Fields) {
        if (f.Name.trimmed().isEmpty())
            throw refuse(QStringLiteral("a field without a name"));
        if (!KnownType(f.Type))
            throw refuse(QStringLiteral("field %1 has an unknown type (%2)").arg(f.Name).arg(int(f.Type)));
        if (names.contains(f.Name.toLower()))
            throw refuse(QStringLiteral("field %1 appears twice").arg(f.Name));
        names.insert(f.Name.toLower());
        int size = 0;
        if (f.Type == TFieldType::String)
            size = f.Size > 0 ? f.Size : DefaultStringWidth;
        layout.Fields.push_back({f.Name, f.Type, size, f.Required});
    }
    if (definition.IndexesFlag == 0)
        return layout;
    bool primarySeen = false;
    int unnamed = 0;
    for (const fw::TIndexDescriptor& ix : definition.Indexes) {
        if (ix.Fields.trimmed().isEmpty())
            throw refuse(QStringLiteral("an index without fields"));
        for (const QString& field : ix.Fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!names.contains(field.trimmed().toLower()))
                throw refuse(QStringLiteral("index on the unknown field %1").arg(field.trimmed()));
        }
        fw::TIndexOptions options;
        if (ix.Options & fw::ixPrimary)
            options |= TIndexOption::Primary;
        if (ix.Options & fw::ixUnique)
            options |= TIndexOption::Unique;
        if (ix.Options & fw::ixDescending)
            options |= TIndexOption::Descending;
        QString name = ix.Name;
        if (options.testFlag(TIndexOption::Primary)) {
            if (primarySeen)
                throw refuse(QStringLiteral("more than one primary index"));
            primarySeen = true;
            name.clear();
        } else if (name.isEmpty()) {
            // Secondary indexes are named in the database; give an unnamed one a name.
            name = QStringLiteral("Index%1").arg(++unnamed);
        }
        layout.Indexes.push_back({name, ix.Fields, options});
    }
    return layout;
}

QStringList CreateMissingTables(const QString& directory, const std::vector<TTableLayout>& tables)
{
    QStringList created;
    for (const TTableLayout& layout : tables) {
        fw::TTable table;
        table.SetDatabaseName(directory);
        table.SetTableName(layout.Name);
        if (table.Exists())
            continue;
        table.FieldDefs = layout.Fields;
        table.IndexDefs = layout.Indexes;
        table.CreateTable();
        created << layout.Name;
    }
    return created;
}

std::unique_ptr<fw::TTable> OpenTable(const QString& database, const QString& name, const QString& order)
{
    auto table = std::make_unique<fw::TTable>();
    table->SetDatabaseName(database);
    table->SetTableName(name);
    table->SetIndexFieldNames(order);
    table->Open();
    return table;
}

} // namespace pelmaris
