// "trace", "index-prices" and "demo" against the report, the price update and the demo
// as the add-on and the host make them; the tool needs no display for any of them.
#include "BuiltFiles.h"
#include "catalog/PriceIndexing.h"
#include "CliFixture.h"
#include "data/Messages.h"
#include "dialogs/CodeList.h"
#include "host/Company.h"
#include "platform/config/FileLock.h"
#include "platform/db/Database.h"
#include "platform/report/PageModel.h"
#include "platform/schema/CompanyTables.h"
#include "reports/PrintSettings.h"
#include "reports/TraceabilityReport.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

const QString kQuoted = QStringLiteral("P\"F;"); // a warehouse code (4 wide) the CSV must quote

// The traceability report of a company as the add-on's command makes it, in this process.
fw::TReportDocument Report(const QString& dir, const QDate& from, const QDate& to, const QStringList& warehouses)
{
    TInProcess work(dir);
    corvanel::PresetTraceabilityPrintSettings(corvanel::PrintSettingsOf(work.context));
    fw::TSession::AddAlias("TVELDA", dir);
    const auto form = corvanel::OpenTraceabilityReport(work.context, nullptr, fw::DateToDateTime(from),
                                                       fw::DateToDateTime(to), corvanel::JoinCodeList(warehouses), QString());
    return form ? form->Report->Generate() : fw::TReportDocument();
}

} // namespace

