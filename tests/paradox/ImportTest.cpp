// A directory of Paradox tables imported into a new company, on the engine under test:
// whole, or nothing at all.
#include "ChildProcess.h"
#include "DbFixture.h"
#include "Engine.h"
#include "ParadoxWriter.h"
#include "TempDir.h"
#include "paradox/ParadoxImport.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>

using namespace paradox;
using namespace paradoxtest;
using testsupport::RawTexts;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kSettings = "[Firma]\r\nNume=Lactate \xE3\r\n";

// A small company as the old program kept it: names in whatever case, an index file and a
// table of its own beside the company's, a field the company has no place for.
void MakeSource(const QString& dir, int stockRows = 3)
{
    ASSERT_TRUE(WriteTable(QDir(dir).filePath(QStringLiteral("catalog.db")),
                           {{Alpha("GRUPA", 8), Alpha("cod", 30), Alpha("Denumire", 255), Number("CantReteta"),
                             Memo("Descriere", 20), Number("Stock_minim"), Alpha("Vechi", 5)},
                            {{QByteArray("LAP"), QByteArray("L1"), QByteArray("Lapte de vac\xE3"), 1.0,
                              QByteArray("Lapte crud, 3.5% gr\xE3sime, colectat dimineata de la ferme"), 10.0, QByteArray("x")},
                             {QByteArray("BRA"), QByteArray("B1"), QByteArray("Br\xE2nz\xE3"), QVariant(), QVariant(), 0.0,
                              QVariant()}},
                            1250}));
    TFixtureTable stoc{{Number("Cantitate"), Alpha("Cod_articol", 30), Alpha("Cod_grupa", 8), Alpha("Cod_gestiune", 4),
                     Number("Pret_achizitie"), Alpha("Lot", 30), Date("Data_intrare")},
                    {},
                    1250};
    for (int i = 0; i < stockRows; ++i)
        stoc.Rows.push_back({100.0 + i, QByteArray("L1"), QByteArray("LAP"), QByteArray("01"), 1.25,
                             QByteArray("LOT") + QByteArray::number(i), QDate(2024, 1, 1).addDays(i)});
    ASSERT_TRUE(WriteTable(QDir(dir).filePath(QStringLiteral("STOC.DB")), stoc));
    ASSERT_TRUE(WriteTable(QDir(dir).filePath(QStringLiteral("Salarii.DB")), {{Alpha("Nume", 10)}, {}, 1250}));
    WriteFile(QDir(dir).filePath(QStringLiteral("krbdef.ini")), kSettings);
    WriteFile(QDir(dir).filePath(QStringLiteral("CATALOG.PX")), QByteArray(2048, '\0'));
}

// What the target holds: its tables, and whether anything at all was written there.
QStringList Tables(const QString& dir)
{
    if (!fw::Connection::HasDatabase(dir))
        return {};
    return fw::Connection::Open(dir)->TableNames();
}

QStringList Problems(const std::function<void()>& import)
{
    try {
        import();
    } catch (const EImportRefused& e) {
        return e.Problems();
    }
    ADD_FAILURE() << "the import was not refused";
    return {};
}

// Why the directories given were refused; empty when they were not.
QString DirectoryRefusal(const QString& from, const QString& to)
{
    try {
        ImportParadoxCompany(from, to);
    } catch (const EImportDirectoryRefused& e) {
        return e.Message();
    }
    return {};
}

// Every value the engine under test stores in `column` of `table` one more than it was given.
void AddOneOnInsert(const QString& dir, const QString& table, const QString& column)
{
    auto conn = fw::Connection::Open(dir);
    const QString stored = conn->StoredTableName(table);
    QString name;
    for (const fw::ColumnInfo& c : conn->Columns(stored))
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            name = conn->Quote(c.name);
    ASSERT_FALSE(name.isEmpty());
    if (conn->Engine() == fw::TEngine::SQLite) {
        conn->Exec(QStringLiteral("CREATE TRIGGER add_one AFTER INSERT ON %1 BEGIN UPDATE %1 SET %2 = %2 + 1 WHERE rowid = "
                                  "NEW.rowid; END")
                       .arg(conn->Quote(stored), name));
        return;
    }
    conn->Exec(QStringLiteral("CREATE FUNCTION add_one() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN NEW.%1 := NEW.%1 + 1; "
                              "RETURN NEW; END$$")
                   .arg(name));
    conn->Exec(QStringLiteral("CREATE TRIGGER add_one BEFORE INSERT ON %1 FOR EACH ROW EXECUTE PROCEDURE add_one()")
                   .arg(conn->Quote(stored)));
}

} // namespace

