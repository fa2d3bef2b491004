// "lot-status": a lot held and released from a script, its standing and history shown, and
// the refusals that write nothing.
#include "CliFixture.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

TEST(LotStatusCli, HoldsReleasesAndShowsTheHistoryInOrder)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    const QStringList lot{"lot-status", "--company", dir, "--article", "01/.LAPTE", "--lot", "LC-1"};
    const TRun hold = Corvanel(lot + QStringList{"--hold", "--reason", "Inhibitori pozitivi"});
    EXPECT_EQ(hold.Status, 0) << Said(hold);
    EXPECT_TRUE(hold.Err.contains("Lotul <LC-1> al articolului <01/.LAPTE> este acum in starea \"Blocat\".")) << Said(hold);
    EXPECT_EQ(Corvanel(lot + QStringList{"--show"}).Out.section('\n', 0, 0), "Blocat: Inhibitori pozitivi");
    ASSERT_EQ(Corvanel(lot + QStringList{"--release", "--reason", "Reanaliza; negativ"}).Status, 0);
    const TRun show = Corvanel(lot + QStringList{"--show"});
    EXPECT_EQ(show.Status, 0) << Said(show);
    const QStringList lines = show.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << Said(show);
    EXPECT_EQ(lines[0], "Eliberat: Reanaliza; negativ");
    // Moment;standing;agent;reason, the reason quoted where it holds the separator.
    const QRegularExpression moment("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d;");
    EXPECT_TRUE(moment.match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(";Blocat;ADM;Inhibitori pozitivi")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(";Eliberat;ADM;\"Reanaliza; negativ\"")) << lines[2].toStdString();
}

TEST(LotStatusCli, RefusesWithoutWritingAnything)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    const QStringList tables{"StareLot", "IstoricStareLot", "Stoc"};
    const QStringList before = Dump(dir, tables);
    const struct {
        QStringList args;
        QString said;
    } cases[] = {
        {{"--article", "01/.LAPTE", "--lot", "LC-1", "--hold"}, "Precizati motivul schimbarii starii lotului"},
        {{"--article", "01/.LAPTE", "--lot", "LC-1", "--hold", "--release", "--reason", "x"},
         "Alegeti una dintre optiunile --hold, --release si --show."},
        {{"--article", ".LAPTE", "--lot", "LC-1", "--hold", "--reason", "x"}, "Precizati lotul prin grupa"},
        {{"--article", "01/.LAPTE", "--lot", "NU-1", "--hold", "--reason", "x"},
         "Lotul <NU-1> al articolului <01/.LAPTE> nu exista."},
        // Released is where a lot that was never held stands.
        {{"--article", "01/.LAPTE", "--lot", "LC-1", "--release", "--reason", "x"},
         "Lotul <LC-1> este deja in starea \"Eliberat\""},
    };
    for (const auto& c : cases) {
        const TRun run = Corvanel(QStringList{"lot-status", "--company", dir} + c.args);
        EXPECT_EQ(run.Status, 3) << c.args.join(' ').toStdString() << ": " << Said(run);
        EXPECT_TRUE(run.Err.contains(c.said)) << Said(run);
        EXPECT_EQ(run.Out, "");
    }
    EXPECT_EQ(Dump(dir, tables), before);
}

} // namespace
