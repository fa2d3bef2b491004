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
         "Alegeti una dintre optiunile --hold, --release, --show si --require-release."},
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

// An article's new lots made to wait: a lot that entered today waits until released, one
// that entered before does not; the setting's refusals write nothing.
TEST(LotStatusCli, RequiresTheReleaseOfAnArticlesNewLots)
{
    TDairy dairy;
    dairy.c.Add(fw::StocDB, {{40.0, ".LAPTE", "01", "_FRG", 2.5, "LC-NOU", "ADM", 1.0, 1.0, QDate::currentDate()}});
    const QString dir = dairy.Dir();
    const QStringList article{"lot-status", "--company", dir, "--article", "01/.LAPTE"};
    const auto standing = [&](const QString& lot) {
        return Corvanel(article + QStringList{"--lot", lot, "--show"}).Out.section('\n', 0, 0);
    };
    const TRun on = Corvanel(article + QStringList{"--require-release", "on"});
    ASSERT_EQ(on.Status, 0) << Said(on);
    EXPECT_TRUE(on.Err.contains("Loturile articolului <01/.LAPTE> intrate din ")) << Said(on);
    EXPECT_EQ(standing("LC-NOU"), "In asteptare: lot nou, asteapta eliberarea");
    EXPECT_EQ(standing("LC-1"), "Eliberat"); // no entry date: not a new lot

    const QStringList tables{"EliberareObligatorie", "StareLot", "IstoricStareLot"};
    const QStringList before = Dump(dir, tables);
    const struct {
        QStringList args;
        QString said;
    } refused[] = {
        {{"--require-release", "on"}, "Loturile noi ale articolului <01/.LAPTE> asteapta deja eliberarea"},
        {{"--require-release", "da"}, "--require-release primeste on sau off, nu <da>."},
        {{"--require-release", "off", "--lot", "LC-1"}, "--require-release priveste un articol"},
    };
    for (const auto& r : refused) {
        const TRun run = Corvanel(article + r.args);
        EXPECT_EQ(run.Status, 3) << r.args.join(' ').toStdString() << ": " << Said(run);
        EXPECT_TRUE(run.Err.contains(r.said)) << Said(run);
    }
    const TRun unknown = Corvanel({"lot-status", "--company", dir, "--article", "01/.NU", "--require-release", "on"});
    EXPECT_EQ(unknown.Status, 3) << Said(unknown);
    EXPECT_TRUE(unknown.Err.contains("Articolul <01/.NU> nu exista in nomenclator")) << Said(unknown);
    EXPECT_EQ(Dump(dir, tables), before);

    ASSERT_EQ(Corvanel(article + QStringList{"--lot", "LC-NOU", "--release", "--reason", "NTG conform"}).Status, 0);
    EXPECT_EQ(standing("LC-NOU"), "Eliberat: NTG conform");
    ASSERT_EQ(Corvanel(article + QStringList{"--require-release", "off"}).Status, 0);
    EXPECT_EQ(testsupport::RawColumn(dir, "SELECT COUNT(*) FROM EliberareObligatorie").value(0).toInt(), 0);
}

} // namespace