TEST(ParadoxImport, BringsTheCompanyOverWithItsSettingsFile)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    MakeSource(source.Path());

    std::vector<TImportProgress> heard;
    const TImportReport report = ImportParadoxCompany(source.Path(), target.Path(), {}, [&](const TImportProgress& p) {
        heard.push_back(p);
        return true;
    });

    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT Grupa, Cod, Denumire, CantReteta, Descriere, "
                                                      "Stock_minim FROM CATALOG ORDER BY Cod"),
                       QStringLiteral("|")),
              (QStringList{QStringLiteral("BRA|B1|Brânză|NULL|NULL|0.0"),
                           QStringLiteral("LAP|L1|Lapte de vacă|1.0|Lapte crud, 3.5% grăsime, colectat dimineata de la "
                                          "ferme|10.0")}));
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*), sum(Cantitate), min(Data_intrare), "
                                                      "max(Lot) FROM Stoc"),
                       QStringLiteral("|")),
              QStringList{QStringLiteral("3|303.0|2024-01-01|LOT2")});
    // Every company table is there (the host's 14, the add-on's 3), the ones without a file empty.
    EXPECT_EQ(Tables(target.Path()).size(), 17);
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*) FROM Doc_in")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(ReadFile(QDir(target.Path()).filePath(QStringLiteral("KRBDEF.INI"))), kSettings);
    EXPECT_TRUE(report.SettingsCopied);

    const QString notes = report.Notes.join(QLatin1Char('\n'));
    EXPECT_TRUE(notes.contains(QStringLiteral("Salarii.DB nu este o tabela a firmei"))) << notes.toStdString();
    EXPECT_TRUE(notes.contains(QStringLiteral("catalog.db: campul Vechi nu exista"))) << notes.toStdString();
    EXPECT_FALSE(notes.contains(QStringLiteral("CATALOG.PX"))) << notes.toStdString();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().Rows, 5);
    EXPECT_EQ(heard.back().Done, 5);
}

// The company is written through a rollback journal and unmapped; afterwards the file
// keeps its log (so that one user writing does not stop the others reading) and a
// connection held meanwhile, as the pool shares it, reads through the mapping again.
TEST(ParadoxImport, TheCompanyIsLeftWithItsLogAndMappedFile)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    const auto held = fw::Connection::Open(target.Path(), fw::TOpenMode::CreateMissing);
    if (held->Engine() != fw::TEngine::SQLite)
        GTEST_SKIP() << "the log and the mapping are SQLite's";
    MakeSource(source.Path());
    // The mapping the connection is given when it opens, whatever size that is.
    const QStringList mapped = RawTexts(target.Path(), QStringLiteral("PRAGMA mmap_size"));
    ASSERT_NE(mapped, QStringList{QStringLiteral("0")});

    ImportParadoxCompany(source.Path(), target.Path());
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("PRAGMA journal_mode")) + RawTexts(target.Path(), QStringLiteral("PRAGMA mmap_size")),
              QStringList{QStringLiteral("wal")} + mapped);
}

TEST(ParadoxImport, RefusesValuesItCannotKeepAndWritesNothing)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    MakeSource(source.Path());
    const QString catalog = QDir(source.Path()).filePath(QStringLiteral("catalog.db"));
    // 31 characters where the company keeps 30; a byte CP1250 has no character for.
    ASSERT_TRUE(WriteTable(catalog, {{Alpha("Grupa", 8), Alpha("Cod", 40)},
                                     {{QByteArray("A"), QByteArray(30, 'c')},
                                      {QByteArray("A"), QByteArray(31, 'c')},
                                      {QByteArray("A"), QByteArray("\x98")}},
                                     1250}));

    const QStringList problems = Problems([&] { ImportParadoxCompany(source.Path(), target.Path()); });
    ASSERT_EQ(problems.size(), 2) << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(problems[0], QStringLiteral("catalog.db, inregistrarea 2, campul Cod: textul are 31 caractere, campul tine "
                                          "cel mult 30."));
    EXPECT_TRUE(problems[1].startsWith(QStringLiteral("catalog.db, inregistrarea 3, campul Cod: octetul 0x98")));
    EXPECT_TRUE(Tables(target.Path()).isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(target.Path()).filePath(QStringLiteral("KRBDEF.INI"))));
}

