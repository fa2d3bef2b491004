// "import-paradox": a company written out as Paradox tables and brought back in gives the
// same requirement and traceability as the company it was written from.
#include "CliFixture.h"
#include "ParadoxWriter.h"
#include "platform/db/Connection.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

extern "C" {
#include <paradox.h>
}

using namespace clitest;

namespace {

// Every table of a company as the old program would have kept it (names in capitals).
void WriteAsParadox(const QString& company, const QString& to)
{
    std::vector<const fw::TTableLayout*> layouts;
    for (const fw::TTableLayout& t : fw::HostTables())
        layouts.push_back(&t);
    layouts.push_back(&fw::RecipeTable());
    for (const fw::TTableLayout* layout : layouts) {
        paradoxtest::TFixtureTable table;
        QStringList names;
        for (const fw::TFieldDef& f : layout->Fields) {
            const QByteArray name = f.Name.toLatin1();
            switch (f.DataType) {
            case fw::TFieldType::String: table.Fields.push_back({name, pxfAlpha, f.Size}); break;
            case fw::TFieldType::Date: table.Fields.push_back({name, pxfDate, 4}); break;
            case fw::TFieldType::Boolean: table.Fields.push_back({name, pxfLogical, 1}); break;
            default: table.Fields.push_back({name, pxfNumber, 8});
            }
            names << QStringLiteral("\"%1\"").arg(f.Name);
        }
        QString sqlName = layout->Name;
        sqlName.chop(3);
        for (const QVariantList& stored : testsupport::RawRows(company, "SELECT " + names.join(", ") + " FROM " + sqlName)) {
            paradoxtest::TRow row;
            for (size_t i = 0; i < layout->Fields.size(); ++i) {
                const fw::TFieldType type = layout->Fields[i].DataType;
                const QVariant v = fw::FromSqlValue(type, stored.at(qsizetype(i)));
                row.push_back(v.isNull() ? QVariant() : type == fw::TFieldType::String ? QVariant(v.toString().toLatin1()) : v);
            }
            table.Rows.push_back(row);
        }
        ASSERT_TRUE(paradoxtest::WriteTable(QDir(to).filePath(layout->Name.toUpper()), table)) << layout->Name.toStdString();
    }
}

QStringList Lines(const TRun& run) { return run.Out.split('\n', Qt::SkipEmptyParts); }

} // namespace

TEST(ImportParadoxCli, TheImportedCompanyGivesTheSameRequirementAndTraceability)
{
    TDairy dairy;
    dairy.c.WriteSettingsFile("[Productie]\r\nIndGest=_\r\n");
    testsupport::TempDir old, work;
    WriteAsParadox(dairy.Dir(), old.Path());
    QFile::copy(QDir(dairy.Dir()).filePath("KRBDEF.INI"), old.File("KRBDEF.INI"));
    const QString imported = work.File("firma");

    const TRun run = Corvanel({"import-paradox", "--from", old.Path(), "--to", imported});
    ASSERT_EQ(run.Status, 0) << Said(run);
    EXPECT_TRUE(run.Out.contains("Stoc.DB: 5 inregistrari din STOC.DB")) << Said(run);

    for (const QString& dir : {dairy.Dir(), imported})
        ASSERT_EQ(Corvanel({"consume", "--company", dir, "--counter", "1", "--yes"}).Status, 0);
    const auto requirement = [](const QString& dir) {
        return Lines(Corvanel({"requirement", "--company", dir, "--counter", "1", "--csv"}));
    };
    const auto trace = [](const QString& dir) {
        return Lines(Corvanel({"trace", "--company", dir, "--from", "2026-11-01", "--to", "2026-11-30", "--csv"}));
    };
    EXPECT_EQ(requirement(imported), requirement(dairy.Dir()));
    EXPECT_EQ(trace(imported).size(), 3);
    EXPECT_EQ(trace(imported), trace(dairy.Dir()));
}

TEST(ImportParadoxCli, ARefusalNamesTheFileRowAndFieldAndLeavesNoCompany)
{
    testsupport::TempDir old, work;
    ASSERT_TRUE(paradoxtest::WriteTable(old.File("GEST.DB"), {{paradoxtest::Alpha("Cod", 10)},
                                                             {{QByteArray("01")}, {QByteArray("PRELUNG")}},
                                                             1250}));
    const QString target = work.File("firma");
    // A problem in the source's files: a file error, nothing written (status 2).
    const TRun run = Corvanel({"import-paradox", "--from", old.Path(), "--to", target});
    EXPECT_EQ(run.Status, 2) << Said(run);
    EXPECT_TRUE(run.Err.contains("GEST.DB, inregistrarea 2, campul Cod: textul are 7 caractere, campul tine cel mult 4."))
        << Said(run);
    EXPECT_FALSE(QFileInfo::exists(target));
    // Directories that cannot serve, as arguments that cannot: status 3, nothing made.
    EXPECT_EQ(Corvanel({"import-paradox", "--from", old.Path(), "--to", target, "--codepage", "x"}).Status, 3);
    testsupport::TempDir empty;
    const TRun none = Corvanel({"import-paradox", "--from", empty.Path(), "--to", target});
    EXPECT_EQ(none.Status, 3) << Said(none);
    EXPECT_TRUE(none.Err.contains("nu contine nicio tabela Paradox a firmei")) << Said(none);
    EXPECT_FALSE(QFileInfo::exists(target));
}