TEST(TraceCli, CsvAndPdfOfTheReportWithoutADisplay)
{
    TDairy dairy(kQuoted);
    ASSERT_EQ(Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes"}).Status, 0);
    const QStringList period{"--company", dairy.Dir(), "--from", "2026-11-01", "--to", "2026-11-30"};

    const TRun csv = Corvanel(QStringList{"trace"} + period + QStringList{"--warehouses", kQuoted, "--csv"});
    EXPECT_EQ(csv.Status, 0) << Said(csv);
    EXPECT_EQ(csv.Out,
              "Data_inregistrarii;Numar;Furnizor;Nume_furnizor;Cod_gestiune;Cod_grupa;Cod_articol;Denumire;Lot;"
              "Unitate_masura;Cantitate;MP_Cod_grupa;MP_Cod_articol;MP_Denumire;MP_Lot;MP_Unitate_masura;MP_Cantitate;"
              "MP_Cod_gestiune\n"
              "2026-11-03;1001;PROD;Sectia de productie;\"P\"\"F;\";02;BRANZA;Branza;L-02;kg;100;01;.LAPTE;Lapte crud;"
              "LC-1;kg;810;_FRG\n"
              "2026-11-03;1001;PROD;Sectia de productie;\"P\"\"F;\";02;IAURT;Iaurt;L-01;kg;2000;01;.LAPTE;Lapte crud;"
              "LC-1;kg;810;_FRG\n");

    // The PDF is the report the add-on makes, page for page.
    const QString pdf = dairy.c.PrivateDir() + "/trasabilitate.pdf";
    const TRun printed = Corvanel(QStringList{"trace"} + period + QStringList{"--pdf", pdf});
    EXPECT_EQ(printed.Status, 0) << Said(printed);
    const fw::TReportDocument report = Report(dairy.Dir(), {2026, 11, 1}, {2026, 11, 30}, {});
    const QStringList pages = PdfText(pdf).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), report.PageCount());
    EXPECT_TRUE(pages.first().contains("Materii prime utilizate:")) << pages.first().toStdString();
    EXPECT_TRUE(pages.first().contains("LC-1")) << pages.first().toStdString();
    // The period with four-digit years, in the locale's own separator.
    EXPECT_TRUE(pages.first().contains(QRegularExpression("perioada 01\\D11\\D2026"))) << pages.first().toStdString();

    // Refusals, status 3 and nothing written: a period backwards naming which date is which, a
    // period with nothing to report (PDF and CSV alike), a code the company does not have, no
    // output chosen.
    QFile::remove(pdf);
    const struct {
        QStringList args;
        QString said;
    } refused[] = {
        {{"trace", "--company", dairy.Dir(), "--from", "2026-11-30", "--to", "2026-11-01", "--csv"},
         "Inceputul (--from 30.11.2026) este dupa sfirsitul (--to 01.11.2026)."},
        {{"trace", "--company", dairy.Dir(), "--from", "2025-01-01", "--to", "2025-01-31", "--pdf", pdf}, "nicio pagina"},
        {{"trace", "--company", dairy.Dir(), "--from", "2025-01-01", "--to", "2025-01-31", "--csv"}, "Nu exista receptii"},
        {period + QStringList{"--warehouses", kQuoted + ",PF", "--csv"}, "Codul \"PF\" din --warehouses nu exista in firma."},
        {period + QStringList{"--suppliers", "PROD,prod", "--pdf", pdf}, "Codul \"prod\" din --suppliers nu exista in firma."},
        {period, "Alegeti una dintre optiunile --pdf FISIER si --csv."},
        {{"trace", "--company", dairy.Dir(), "--from", "2026-11-31", "--to", "2026-12-01", "--csv"},
         "'2026-11-31' nu este o data valida pentru --from"},
        // Qt reads a date with any mark between its parts (found by fuzz/CommandLineFuzzer.cpp).
        {{"trace", "--company", dairy.Dir(), "--from", "2026-01.01", "--to", "2026-12-01", "--csv"},
         "'2026-01.01' nu este o data valida pentru --from"},
    };
    for (const auto& r : refused) {
        const TRun run = Corvanel(r.args.first() == "trace" ? r.args : QStringList{"trace"} + r.args);
        EXPECT_EQ(run.Status, 3) << Said(run);
        EXPECT_TRUE(run.Err.contains(r.said)) << Said(run);
        EXPECT_EQ(run.Out, "") << Said(run);
    }
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(IndexPricesCli, ChangesTheGroupAsTheLookupDoesAllOrNothing)
{
    const auto priced = [](TDairy& d) {
        d.c.Add(fw::CatalogDB, {{"01", ".APA", "Apa", QVariant(), QString(), "l", QVariant(), "RON"}});
    };
    const QStringList catalog{"CATALOG"};
    QStringList byTool, byAddOn;
    {
        TDairy dairy;
        priced(dairy);
        const TRun run = Corvanel({"index-prices", "--company", dairy.Dir(), "--group", "01", "--percent=-12.5"});
        EXPECT_EQ(run.Status, 0) << Said(run);
        EXPECT_EQ(run.Err, "Informatie: " + corvanel::msg::PricesIndexed("01") + "\n");
        byTool = Dump(dairy.Dir(), catalog);
        // Refused before anything is written.
        const std::vector<std::pair<QStringList, QString>> refusals{
            {{"--group", "01", "--percent", "-100.01"}, "mai mic de -100% !"},
            {{"--group", "01", "--percent", "1e308"}, "mai mare de 999999999.99% !"},
            {{"--group", "09", "--percent", "5"}, "Grupa \"09\" nu are articole"}};
        for (const auto& [args, said] : refusals) {
            const TRun refused = Corvanel(QStringList{"index-prices", "--company", dairy.Dir()} + args);
            EXPECT_EQ(refused.Status, 3) << Said(refused);
            EXPECT_TRUE(refused.Err.contains(said)) << Said(refused);
        }
        EXPECT_EQ(Dump(dairy.Dir(), catalog), byTool);
    }
    {
        // A price that would not fit a number: refused whole, with the refusal status.
        TDairy dairy;
        dairy.c.Add(fw::CatalogDB, {{"01", ".SARE", "Sare", QVariant(), QString(), "kg", 1e302, "RON"}});
        const QStringList before = Dump(dairy.Dir(), catalog);
        const TRun run = Corvanel({"index-prices", "--company", dairy.Dir(), "--group", "01", "--percent", "999999999.99"});
        EXPECT_EQ(run.Status, 3) << Said(run);
        EXPECT_EQ(run.Err, "Atentie: " + corvanel::msg::PricesOutOfRange("01") + "\n");
        EXPECT_EQ(Dump(dairy.Dir(), catalog), before);
    }
    {
        TDairy dairy;
        priced(dairy);
        TInProcess work(dairy.Dir());
        const std::unique_ptr<fw::TQuery> update(corvanel::NewIndexPricesQuery(work.context.Session(), nullptr));
        EXPECT_EQ(corvanel::UpdateGroupPrices(*update, "01", 0.875), 3);
        byAddOn = Dump(dairy.Dir(), catalog);
    }
    EXPECT_EQ(byTool, byAddOn);
}

