// "requirement" and "consume" against the requirement's own functions, their exit
// statuses and messages, and two of them at once on one company.
#include "BuiltFiles.h"
#include "CliFixture.h"
#include "data/Messages.h"
#include "platform/config/SettingsStore.h"
#include "platform/db/Connection.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace clitest;

namespace {

// The requirement as the form's grid holds it: group, code, name, then the three figures.
QStringList InProcessRequirement(const QString& dir, double counter)
{
    TInProcess work(dir);
    corvanel::PrepareRequirement(*work.dm, counter);
    QStringList rows;
    fw::TTable* t = work.dm->Requirement().TempTable();
    for (t->First(); !t->Eof(); t->Next()) {
        QStringList row;
        for (const char* f : {"Cod_grupa", "Cod_MatPrim", "Denumire"})
            row << t->FieldByName(f)->AsString();
        for (const char* f : {"Cant", "StocExist", "StocFin"})
            row << QString::number(t->FieldByName(f)->AsFloat());
        rows << row.join('|');
    }
    corvanel::CloseRequirement(*work.dm);
    return rows;
}

// The fields of a CSV record: ";" between them, a field in quotes may hold ";" and doubled quotes.
QStringList CsvFields(const QString& line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == '"' && quoted && i + 1 < line.size() && line.at(i + 1) == '"')
            fields.last() += line.at(++i);
        else if (c == '"')
            quoted = !quoted;
        else if (c == ';' && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

QStringList CsvRequirement(const QString& csv)
{
    QStringList lines = csv.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), "Cod_grupa;Cod_MatPrim;Denumire;Cant;StocExist;StocFin");
    QStringList rows;
    for (const QString& line : lines.mid(1)) {
        QStringList cells = CsvFields(line);
        for (int i = 3; i < cells.size(); ++i) {
            bool ok = false;
            cells[i] = QString::number(QLocale::c().toDouble(cells[i], &ok));
            EXPECT_TRUE(ok) << line.toStdString();
        }
        rows << cells.join('|');
    }
    return rows;
}

} // namespace

TEST(RequirementCli, GivesTheFormsRequirementWithTheCompanysOwnSettingsWhateverTheLocale)
{
    TDairy dairy;
    // The company counts only warehouses starting with X; the host last used a company
    // without any settings file, whose defaults would count "_FRG" instead.
    dairy.c.WriteSettingsFile("[Productie]\r\nIndGest=X\r\n");
    testsupport::TempDir elsewhere;
    fw::TSettingsStore().WriteString(fw::TSettingsStore::LastDatabaseDir, elsewhere.Path());

    const QStringList expected = InProcessRequirement(dairy.Dir(), 1);
    ASSERT_EQ(expected.size(), 3);
    EXPECT_EQ(expected.at(1), "01|.LAPTE|Lapte crud|810|1300.25|490.25");
    for (const char* lang : {"C.UTF-8", "ro_RO.UTF-8"}) {
        const TRun run = Corvanel({"requirement", "--company", dairy.Dir(), "--counter", "1", "--csv"},
                                  {QStringLiteral("LANG=") + lang, QStringLiteral("LC_ALL=") + lang});
        EXPECT_EQ(run.Status, 0) << Said(run);
        EXPECT_EQ(CsvRequirement(run.Out), expected) << lang;
    }
    // The table for a person: the grid's titles and the receipt it is for.
    const TRun table = Corvanel({"requirement", "--company", dairy.Dir(), "--counter", "1"});
    EXPECT_TRUE(table.Out.startsWith("Fisa de necesar tehnic la documentul nr. 1001 din data de ")) << Said(table);
    EXPECT_TRUE(table.Out.contains("Cod materie prima  Denumire materie prima")) << Said(table);
}

