// The demo company: the facts the add-on's work relies on, and opening it in the host.
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DemoCompany.h"
#include "host/DemoTool.h"
#include "host/MainForm.h"
#include "platform/config/IniFile.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace pelmaris;
using namespace testsupport;

namespace {

const QDate kToday(2026, 12, 8);

int Count(const QString& dir, const char* sql) { return RawColumn(dir, sql).value(0).toInt(); }

// A fact of the demo: a count that a query must give.
struct TCount {
    const char* what;
    const char* sql;
    int expected;
};

void ExpectCounts(const QString& dir, std::initializer_list<TCount> facts)
{
    for (const TCount& f : facts)
        EXPECT_EQ(Count(dir, f.sql), f.expected) << f.what;
}

// The demo, made once for the tests that only read it.
const QString& Demo()
{
    static TempDir dir;
    static const QString path = [] {
        CreateDemoCompany(dir.Path(), kToday);
        return dir.Path();
    }();
    return path;
}

} // namespace

TEST(DemoCompany, ArticlesAreToldApartByTheirCodesAndFinishedProductsAreGroup02)
{
    ExpectCounts(Demo(), {
        {"raw materials and packaging", "SELECT COUNT(*) FROM CATALOG WHERE substr(Cod, 1, 1) = '.'", 16},
        {"... all in their groups", "SELECT COUNT(*) FROM CATALOG WHERE substr(Cod, 1, 1) = '.' AND Grupa IN ('01', '03')", 16},
        {"semi-finished", "SELECT COUNT(*) FROM CATALOG WHERE substr(Cod, 1, 1) = ';' AND Grupa = '04'", 2},
        {"finished products", "SELECT COUNT(*) FROM CATALOG WHERE Grupa = '02'", 8},
        {"... none with a material prefix", "SELECT COUNT(*) FROM CATALOG WHERE Grupa = '02' AND substr(Cod, 1, 1) IN ('.', ';')", 0},
        {"products without a yield", "SELECT COUNT(*) FROM CATALOG WHERE Grupa IN ('02', '04') AND NOT CantReteta > 0", 0},
        {"products without a recipe",
         "SELECT COUNT(*) FROM CATALOG C WHERE Grupa IN ('02', '04') AND NOT EXISTS (SELECT 1 FROM Reteta R WHERE R.Cod = C.Cod)", 0},
        {"recipe lines on unknown materials",
         "SELECT COUNT(*) FROM Reteta R WHERE NOT EXISTS (SELECT 1 FROM CATALOG C WHERE C.Grupa = R.Cod_Grupa AND C.Cod = R.Cod_MatPrim)"
         " OR substr(R.Cod_MatPrim, 1, 1) NOT IN ('.', ';')", 0},
        {"articles without accounts or currency",
         "SELECT COUNT(*) FROM CATALOG WHERE Cont_marfa IS NULL OR Cont_TVA_Intrari IS NULL OR Moneda <> 'RON'", 0},
        {"groups of unknown classes",
         "SELECT COUNT(*) FROM Grup G WHERE NOT EXISTS (SELECT 1 FROM Materiale M WHERE M.Cod_material = G.Cod_material)", 0},
        {"currencies", "SELECT COUNT(*) FROM VALUTA WHERE Valuta IN ('RON', 'EUR', 'USD')", 3},
    });
}

