// A company's tables: what the host creates, what it leaves alone, and tables made from
// the definitions the add-on hands over.
#include "DbFixture.h"
#include "host/Company.h"
#include "host/Schema.h"
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/schema/CompanyTables.h"

#include <gtest/gtest.h>

using namespace pelmaris;
using namespace testsupport;
using fw::TFieldType;

namespace {

// Declared type and key position of a column, as the database has them.
std::pair<QString, int> Column(const QString& dir, const QString& table, const QString& column)
{
    for (const fw::ColumnInfo& c : fw::Connection::Open(dir)->Columns(table)) {
        if (c.name == column)
            return {c.declType, c.pkPosition};
    }
    return {QStringLiteral("<missing>"), -1};
}

QString IndexSql(const QString& dir, const QString& table)
{
    QStringList all;
    for (const QString& sql : fw::Connection::Open(dir)->IndexSql(table))
        all << sql;
    return all.join(QLatin1Char('\n'));
}

} // namespace

TEST(CompanyTables, HostTablesHaveTheFieldsWidthsAndKeysTheAddOnReadsBy)
{
    TempDir dir;
    const QStringList created = PrepareCompanyDatabase(dir.Path());
    EXPECT_EQ(created.size(), int(HostTables().size()));
    struct Case {
        const char* table;
        const char* column;
        const char* type;
        int keyPosition;
    } cases[] = {
        {"CATALOG", "Grupa", "VARCHAR(8)", 1},
        {"CATALOG", "Cod", "VARCHAR(30)", 2},
        {"CATALOG", "Denumire", "VARCHAR(255)", 0},
        {"CATALOG", "CantReteta", "DOUBLE", 0},
        {"CATALOG", "Unitate_masura", "VARCHAR(4)", 0},
        {"Doc_in", "Contor", "DOUBLE", 1},
        {"Doc_in", "Data_inregistrarii", "DATE", 0},
        {"Item_in", "Contor", "DOUBLE", 1},
        {"Item_in", "Contor_secundar", "DOUBLE", 2},
        {"Item_in", "Serii", "BOOLEAN", 0},
        {"Item_in", "Cod_bare", "VARCHAR(60)", 0},
        {"Item_out", "Cont_venituri", "VARCHAR(20)", 0},
        {"Stoc", "Cod_gestiune", "VARCHAR(4)", 0},
        {"Stoc", "Cantitate", "DOUBLE", 0},
        {"VALUTA", "Valuta", "VARCHAR(3)", 1},
        {"Gest", "Cod", "VARCHAR(4)", 1},
        {"Furn", "Cod_furnizor", "VARCHAR(30)", 1},
        {"Grup", "Cod_grupa", "VARCHAR(8)", 1},
        {"Materiale", "Cod_material", "VARCHAR(10)", 1},
        {"USER", "Init", "VARCHAR(3)", 1},
        {"USER", "Name", "VARCHAR(20)", 0},
        // Widths nobody states are the default one.
        {"FIRMDATA", "Cod fiscal", "VARCHAR(20)", 0},
        {"FIRMDATA", "Adresa", "VARCHAR(20)", 0},
        {"COUNTER", "NewCounterOut", "DOUBLE", 0},
    };
    for (const Case& c : cases) {
        const auto [type, key] = Column(dir.Path(), c.table, c.column);
        EXPECT_EQ(type, c.type) << c.table << "." << c.column;
        EXPECT_EQ(key, c.keyPosition) << c.table << "." << c.column;
    }
    // Lots keep the order they entered in: no key, but found by article and by receipt line.
    for (const fw::ColumnInfo& c : fw::Connection::Open(dir.Path())->Columns(QStringLiteral("Stoc")))
        EXPECT_EQ(c.pkPosition, 0) << c.name.toStdString();
    const QString stocIndexes = IndexSql(dir.Path(), QStringLiteral("Stoc"));
    EXPECT_TRUE(stocIndexes.contains(QStringLiteral("\"Cod_grupa\", \"Cod_articol\""))) << stocIndexes.toStdString();
    EXPECT_TRUE(stocIndexes.contains(QStringLiteral("\"Contor_in\", \"Contor_secundar_in\"")));
    for (const char* table : {"Item_in", "Item_out"})
        EXPECT_TRUE(IndexSql(dir.Path(), table).contains(QStringLiteral("(\"Contor\")"))) << table;
}

TEST(CompanyTables, ANewCompanyGetsItsCounterRowAdministratorAndCurrencyOnce)
{
    TempDir dir;
    PrepareCompanyDatabase(dir.Path());
    PrepareCompanyDatabase(dir.Path());
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM COUNTER"), (QVariantList{1}));
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Init FROM USER"), (QVariantList{"ADM"}));
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Valuta FROM VALUTA"), (QVariantList{"RON"}));
}

