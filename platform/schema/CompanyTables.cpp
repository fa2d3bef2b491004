#include "platform/schema/CompanyTables.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"

namespace fw {

namespace {

TFieldDef S(const char* name, int width) { return {QString::fromLatin1(name), TFieldType::String, width, false}; }
TFieldDef F(const char* name) { return {QString::fromLatin1(name), TFieldType::Float, 0, false}; }
TFieldDef D(const char* name) { return {QString::fromLatin1(name), TFieldType::Date, 0, false}; }
TFieldDef B(const char* name) { return {QString::fromLatin1(name), TFieldType::Boolean, 0, false}; }

TIndexDef Key(const char* fields)
{
    return {QString(), QString::fromLatin1(fields), TIndexOptions(TIndexOption::Primary) | TIndexOption::Unique, {}};
}
TIndexDef Index(const char* name, const char* fields, const char* condition = "")
{
    return {QString::fromLatin1(name), QString::fromLatin1(fields), {}, QString::fromLatin1(condition)};
}

std::vector<TTableLayout> BuildHostTables()
{
    const int W = DefaultStringWidth;
    return {
        {MaterialeDB, {S("Cod_material", 10), S("Denumire", 100), S("CONT_SINT", 20)}, {Key("Cod_material")}},
        {GrupDB,
         {S("Cod_material", 10), S("Cod_grupa", 8), S("Denumire", 100), S("Cont_sint", 20)},
         {Key("Cod_grupa"), Index("Cod_material", "Cod_material")}},
        {CatalogDB,
         {S("Grupa", 8), S("Cod", 30), S("Denumire", 255), F("CantReteta"), S("Descriere", 255),
          S("Unitate_masura", 4), F("Pret_vinzare"), S("Moneda", 3), F("Coef_TVA"), F("Coef_accize"),
          S("Cont_marfa", 20), S("Cont_cheltuieli", 20), S("Cont_TVA_Intrari", 20), S("Cont_TVA_Iesiri", 20),
          S("Cont_accize", 20), S("Cont_adaos", 20), S("Cont_venituri", 20), F("Stock_minim"),
          F("ZileValabilitate"), S("Cod_bare", 60)},
         // Recipes and the requirement join the catalog on the article code alone.
         {Key("Grupa;Cod"), Index("Cod", "Cod")}},
        {GestDB, {S("Cod", 4), S("Denumire", 30), S("Responsabil", 30)}, {Key("Cod")}},
        {FurnDB,
         {S("Cod_furnizor", 30), S("Nume_furnizor", 255), S("Cod_fiscal", W), S("Localitate", 30),
          S("Adresa", 255), S("Telefon", W)},
         {Key("Cod_furnizor")}},
        {ValutaDB, {S("Valuta", 3), S("Denumire", 30), F("Curs")}, {Key("Valuta")}},
        // The report reads these three without stating widths, so they keep the default one.
        {FirmDataDB,
         {S("Denumire", W), S("Adresa", W), S("Cod fiscal", W), S("Nr_Reg_Com", W), S("Telefon", W)},
         {}},
        {UserDB, {S("Init", 3), S("Name", 20)}, {Key("Init")}},
        {CounterDB, {F("NewCounterIn"), F("NewCounterOut")}, {}},
        {DocInDB,
         {F("Contor"), D("Data_inregistrarii"), F("Numar"), S("Tip", 3), D("Data"), S("Furnizor", 30),
          S("Explicatie", 255)},
         // A consumption document made before its genealogy was kept is tied to its
         // receipt by number and date; the receipts of one type are read by period.
         {Key("Contor"), Index("Data_inregistrarii", "Data_inregistrarii"), Index("Numar_Data", "Numar;Data"),
          Index("Tip_Data", "Tip;Data")}},
        {ItemInDB,
         {F("Contor"), F("Contor_secundar"), S("Cod_gestiune", 4), S("Cod_grupa", 8), S("Cod_articol", 30),
          S("Lot", 30), F("Cantitate"), F("Pret_achizitie_valuta"), S("Valuta", 3), F("Pret_achizitie_lei"),
          F("Pret_echiv_USD"), F("TVA"), S("Cont_marfa", 20), S("Cont_TVA_Intrari", 20), S("Agent", 3),
          F("Contor_Com"), B("Serii"), S("Cod_bare", 60),
          // The supplier's own expiry date of the lot (a culture, a rennet); none: the
          // receipt's day plus the article's shelf life.
          D("Data_expirare")},
         // The key names each line's stock lot; lines are read per document by counter,
         // and per lot when a lot is followed.
         {Key("Contor;Contor_secundar"), Index("Contor", "Contor"), Index("Articol_Lot", "Cod_articol;Lot")}},
        {DocOutDB,
         {F("Contor"), D("Data_inregistrarii"), F("Numar"), S("Tip", 3), D("Data"), S("Client", 30),
          S("Explicatie", 255), D("Data_scadenta"), S("Agent", 3)},
         // A consumption document is found again by the receipt's number and date.
         {Key("Contor"), Index("Numar_Data", "Numar;Data")}},
        // No key: the lines of a document come in the order they were written.
        {ItemOutDB,
         {F("Contor"), F("Contor_secundar"), S("Cod_gestiune", 4), S("Cod_grupa", 8), S("Cod_articol", 30),
          F("Cantitate"), F("Pret_achizitie"), F("Pret_vinzare"), F("Pret_vz_echiv_USD"), F("TVA"),
          S("Cont_marfa", 20), S("Cont_cheltuieli", 20), S("Cont_TVA_Iesiri", 20), S("Cont_accize", 20),
          F("Acciza"), S("Cont_adaos", 20), S("Cont_venituri", 20), S("Lot", 30), S("Agent", 3), S("Cod_bare", 60)},
         {Index("Contor", "Contor"), Index("Articol_Lot", "Cod_articol;Lot")}},
        // No key either: lots are drawn in the order they entered. Beside the lot itself
        // each row names the receipt line it came from, so that changing or deleting that
        // line finds its lot.
        {StocDB,
         {F("Cantitate"), S("Cod_articol", 30), S("Cod_grupa", 8), S("Cod_gestiune", 4), F("Pret_achizitie"),
          S("Lot", 30), S("Agent", 3), F("Contor_in"), F("Contor_secundar_in"), D("Data_intrare"),
          // The receipt line's own expiry date, copied with the lot so that the stock's
          // reads judge it without going to the line.
          D("Data_expirare")},
         {Index("Articol", "Cod_grupa;Cod_articol"), Index("Intrare", "Contor_in;Contor_secundar_in"),
          // Covers an article's stock by warehouse, the expired part too (by either date):
          // the sums read no table row, however many lots the article has; and the lots of
          // a warehouse that entered before or after a day are a range of it, which is all
          // the figures read beside the totals the engine keeps (StockTotals.h). (Companies
          // connected before it keep the older "Articol_stoc", "Articol_stoc_intrare" or
          // "Articol_stoc_expirare" beside it.)
          Index("Articol_gestiune_intrare", "Cod_grupa;Cod_articol;Cod_gestiune;Data_intrare;Cantitate;Data_expirare"),
          // An article's lots by entry date: first in (and first to expire) reads only those it draws.
          Index("Articol_intrare", "Cod_grupa;Cod_articol;Data_intrare"),
          // The lots below nothing, usually none: a consumption learns without summing
          // an article's lots that none of them takes from what the others hold.
          Index("Negative", "Cod_grupa;Cod_articol", "Cantitate < 0"),
          // The lots with an expiry date of their own, few: the articles holding any are
          // found without reading the others' lots.
          Index("Expirare_proprie", "Cod_grupa;Cod_articol", "Data_expirare IS NOT NULL")}},
    };
}

} // namespace

const TFieldDef* TTableLayout::FindField(const QString& name) const
{
    for (const TFieldDef& f : Fields)
        if (f.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const TFieldDef& TTableLayout::Field(const QString& name) const
{
    if (const TFieldDef* f = FindField(name))
        return *f;
    throw EDatabaseError(dbmsg::FieldNotFound(Name, name));
}

QStringList TTableLayout::FieldNames() const
{
    QStringList names;
    for (const TFieldDef& f : Fields)
        names << f.Name;
    return names;
}

const std::vector<TTableLayout>& HostTables()
{
    static const std::vector<TTableLayout> tables = BuildHostTables();
    return tables;
}

const TTableLayout& RecipeTable()
{
    // The two key fields stand first; a recipe row is one (product, material) pair.
    static const TTableLayout layout{RetetaDB,
                                     {S("Cod", 30), S("Cod_MatPrim", 30), F("Cant_MatPrim"), S("Cod_Grupa", 8)},
                                     {Key("Cod;Cod_MatPrim")}};
    return layout;
}

const TTableLayout& GenealogyTable()
{
    // One row per consumption line and receipt line it fed (a line of a receipt without
    // lines feeds none: its row names no receipt line). Beside the share, every field of
    // the stock row drawn on, under the stock table's own names, so that the lot can be
    // followed, and put back, after it was emptied and deleted. No key: the rows of a
    // document come in the order they were written.
    static const TTableLayout layout{
        GenealogieDB,
        {F("Contor_out"), F("Contor_secundar_out"), F("Contor_produs"), F("Contor_secundar_produs"), F("Cantitate"),
         S("Cod_grupa", 8), S("Cod_articol", 30), S("Lot", 30), S("Cod_gestiune", 4), F("Pret_achizitie"), S("Agent", 3),
         F("Contor_in"), F("Contor_secundar_in"), D("Data_intrare")},
        {Index("Consum", "Contor_out;Contor_secundar_out"), Index("Produs", "Contor_produs;Contor_secundar_produs")}};
    return layout;
}

const TTableLayout& ReversalTable()
{
    // Keyed by the reversed document: two workstations can never both reverse it.
    static const TTableLayout layout{StornariDB,
                                     {F("Contor_out"), F("Contor_stornare"), D("Data"), S("Agent", 3)},
                                     {Key("Contor_out"), Index("Stornare", "Contor_stornare")}};
    return layout;
}

const TTableLayout& DrillTable()
{
    // Keyed by the moment it started (ISO, UTC, to the millisecond) and the lot. The steps'
    // times in milliseconds from the start of the drill's step before.
    static const TTableLayout layout{ExercitiiDB,
                                     {S("Inceput", 23), S("Lot", 30), S("Cod_grupa", 8), S("Cod_articol", 30),
                                      S("Directie", 8), S("Operator", 30), F("Cautare"), F("Arbore"), F("Bilant"),
                                      F("Raport"), F("Total"), F("Loturi"), F("Clienti"), F("Diferenta")},
                                     {Key("Inceput;Lot")}};
    return layout;
}

const TTableLayout& LotStatusTable()
{
    // The index on the article finds the held lots of many materials in one statement.
    static const TTableLayout layout{StareLotDB,
                                     {S("Cod_grupa", 8), S("Cod_articol", 30), S("Lot", 30), S("Stare", 20), S("Motiv", 255),
                                      S("Agent", 3), S("Moment", 19)},
                                     {Key("Cod_grupa;Cod_articol;Lot"), Index("Articol", "Cod_articol")}};
    return layout;
}

const TTableLayout& LotStatusHistoryTable()
{
    // No key: a lot's changes come in the order they were written. The moment is ISO text
    // to the second (a date field keeps no time of day).
    static const TTableLayout layout{IstoricStareLotDB,
                                     {S("Cod_grupa", 8), S("Cod_articol", 30), S("Lot", 30), S("Stare", 20), S("Motiv", 255),
                                      S("Agent", 3), S("Moment", 19)},
                                     {Index("Lot", "Cod_grupa;Cod_articol;Lot")}};
    return layout;
}

const TTableLayout& QualityNormTable()
{
    // No key: a group's norm has no article, which a server's key could not hold.
    static const TTableLayout layout{NormeCalitateDB,
                                     {S("Cod_grupa", 8), S("Cod_articol", 30), S("Parametru", 20), F("Minim"), F("Maxim"),
                                      S("Asteptat", 10)},
                                     {Index("Norma", "Cod_grupa;Cod_articol;Parametru")}};
    return layout;
}

const TTableLayout& LabResultTable()
{
    // A number in Valoare, or a word (negativ, absent...) in Valoare_text; Conform as judged.
    static const TTableLayout layout{AnalizeLotDB,
                                     {S("Cod_grupa", 8), S("Cod_articol", 30), S("Lot", 30), S("Parametru", 20), F("Valoare"),
                                      S("Valoare_text", 10), D("Data"), S("Proba", 30), S("Laborator", 60), S("Agent", 3),
                                      B("Conform")},
                                     {Index("Lot", "Cod_grupa;Cod_articol;Lot")}};
    return layout;
}

const TTableLayout& ReleaseRequiredTable()
{
    // One row per article whose lots entered from Din_data on wait for a release; few rows,
    // read whole.
    static const TTableLayout layout{EliberareObligatorieDB,
                                     {S("Cod_grupa", 8), S("Cod_articol", 30), D("Din_data"), S("Agent", 3)},
                                     {Key("Cod_grupa;Cod_articol")}};
    return layout;
}

const TTableLayout& MilkDeliveryTable()
{
    // Keyed by its receipt line; a farmer's deliveries of a period are read by the second index.
    static const TTableLayout layout{LivrariLapteDB,
                                     {F("Contor"), F("Contor_secundar"), D("Data"), S("Cod_furnizor", 30), S("Cod_grupa", 8),
                                      S("Cod_articol", 30), S("Lot", 30), S("Cod_gestiune", 4), F("Litri"), F("Kg"),
                                      F("Densitate"), F("Temperatura"), S("Proba", 30), F("Contor_tanc"), S("Agent", 3)},
                                     {Key("Contor;Contor_secundar"), Index("Data", "Data"),
                                      Index("Furnizor", "Cod_furnizor;Data")}};
    return layout;
}

const std::vector<const TTableLayout*>& AddOnOwnTables()
{
    static const std::vector<const TTableLayout*> tables{&GenealogyTable(),        &ReversalTable(),  &LotStatusTable(),
                                                         &LotStatusHistoryTable(), &QualityNormTable(), &LabResultTable(),
                                                         &DrillTable(),            &ReleaseRequiredTable(),
                                                         &MilkDeliveryTable()};
    return tables;
}

const TTableLayout* FindCompanyTable(const QString& name)
{
    for (const TTableLayout& t : HostTables())
        if (t.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    if (RecipeTable().Name.compare(name, Qt::CaseInsensitive) == 0)
        return &RecipeTable();
    for (const TTableLayout* t : AddOnOwnTables())
        if (t->Name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    return nullptr;
}

const TTableLayout& CompanyTable(const QString& name)
{
    if (const TTableLayout* t = FindCompanyTable(name))
        return *t;
    throw EDatabaseError(dbmsg::MissingTable(name));
}

void DeclareFields(TDataSet& dataSet, const TTableLayout& table, const QStringList& names)
{
    for (const QString& name : names.isEmpty() ? table.FieldNames() : names) {
        const TFieldDef& def = table.Field(name);
        dataSet.AddField(def.Name, def.DataType, def.Size);
    }
}

void CreateCompanyTable(const QString& database, const TTableLayout& table, TSession* session)
{
    TTable t;
    t.SetSession(session);
    t.SetDatabaseName(database);
    t.SetTableName(table.Name);
    t.FieldDefs = table.Fields;
    t.IndexDefs = table.Indexes;
    t.CreateTable();
}

} // namespace fw
