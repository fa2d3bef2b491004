// Each article's stock per warehouse kept by the engine: it follows every write of a lot,
// whoever writes, and equals the sum of the lots.
#include "DbFixture.h"
#include "platform/db/Connection.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/StockTotals.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

class StockTotals : public ::testing::Test {
public:
    void SetUp() override
    {
        const TTableLayout& stoc = CompanyTable(StocDB);
        CreateTable(dir.Path(), stoc.Name, stoc.Fields, stoc.Indexes);
        conn = Connection::Open(dir.Path());
    }
    void Lot(const char* code, const char* warehouse, const QVariant& quantity, const QVariant& own = {})
    {
        conn->Exec(QStringLiteral("INSERT INTO Stoc (Cod_grupa, Cod_articol, Cod_gestiune, Cantitate, Lot, Data_intrare, "
                                  "Data_expirare) VALUES ('01', ?, ?, ?, 'L', '2026-12-01', ?)"),
                   {QString::fromLatin1(code), warehouse ? QVariant(QString::fromLatin1(warehouse)) : QVariant(), quantity,
                    own});
    }
    // "article warehouse total lots not-numbers own-dated", by article and warehouse.
    QStringList Totals() const
    {
        return RawTexts(dir.Path(), QStringLiteral("SELECT Cod_articol, Cod_gestiune, Cantitate + Corectie, Loturi, Nenumerice, "
                                                   "Proprii FROM StocTotal ORDER BY Cod_articol, Cod_gestiune"));
    }
    DatabaseDir dir;
    std::shared_ptr<Connection> conn;
};

TEST_F(StockTotals, TheTotalsFollowEveryWriteOfALotFromWhatWasThereBefore)
{
    Lot(".LAPTE", "_MP1", 100.0);
    Lot(".LAPTE", "_MP1", 50.0);
    Lot(".SARE", "_MP2", 7.0, QDate(2026, 12, 20));
    ASSERT_TRUE(EnsureStockTotals(conn)); // counted from the lots already there
    EXPECT_EQ(Totals(), QStringList({".LAPTE _MP1 150.0 2 0 0", ".SARE _MP2 7.0 1 0 1"}));

    Lot(".LAPTE", "_MP2", 30.0);
    Lot(".LAPTE", nullptr, 4.0); // no warehouse: kept under none
    conn->Exec("INSERT INTO Stoc (Cod_articol, Cantitate) VALUES ('.FARA_GRUPA', 9)"); // no group: no article
    conn->Exec("UPDATE Stoc SET Cantitate = Cantitate - 20.5 WHERE Cod_articol = '.LAPTE' AND Cantitate = 100");
    conn->Exec("UPDATE Stoc SET Cod_gestiune = '_MP2' WHERE Cod_articol = '.LAPTE' AND Cantitate = 50"); // moved
    conn->Exec("UPDATE Stoc SET Cod_articol = '.ZER', Data_expirare = NULL WHERE Cod_articol = '.SARE'"); // another article
    conn->Exec("UPDATE Stoc SET Cantitate = NULL WHERE Cod_articol = '.LAPTE' AND Cantitate = 30");
    EXPECT_EQ(Totals(), QStringList({".LAPTE  4.0 1 0 0", ".LAPTE _MP1 79.5 1 0 0", ".LAPTE _MP2 50.0 2 0 0",
                                     ".SARE _MP2 0.0 0 0 0", ".ZER _MP2 7.0 1 0 0"}));

    conn->Exec("DELETE FROM Stoc WHERE Cod_articol = '.LAPTE' AND Cod_gestiune = '_MP2'");
    EXPECT_EQ(Totals(), QStringList({".LAPTE  4.0 1 0 0", ".LAPTE _MP1 79.5 1 0 0", ".LAPTE _MP2 0.0 0 0 0",
                                     ".SARE _MP2 0.0 0 0 0", ".ZER _MP2 7.0 1 0 0"}));
    // Opened again: kept as they are, not counted twice.
    ASSERT_TRUE(EnsureStockTotals(conn));
    EXPECT_EQ(Totals().size(), 5);
    EXPECT_EQ(Totals().at(1), ".LAPTE _MP1 79.5 1 0 0");
}

