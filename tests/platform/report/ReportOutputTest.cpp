// What reaches files, printers and the preview: PDF text read back, copies and page ranges,
// the preview's navigation and its printing, and a sample page to look at.
#include "ReportTestSupport.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/print/Printer.h"
#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportPreview.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QPrinter>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace fw;
using reporttest::HavePdfToText;
using reporttest::PdfPageCount;
using reporttest::PdfText;

namespace {

// A report shaped like the product's lot report: a page header with the firm and a framed
// heading row, lot / supplier / warehouse / article-group bands, framed details, the raw
// materials of each article group in columns, totals and a page footer.
class TSampleReport {
public:
    TSampleReport()
        : rows({"Lot", "Data", "Furnizor", "Gest", "DenGest", "Grupa", "DenGrupa", "Denumire", "UM", "Cantitate"}),
          firm({"Denumire", "CodFiscal", "Adresa"})
    {
        firm.AddRow({QStringLiteral("SC Lactate Carpatine SRL"), "RO1234567",
                     QStringLiteral("Str. Fabricii nr. 3, Brașov")});
        firm.First();
        const QDate day(2024, 3, 12);
        const QString ferma = QStringLiteral("Ferma Stînga Mureșului");
        const QString vana = QStringLiteral("Vana 1 - smântână");
        rows.AddRow({"L-0312", day, "F01", "V1", vana, "02", QStringLiteral("Brânzeturi"),
                     QStringLiteral("Brânză telemea de vacă"), "kg", 1234.5});
        rows.AddRow({"L-0312", day, "F01", "V1", vana, "02", QStringLiteral("Brânzeturi"),
                     QStringLiteral("Caș proaspăt"), "kg", 310.25});
        rows.AddRow({"L-0312", day, "F01", "V1", vana, "05", QStringLiteral("Ambalaje"),
                     QStringLiteral("Găleată 5 kg"), "buc", 40.0});
        rows.AddRow({"L-0313", day.addDays(1), "F02", "V2", QStringLiteral("Vana 2"), "02",
                     QStringLiteral("Brânzeturi"), QStringLiteral("Urdă"), "kg", 88.0});
        Q_UNUSED(ferma);
        suppliers = {{"F01", ferma}, {"F02", QStringLiteral("Cooperativa Țara Bârsei")}};
        Build();
    }

    TMemoryReportData rows;
    TMemoryReportData firm;
    QMap<QString, QString> suppliers;
    TReport report;
    int lotNumber = 0;
    int generations = 0;
    QString lastArticle;

private:
    QString Field(const char* name) const { return rows.Value(QString::fromLatin1(name)).toString(); }

    TReportLabel* Cell(TReportBand* band, const QString& caption, double left, double top, double width,
                       double height, TReportAlignment alignment = TReportAlignment::Center)
    {
        TReportLabel* label = band->AddLabel(caption, left, top, width);
        label->Height = height;
        label->Frame = TFrameSide::All;
        label->Bold = true;
        label->Alignment = alignment;
        return label;
    }

