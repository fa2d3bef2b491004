#include "Company.h"

#include "DbFixture.h"
#include "platform/config/SettingsStore.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"

#include <QFile>

namespace testsupport {

using fw::TFieldDef;
using fw::TFieldType;
using fw::TIndexDef;
using fw::TIndexOption;

namespace {

TFieldDef S(const char* name, int size) { return {QString::fromLatin1(name), TFieldType::String, size}; }
TFieldDef F(const char* name) { return {QString::fromLatin1(name), TFieldType::Float, 0}; }
TFieldDef D(const char* name) { return {QString::fromLatin1(name), TFieldType::Date, 0}; }
TFieldDef B(const char* name) { return {QString::fromLatin1(name), TFieldType::Boolean, 0}; }
TIndexDef Key(const char* fields) { return {QString(), QString::fromLatin1(fields), TIndexOption::Primary | TIndexOption::Unique}; }
TIndexDef Index(const char* name, const char* fields) { return {QString::fromLatin1(name), QString::fromLatin1(fields), {}}; }

void CreateCompanyTables(const QString& dir)
{
    CreateTable(dir, "CATALOG.DB",
                {S("Grupa", 8), S("Cod", 30), S("Denumire", 255), F("CantReteta"), S("Descriere", 255), S("Unitate_masura", 4),
                 F("Pret_vinzare"), S("Moneda", 3), F("Coef_TVA"), F("Coef_accize"), S("Cont_marfa", 20),
                 S("Cont_cheltuieli", 20), S("Cont_TVA_Intrari", 20), S("Cont_TVA_Iesiri", 20), S("Cont_accize", 20),
                 S("Cont_adaos", 20), S("Cont_venituri", 20), F("Stock_minim"), F("ZileValabilitate")},
                {Key("Grupa;Cod")});
    CreateTable(dir, "Reteta.DB", {S("Cod", 30), S("Cod_MatPrim", 30), F("Cant_MatPrim"), S("Cod_Grupa", 8)},
                {Key("Cod;Cod_MatPrim")});
    CreateTable(dir, "Doc_in.DB",
                {F("Contor"), D("Data_inregistrarii"), F("Numar"), S("Tip", 3), D("Data"), S("Furnizor", 30),
                 S("Explicatie", 255)},
                {Key("Contor")});
    CreateTable(dir, "Item_in.DB",
                {F("Contor"), F("Contor_secundar"), S("Cod_gestiune", 4), S("Cod_grupa", 8), S("Cod_articol", 30),
                 S("Lot", 30), F("Cantitate"), F("Pret_achizitie_valuta"), S("Valuta", 3), F("Pret_achizitie_lei"),
                 F("Pret_echiv_USD"), F("TVA"), S("Cont_marfa", 20), S("Cont_TVA_Intrari", 20), S("Agent", 3),
                 F("Contor_Com"), B("Serii"), S("Cod_bare", 60)},
                {Index("ByContor", "Contor")});
    CreateTable(dir, "Doc_out.DB",
                {F("Contor"), D("Data_inregistrarii"), F("Numar"), S("Tip", 3), D("Data"), S("Client", 30),
                 S("Explicatie", 255), D("Data_scadenta"), S("Agent", 3)},
                {Key("Contor")});
    CreateTable(dir, "Item_out.DB",
                {F("Contor"), F("Contor_secundar"), S("Cod_gestiune", 4), S("Cod_grupa", 8), S("Cod_articol", 30),
                 F("Cantitate"), F("Pret_achizitie"), F("Pret_vinzare"), F("Pret_vz_echiv_USD"), F("TVA"),
                 S("Cont_marfa", 20), S("Cont_cheltuieli", 20), S("Cont_TVA_Iesiri", 20), S("Cont_accize", 20), F("Acciza"),
                 S("Cont_adaos", 20), S("Cont_venituri", 20), S("Lot", 30), S("Agent", 3), S("Cod_bare", 60)},
                {Index("ByContor", "Contor")});
    CreateTable(dir, "Stoc.DB",
                {F("Cantitate"), S("Cod_articol", 30), S("Cod_grupa", 8), S("Cod_gestiune", 4), F("Pret_achizitie"),
                 S("Lot", 30), S("Agent", 3)},
                {Index("ByArticle", "Cod_grupa;Cod_articol")});
    CreateTable(dir, "COUNTER.DB", {F("NewCounterIn"), F("NewCounterOut")});
    CreateTable(dir, "USER.DB", {S("Init", 3), S("Name", 20)}, {Key("Init")});
    CreateTable(dir, "Gest.db", {S("Cod", 4), S("Denumire", 30)}, {Key("Cod")});
    CreateTable(dir, "Furn.db", {S("Cod_furnizor", 30), S("Nume_furnizor", 255)}, {Key("Cod_furnizor")});
    CreateTable(dir, "Grup.DB", {S("Cod_material", 10), S("Cod_grupa", 8), S("Denumire", 100), S("Cont_sint", 20)},
                {Key("Cod_grupa")});
    CreateTable(dir, "Materiale.db", {S("Cod_material", 10), S("Denumire", 100), S("CONT_SINT", 20)}, {Key("Cod_material")});
    CreateTable(dir, "VALUTA.DB", {S("Cod", 3), S("Denumire", 30)}, {Key("Cod")});
    CreateTable(dir, "FIRMDATA.DB", {S("Denumire", 100), S("Adresa", 100), S("Cod fiscal", 20)});
}

} // namespace

TestCompany::TestCompany()
{
    dir_ = temp_.SubDir(QStringLiteral("firma"));
    private_ = temp_.SubDir(QStringLiteral("privat"));
    CreateCompanyTables(dir_);
    fw::TSession::AddAlias(QStringLiteral("TVELDA"), dir_);
    fw::TSession::AddAlias(QStringLiteral("KRB_PRIV"), private_);
    fw::TSettingsStore store;
    store.WriteString(fw::TSettingsStore::LastDatabaseDir, dir_);
}

TestCompany::~TestCompany()
{
    fw::TSession::DeleteAlias(QStringLiteral("TVELDA"));
    fw::TSession::DeleteAlias(QStringLiteral("KRB_PRIV"));
}

void TestCompany::Add(const QString& table, const std::vector<QVariantList>& rows)
{
    auto t = OpenTable(dir_, table);
    for (const QVariantList& row : rows)
        t->AppendRecord(row);
}

void TestCompany::Article(const QString& group, const QString& code, const QString& name, QVariant yield)
{
    Add(QStringLiteral("CATALOG.DB"),
        {{group, code, name, yield, QString(), QStringLiteral("kg"), 10.0, QStringLiteral("RON"), 19.0, 0.0,
          QStringLiteral("371"), QStringLiteral("607"), QStringLiteral("4426"), QStringLiteral("4427"), QStringLiteral("446"),
          QStringLiteral("378"), QStringLiteral("707")}});
}

void TestCompany::Lot(const QString& group, const QString& code, const QString& warehouse, double quantity,
                      const QString& lot)
{
    Add(QStringLiteral("Stoc.DB"), {{quantity, code, group, warehouse, 2.5, lot, QStringLiteral("ADM")}});
}

void TestCompany::RecipeRow(const QString& product, const QString& material, const QString& group, double quantity)
{
    Add(QStringLiteral("Reteta.DB"), {{product, material, quantity, group}});
}

void TestCompany::WriteSettingsFile(const QByteArray& text) const
{
    QFile f(dir_ + QStringLiteral("/KRBDEF.INI"));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

} // namespace testsupport