TEST(DemoCompany, StockLiesInTheRightWarehousesInSeveralLots)
{
    ExpectCounts(Demo(), {
        {"material lots outside raw-material warehouses",
         "SELECT COUNT(*) FROM Stoc WHERE substr(Cod_articol, 1, 1) IN ('.', ';') AND substr(Cod_gestiune, 1, 1) <> '_'", 0},
        {"finished lots in raw-material warehouses",
         "SELECT COUNT(*) FROM Stoc WHERE Cod_grupa = '02' AND substr(Cod_gestiune, 1, 1) = '_'", 0},
        {"raw-material warehouses holding lots",
         "SELECT COUNT(DISTINCT Cod_gestiune) FROM Stoc WHERE substr(Cod_gestiune, 1, 1) = '_'", 3},
        {"finished-goods warehouses", "SELECT COUNT(*) FROM Gest WHERE substr(Cod, 1, 1) <> '_'", 2},
        {"materials in more than one lot",
         "SELECT COUNT(*) FROM (SELECT Cod_articol FROM Stoc WHERE substr(Cod_articol, 1, 1) = '.' GROUP BY Cod_articol "
         "HAVING COUNT(*) > 1)", 6},
        {"materials in more than one warehouse",
         "SELECT COUNT(*) FROM (SELECT Cod_articol FROM Stoc WHERE substr(Cod_articol, 1, 1) = '.' GROUP BY Cod_articol "
         "HAVING COUNT(DISTINCT Cod_gestiune) > 1)", 2},
        // Every lot came from a receipt line and names it.
        {"lots without their line",
         "SELECT COUNT(*) FROM Stoc S WHERE NOT EXISTS (SELECT 1 FROM Item_in I WHERE I.Contor = S.Contor_in AND "
         "I.Contor_secundar = S.Contor_secundar_in AND I.Lot = S.Lot AND I.Cod_articol = S.Cod_articol)", 0},
        // Nothing was drawn from materials yet; the sales drew on finished goods.
        {"material lines whose lot is not whole",
         "SELECT COUNT(*) FROM Item_in I WHERE substr(Cod_articol, 1, 1) IN ('.', ';') AND NOT EXISTS (SELECT 1 FROM Stoc S "
         "WHERE S.Contor_in = I.Contor AND S.Contor_secundar_in = I.Contor_secundar AND S.Cantitate = I.Cantitate)", 0},
        {"sold quantities not taken from stock",
         "SELECT COUNT(*) FROM (SELECT I.Cod_articol, SUM(I.Cantitate) AS Sold FROM Item_out I GROUP BY I.Cod_articol) O WHERE "
         "O.Sold <> (SELECT SUM(Cantitate) FROM Item_in WHERE Cod_articol = O.Cod_articol) - "
         "(SELECT IFNULL(SUM(Cantitate), 0) FROM Stoc WHERE Cod_articol = O.Cod_articol)", 0},
    });
}

TEST(DemoCompany, FinishedGoodsReceiptsSpreadOverTwoMonthsAndOneNeedsMoreThanIsInStock)
{
    const QString& dir = Demo();
    const QVariantList receipts = RawColumn(dir, "SELECT Contor FROM Doc_in WHERE Contor IN "
                                                 "(SELECT Contor FROM Item_in WHERE Cod_grupa = '02') ORDER BY Contor");
    ASSERT_GE(receipts.size(), 6);
    EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM Doc_in WHERE Data IS NOT Data_inregistrarii OR Numar IS NULL"), 0);
    const QDate first = RawColumn(dir, "SELECT MIN(Data) FROM Doc_in").value(0).toDate();
    const QDate last = RawColumn(dir, "SELECT MAX(Data) FROM Doc_in").value(0).toDate();
    EXPECT_GE(first, kToday.addMonths(-2).addDays(-3));
    EXPECT_LT(last, kToday);
    EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM Item_in WHERE Lot IS NULL"), 0);

    // Each receipt's raw-material requirement, as the recipes give it, against the stock.
    QStringList shortages;
    for (const QVariant& contor : receipts) {
        fw::TQuery need;
        need.SetDatabaseName(dir);
        need.SetSQL({QStringLiteral("SELECT D1.Cod_Grupa, D1.Cod_MatPrim, SUM(D.Cantitate * D1.Cant_MatPrim / D2.CantReteta) AS Cant"),
                     QStringLiteral("FROM Item_in D, Reteta D1, Catalog D2"),
                     QStringLiteral("WHERE D.Contor = :Contor AND D1.Cod = D.Cod_articol AND D1.Cod = D2.Cod"),
                     QStringLiteral("GROUP BY D1.Cod_Grupa, D1.Cod_MatPrim")});
        need.ParamByName(QStringLiteral("Contor"))->SetAsFloat(contor.toDouble());
        need.Open();
        EXPECT_FALSE(need.IsEmpty()) << "receipt " << contor.toDouble();
        for (; !need.Eof(); need.Next()) {
            const QString group = need.Fields(0)->AsString();
            const QString code = need.Fields(1)->AsString();
            fw::TQuery stock;
            stock.SetDatabaseName(dir);
            stock.SetSQL({QStringLiteral("SELECT SUM(Cantitate) AS Q FROM \"Stoc.DB\" WHERE Cod_grupa = :G AND Cod_articol = :C")});
            stock.ParamByName(QStringLiteral("G"))->SetAsString(group);
            stock.ParamByName(QStringLiteral("C"))->SetAsString(code);
            stock.Open();
            if (stock.Fields(0)->AsFloat() < need.Fields(2)->AsFloat())
                shortages << QStringLiteral("%1 %2").arg(contor.toDouble()).arg(code);
        }
    }
    // One material of the latest receipt.
    EXPECT_EQ(shortages, QStringList{QStringLiteral("%1 .CULTK").arg(receipts.last().toDouble())});
}