TEST(ParadoxImport, RefusesUnreadableFilesBeforeWritingAndAStopLeavesNothing)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    MakeSource(source.Path(), 10000);
    const QString catalogMemo = QDir(source.Path()).filePath(QStringLiteral("catalog.mb"));
    QFile::rename(QDir(source.Path()).filePath(QStringLiteral("catalog.MB")), catalogMemo + QStringLiteral(".x"));
    const QStringList problems = Problems([&] { ImportParadoxCompany(source.Path(), target.Path()); });
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith(QStringLiteral("Fisierul catalog.db nu poate fi citit: "))) << problems[0].toStdString();
    EXPECT_TRUE(Tables(target.Path()).isEmpty());
    QFile::rename(catalogMemo + QStringLiteral(".x"), catalogMemo);

    // Stopped in the middle of the stock: the tables made before it go too.
    int reports = 0;
    EXPECT_THROW(ImportParadoxCompany(source.Path(), target.Path(), {},
                                      [&](const TImportProgress& p) { return !(p.Table == QStringLiteral("Stoc.DB") && p.TableDone > 4000 && ++reports); }),
                 EImportStopped);
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(Tables(target.Path()).isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(target.Path()).filePath(QStringLiteral("KRBDEF.INI"))));

    // And then it goes through.
    ImportParadoxCompany(source.Path(), target.Path());
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*) FROM Stoc")), QStringList{QStringLiteral("10000")});
}

TEST(ParadoxImport, TakesTheCodePageGivenForTablesThatNameNone)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("Gest.db")),
                           {{Alpha("Cod", 4), Alpha("Denumire", 30)}, {{QByteArray("01"), QByteArray("Depozit \x8C")}}, 0}));
    const QStringList problems = Problems([&] { ImportParadoxCompany(source.Path(), target.Path()); });
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("--codepage"))) << problems[0].toStdString();

    ImportParadoxCompany(source.Path(), target.Path(), {852});
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT Denumire FROM Gest")), QStringList{QStringLiteral("Depozit î")});
}

TEST(ParadoxImport, TwoRowsWithOneKeyAreNamedAndNothingIsWritten)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("GEST.DB")),
                           {{Alpha("Cod", 4), Alpha("Denumire", 30)},
                            {{QByteArray("01"), QByteArray("A")}, {QByteArray("02"), QByteArray("B")}, {QByteArray("01"), QByteArray("C")}},
                            1250}));
    const QStringList problems = Problems([&] { ImportParadoxCompany(source.Path(), target.Path()); });
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems[0], QStringLiteral("GEST.DB: inregistrarile 1 si 3 au aceeasi cheie Cod (01)."));
    EXPECT_TRUE(Tables(target.Path()).isEmpty());
}

// What the engine stored otherwise than it was read is found by the check after writing,
// and nothing is kept.
TEST(ParadoxImport, WhatIsStoredOtherwiseThanReadIsNotKept)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    MakeSource(source.Path());
    bool changed = false;
    QString message;
    try {
        ImportParadoxCompany(source.Path(), target.Path(), {}, [&](const TImportProgress& p) {
            // The table is made and empty: its rows go in next.
            if (p.Table == QStringLiteral("Stoc.DB") && p.TableDone == 0 && !changed) {
                AddOneOnInsert(target.Path(), QStringLiteral("Stoc"), QStringLiteral("Cantitate"));
                changed = true;
            }
            return true;
        });
    } catch (const fw::EDatabaseError& e) {
        message = e.Message();
    }
    ASSERT_TRUE(changed);
    // 100 + 101 + 102 read; each stored one more.
    EXPECT_TRUE(message.contains(QStringLiteral("nu a fost scrisa intocmai"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("303 citit, 306 scris"))) << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("nu a fost importat nimic."))) << message.toStdString();
    EXPECT_TRUE(Tables(target.Path()).isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(target.Path()).filePath(QStringLiteral("KRBDEF.INI"))));
    EXPECT_FALSE(QFile::exists(QDir(target.Path()).filePath(QStringLiteral("KRBDEF.INI.import"))));
}

