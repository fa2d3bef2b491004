// The farm gate against a real company: deliveries as receipt lines with their own lots
// and results, inhibitors making a lot non-conforming at once, the tank lot written whole
// or not at all, and the recall following farmer, tank, product and customer.
#include "data/ProductionData.h"
#include "milk/MilkIntake.h"
#include "milk/MilkQuality.h"
#include "recall/RecallPlant.h"

#include <gtest/gtest.h>

using namespace corvanel;

namespace {

const QDate kDay(2026, 11, 10);

struct MilkCompany : TRecallPlant {
    MilkCompany()
    {
        company.Add(fw::FurnDB, {{"F1", "Ferma Unu"}, {"F2", "Ferma Doi"}});
        company.Article("01", ".LAPTE", "Lapte crud");
        company.Article("02", "IAURT", "Iaurt", 100.0);
        settings.Group = "01";
        settings.Article = ".LAPTE";
        settings.Warehouse = "_MP";
        settings.Density = 1.03;
        dm = &production.Connect(company);
    }
    fw::Connection& Engine() { return *dm->ProductionDatabase->GetConnection(); }
    qint64 Count(const QString& sql) { return Engine().ScalarInt(sql, {}); }
    // Each stock row as "lot quantity", in row order.
    std::string Stock()
    {
        std::string out;
        Engine().ForEachRow(QStringLiteral("SELECT Lot, Cantitate FROM Stoc ORDER BY Lot"), {}, [&](const fw::NativeRow& row) {
            out += (row.Value(0).toString() + QLatin1Char(' ') + QString::number(row.Value(1).toDouble()) + QLatin1Char('\n'))
                       .toStdString();
        });
        return out;
    }
    TMilkDelivery Delivery(const QString& farmer, std::optional<double> litres, std::optional<double> kg,
                           std::vector<std::pair<QString, TLabValue>> results = {})
    {
        return {farmer, litres, kg, std::nullopt, 4.0, QStringLiteral("P-") + farmer, std::move(results)};
    }
    std::vector<TRecordedDelivery> Record(const std::vector<TMilkDelivery>& deliveries)
    {
        return RecordMilkDeliveries(*dm, settings, kDay, deliveries, "ADM");
    }

    TMilkSettings settings;
    TProductionData* dm = nullptr;
};

TEST(MilkIntake, EachDeliveryIsAReceiptLineWithItsOwnLotAndResults)
{
    MilkCompany c;
    TMilkDelivery own = c.Delivery("F2", std::nullopt, 206.0, {{"GRASIME", {3.9, {}}}, {"INHIBITORI", {std::nullopt, "negativ"}}});
    own.Density = 1.0;
    const std::vector<TRecordedDelivery> written = c.Record({c.Delivery("F1", 100.0, std::nullopt, {{"NTG", {50000.0, {}}}}), own});
    ASSERT_EQ(written.size(), 2u);
    EXPECT_FALSE(written[0].NonConforming);
    // Kilograms from the settings' density (100 l * 1.03) and litres from the delivery's own.
    EXPECT_EQ(c.Stock(), (written[0].Lot + " 103\n" + written[1].Lot + " 206\n").toStdString());
    EXPECT_EQ(c.Count("SELECT COUNT(*) FROM Doc_in WHERE Tip = 'NIR' AND Furnizor IN ('F1', 'F2')"), 2);
    const std::vector<TDeliveryRow> rows = ReadMilkDeliveries(c.Engine(), kDay, kDay);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].Farmer.toStdString(), "F2");
    EXPECT_DOUBLE_EQ(rows[1].Litres, 206.0);
    EXPECT_DOUBLE_EQ(*rows[0].Results.value("NTG").Number, 50000.0);
    EXPECT_EQ(rows[1].Results.value("INHIBITORI").Word.toStdString(), "negativ");
    EXPECT_EQ(rows[0].Day, kDay);
}

TEST(MilkIntake, ARefusedDeliveryWritesNothing)
{
    MilkCompany c;
    for (const TMilkDelivery& bad : {c.Delivery("NIMENI", 100.0, std::nullopt), c.Delivery("F1", std::nullopt, std::nullopt),
                                     c.Delivery("F1", 0.0, std::nullopt)}) {
        EXPECT_THROW(c.Record({c.Delivery("F2", 50.0, std::nullopt), bad}), EMilkRefused) << bad.Farmer.toStdString();
    }
    EXPECT_EQ(c.Count("SELECT COUNT(*) FROM LivrariLapte"), 0);
    EXPECT_EQ(c.Stock(), "");
}