TEST(DemoCompany, FirmUsersCountersAndProductionSettings)
{
    const QString& dir = Demo();
    auto firm = testsupport::OpenTable(dir, fw::FirmDataDB);
    for (const char* field : {"Denumire", "Adresa", "Cod fiscal"})
        EXPECT_FALSE(firm->FieldByName(QString::fromLatin1(field))->AsString().isEmpty()) << field;
    EXPECT_EQ(Column(*testsupport::OpenTable(dir, fw::UserDB), "Init").value(0), QStringLiteral("ADM"));
    EXPECT_EQ(RawColumn(dir, "SELECT NewCounterIn = (SELECT MAX(Contor) FROM Doc_in) AND "
                             "NewCounterOut = (SELECT MAX(Contor) FROM Doc_out) FROM COUNTER"),
              (QVariantList{1}));
    fw::TIniFile ini(QDir(dir).filePath(fw::CompanySettingsFile));
    EXPECT_EQ(ini.ReadString("Productie", "IndGest", {}), QStringLiteral("_"));
    EXPECT_EQ(ini.ReadString("Productie", "IndCod", {}), QStringLiteral("."));
    EXPECT_EQ(ini.ReadString("Productie", "IndSemi", {}), QStringLiteral(";"));
    // The recipe table as the add-on's windows open it.
    EXPECT_EQ(RawColumn(dir, "SELECT name || ' ' || type || ' ' || pk FROM pragma_table_info('Reteta')"),
              (QVariantList{"Cod VARCHAR(30) 1", "Cod_MatPrim VARCHAR(30) 2", "Cant_MatPrim DOUBLE 0",
                            "Cod_Grupa VARCHAR(8) 0"}));
}