TEST(DemoCli, TheDemosReportShowsRawMaterialsForEveryReceiptButTheLatest)
{
    testsupport::TempDir temp;
    const QString dir = temp.SubDir("demo");
    const TRun made = Corvanel({"demo", dir});
    ASSERT_EQ(made.Status, 0) << Said(made);

    const QDate today = QDate::currentDate();
    const fw::TReportDocument report = Report(dir, today.addDays(-70), today, {"PF"});
    QStringList withoutMaterials;
    for (int p = 0; p < report.PageCount(); ++p) {
        const auto lot = report.Pages[size_t(p)].TextsNamed("LotCaption");
        ASSERT_EQ(lot.size(), 1u);
        const auto materials = report.Pages[size_t(p)].TextsNamed("MPLot");
        if (materials.empty())
            withoutMaterials << lot.front()->Text;
        for (const fw::TPageText* m : materials)
            EXPECT_FALSE(m->Text.isEmpty()) << lot.front()->Text.toStdString();
    }
    EXPECT_EQ(report.PageCount(), 16);
    const QString latest = "LOT: L" + today.addDays(-4).toString("yyMMdd");
    withoutMaterials.sort();
    EXPECT_EQ(withoutMaterials, (QStringList{latest + "-01", latest + "-02"}));

    // Held by a program that has it open, it is not made again.
    const QStringList before = Dump(dir, Written);
    {
        const auto hold = pelmaris::HoldCompany(dir);
        const TRun again = Corvanel({"demo", dir});
        EXPECT_EQ(again.Status, 4) << Said(again);
        EXPECT_TRUE(again.Err.contains("este deschisa in alt program")) << Said(again);
    }
    EXPECT_EQ(Dump(dir, Written), before);

    // A directory that holds anything but the demo is never wiped: another company, files,
    // or the demo with a file beside it.
    TDairy other;
    QFile kept(temp.SubDir("files") + "/scrisoare.txt");
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.close();
    QFile beside(dir + "/trasabilitate.pdf");
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    const std::pair<QString, QString> taken[] = {
        {other.Dir(), "tables.sqlite"}, {temp.File("files"), "scrisoare.txt"}, {dir, "trasabilitate.pdf"}};
    for (const auto& [where, named] : taken) {
        const TRun refused = Corvanel({"demo", where});
        EXPECT_EQ(refused.Status, 3) << Said(refused);
        EXPECT_TRUE(refused.Err.contains("contine si altceva decat firma demonstrativa: " + named + ".")) << Said(refused);
    }
    EXPECT_TRUE(kept.exists());
    EXPECT_TRUE(beside.exists());
    EXPECT_EQ(Dump(dir, Written), before);
    EXPECT_EQ(testsupport::RawColumn(other.Dir(), "SELECT Denumire FROM FIRMDATA"), QVariantList{"Lactate SRL"});
}

TEST(DemoCli, PelmarisMakesTheSameDemo)
{
    testsupport::TempDir data;
    const TRun host = RunProgram(built::kPelmarisFile, {"--demo", "--quit-after", "0"},
                          {"XDG_DATA_HOME=" + data.Path(), "QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(host.Status, 0) << Said(host);
    const QString byHost = data.Path() + "/Vendrako/Pelmaris/demo";
    const QString byTool = data.SubDir("tool");
    ASSERT_EQ(Corvanel({"demo", byTool}).Status, 0);
    QStringList tables;
    for (const QVariant& t : testsupport::RawColumn(byTool, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
        tables << t.toString();
    EXPECT_EQ(Dump(byHost, tables), Dump(byTool, tables));
    EXPECT_EQ(testsupport::RawColumn(byHost, "SELECT COUNT(*) FROM Doc_out WHERE Tip = 'BMC'"), QVariantList{8});
}
