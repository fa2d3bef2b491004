// The cost and variance reports as files for other programs: the CSV's text, and a workbook
// whose numbers are numbers and dates dates.
#include "platform/core/Exceptions.h"
#include "reports/CostTables.h"
#include "reports/XlsxFile.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <limits>

using namespace corvanel;

namespace {

// Yoghurt 200 at 102.00; a batch of 0 whose cost per unit is none.
std::vector<TLotCost> Costs()
{
    TLotCost made{{5, 1, 125, QDate(2026, 12, 7), "02", "IAURT", "Iaurt; 3%", "kg", "P1", 200}, 102, 0.51, 1, {}};
    made.Materials = {{"01", ".CULT", 1, 40, 39.2156862745098, 1}, {"01", ".LAPTE", 26, 62, 60.7843137254902, 0}};
    TLotCost none{{6, 1, 126, QDate(2026, 12, 8), "02", "IAURT", "Iaurt", "kg", "P2", 0}, 0,
                  std::numeric_limits<double>::quiet_NaN(), 0, {}};
    return {made, none};
}

QString Unzipped(const QString& file, const QString& member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, member});
    unzip.waitForFinished(30000);
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

TEST(CostTables, TheCsvKeepsFullPrecisionAndLeavesACostPerUnitOfNothingEmpty)
{
    EXPECT_EQ(CsvText(LotCostSheet(Costs())),
              "Contor;Numar;Data;Cod_grupa;Cod_articol;Lot;Cantitate;Cost_materiale;Cost_unitar;Denumire;Loturi_fara_pret\n"
              "5;125;2026-12-07;02;IAURT;P1;200;102;0.51;\"Iaurt; 3%\";1\n"
              "6;126;2026-12-08;02;IAURT;P2;0;0;;Iaurt;0\n");
    EXPECT_EQ(CsvText(LotMaterialSheet(Costs())).split('\n').at(2),
              "5;125;2026-12-07;02;IAURT;P1;01;.LAPTE;26;62;60.7843137254902;0");
}

TEST(CostTables, TheWorkbookHoldsNumbersAsNumbersAndDatesAsDatesAndReplacesAFileWhole)
{
    testsupport::TempDir dir;
    const QString file = dir.File("cost.xlsx");
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older workbook");
    old.close();
    WriteXlsx(file, {LotCostSheet(Costs()), LotMaterialSheet(Costs())});
    // Nothing of the writing is left beside it.
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cost.xlsx"});

    const QString sheet = Unzipped(file, "xl/worksheets/sheet1.xml");
    ASSERT_FALSE(sheet.isEmpty()) << "unzip -p could not read the workbook";
    // 07.12.2026 is day 46363 counted from 30.12.1899, shown through a date format.
    EXPECT_TRUE(QRegularExpression(R"x(<c r="C2" s="\d+"><v>46363</v></c>)x").match(sheet).hasMatch()) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(R"(<c r="G2"><v>200</v></c>)")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(R"(<c r="I2"><v>0.51</v></c>)")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(R"(<c r="D2" t="s">)")) << sheet.toStdString(); // the group is text
    // No cost per unit for the batch of nothing: the cell is left out.
    EXPECT_FALSE(sheet.contains(R"(<c r="I3")")) << sheet.toStdString();
    EXPECT_TRUE(Unzipped(file, "xl/styles.xml").contains(R"(formatCode="dd.mm.yyyy")"))
        << Unzipped(file, "xl/styles.xml").toStdString();
    EXPECT_TRUE(Unzipped(file, "xl/workbook.xml").contains(R"(name="Materiale pe lot")"));

    // A folder that is not there: told, and nothing written.
    const QString missing = dir.File("nu-exista/cost.xlsx");
    EXPECT_THROW(WriteXlsx(missing, {LotCostSheet(Costs())}), fw::EInOutError);
    EXPECT_FALSE(QFile::exists(missing));
}

} // namespace