TEST(RequirementCli, ConsumeWritesWhatTheButtonWrites)
{
    QStringList byTool, byAddOn;
    {
        TDairy dairy;
        const TRun run = Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes"});
        EXPECT_EQ(run.Status, 0) << Said(run);
        EXPECT_EQ(run.Out, "5\n");
        EXPECT_TRUE(run.Err.contains("Doriti sa continuati? Da\n")) << Said(run);
        EXPECT_TRUE(run.Err.contains(QRegularExpression("\nDocumentul de consum: nr\\. 1001 din \\d\\d\\.\\d\\d\\.\\d{4}\\.\n$")))
            << Said(run);
        byTool = Dump(dairy.Dir(), Written);
        // Consumed already: a second document only with --again, --yes answering the other question.
        const TRun refused = Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes"});
        EXPECT_EQ(refused.Status, 1) << Said(refused);
        EXPECT_TRUE(refused.Err.contains("Generati inca unul? Nu\n")) << Said(refused);
        EXPECT_EQ(Dump(dairy.Dir(), Written), byTool);
        const TRun again = Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes", "--again"});
        EXPECT_TRUE(again.Err.contains("Generati inca unul? Da\n")) << Said(again);
        EXPECT_NE(again.Status, 1) << Said(again);
    }
    {
        TDairy dairy;
        TInProcess work(dairy.Dir());
        fw::TMessageRecorder answers; // Da
        corvanel::PrepareRequirement(*work.dm, 1);
        EXPECT_EQ(corvanel::GenerateConsumption(*work.dm, 1, work.dm->Requirement().AgentInitials()), 5.0);
        corvanel::CloseRequirement(*work.dm);
        byAddOn = Dump(dairy.Dir(), Written);
    }
    EXPECT_EQ(byTool, byAddOn);
    EXPECT_TRUE(byTool.contains("1|1.0|5.0")) << byTool.join('\n').toStdString(); // the counter raised
}

