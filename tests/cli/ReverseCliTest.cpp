// "reverse": a consumption document named by its number (and date) or counter, reversed
// once, with the tool's exit statuses.
#include "CliFixture.h"
#include "platform/db/Connection.h"

#include <gtest/gtest.h>

using namespace clitest;

namespace {

const QStringList Reversed{"COUNTER", "Doc_out", "Item_out", "Stoc", "Genealogie", "Stornari"};

TEST(ReverseCli, ReversesOnceByNumberAndRefusesWhatItCannotDo)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    const auto reverse = [&](const QStringList& more) { return Corvanel(QStringList{"reverse", "--company", dir} + more); };
    ASSERT_EQ(Corvanel({"consume", "--company", dir, "--counter", "1", "--yes"}).Status, 0); // counter 5
    const QStringList consumed = Dump(dir, Reversed);

    // A fault while writing: status 2, nothing written.
    fw::Connection::Open(dir)->Exec("CREATE TRIGGER refuse BEFORE INSERT ON Stornari BEGIN SELECT RAISE(ABORT, 'injected'); END");
    const TRun failed = reverse({"--document", "1001"});
    EXPECT_EQ(failed.Status, 2) << Said(failed);
    EXPECT_TRUE(failed.Err.contains("Eroare de acces la baza de date!\n<injected")) << Said(failed);
    EXPECT_EQ(Dump(dir, Reversed), consumed);
    fw::Connection::Open(dir)->Exec("DROP TRIGGER refuse");

    const TRun run = reverse({"--document", "1001"});
    EXPECT_EQ(run.Status, 0) << Said(run);
    EXPECT_EQ(run.Out, "6\n");
    EXPECT_TRUE(run.Err.endsWith("Documentul de consum nr. 1001 din 03.11.2026 a fost anulat.\nDocumentul de stornare: nr. "
                                 "1001 din 03.11.2026.\n"))
        << Said(run);
    const QStringList reversed = Dump(dir, Reversed);
    const struct {
        QStringList args;
        QString said;
    } refused[] = {
        {{"--document", "1001"}, "a fost deja anulat prin documentul de stornare nr. 1001 din 03.11.2026."},
        {{"--counter", "6"}, "este stornarea documentului de consum nr. 1001 din 03.11.2026"},
        {{"--counter", "4"}, "Nu exista documentul de consum (BMC) cu contorul 4."},
        {{"--document", "1001", "--date", "2026-11-04"}, "Nu exista niciun document de consum (BMC) nr. 1001 din 04.11.2026."},
        {{"--document", "1001", "--counter", "5"}, "Alegeti una dintre optiunile --document N si --counter C."},
    };
    for (const auto& r : refused) {
        const TRun again = reverse(r.args);
        EXPECT_EQ(again.Status, 3) << Said(again);
        EXPECT_TRUE(again.Err.contains(r.said)) << Said(again);
    }
    EXPECT_EQ(Dump(dir, Reversed), reversed);

    // Consumed again with no question, then twice: the number alone, or with its date, names two.
    const TRun consume = Corvanel({"consume", "--company", dir, "--counter", "1", "--yes"});
    EXPECT_EQ(consume.Status, 0) << Said(consume);
    EXPECT_EQ(consume.Out, "7\n");
    dairy.c.Lot("01", ".LAPTE", "_FRG", 810, "LC-3"); // the milk of one more
    ASSERT_EQ(Corvanel({"consume", "--company", dir, "--counter", "1", "--yes", "--again"}).Out, "8\n");
    for (const QStringList& args : {QStringList{"--document", "1001"}, QStringList{"--document", "1001", "--date", "2026-11-03"}}) {
        const TRun ambiguous = reverse(args);
        EXPECT_EQ(ambiguous.Status, 3) << Said(ambiguous);
        EXPECT_TRUE(ambiguous.Err.contains("Mai multe documente de consum au numarul 1001: nr. 1001 din 03.11.2026 (contor 7), "
                                           "nr. 1001 din 03.11.2026 (contor 8)."))
            << Said(ambiguous);
    }
    EXPECT_EQ(reverse({"--counter", "8"}).Out, "9\n");
}

} // namespace