TEST(CompanyTables, ExistingTablesAreLeftAsTheyAre)
{
    TempDir dir;
    // An older catalog with fewer fields and its rows; an emptied counter table.
    CreateTable(dir.Path(), fw::CatalogDB, {{"Grupa", TFieldType::String, 8}, {"Cod", TFieldType::String, 30}}, {},
                {{"02", "IAURT"}});
    CreateTable(dir.Path(), fw::CounterDB, {{"NewCounterIn", TFieldType::Float}, {"NewCounterOut", TFieldType::Float}});
    const QStringList created = PrepareCompanyDatabase(dir.Path());
    EXPECT_FALSE(created.contains(fw::CatalogDB));
    EXPECT_FALSE(created.contains(fw::CounterDB));
    EXPECT_TRUE(created.contains(fw::StocDB));
    EXPECT_EQ(fw::Connection::Open(dir.Path())->Columns(QStringLiteral("CATALOG")).size(), 2u);
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Cod FROM CATALOG"), (QVariantList{"IAURT"}));
    // The counter row both modules need is made even in a table that existed.
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT NewCounterOut FROM COUNTER"), (QVariantList{0.0}));
}

TEST(CompanyTables, AHandedOverDefinitionBecomesATableInEveryCompany)
{
    fw::TTableDefinition def;
    def.Name = fw::RetetaDB;
    def.Fields = {{QStringLiteral("Cod"), TFieldType::String, 12, false},
                  {QStringLiteral("Cod_MatPrim"), TFieldType::String, 12, false},
                  {QStringLiteral("Cant_MatPrim"), TFieldType::Float, 0, true},
                  {QStringLiteral("Nota"), TFieldType::String, 0, false}};
    def.IndexesFlag = 1;
    def.Indexes = {{QString(), QStringLiteral("Cod;Cod_MatPrim"), fw::ixPrimary | fw::ixUnique},
                   {QString(), QStringLiteral("Cod_MatPrim"), 0}};
    const TTableLayout layout = LayoutFromDefinition(def);
    for (const char* company : {"a", "b"}) {
        TempDir dir;
        Q_UNUSED(company);
        EXPECT_TRUE(PrepareCompanyDatabase(dir.Path(), {layout}).contains(fw::RetetaDB));
        EXPECT_EQ(Column(dir.Path(), "Reteta", "Cod"), (std::pair<QString, int>{"VARCHAR(12)", 1}));
        EXPECT_EQ(Column(dir.Path(), "Reteta", "Cod_MatPrim"), (std::pair<QString, int>{"VARCHAR(12)", 2}));
        EXPECT_EQ(Column(dir.Path(), "Reteta", "Cant_MatPrim").first, "DOUBLE");
        EXPECT_EQ(RawColumn(dir.Path(), "SELECT \"notnull\" FROM pragma_table_info('Reteta') WHERE name = 'Cant_MatPrim'"),
                  (QVariantList{1}));
        EXPECT_EQ(Column(dir.Path(), "Reteta", "Nota").first, "VARCHAR(20)");
        EXPECT_TRUE(IndexSql(dir.Path(), "Reteta").contains(QStringLiteral("(\"Cod_MatPrim\")")));
        EXPECT_FALSE(PrepareCompanyDatabase(dir.Path(), {layout}).contains(fw::RetetaDB));
    }
}

TEST(CompanyTables, DefinitionsThatMakeNoTableAreRefused)
{
    const fw::TFieldDescriptor cod{QStringLiteral("Cod"), TFieldType::String, 8, false};
    struct Case {
        const char* why;
        fw::TTableDefinition def;
    } cases[] = {
        {"no name", {QString(), {cod}, 0, {}}},
        {"no fields", {QStringLiteral("X.DB"), {}, 0, {}}},
        {"unknown type", {QStringLiteral("X.DB"), {{QStringLiteral("A"), TFieldType::Unknown, 0, false}}, 0, {}}},
        {"field twice", {QStringLiteral("X.DB"), {cod, {QStringLiteral("COD"), TFieldType::Float, 0, false}}, 0, {}}},
        {"two primaries",
         {QStringLiteral("X.DB"), {cod}, 1, {{QString(), QStringLiteral("Cod"), 1}, {QString(), QStringLiteral("Cod"), 1}}}},
        {"unknown index field", {QStringLiteral("X.DB"), {cod}, 1, {{QString(), QStringLiteral("Cod;Grupa"), 1}}}},
    };
    for (const Case& c : cases)
        EXPECT_THROW(LayoutFromDefinition(c.def), fw::EDatabaseError) << c.why;
    // Without the indexes flag the index list is not looked at.
    const TTableLayout plain = LayoutFromDefinition({QStringLiteral("X.DB"), {cod}, 0, {{QString(), QString(), 1}}});
    EXPECT_TRUE(plain.Indexes.empty());
}

TEST(CompanyTables, HostSettingsFileIsMadeWithAnEmptyNetControlDirAndKeptOtherwise)
{
    TempDir dir;
    // In the user's configuration directory, which may not be there yet.
    const QString ini = dir.File(QStringLiteral("config/Vendrako/pelmaris.INI"));
    EXPECT_EQ(EnsureHostIni(ini), QString());
    fw::TIniFile file(ini);
    EXPECT_TRUE(file.ValueExists(QStringLiteral("Initial"), QStringLiteral("NetControlDir")));
    file.WriteString(QStringLiteral("Initial"), QStringLiteral("NetControlDir"), QStringLiteral("/srv/net"));
    EXPECT_EQ(EnsureHostIni(ini), QStringLiteral("/srv/net"));
}