TEST(MilkIntake, InhibitorsMakeTheLotNonConformingAtOnceAndNoTankTakesIt)
{
    MilkCompany c;
    const std::vector<TRecordedDelivery> written =
        c.Record({c.Delivery("F1", 100.0, std::nullopt), c.Delivery("F2", 200.0, std::nullopt, {{"INHIBITORI", {std::nullopt, "pozitiv"}}})});
    EXPECT_TRUE(written[1].NonConforming);
    EXPECT_EQ(LotStandingOf(c.Engine(), {"01", ".LAPTE", written[1].Lot}).State.toStdString(), "Neconform");
    const std::string before = c.Stock();
    try {
        MakeTankLot(*c.dm, c.settings, kDay, {{written[0].Receipt, 1}, {written[1].Receipt, 1}}, "ADM");
        FAIL() << "a non-conforming delivery went into a tank";
    } catch (const EMilkRefused& e) {
        EXPECT_TRUE(e.Message().contains(written[1].Lot) && e.Message().contains("F2")) << e.Message().toStdString();
    }
    EXPECT_EQ(c.Stock(), before);
    EXPECT_EQ(c.Count("SELECT COUNT(*) FROM Doc_out"), 0);
    EXPECT_EQ(c.Count("SELECT COUNT(*) FROM Genealogie"), 0);
    EXPECT_EQ(c.Count("SELECT COUNT(*) FROM Doc_in WHERE Tip = 'BP'"), 0);
}

TEST(MilkIntake, TheTankTakesEachDeliveryWholeOnceAndTheRecallFollowsFarmerToCustomer)
{
    MilkCompany c;
    const std::vector<TRecordedDelivery> d = c.Record({c.Delivery("F1", std::nullopt, 300.0), c.Delivery("F2", std::nullopt, 200.0)});
    const QString tank = MakeTankLot(*c.dm, c.settings, kDay, {{d[0].Receipt, 1}, {d[1].Receipt, 1}}, "ADM");
    EXPECT_EQ(c.Stock(), (tank + " 500\n").toStdString());
    // The emptying is a consumption of the tank's receipt: its number and date, a line and a
    // genealogy row per delivery, each feeding the tank's line.
    const double tankReceipt0 = double(c.Engine().ScalarInt(QStringLiteral("SELECT MAX(Contor) FROM Doc_in WHERE Tip = 'BP'"), {}));
    EXPECT_EQ(c.Engine().ScalarInt(QStringLiteral("SELECT COUNT(*) FROM Doc_out o JOIN Doc_in i ON i.Numar = o.Numar AND i.Data = o.Data "
                                                  "WHERE o.Tip = 'BMC' AND i.Contor = ?"), {tankReceipt0}), 1);
    EXPECT_EQ(c.Engine().ScalarInt(QStringLiteral("SELECT SUM(Cantitate) FROM Genealogie WHERE Contor_produs = ? AND Contor_secundar_produs = 1"),
                                   {tankReceipt0}), 500);
    EXPECT_EQ(c.Count("SELECT COUNT(*) FROM Item_out"), 2);
    for (const TDeliveryRow& row : ReadMilkDeliveries(c.Engine(), kDay, kDay))
        EXPECT_EQ(row.Tank, std::optional<double>(tankReceipt0)) << row.Lot.toStdString();
    EXPECT_THROW(MakeTankLot(*c.dm, c.settings, kDay, {{d[0].Receipt, 1}}, "ADM"), EMilkRefused);
    // The tank's milk makes yoghurt (receipt 100, consumption 50), sold to a customer.
    const double tankReceipt = double(c.Engine().ScalarInt(QStringLiteral("SELECT MAX(Contor) FROM Doc_in"), {}));
    c.Receipt(100, 40, "BP", QDate(2026, 11, 11), "MPO", {{"02", "IAURT", "I-1", 400}});
    c.Document(50, "BMC", 40, QDate(2026, 11, 11), "", {{"01", ".LAPTE", tank, 500}});
    c.Fed(50, 1, 100, 1, 500, {"01", ".LAPTE", tank}, tankReceipt);
    c.Document(60, "FAC", 7, QDate(2026, 11, 12), "CLIENT A", {{"02", "IAURT", "I-1", 400}});
    const std::string forward = c.Csv(d[0].Lot, TRecallDirection::Forward);
    for (const std::string& reached : {tank.toStdString() + ";300", std::string("IAURT;I-1"), std::string("CLIENT A")})
        EXPECT_NE(forward.find(reached), std::string::npos) << forward;
    const std::string backward = c.Csv("I-1", TRecallDirection::Backward);
    for (const QString& reached : {tank, d[0].Lot, d[1].Lot, QStringLiteral("NIR"), QStringLiteral("F1"), QStringLiteral("F2")})
        EXPECT_NE(backward.find(reached.toStdString()), std::string::npos) << backward;
}

TEST(MilkIntake, QualityIsReadFromTheDeliveriesResults)
{
    MilkCompany c;
    c.Record({c.Delivery("F1", 100.0, std::nullopt, {{"NTG", {40000.0, {}}}, {"NCS", {90000.0, {}}}}),
              c.Delivery("F1", 100.0, std::nullopt, {{"NTG", {160000.0, {}}}})});
    const std::vector<TFarmerQuality> q = ReadFarmersQuality(c.Engine(), QDate(2026, 11, 1));
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].Name.toStdString(), "Ferma Unu");
    EXPECT_EQ(q[0].Germs.PerMonth, (std::vector<int>{0, 2}));
    EXPECT_EQ(q[0].Cells.PerMonth, (std::vector<int>{0, 0, 1}));
    EXPECT_FALSE(q[0].Conform);
}

} // namespace
