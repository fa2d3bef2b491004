// "milk-quality" and "milk-statement" on the demo company: its three farmers, the one out
// of limits for somatic cells, the delivery with inhibitors left unpaid, and the refusals.
#include "CliFixture.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

TEST(MilkCli, TheDemosFarmersQualityAndStatementAsCsvAndPdf)
{
    testsupport::TempDir temp;
    const QString dir = temp.SubDir("demo");
    ASSERT_EQ(Corvanel({"demo", dir}).Status, 0);
    // The month 32 days back is wholly within the quarter of deliveries, with the two before it.
    const QString month = QDate::currentDate().addDays(-32).toString("yyyy-MM");
    const TRun quality = Corvanel({"milk-quality", "--company", dir, "--month", month, "--csv"});
    ASSERT_EQ(quality.Status, 0) << Said(quality);
    const QStringList lines = quality.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << quality.Out.toStdString();
    EXPECT_EQ(lines[0], "Furnizor;Luna;NTG_medie;NTG_probe;NCS_medie;NCS_probe;Conform");
    EXPECT_TRUE(lines[1].startsWith("FERMA1;" + month + ";") && lines[1].endsWith(";da")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("FERMA2;") && lines[2].endsWith(";nu")) << lines[2].toStdString();

    const TRun statement = Corvanel({"milk-statement", "--company", dir, "--month", month, "--csv"});
    ASSERT_EQ(statement.Status, 0) << Said(statement);
    // FERMA3's delivery with inhibitors, 34 days back, is in a month of the quarter.
    const QString inhibitorsMonth = QDate::currentDate().addDays(-34).toString("yyyy-MM");
    const TRun thatMonth = Corvanel({"milk-statement", "--company", dir, "--month", inhibitorsMonth, "--csv"});
    const QStringList farm3 = thatMonth.Out.split('\n', Qt::SkipEmptyParts).filter("FERMA3;");
    ASSERT_EQ(farm3.size(), 1) << thatMonth.Out.toStdString();
    EXPECT_EQ(farm3.front().split(';')[6], "1") << farm3.front().toStdString();

    const QString pdf = temp.SubDir("out") + "/decont.pdf";
    const TRun printed = Corvanel({"milk-statement", "--company", dir, "--month", month, "--pdf", pdf});
    ASSERT_EQ(printed.Status, 0) << Said(printed);
    EXPECT_TRUE(QFile(pdf).size() > 0);

    for (const QStringList& refused : {QStringList{"--month", "2026-13", "--csv"}, QStringList{"--month", month},
                                       QStringList{"--month", month, "--csv", "--pdf", pdf}})
        EXPECT_EQ(Corvanel(QStringList{"milk-quality", "--company", dir} + refused).Status, 3) << refused.join(' ').toStdString();
}

} // namespace