TEST(DemoCompany, RecreatingWipesTheDemoAndRefusesADirectoryHoldingAnythingElse)
{
    TempDir dir;
    CreateDemoCompany(dir.Path(), kToday);
    const auto addWarehouse = [&] {
        fw::Connection::Open(dir.Path())->Exec(QStringLiteral("INSERT INTO Gest (Cod, Denumire) VALUES ('ZZ', 'Rest')"));
    };
    addWarehouse();
    const QVariantList lots = RawColumn(dir.Path(), "SELECT COUNT(*) FROM Stoc");
    CreateDemoCompany(dir.Path(), kToday);
    EXPECT_EQ(Count(dir.Path(), "SELECT COUNT(*) FROM Gest WHERE Cod = 'ZZ'"), 0);
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Stoc"), lots);

    // A report saved beside it and a company in a folder of it: nothing is touched.
    addWarehouse();
    QFile pdf(dir.File(QStringLiteral("raport.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.close();
    const std::vector<fw::TFieldDef> code{{QStringLiteral("Cod"), fw::TFieldType::String, 4}};
    CreateTable(dir.SubDir(QStringLiteral("firma")), fw::GestDB, code, {}, {{"_MP"}});
    // Files of the demo's names that hold another company are not the demo's either.
    TempDir other;
    CreateTable(other.Path(), fw::GestDB, code, {}, {{"_MP"}});
    struct Case {
        QString dir;
        QString named;
    } cases[] = {{dir.Path(), QStringLiteral("firma/, raport.pdf")}, {other.Path(), QStringLiteral("tables.sqlite")}};
    for (const Case& c : cases) {
        try {
            CreateDemoCompany(c.dir, kToday);
            ADD_FAILURE() << "made in " << c.dir.toStdString();
        } catch (const fw::EInOutError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Directorul <%1> contine si altceva decat firma demonstrativa: %2. Nu a fost "
                                                  "sters nimic.")
                                       .arg(c.dir, c.named));
        }
    }
    EXPECT_TRUE(pdf.exists());
    EXPECT_EQ(RawColumn(dir.File(QStringLiteral("firma")), "SELECT Cod FROM Gest"), QVariantList{"_MP"});
    EXPECT_EQ(Count(dir.Path(), "SELECT COUNT(*) FROM Gest WHERE Cod = 'ZZ'"), 1);
    EXPECT_EQ(RawColumn(other.Path(), "SELECT Cod FROM Gest"), QVariantList{"_MP"});
}

TEST(DemoCompany, HostOpensItWithItsAliasesAndRemembersIt)
{
    fw::TMessageRecorder messages;
    const QString dir = QDir::cleanPath(DemoCompanyDir());
    {
    hosttest::THost host;
    ASSERT_TRUE(host->OpenDemoCompany(true));
    EXPECT_EQ(host->CompanyDir(), dir);
    EXPECT_EQ(fw::TSession::AliasPath(AliasTVELDA), dir);
    EXPECT_EQ(fw::TSession::AliasPath(AliasKRB_PRIV), PrivateDir());
    EXPECT_TRUE(QDir(PrivateDir()).exists());
    EXPECT_EQ(fw::TSettingsStore().ReadString(fw::TSettingsStore::LastDatabaseDir), dir);
    EXPECT_EQ(host->MainForm()->CompanyText(), QStringLiteral("Firma: Lactate Izvoare SRL"));
    EXPECT_EQ(host.Log().filter(QStringLiteral("QvxAddOnChangeDB")), QStringList{QStringLiteral("QvxAddOnChangeDB|%1|1").arg(dir)});
    // Every window of the menus opens on it.
    EXPECT_NE(host->ShowDocIn(), nullptr);
    EXPECT_NE(host->ShowDocOut(), nullptr);
    EXPECT_NE(host->ShowStock(), nullptr);
    EXPECT_NE(host->ShowCatalog(), nullptr);
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
    }
    // The next start finds it again without asking.
    hosttest::THost next;
    EXPECT_TRUE(next->OpenStartupCompany(QString()));
    EXPECT_EQ(next->CompanyDir(), dir);
}

TEST(DemoCompany, WithoutTheToolBesideItTheHostMakesItAloneAndSaysSo)
{
    fw::TMessageRecorder messages;
    TempDir dir;
    THostOptions options;
    options.IniFile = dir.File(QStringLiteral("pelmaris.INI"));
    options.LoadAddOn = false;
    options.DemoTool = dir.File(QStringLiteral("corvanel"));
    TPelmarisHost host(options);
    host.Start();
    ASSERT_TRUE(host.OpenDemoCompany(true));
    EXPECT_EQ(host.MainForm()->statusBar()->currentMessage(), DemoWithoutProductionText(options.DemoTool));
    EXPECT_EQ(Count(host.CompanyDir(), "SELECT COUNT(*) FROM Doc_out WHERE Tip = 'BMC'"), 0);
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}
