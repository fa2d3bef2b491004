// A directory of Paradox tables imported into a new company, on the engine under test:
// whole, or nothing at all.
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
    // Every company table is there, the ones without a file empty.
    EXPECT_EQ(Tables(target.Path()).size(), 15);
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