TEST(RequirementCli, ExitStatusesAndNothingWrittenWhenStopped)
{
    TDairy dairy;
    testsupport::TempDir empty;
    // A database that refuses the lines of outgoing documents.
    TDairy failing;
    fw::Connection::Open(failing.Dir())
        ->Exec("CREATE TRIGGER refuse BEFORE INSERT ON Item_out BEGIN SELECT RAISE(ABORT, 'injected'); END");
    // Settings files that are there but cannot be read: a pipe, a link that leads nowhere.
    TDairy piped, looped;
    ASSERT_EQ(::mkfifo(QFile::encodeName(piped.Dir() + "/KRBDEF.INI").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(looped.Dir() + "/KRBDEF.INI", looped.Dir() + "/KRBDEF.INI"));
    const QString dir = dairy.Dir();
    struct TCase {
        QStringList args;
        int status;
        QString said; // on standard error
    } cases[] = {
        {{"consume", "--company", dir, "--counter", "1"}, 1, "Doriti sa continuati? Nu\n"},
        {{"consume", "--company", dir, "--counter", "7"}, 3, "Eroare: Documentul de intrare cu contorul 7 nu exista.\n"},
        {{"requirement", "--company", dir, "--counter", "7"}, 3, "Documentul de intrare cu contorul 7 nu exista."},
        {{"consume", "--company", failing.Dir(), "--counter", "1", "--yes"}, 2,
         "Eroare: Eroare de baza de date survenita in generarea documentului de iesire!\ninjected"},
        {{"consume", "--company", piped.Dir(), "--counter", "1", "--yes"}, 2,
         "Eroare: <" + piped.Dir() + "/KRBDEF.INI> nu este un fisier obisnuit: setarile nu pot fi citite din el.\n"},
        {{"consume", "--company", looped.Dir(), "--counter", "1", "--yes"}, 2,
         "Eroare: Fisierul de setari <" + looped.Dir() + "/KRBDEF.INI> nu poate fi citit.\n"},
        {{"consume", "--company", dir, "--counter", "1", "--counter", "2"}, 3, "Optiunea --counter este data de mai multe ori."},
        {{"consume", "--company", empty.Path(), "--counter", "1"}, 3, "nu contine o firma."},
        {{"consume", "--company", empty.File("nu"), "--counter", "1"}, 3, "nu exista!"},
        {{"consume", "--company", dir}, 3, "Lipseste optiunea --counter."},
        {{"consume", "--company", dir, "--counter", "1,5"}, 3, "'1,5' nu este un numar valid pentru --counter"},
        {{"consume", "--company", dir, "--counter", "1", "--da"}, 3, "Optiune necunoscuta: 'da'."},
        {{"consume", "--company", dir, "--counter", "1", "rest"}, 3, "Argument neasteptat: 'rest'."},
        {{"produce"}, 3, "Comanda necunoscuta: 'produce'."},
        {{}, 3, "Utilizare: corvanel <comanda> [optiuni]"},
    };
    const QStringList before = Dump(dir, Written), failingBefore = Dump(failing.Dir(), Written),
                      loopedBefore = Dump(looped.Dir(), Written);
    for (const TCase& c : cases) {
        const TRun run = Corvanel(c.args);
        EXPECT_EQ(run.Status, c.status) << c.args.join(' ').toStdString() << ": " << Said(run);
        EXPECT_TRUE(run.Err.contains(c.said)) << c.args.join(' ').toStdString() << ": " << Said(run);
        EXPECT_EQ(run.Out, "") << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(Dump(dir, Written), before);
    EXPECT_EQ(Dump(failing.Dir(), Written), failingBefore);
    EXPECT_EQ(Dump(looped.Dir(), Written), loopedBefore);
    // Help for the program and for every command, which names its usage.
    for (const QString command : {"", "requirement", "consume", "trace", "index-prices", "demo"}) {
        const TRun help = Corvanel(command.isEmpty() ? QStringList{"--help"} : QStringList{command, "--help"});
        EXPECT_EQ(help.Status, 0) << command.toStdString();
        EXPECT_TRUE(help.Out.contains("Utilizare: corvanel " + (command.isEmpty() ? "<comanda>" : command)))
            << Said(help);
    }
}

// The settings draw expired lots; the tool draws them only when told to.
TEST(RequirementCli, ConsumeDrawsOnExpiredLotsOnlyWithExpired)
{
    TDairy dairy;
    const auto exec = [&](const char* sql) { fw::Connection::Open(dairy.Dir())->Exec(sql); };
    exec("UPDATE CATALOG SET ZileValabilitate = 2 WHERE Cod = '.LAPTE'");
    exec("UPDATE Stoc SET Data_intrare = '2026-10-30' WHERE Lot = 'LC-1'"); // expired on 01.11, two days before the receipt
    const QStringList before = Dump(dairy.Dir(), Written);
    const TRun refused = Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes"});
    EXPECT_EQ(refused.Status, 1) << Said(refused);
    EXPECT_TRUE(refused.Err.contains("lotul LC-1 al materialului 01 .LAPTE din gestiunea _FRG, expirat la 01.11.2026\n"
                                     "Continuati? Nu\n"))
        << Said(refused);
    EXPECT_EQ(Dump(dairy.Dir(), Written), before);
    const TRun drawn = Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes", "--expired"});
    EXPECT_EQ(drawn.Status, 0) << Said(drawn);
    EXPECT_TRUE(drawn.Err.contains("Continuati? Da\n")) << Said(drawn);
}

TEST(RequirementCli, TwoConsumptionsAtOnceNeverDrawTheSameMilkTwice)
{
    TDairy dairy;
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->start(built::kCorvanelFile, {"consume", "--company", dairy.Dir(), "--counter", "1", "--yes", "--again"});
    QList<int> statuses;
    QString said;
    for (QProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        statuses << p->exitCode();
        said += QString::fromUtf8(p->readAllStandardError());
    }
    // The second to write found the milk of the first gone: it was left out, not drawn
    // again, and with it the last row to draw, so that no document was written.
    std::sort(statuses.begin(), statuses.end());
    EXPECT_EQ(statuses, (QList<int>{0, 3})) << said.toStdString();
    EXPECT_TRUE(said.contains("Nu exista niciun material de consumat: documentul de iesire nu a fost generat.\n"))
        << said.toStdString();
    const QString dir = dairy.Dir();
    EXPECT_EQ(testsupport::RawColumn(dir, "SELECT group_concat(Contor) FROM (SELECT Contor FROM Doc_out ORDER BY Contor)"),
              QVariantList{"5.0"});
    EXPECT_EQ(testsupport::RawColumn(dir, "SELECT SUM(Cantitate) FROM Item_out WHERE Cod_articol = '.LAPTE'"),
              QVariantList{810.0});
    EXPECT_EQ(testsupport::RawColumn(dir, "SELECT SUM(Cantitate) FROM Stoc WHERE Cod_gestiune = '_FRG' AND Cod_articol = '.LAPTE'"),
              QVariantList{690.0});
}