// nothing of a company in the source, "/" too: refused before anything is made.
TEST(ParadoxImport, ASourceWithoutTheCompanysTablesIsRefusedBeforeAnythingIsMade)
{
    testsupport::TempDir empty, work;
    ASSERT_TRUE(WriteTable(QDir(empty.Path()).filePath(QStringLiteral("Salarii.DB")), {{Alpha("Nume", 10)}, {}, 1250}));
    const QString target = work.File(QStringLiteral("firma"));
    for (const QString& from : {empty.Path(), QStringLiteral("/")}) {
        const QString why = DirectoryRefusal(from, target);
        EXPECT_TRUE(why.startsWith(QStringLiteral("Directorul <%1> nu contine nicio tabela Paradox a firmei").arg(from)))
            << why.toStdString();
        EXPECT_TRUE(why.contains(QStringLiteral("CATALOG.DB, Gest.db"))) << why.toStdString();
        EXPECT_TRUE(why.contains(QStringLiteral("Genealogie.DB, Stornari.DB"))) << why.toStdString();
        EXPECT_FALSE(QFileInfo::exists(target));
    }
}

// the add-on's own tables come over with the others.
TEST(ParadoxImport, TheAddOnsGenealogyAndReversalsComeOver)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("GENEALOGIE.DB")),
                           {{Number("Contor_out"), Number("Cantitate"), Alpha("Lot", 30)},
                            {{5.0, 2.5, QByteArray("L1")}, {5.0, 1.5, QByteArray("L2")}},
                            1250}));
    ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("stornari.db")),
                           {{Number("Contor_out"), Number("Contor_stornare"), Date("Data")}, {{5.0, 6.0, QDate(2026, 11, 3)}}, 1250}));
    const TImportReport report = ImportParadoxCompany(source.Path(), target.Path());
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*), sum(Cantitate), max(Lot) FROM Genealogie"),
                       QStringLiteral("|")),
              QStringList{QStringLiteral("2|4.0|L2")});
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT Contor_out, Contor_stornare, Data FROM Stornari"),
                       QStringLiteral("|")),
              QStringList{QStringLiteral("5.0|6.0|2026-11-03")});
    EXPECT_FALSE(report.Notes.join(QLatin1Char('\n')).contains(QStringLiteral("nu este o tabela a firmei")));
}

// 1e308 twice sums past the largest double (1.8e308), which a server refuses
// to sum: the value is named with its file, row and field before anything is written.
TEST(ParadoxImport, NumbersWhoseSumPassesTheLargestDoubleAreNamed)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("STOC.DB")),
                           {{Number("Cantitate"), Alpha("Cod_articol", 30)},
                            {{1e308, QByteArray("A")}, {1e308, QByteArray("B")}, {1.0, QByteArray("C")}},
                            1250}));
    const QStringList problems = Problems([&] { ImportParadoxCompany(source.Path(), target.Path()); });
    ASSERT_EQ(problems.size(), 1) << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(problems[0].startsWith(QStringLiteral("STOC.DB, inregistrarea 2, campul Cantitate: cu valoarea 1e+308, suma")))
        << problems[0].toStdString();
    EXPECT_TRUE(Tables(target.Path()).isEmpty());
}

// the target must be new or empty; a refused import takes away every
// folder of a new path.
TEST(ParadoxImport, TheTargetIsNewOrEmptyAndARefusalTakesAwayEveryFolderItMade)
{
    testsupport::TempDir source, work;
    MakeSource(source.Path());
    const QString taken = work.SubDir(QStringLiteral("luat"));
    WriteFile(QDir(taken).filePath(QStringLiteral("nota.txt")), "x");
    const QString why = DirectoryRefusal(source.Path(), taken);
    EXPECT_TRUE(why.startsWith(QStringLiteral("Directorul <%1> nu este gol (contine nota.txt)").arg(taken))) << why.toStdString();
    EXPECT_EQ(QDir(taken).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{QStringLiteral("nota.txt")});

    // Two rows with one key: refused after the folders and the database were made.
    ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("GEST.DB")),
                           {{Alpha("Cod", 4)}, {{QByteArray("01")}, {QByteArray("01")}}, 1250}));
    const QString nested = work.File(QStringLiteral("a/b/c"));
    EXPECT_EQ(Problems([&] { ImportParadoxCompany(source.Path(), nested); }).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(work.File(QStringLiteral("a"))));
}

// In a child process: an import that stops, for its parent to kill it, when everything is
// written and checked and only the commit is left.
TEST(ChildProcess, Role)
{
    if (testsupport::ChildRole() != QLatin1String("import-until-saving"))
        GTEST_SKIP() << "played by a second process that other tests start";
    const QStringList args = testsupport::ChildArguments();
    ImportParadoxCompany(args.value(0), args.value(1), {}, [](const TImportProgress& p) {
        if (p.Saving) {
            testsupport::TellParent(QStringLiteral("saving"));
            testsupport::WaitForParent();
        }
        return true;
    });
}