    void Build()
    {
        report.Title = QStringLiteral("Trasabilitate produse");
        report.SetData(&rows);
        report.FormatSettings = TFormatSettings{};
        report.FontSize = 8;
        report.Margins = QMarginsF(10, 10, 10, 10);
        report.PrintIfEmpty = false;
        report.BeforeGenerate = [this](TReport*) {
            lotNumber = 1;
            ++generations;
        };
        const auto mask = QStringLiteral("#,##0.00");
        const auto finished = [this] { return Field("Grupa") == "02" ? rows.Value("Cantitate").toDouble() : 0.0; };

        // Page header.
        TReportBand* header = report.PageHeader();
        TReportDataText* firmName = header->AddDataText("Denumire", 0, 0, 100, &firm);
        firmName->Bold = true;
        firmName->Name = "firm";
        header->AddLabel("Cod fiscal", 0, 4, 18);
        header->AddDataText("CodFiscal", 18, 4, 60, &firm);
        header->AddLabel("Adresa", 0, 8, 18);
        header->AddDataText("Adresa", 18, 8, 100, &firm);
        TReportSystemData* printed = header->AddSystemData(TSystemDataKind::DateTime, 130, 0);
        printed->Alignment = TReportAlignment::Right;
        printed->Format = "dd.mm.yyyy hh:nn";
        TReportLabel* title = header->AddLabel(QStringLiteral("Trasabilitatea produselor"), 0, 14);
        title->Alignment = TReportAlignment::Center;
        title->FontSize = 16;
        title->Bold = true;
        TReportLabel* period = header->AddLabel(QStringLiteral("în perioada 01/03/2024 - 31/03/2024"), 0, 22);
        period->Alignment = TReportAlignment::Center;
        period->Name = "period";
        const double row = 28;
        Cell(header, "Nr. crt.", 0, row, 15, 7);
        Cell(header, "Data", 15, row, 20, 7);
        Cell(header, "Dirijare produs", 35, row, 90, 7);
        Cell(header, "Lot", 125, row, 30, 7);
        Cell(header, "U.M.", 155, row, 12, 7);
        Cell(header, "Cantitate", 167, row, 23, 7);
        header->Height = row + 9;

        // Lot.
        TReportGroup* lot = report.AddGroup("Lot");
        lot->NewPage = true;
        lot->Header()->Height = 6;
        lot->Header()->Frame = TFrameSide::All;
        TReportLabel* number = lot->Header()->AddLabel("NrCrt:", 1, 1, 13);
        number->Name = "lotNumber";
        number->Bold = true;
        number->BeforePrint = [this](TReportElement*, QString& text, bool&) { text = QString::number(lotNumber++); };
        TReportDataText* date = lot->Header()->AddDataText("Data", 15, 1, 20);
        date->Mask = "dd.mm.yyyy";
        date->Bold = true;
        lot->Header()->AddLabel("LOT:", 37, 1, 10)->Bold = true;
        lot->Header()->AddDataText("Lot", 47, 1, 60)->Bold = true;

        // Supplier.
        TReportGroup* supplier = report.AddGroup("Furnizor");
        supplier->Header()->Height = 6;
        supplier->Header()->Frame = TFrameSide::All;
        TReportDataText* origin = supplier->Header()->AddExpression(
            [this] { return QStringLiteral("Provenienta: ") + suppliers.value(Field("Furnizor")); }, 1, 1, 150);
        origin->Bold = true;
        origin->Name = "supplier";

        // Warehouse.
        TReportGroup* gest = report.AddGroup("Gest");
        gest->Header()->Height = 6;
        gest->Header()->Frame = TFrameSide::All;
        gest->Header()->AddDataText("DenGest", 1, 1, 150)->Bold = true;

        // Article group, between two vertical rules.
        TReportGroup* group = report.AddGroup("Grupa");
        group->Header()->Height = 5;
        group->Header()->Frame = TFrameSide::Left | TFrameSide::Right;
        TReportDataText* groupName = group->Header()->AddDataText("DenGrupa", 36, 0.5, 80);
        groupName->Bold = true;
        groupName->BeforePrint = [](TReportElement*, QString& text, bool&) { text += ":"; };

        // Detail.
        TReportBand* detail = report.Detail();
        detail->Height = 5;
        detail->Frame = TFrameSide::All;
        const auto detailText = [&](const QString& field, double left, double width, TReportAlignment alignment) {
            TReportDataText* text = detail->AddDataText(field, left, 0.5, width);
            text->Alignment = alignment;
            text->Bold = true;
            return text;
        };
        // The page footer names the last article printed, remembered as it prints.
        detailText("Denumire", 36, 88, TReportAlignment::Left)->BeforePrint =
            [this](TReportElement*, QString& text, bool&) { lastArticle = text; };
        detailText("Lot", 126, 28, TReportAlignment::Left);
        detailText("UM", 155, 12, TReportAlignment::Center);
        detailText("Cantitate", 167, 22, TReportAlignment::Right)->Mask = mask;
        for (const double x : {35.0, 125.0, 155.0, 167.0})
            detail->AddShape(TShapeKind::VerticalLine, x, 0, 0, 5)->StretchWithBand = true;

        // Raw materials of the article group, in four columns.
        TReportBand* materials = group->Footer();
        materials->Height = 5;
        materials->Frame = TFrameSide::Left | TFrameSide::Right;
        materials->AddLabel("Materii prime utilizate:", 36, 0.5, 80)->Bold = true;
        TReportMemo* names = materials->AddMemo(40, 4.5, 84);
        TReportMemo* lots = materials->AddMemo(126, 4.5, 28);
        TReportMemo* units = materials->AddMemo(155, 4.5, 12);
        TReportMemo* quantities = materials->AddMemo(167, 4.5, 22);
        lots->Alignment = TReportAlignment::Center;
        units->Alignment = TReportAlignment::Center;
        quantities->Alignment = TReportAlignment::Right;
        names->Name = "materials";
        materials->BeforePrint = [=, this](TReportBand*, bool&) {
            for (TReportMemo* memo : {names, lots, units, quantities})
                memo->Lines.clear();
            if (Field("Grupa") != "02")
                return;
            names->Lines << QStringLiteral("Lapte crud integral") << QStringLiteral("Clorură de calciu")
                         << QStringLiteral("Sare");
            lots->Lines << "LC-0311" << "CC-22" << "S-7";
            units->Lines << "l" << "kg" << "kg";
            quantities->Lines << FloatToStr(9870) << FloatToStr(1.25) << FloatToStr(45.5);
        };

        // Totals.
        const auto total = [&](TReportBand* band, std::function<QVariant()> text, const QString& name) {
            band->Height = 6;
            band->Frame = TFrameSide::All;
            TReportDataText* caption = band->AddExpression(std::move(text), 1, 1, 150);
            caption->Bold = true;
            TReportSum* sum = band->AddSum(finished, mask, 167, 1, 22);
            sum->Alignment = TReportAlignment::Right;
            sum->Bold = true;
            sum->Name = name;
        };
        total(gest->Footer(),
              [this] { return QStringLiteral("Total cantitate de produse finite/vana(sarja) ") + Field("DenGest"); },
              "warehouseTotal");
        total(lot->Footer(), [this] { return QStringLiteral("Total cantitate de produse finite/lot ") + Field("Lot"); },
              "lotTotal");
        total(report.Summary(), [] { return QStringLiteral("Total general cantitate de produse finite obtinute:"); },
              "total");

        // Page footer.
        TReportBand* footer = report.PageFooter();
        footer->Height = 6;
        footer->Frame = TFrameSide::Top;
        footer->AddExpression([this] { return lastArticle; }, 0, 1, 60);
        TReportDataText* sheet =
            footer->AddExpression([this] { return QStringLiteral("Fisa Produsului ") + lastArticle; }, 60, 1, 70);
        sheet->Alignment = TReportAlignment::Center;
        TReportSystemData* page = footer->AddSystemData(TSystemDataKind::PageNumber, 150, 1, 40);
        page->Prefix = "Pagina ";
        page->Alignment = TReportAlignment::Right;
        page->Name = "page";
    }
};

QString LookDir()
{
    const QString fromEnvironment = qEnvironmentVariable("CORVANEL_LOOK_DIR");
    const QString dir = fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../look")
                                                  : fromEnvironment;
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

// Runs the modal dialogs of printing through a test's hands, and restores exec afterwards.
class ScriptedDialogs {
public:
    explicit ScriptedDialogs(TModalRunner runner) { SetPrintModalRunner(std::move(runner)); }
    ~ScriptedDialogs() { SetPrintModalRunner({}); }
};

} // namespace

TEST(ReportOutput, SampleLooksRightInPngAndPdf)
{
    TSampleReport sample;
    const TReportDocument document = sample.report.Generate();
    ASSERT_EQ(document.PageCount(), 2); // one page per lot
    const QString dir = LookDir();
    ASSERT_TRUE(ExportPng(document, 0, dir + "/sample-page1.png", 150));
    ASSERT_TRUE(ExportPng(document, 1, dir + "/sample-page2.png", 150));
    ASSERT_TRUE(ExportPdf(document, dir + "/sample.pdf"));
    const QImage image(dir + "/sample-page1.png");
    EXPECT_EQ(image.size(), QSize(1241, 1754)); // A4 at 150 dpi

    // The preview window as it opens, on the second page.
    TReportPreview preview(&sample.report, document);
    preview.resize(900, 700);
    preview.show();
    preview.LastPage();
    QCoreApplication::processEvents();
    EXPECT_TRUE(preview.grab().save(dir + "/preview.png"));
}

TEST(ReportOutput, PdfTextReadsBackWithDiacriticsAndNumbers)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    TSampleReport sample;
    testsupport::TempDir temp;
    const QString file = temp.File("raport.pdf");
    ASSERT_TRUE(sample.report.ExportPdf(file));