TEST_F(StockTotals, ATotalOfTenthsIsTheirSumAndNothingOnceTheyAreGone)
{
    ASSERT_TRUE(EnsureStockTotals(conn));
    for (int i = 0; i < 10; ++i)
        Lot(".CHEAG", "_MP1", 0.1);
    // Added one by one, doubles make 0.9999999999999999 of ten tenths; the kept error
    // brings the total to 1.
    const QVariantList total = RawColumn(dir.Path(), "SELECT Cantitate + Corectie FROM StocTotal");
    ASSERT_EQ(total.size(), 1);
    EXPECT_EQ(total.front().toDouble(), 1.0);
    conn->Exec("UPDATE Stoc SET Cantitate = 0.7");
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Cantitate + Corectie FROM StocTotal").front().toDouble(), 7.0);
    conn->Exec("DELETE FROM Stoc");
    EXPECT_EQ(Totals(), QStringList({".CHEAG _MP1 0.0 0 0 0"}));
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Cantitate, Corectie FROM StocTotal"), QStringList({"0.0 0.0"}));
}

TEST_F(StockTotals, AStockTableMadeAgainHasItsTotalsCountedAgain)
{
    Lot(".LAPTE", "_MP1", 100.0);
    ASSERT_TRUE(EnsureStockTotals(conn));
    // Dropped and made again (its triggers go with it), then filled by a writer that
    // found no trigger.
    conn->Exec("DROP TABLE Stoc");
    const TTableLayout& stoc = CompanyTable(StocDB);
    CreateTable(dir.Path(), stoc.Name, stoc.Fields, stoc.Indexes);
    Lot(".SARE", "_MP1", 3.0);
    EXPECT_EQ(Totals(), QStringList({".LAPTE _MP1 100.0 1 0 0"})); // stale: nothing keeps them
    ASSERT_TRUE(EnsureStockTotals(conn));
    EXPECT_EQ(Totals(), QStringList({".SARE _MP1 3.0 1 0 0"}));
    Lot(".SARE", "_MP1", 2.0);
    EXPECT_EQ(Totals(), QStringList({".SARE _MP1 5.0 2 0 0"}));
}

TEST_F(StockTotals, AQuantityThatIsNoNumberIsCountedApartAndItsWriteStands)
{
    ASSERT_TRUE(EnsureStockTotals(conn));
    Lot(".LAPTE", "_MP1", 10.0);
    // Beyond the largest number: its sum would be neither a number nor stored, and the
    // lot's write must not fail for it.
    conn->Exec(QStringLiteral("INSERT INTO Stoc (Cod_grupa, Cod_articol, Cod_gestiune, Cantitate) VALUES ('01', '.LAPTE', "
                              "'_MP1', %1)")
                   .arg(OnServer() ? "'Infinity'" : "9e999"));
    EXPECT_EQ(Totals(), QStringList({".LAPTE _MP1 10.0 2 1 0"}));
    if (!OnServer()) { // the server's column takes numbers only
        Lot(".LAPTE", "_MP1", QStringLiteral("zece"));
        EXPECT_EQ(Totals(), QStringList({".LAPTE _MP1 10.0 3 2 0"}));
        conn->Exec("UPDATE Stoc SET Cantitate = 3 WHERE Cantitate = 'zece'");
        EXPECT_EQ(Totals(), QStringList({".LAPTE _MP1 13.0 3 1 0"}));
    }
    conn->Exec("DELETE FROM Stoc WHERE Cantitate > 1e300");
    EXPECT_EQ(Totals().back().section(' ', 3), OnServer() ? "1 0 0" : "2 0 0");
}

} // namespace