// killed before its commit, an import leaves no settings file that would
// have every later run refused; killed after it, the next run puts the file in place.
TEST(ParadoxImport, AKillBeforeTheCommitLeavesNoSettingsFileAndTheNextRunGoesThrough)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    MakeSource(source.Path());
    const QString settings = QDir(target.Path()).filePath(QStringLiteral("KRBDEF.INI"));
    {
        testsupport::TChildProcess child(QStringLiteral("import-until-saving"), {source.Path(), target.Path()});
        ASSERT_TRUE(child.WaitFor(QStringLiteral("saving")));
        EXPECT_FALSE(QFile::exists(settings));
    } // killed
    ImportParadoxCompany(source.Path(), target.Path());
    EXPECT_EQ(ReadFile(settings), kSettings);
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*) FROM Stoc")), QStringList{QStringLiteral("3")});

    // As a kill between the commit and the settings file's rename leaves it.
    ASSERT_TRUE(QFile::rename(settings, settings + QStringLiteral(".import")));
    const QString why = DirectoryRefusal(source.Path(), target.Path());
    EXPECT_TRUE(why.contains(QStringLiteral("a fost pus acum la locul lui"))) << why.toStdString();
    EXPECT_EQ(ReadFile(settings), kSettings);
    EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*) FROM Stoc")), QStringList{QStringLiteral("3")});
}

// The rows are read ahead and handed to the writer 2048 at a time: a table of exactly one
// hand-over and one of a row more both come over whole, the last row too.
TEST(ParadoxImport, RowsReadAheadComeOverWholeAtAHandOversBoundary)
{
    // Cantitate i % 10: 204 rounds of 0..9 (45 each) are 9180, then 0 + 1 + ... + 7 for
    // rows 2040-2047 (28) and 8 for row 2048.
    const std::pair<int, QString> cases[] = {{2048, QStringLiteral("2048|9208.0|2048")},
                                             {2049, QStringLiteral("2049|9216.0|2049")}};
    for (const auto& [rows, expected] : cases) {
        SCOPED_TRACE(rows);
        testsupport::TempDir source;
        testsupport::DatabaseDir target;
        ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("STOC.DB")),
                               {Number("Cantitate"), Alpha("Lot", 30)}, 1250, rows, [](qint64 i) {
                                   return TRow{double(i % 10), QByteArray("LOT") + QByteArray::number(i)};
                               }));
        qint64 lastDone = 0;
        const TImportReport report = ImportParadoxCompany(source.Path(), target.Path(), {}, [&](const TImportProgress& p) {
            lastDone = p.Done;
            return true;
        });
        EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*), sum(Cantitate), count(DISTINCT Lot) FROM Stoc"),
                           QStringLiteral("|")),
                  QStringList{expected});
        EXPECT_EQ(RawTexts(target.Path(), QStringLiteral("SELECT count(*) FROM Stoc WHERE Lot = 'LOT%1'").arg(rows - 1)),
                  QStringList{QStringLiteral("1")});
        EXPECT_EQ(lastDone, rows);
        const auto stoc = std::find_if(report.Tables.begin(), report.Tables.end(),
                                       [](const TImportedTable& t) { return t.Name == QStringLiteral("Stoc.DB"); });
        ASSERT_NE(stoc, report.Tables.end());
        EXPECT_EQ(stoc->Rows, rows);
    }
}

// A key the engine refuses in the first rows written, while the rows after them are still
// being read: the reading stops, the rows are named, nothing is kept.
TEST(ParadoxImport, AKeyRefusedWhileRowsAreStillReadStopsTheReading)
{
    testsupport::TempDir source;
    testsupport::DatabaseDir target;
    ASSERT_TRUE(WriteTable(QDir(source.Path()).filePath(QStringLiteral("GEST.DB")), {Alpha("Cod", 4), Alpha("Denumire", 30)},
                           1250, 9000, [](qint64 i) {
                               return TRow{QByteArray::number(std::max<qint64>(i - 1, 0)).rightJustified(4, '0'),
                                           QByteArray("Depozit")};
                           }));
    const QStringList problems = Problems([&] { ImportParadoxCompany(source.Path(), target.Path()); });
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems[0], QStringLiteral("GEST.DB: inregistrarile 1 si 2 au aceeasi cheie Cod (0000)."));
    EXPECT_TRUE(Tables(target.Path()).isEmpty());
}