    const QString text = PdfText(file);
    EXPECT_EQ(PdfPageCount(text), 2);
    for (const char* expected :
         {"Trasabilitatea produselor", "în perioada 01/03/2024 - 31/03/2024", "Provenienta: Ferma Stînga Mureșului",
          "Brânză telemea de vacă", "Clorură de calciu", "1,234.50", "1,544.75", "1,632.75", "Cooperativa Țara Bârsei",
          "Fisa Produsului", "Pagina 2", "Brașov"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

TEST(ReportOutput, PrintsTheChosenPagesAndCopies)
{
    TPrinter& printer = Printer();
    if (!printer.IsPdfPrinter())
        GTEST_SKIP() << "this machine has printers installed";
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    struct Case {
        TReportPrinterSettings settings;
        QStringList lotsPrinted; // page by page
    };
    const std::vector<Case> cases = {
        {{1, 0, 0}, {"L-0312", "L-0313"}},
        {{2, 2, 0}, {"L-0313", "L-0313"}},
        {{1, 1, 1}, {"L-0312"}},
        {{3, 0, 1}, {"L-0312", "L-0312", "L-0312"}},
    };
    testsupport::TempDir temp;
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.settings.Copies << " copies of " << c.settings.FirstPage << ".."
                                        << c.settings.LastPage);
        const QString file = temp.File(QStringLiteral("print%1.pdf").arg(++run));
        printer.SetOutputFileName(file);
        TSampleReport sample;
        sample.report.PrinterSettings = c.settings;
        ASSERT_TRUE(sample.report.Print());
        const QStringList pages = PdfText(file).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_EQ(pages.size(), c.lotsPrinted.size());
        for (int i = 0; i < pages.size(); ++i)
            EXPECT_TRUE(pages[i].contains(QRegularExpression("LOT:\\s+" + c.lotsPrinted[i]))) << i;
    }
    // A range beyond the last page prints nothing.
    TSampleReport sample;
    sample.report.PrinterSettings = {1, 3, 4};
    EXPECT_FALSE(sample.report.Print());
    printer.SetOutputFileName(QString());
    printer.Device().setOutputFileName(QString());
}

TEST(ReportOutput, PreviewNavigatesAndPrintsAFreshGeneration)
{
    TSampleReport sample;
    testsupport::TempDir temp;
    const QString file = temp.File("din-previzualizare.pdf");
    const QString saved = temp.File("salvat.pdf");
    QStringList statuses;
    bool printed = false;
    bool savedPdf = false;
    QString caption;
    ScriptedDialogs dialogs([&](QDialog& dialog) {
        if (auto* preview = dynamic_cast<TReportPreview*>(&dialog)) {
            caption = preview->windowTitle();
            statuses << preview->StatusText();
            preview->NextPage();
            statuses << preview->StatusText();
            preview->NextPage(); // already on the last page
            statuses << preview->StatusText();
            preview->FirstPage();
            statuses << preview->StatusText();
            preview->LastPage();
            statuses << preview->StatusText();
            savedPdf = preview->SavePdf();
            printed = preview->PrintReport();
            return int(QDialog::Rejected);
        }
        if (auto* files = dynamic_cast<QFileDialog*>(&dialog)) {
            files->selectFile(saved);
            return int(QDialog::Accepted);
        }
        if (auto* print = dynamic_cast<QPrintDialog*>(&dialog)) {
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(file);
            return int(QDialog::Accepted);
        }
        ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
        return int(QDialog::Rejected);
    });

    sample.report.Preview();

    EXPECT_EQ(caption, "Previzualizare - Trasabilitate produse");
    EXPECT_EQ(statuses, QStringList({"Pagina 1 din 2", "Pagina 2 din 2", "Pagina 2 din 2", "Pagina 1 din 2",
                                     "Pagina 2 din 2"}));
    ASSERT_TRUE(savedPdf);
    if (HavePdfToText()) {
        EXPECT_EQ(PdfPageCount(PdfText(saved)), 2);
    }
    ASSERT_TRUE(printed);
    // The print was generated again, and its lots are numbered from 1 again.
    EXPECT_EQ(sample.generations, 2);
    ASSERT_TRUE(QFileInfo::exists(file));
    if (HavePdfToText()) {
        const QStringList pages = PdfText(file).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_EQ(pages.size(), 2);
        EXPECT_TRUE(pages[0].contains(QRegularExpression("\\b1\\s+12\\.03\\.2024"))) << pages[0].toStdString();
        EXPECT_TRUE(pages[1].contains(QRegularExpression("\\b2\\s+13\\.03\\.2024"))) << pages[1].toStdString();
    }
    Printer().Device().setOutputFileName(QString());
}

TEST(ReportOutput, NothingIsShownOrWrittenForAReportWithoutPages)
{
    TSampleReport sample;
    sample.rows.Clear();
    int dialogs = 0;
    ScriptedDialogs scripted([&](QDialog&) {
        ++dialogs;
        return int(QDialog::Rejected);
    });
    sample.report.Preview();
    EXPECT_EQ(dialogs, 0);

    testsupport::TempDir temp;
    EXPECT_FALSE(sample.report.ExportPdf(temp.File("gol.pdf")));
    EXPECT_FALSE(QFileInfo::exists(temp.File("gol.pdf")));
    EXPECT_FALSE(sample.report.Print());
}

TEST(ReportOutput, UnwritableFilesAreReportedNotIgnored)
{
    TSampleReport sample;
    const TReportDocument document = sample.report.Generate();
    const QString nowhere = QStringLiteral("/nonexistent-folder/raport");
    EXPECT_THROW(ExportPdf(document, nowhere + ".pdf"), EInOutError);
    EXPECT_THROW(ExportPng(document, 0, nowhere + ".png"), EInOutError);
    testsupport::TempDir temp;
    EXPECT_FALSE(ExportPng(document, 2, temp.File("p3.png"))); // there is no third page
}

// A file the user names for a PDF (the tool's --pdf, the preview's "Salveaza PDF", a PDF
// printer) is never one of the files of a database the program has open, whatever path
// leads to it, nor anything that is no regular file.
TEST(ReportOutput, NeverWritesOverAFileOfAnOpenDatabaseOrWhatIsNoFile)
{
    TSampleReport sample;
    const TReportDocument document = sample.report.Generate();
    testsupport::TempDir company, elsewhere;
    const auto db = Connection::Open(company.Path(), TOpenMode::CreateMissing);
    db->Exec(QStringLiteral("CREATE TABLE T (A INTEGER)"));
    const QString tables = company.File(DatabaseFileName());
    const QString settings = company.File(QStringLiteral("KRBDEF.INI"));
    {
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Productie]\nIndCod=M\n");
    }
    const QString link = elsewhere.File(QStringLiteral("legatura.pdf")); // a link to the tables
    ASSERT_TRUE(QFile::link(tables, link));
    const QString hard = elsewhere.File(QStringLiteral("alt-nume.pdf")); // another name of the settings file
    ASSERT_EQ(::link(QFile::encodeName(settings).constData(), QFile::encodeName(hard).constData()), 0);
    const QString fifo = elsewhere.File(QStringLiteral("conducta.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString journal = company.File(QStringLiteral("tables.sqlite-journal")); // a name the engine would read
    const auto identity = [](const QString& file) {
        struct stat info {};
        ::stat(QFile::encodeName(file).constData(), &info);
        return std::tuple{info.st_ino, info.st_mode, info.st_size};
    };
    const auto tablesBefore = identity(tables);
    const auto settingsBefore = identity(settings);

    const QString companyFile = QStringLiteral("unul dintre fisierele bazei de date din <%1>").arg(company.Path());
    for (const auto& [target, said] : {std::pair{tables, companyFile}, {settings, companyFile}, {link, companyFile},
                                       {hard, companyFile}, {journal, companyFile},
                                       {fifo, QStringLiteral("nu este un fisier obisnuit")},
                                       {elsewhere.Path(), QStringLiteral("nu este un fisier obisnuit")}}) {
        SCOPED_TRACE(target.toStdString());
        try {
            ExportPdf(document, target);
            ADD_FAILURE() << "written";
        } catch (const EInOutError& e) {
            EXPECT_TRUE(e.Message().contains("<" + target + ">")) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(said)) << e.Message().toStdString();
        }
    }
    // The preview's "Salveaza PDF" says so in a message, and a PDF printer is refused the same.
    {
        fw::TMessageRecorder messages;
        ScriptedDialogs dialogs([&](QDialog& dialog) {
            if (auto* files = dynamic_cast<QFileDialog*>(&dialog))
                files->selectFile(settings);
            return int(QDialog::Accepted);
        });
        TReportPreview preview(nullptr, document);
        EXPECT_FALSE(Guarded(&preview, [&] { preview.SavePdf(); }));
        ASSERT_EQ(messages.Count(), 1);
        EXPECT_TRUE(messages.Last().Text.contains(companyFile)) << messages.Last().Text.toStdString();
    }
    QPrinter pdfPrinter;
    pdfPrinter.setOutputFormat(QPrinter::PdfFormat);
    pdfPrinter.setOutputFileName(link);
    EXPECT_THROW(PrintDocument(document, pdfPrinter, {}), EInOutError);

    EXPECT_EQ(identity(tables), tablesBefore); // not replaced: the same file, unchanged
    EXPECT_EQ(identity(settings), settingsBefore);
    EXPECT_TRUE(S_ISFIFO(std::get<1>(identity(fifo))));
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_EQ(db->ScalarInt(QStringLiteral("SELECT count(*) FROM T"), {}), 0);
    // Anywhere else a report is written as ever.
    EXPECT_TRUE(ExportPdf(document, elsewhere.File(QStringLiteral("raport.pdf"))));
}
