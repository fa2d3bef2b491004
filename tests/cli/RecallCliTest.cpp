// "recall" on the genealogy "consume" wrote: the lots reached, their quantities, and the
// statuses of a lot that does not exist or of options that contradict each other.
#include "CliFixture.h"

#include <gtest/gtest.h>

using namespace clitest;

namespace {

const QString Heading = QStringLiteral("Nivel;Tip;Numar;Data;Partener;Cod_grupa;Cod_articol;Lot;Cantitate;Estimat;Cota\n");

TEST(RecallCli, FollowsTheMilkIntoEachProductByItsOwnShareBothWays)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    // The milk's 810 l come from LC-1: 260 for the yoghurt, 550 for the cheese.
    ASSERT_EQ(Corvanel({"consume", "--company", dir, "--counter", "1", "--yes"}).Status, 0);
    for (const char* lang : {"C.UTF-8", "ro_RO.UTF-8"}) {
        const TRun forward = Corvanel({"recall", "--company", dir, "--lot", "LC-1", "--forward", "--csv"},
                                      {QStringLiteral("LANG=") + lang, QStringLiteral("LC_ALL=") + lang});
        EXPECT_EQ(forward.Status, 0) << Said(forward);
        EXPECT_EQ(forward.Out, Heading + "1;BP;1001;2026-11-03;PROD;02;IAURT;L-01;260;0;260\n"
                                         "1;BP;1001;2026-11-03;PROD;02;BRANZA;L-02;550;0;550\n")
            << lang;
    }
    // The stock row held no receipt line: the lot is named without a document.
    const TRun backward =
        Corvanel({"recall", "--company", dir, "--lot", "L-02", "--article", "02/BRANZA", "--backward", "--csv"});
    EXPECT_EQ(backward.Out, Heading + "1;;;;;01;.LAPTE;LC-1;550;0;550\n") << Said(backward);
    const TRun text = Corvanel({"recall", "--company", dir, "--lot", "LC-1", "--forward"});
    EXPECT_TRUE(text.Out.startsWith("Urmarirea lotului LC-1 (01/.LAPTE), inainte")) << Said(text);
    // The milk came with the opening stock (no receipt): its 1000 l are the difference
    // the balance cannot account for. The products were made and neither shipped nor stocked.
    const TRun balance = Corvanel({"recall", "--company", dir, "--lot", "LC-1", "--forward", "--balance"});
    EXPECT_EQ(balance.Out, "Cod_grupa;Cod_articol;Lot;Intrat;Consumat;Livrat;Stoc;Diferenta\n"
                           "01;.LAPTE;LC-1;0;810;0;190;-1000\n"
                           "02;IAURT;L-01;2000;0;0;0;2000\n"
                           "02;BRANZA;L-02;100;0;0;0;100\n")
        << Said(balance);
}

TEST(RecallCli, ADrillIsKeptOnRecordWithItsTimesAndListed)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    ASSERT_EQ(Corvanel({"consume", "--company", dir, "--counter", "1", "--yes"}).Status, 0);
    const TRun drill =
        Corvanel({"recall", "--company", dir, "--lot", "LC-1", "--forward", "--drill", "--operator", "Ion Pop", "--balance"});
    ASSERT_EQ(drill.Status, 0) << Said(drill);
    EXPECT_TRUE(drill.Out.startsWith("Cod_grupa;Cod_articol;Lot;Intrat;")) << Said(drill);
    EXPECT_TRUE(drill.Err.contains("Exercitiu de retragere inregistrat")) << Said(drill);
    const TRun listed = Corvanel({"drills", "--company", dir, "--csv"});
    ASSERT_EQ(listed.Status, 0) << Said(listed);
    const QStringList lines = listed.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << Said(listed);
    // Two products reached, no customer; the milk's opening stock is the difference.
    const QStringList f = lines[1].split(';');
    ASSERT_EQ(f.size(), 14) << Said(listed);
    EXPECT_EQ(QStringList(f.mid(1, 5)).join(';'), "LC-1;;;inainte;Ion Pop");
    EXPECT_EQ(QStringList(f.mid(11)).join(';'), "2;0;-1000");
    EXPECT_EQ(f[10].toLongLong(), f[6].toLongLong() + f[7].toLongLong() + f[8].toLongLong() + f[9].toLongLong());
}

TEST(RecallCli, RefusesALotThatDoesNotExistAndContradictoryOptions)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    const struct {
        QStringList args;
        QString said;
    } cases[] = {
        {{"--lot", "NU-1", "--forward"}, "Lotul <NU-1> nu exista."},
        {{"--lot", "LC-1", "--article", "02/IAURT", "--backward"}, "Lotul <LC-1> al articolului <02/IAURT> nu exista."},
        {{"--lot", "LC-1", "--forward", "--backward"}, "Alegeti una dintre optiunile --forward si --backward."},
        {{"--lot", "LC-1"}, "Alegeti una dintre optiunile --forward si --backward."},
        {{"--lot", "LC-1", "--forward", "--csv", "--pdf", "x.pdf"}, "Alegeti cel mult una dintre optiunile --csv, --balance"},
        {{"--lot", "LC-1", "--forward", "--csv", "--balance"}, "Alegeti cel mult una dintre optiunile --csv, --balance"},
        {{"--lot", "LC-1", "--forward", "--drill", "--operator", " "}, "Lipseste optiunea --operator."},
        {{"--lot", "NU-1", "--forward", "--drill", "--operator", "Ion"}, "Lotul <NU-1> nu exista."},
        {{"--lot", "LC-1", "--article", "IAURT", "--forward"}, "nu este un articol valid pentru --article"},
    };
    for (const auto& c : cases) {
        const TRun run = Corvanel(QStringList{"recall", "--company", dir} + c.args);
        EXPECT_EQ(run.Status, 3) << c.args.join(' ').toStdString() << ": " << Said(run);
        EXPECT_TRUE(run.Err.contains(c.said)) << Said(run);
        EXPECT_EQ(run.Out, "");
    }
}

} // namespace
