// The PDF as another program reads it: where each text stands on the sheet, the glyphs it
// shows, and a character the report's font lacks.
#include "ReportTestSupport.h"

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "platform/report/ReportPainter.h"
#include "support/TempDir.h"

#include <QImage>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace fw;

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr int kDpi = 200;

TPageText Text(const QString& text, const QRectF& box, TReportAlignment alignment, TPageFont font = {"Arial", 10})
{
    return {QString(), box, text, std::move(font), alignment};
}

TReportDocument OnePage(std::vector<TPageText> texts)
{
    TReportDocument document;
    document.Title = QStringLiteral("Probă");
    TReportPage page;
    page.Number = 1;
    page.Size = QSizeF(210, 297);
    page.Texts = std::move(texts);
    page.Rects.push_back({QRectF(120, 20, 60, 30), 0.5});
    page.Lines.push_back({QPointF(120, 60), QPointF(180, 60), 0.2});
    page.Fills.push_back(QRectF(30, 150, 20, 10));
    document.Pages.push_back(std::move(page));
    return document;
}

bool RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitCode() == 0;
}

struct TWord {
    QString Text;
    double Left, Right;
};

// The words of the first page with their extent, points from the left edge.
std::vector<TWord> Words(const QString& pdf, const QString& html)
{
    std::vector<TWord> words;
    if (!RunTool("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, html}))
        return words;
    QFile file(html);
    file.open(QIODevice::ReadOnly);
    static const QRegularExpression word(R"re(<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
    for (const auto& m : word.globalMatch(QString::fromUtf8(file.readAll())))
        words.push_back({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    return words;
}

// The ink inside a region of a page image, in pixels.
QRect Ink(const QImage& image, const QRectF& mm)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const QRect region = QRect(int(mm.left() / 25.4 * kDpi), int(mm.top() / 25.4 * kDpi),
                               int(mm.width() / 25.4 * kDpi), int(mm.height() / 25.4 * kDpi))
                             .intersected(gray.rect());
    QRect ink;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (gray.constScanLine(y)[x] < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

} // namespace

// Aligned texts stand where their boxes put them (edges worked out from the millimetres),
// and every text, rule and frame is inked where the screen's painter inks it: the same
// glyphs (composite ones among them, bold, italic and fixed-pitch faces) at the same place.
TEST(PdfWriter, TextsStandInTheirBoxesAndInkAsOnScreen)
{
    if (!reporttest::HavePdfToText() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "poppler's tools are not installed";
    testsupport::TempDir temp;
    const TReportDocument document = OnePage({
        Text(QStringLiteral("Lapte de vacă"), QRectF(20, 20, 80, 8), TReportAlignment::Left),
        Text(QStringLiteral("1.234,50"), QRectF(20, 40, 80, 8), TReportAlignment::Right),
        Text(QStringLiteral("Țara Bârsei"), QRectF(20, 60, 80, 8), TReportAlignment::Center, {"Arial", 10, true}),
        Text(QStringLiteral("Șiș îț"), QRectF(20, 80, 120, 20), TReportAlignment::Left, {"Arial", 36, false, true}),
        Text(QStringLiteral("COD 0042"), QRectF(20, 110, 80, 8), TReportAlignment::Right,
             {"Liberation Mono", 10, false, false, true}),
    });
    const QString pdf = temp.File("proba.pdf");
    ASSERT_TRUE(ExportPdf(document, pdf));

    const std::vector<TWord> words = Words(pdf, temp.File("proba.html"));
    ASSERT_EQ(words.size(), 10u);
    EXPECT_EQ(words[0].Text, "Lapte");
    EXPECT_NEAR(words[0].Left, 20 * kPointsPerMm, 0.05);  // 56.69 pt
    EXPECT_NEAR(words[3].Right, 100 * kPointsPerMm, 0.05); // 283.46 pt
    EXPECT_EQ(words[5].Text, QStringLiteral("Bârsei"));
    EXPECT_NEAR((words[4].Left + words[5].Right) / 2, 60 * kPointsPerMm, 0.05); // 170.08 pt
    EXPECT_EQ(words[6].Text, QStringLiteral("Șiș"));
    EXPECT_NEAR(words[9].Right, 100 * kPointsPerMm, 0.05);

    ASSERT_TRUE(RunTool("pdftoppm", {"-r", QString::number(kDpi), "-gray", "-singlefile", pdf, temp.File("pdf")}));
    const QImage fromPdf(temp.File("pdf.pgm"));
    ASSERT_TRUE(ExportPng(document, 0, temp.File("screen.png"), kDpi));
    const QImage onScreen(temp.File("screen.png"));
    ASSERT_EQ(fromPdf.size(), onScreen.size());
    for (const TPageText& text : document.Pages[0].Texts) {
        const QRectF around = text.Rect.adjusted(-5, -2, 5, 2);
        const QRect pdfInk = Ink(fromPdf, around);
        const QRect screenInk = Ink(onScreen, around);
        ASSERT_FALSE(pdfInk.isEmpty()) << text.Text.toStdString();
        // Kerning, which the PDF's runs leave out, moves a glyph by a fraction of a point;
        // nothing moves a line up or down.
        EXPECT_NEAR(pdfInk.left(), screenInk.left(), 2) << text.Text.toStdString();
        EXPECT_NEAR(pdfInk.right(), screenInk.right(), 2) << text.Text.toStdString();
        EXPECT_NEAR(pdfInk.top(), screenInk.top(), 1) << text.Text.toStdString();
        EXPECT_NEAR(pdfInk.bottom(), screenInk.bottom(), 1) << text.Text.toStdString();
    }
    const QRectF frame(118, 18, 64, 44);
    EXPECT_EQ(Ink(fromPdf, frame), Ink(onScreen, frame));
    // A solid area (a barcode's bar) is inked whole, edge to edge, on both.
    const QRectF fill(25, 145, 30, 20);
    EXPECT_EQ(Ink(fromPdf, fill), Ink(onScreen, fill));
    EXPECT_NEAR(Ink(fromPdf, fill).width(), 20 / 25.4 * kDpi, 1.5); // 157.5 px
    EXPECT_LT(qGray(fromPdf.pixel(int(40 / 25.4 * kDpi), int(155 / 25.4 * kDpi))), 128);
}

// Rules that continue one another (a table's column, band under band; one drawn upwards;
// a row's rule in two parts) are inked as the screen's painter inks them, and so are rules
// apart from them: a gap between two stays a gap, another pen stays its own.
TEST(PdfWriter, RulesInkAsOnScreenWhereverTheyMeet)
{
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "poppler's tools are not installed";
    testsupport::TempDir temp;
    TReportDocument document = OnePage({});
    std::vector<TPageLine>& lines = document.Pages[0].Lines;
    lines = {
        {QPointF(40, 20), QPointF(40, 25), 0.2},   {QPointF(40, 25), QPointF(40, 30), 0.2},
        {QPointF(40, 35), QPointF(40, 30), 0.2},   {QPointF(40, 40), QPointF(40, 45), 0.2}, // a gap above
        {QPointF(40, 45), QPointF(40, 50), 0.8},   {QPointF(60, 55), QPointF(80, 55), 0.2},
        {QPointF(80, 55), QPointF(100, 55), 0.2},  {QPointF(70, 55), QPointF(90, 55), 0.2}, // over both
        {QPointF(60, 60), QPointF(100, 70), 0.2},
    };
    const QString pdf = temp.File("rules.pdf");
    ASSERT_TRUE(ExportPdf(document, pdf));
    ASSERT_TRUE(RunTool("pdftoppm", {"-r", QString::number(kDpi), "-gray", "-singlefile", pdf, temp.File("pdf")}));
    const QImage fromPdf(temp.File("pdf.pgm"));
    ASSERT_TRUE(ExportPng(document, 0, temp.File("screen.png"), kDpi));
    const QImage onScreen(temp.File("screen.png"));
    for (const QRectF& region : {QRectF(35, 15, 10, 40), QRectF(35, 36, 10, 3), QRectF(55, 50, 50, 25)})
        EXPECT_EQ(Ink(fromPdf, region), Ink(onScreen, region));
    EXPECT_TRUE(Ink(fromPdf, QRectF(35, 36, 10, 3)).isEmpty()); // the gap
}

// A character the report's font does not have still reaches the file, with the rest.
TEST(PdfWriter, ACharacterTheFontLacksIsStillWritten)
{
    if (!reporttest::HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    testsupport::TempDir temp;
    const QString pdf = temp.File("bifat.pdf");
    ASSERT_TRUE(ExportPdf(OnePage({Text(QStringLiteral("Lapte ✓ Brașov"), QRectF(20, 20, 80, 8), TReportAlignment::Left)}),
                          pdf));
    EXPECT_TRUE(reporttest::PdfText(pdf).contains(QStringLiteral("Lapte ✓ Brașov")));
    // Drawn in a face that has it, beside the report's own.
    QProcess fonts;
    fonts.start("pdffonts", {pdf});
    ASSERT_TRUE(fonts.waitForFinished(30000));
    EXPECT_EQ(fonts.readAllStandardOutput().count("Identity-H"), 2);
}

namespace {

// A picture of two halves, red over blue, so its orientation shows on paper.
QImage TwoColours()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

QByteArray Bytes(const QString& fileName)
{
    QFile file(fileName);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

// A picture is one image in the file, however many pages show it, stretched over its box
// the right way up; a document without pictures names no images at all.
TEST(PdfWriter, APictureIsOneImageOverItsBoxAndADocumentWithoutIsAsBefore)
{
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty() || QStandardPaths::findExecutable("pdfimages").isEmpty())
        GTEST_SKIP() << "poppler's tools are not installed";
    testsupport::TempDir temp;
    TReportDocument document = OnePage({Text(QStringLiteral("Grafic"), QRectF(20, 20, 80, 8), TReportAlignment::Left)});
    const QString plain = temp.File("fara.pdf");
    ASSERT_TRUE(ExportPdf(document, plain));
    EXPECT_FALSE(Bytes(plain).contains("/XObject"));
    EXPECT_TRUE(Bytes(plain).contains("/ProcSet [/PDF /Text] /Font"));

    const QImage picture = TwoColours();
    document.Pages[0].Pictures.push_back({QRectF(60, 200, 100, 50), picture});
    document.Pages.push_back(document.Pages[0]);
    document.Pages[1].Number = 2;
    const QString pdf = temp.File("grafic.pdf");
    ASSERT_TRUE(ExportPdf(document, pdf));

    QProcess images;
    images.start("pdfimages", {"-list", pdf});
    ASSERT_TRUE(images.waitForFinished(30000));
    const QStringList listed = QString::fromUtf8(images.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    // A heading, a rule, and a line for each page that shows the one image.
    ASSERT_EQ(listed.size(), 4);
    const QStringList first = listed[2].simplified().split(' ');
    const QStringList second = listed[3].simplified().split(' ');
    EXPECT_EQ(first.mid(3, 3), (QStringList{"40", "20", "rgb"})); // width, height, colour
    EXPECT_EQ(first.value(10), second.value(10));                 // the same object

    ASSERT_TRUE(RunTool("pdftoppm", {"-r", "50", "-f", "1", "-l", "1", "-singlefile", pdf, temp.File("page")}));
    const QImage page(temp.File("page.ppm"));
    const auto at = [&](double xMm, double yMm) { return page.pixel(int(xMm / 25.4 * 50), int(yMm / 25.4 * 50)); };
    EXPECT_EQ(at(110, 210), qRgb(255, 0, 0)); // the top half
    EXPECT_EQ(at(110, 240), qRgb(0, 0, 255)); // the bottom half
    EXPECT_EQ(at(110, 255), qRgb(255, 255, 255)); // below the box
    EXPECT_EQ(at(165, 225), qRgb(255, 255, 255)); // right of it
    // The screen's painter stretches it over the same box.
    ASSERT_TRUE(ExportPng(document, 0, temp.File("screen.png"), 50));
    const QImage screen(temp.File("screen.png"));
    for (const auto& [x, y] : {std::pair{110.0, 210.0}, {110.0, 240.0}, {110.0, 255.0}, {165.0, 225.0}})
        EXPECT_EQ(screen.pixel(int(x / 25.4 * 50), int(y / 25.4 * 50)), at(x, y)) << x << " " << y;
}

// Every letter of the Latin tables comes back out of the file as it went in, also where a
// glyph's code holds the bytes a string must escape (a parenthesis, the backslash, a line end).
TEST(PdfWriter, EveryLatinLetterComesBackOut)
{
    if (!reporttest::HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    const TPageFont font{"Arial", 10};
    const QRawFont raw = QRawFont::fromFont(PageQFont(font));
    QString letters;
    bool escaped = false;
    for (char16_t c = 0x21; c < 0x250; ++c) {
        const QChar ch(c);
        if (!ch.isLetterOrNumber() || !raw.supportsCharacter(ch))
            continue;
        letters += ch;
        quint32 glyph = 0;
        int count = 1;
        if (raw.glyphIndexesForChars(&ch, 1, &glyph, &count))
            escaped = escaped || QByteArray("()\\\r\n").contains(char(glyph & 0xFF)) || QByteArray("()\\\r\n").contains(char(glyph >> 8));
    }
    ASSERT_TRUE(escaped) << "no glyph code here needs escaping; the test proves nothing";
    testsupport::TempDir temp;
    const QString pdf = temp.File("litere.pdf");
    std::vector<TPageText> lines;
    for (qsizetype at = 0, row = 0; at < letters.size(); at += 40, ++row)
        lines.push_back(Text(letters.mid(at, 40), QRectF(10, 10 + double(row) * 8, 190, 8), TReportAlignment::Left));
    ASSERT_TRUE(ExportPdf(OnePage(std::move(lines)), pdf));
    const QString text = reporttest::PdfText(pdf).remove(QRegularExpression(R"(\s)"));
    EXPECT_EQ(text, letters);
}

// A report written page by page as it is laid out reads as the same report laid out whole
// and then written, also when a character its font lacks, on a late page, sends the pages
// already written back to be drawn again by the system's writer.
TEST(PdfWriter, AReportWrittenPageByPageReadsAsWrittenWhole)
{
    if (!reporttest::HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    struct Case {
        const char* name;
        QString last;
    };
    const Case cases[] = {
        {"every character in the font", QStringLiteral("Rand 200")},
        {"a character the font lacks on the last page", QStringLiteral("Rand 200 ✓")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryReportData rows({"V"});
        for (int i = 1; i < 200; ++i)
            rows.AddRow({QStringLiteral("Rand %1").arg(i)});
        rows.AddRow({c.last});
        TReport report;
        report.SetData(&rows);
        report.Detail()->AddDataText("V", 0, 0);
        report.PageFooter()->AddSystemData(TSystemDataKind::PageNumber, 0, 0, 40)->Prefix = QStringLiteral("Pagina ");
        testsupport::TempDir temp;
        const QString whole = temp.File("intreg.pdf");
        const QString paged = temp.File("pe-pagini.pdf");
        ASSERT_TRUE(ExportPdf(report.Generate(), whole));
        ASSERT_TRUE(report.ExportPdf(paged));
        const QString text = reporttest::PdfText(paged);
        EXPECT_EQ(text, reporttest::PdfText(whole));
        EXPECT_GE(reporttest::PdfPageCount(text), 3);
        EXPECT_TRUE(text.contains(QStringLiteral("Rand 1\n")));
        EXPECT_TRUE(text.contains(c.last));
        EXPECT_TRUE(text.contains(QStringLiteral("Pagina %1").arg(reporttest::PdfPageCount(text))));
    }
}

namespace {

// The page's drawing (its first stream holding a stroke) as the file holds it, inflated.
QByteArray PageDrawing(const QByteArray& pdf)
{
    static const QRegularExpression stream(R"(/Filter /FlateDecode /Length (\d+)>>\nstream\n)");
    for (const auto& m : stream.globalMatch(QString::fromLatin1(pdf))) {
        QByteArray packed = pdf.mid(m.capturedEnd(), m.captured(1).toInt());
        packed.prepend(QByteArray::fromHex("00001000")); // qUncompress's size, a first guess
        QByteArray drawing = qUncompress(packed);
        if (drawing.contains(" S\n"))
            return drawing;
    }
    return {};
}

} // namespace

// Coordinates are points in thousandths at most, without trailing zeros, negative ones
// signed (worked out from the millimetres: a millimetre is 2.834645... points, the A4 sheet
// 841.889... high); a text of Latin, Cyrillic and Greek letters reads back whole.
TEST(PdfWriter, NumbersAndLettersAsWritten)
{
    testsupport::TempDir temp;
    TReportDocument document = OnePage({Text(QStringLiteral("Lapte Молоко Γάλα"), QRectF(20, 80, 100, 8), TReportAlignment::Right)});
    TReportPage& page = document.Pages[0];
    page.Fills.clear();
    page.Rects = {{QRectF(1, 10, 12.7, 0.127), 0.2}};
    page.Lines = {{QPointF(-1, 297), QPointF(-1, 0), 0.2}};
    const QString pdf = temp.File("numere.pdf");
    ASSERT_TRUE(ExportPdf(document, pdf));
    const QByteArray drawing = PageDrawing(Bytes(pdf));
    EXPECT_TRUE(drawing.startsWith("0 g 0 G 2 J\n0.567 w\n2.835 813.183 36 0.36 re S\n-2.835 841.89 m -2.835 0 l S\n"))
        << drawing.left(120).toStdString();
    if (reporttest::HavePdfToText())
        EXPECT_TRUE(reporttest::PdfText(pdf).contains(QStringLiteral("Lapte Молоко Γάλα")));
}

namespace {

struct TStream {
    QByteArray Dictionary;
    QByteArray Data; // inflated where it was compressed
};

// The file's streams in order, each with its dictionary.
std::vector<TStream> Streams(const QByteArray& pdf)
{
    static const QRegularExpression length(R"(/Length (\d+)$)");
    std::vector<TStream> streams;
    for (qsizetype end = pdf.indexOf(">>\nstream\n"); end >= 0; end = pdf.indexOf(">>\nstream\n", end)) {
        const qsizetype start = pdf.lastIndexOf(" 0 obj\n<<", end);
        TStream stream{pdf.mid(start, end - start), {}};
        const qsizetype size = length.match(QString::fromLatin1(stream.Dictionary)).captured(1).toInt();
        stream.Data = pdf.mid(end + 10, size);
        if (stream.Dictionary.contains("/FlateDecode"))
            stream.Data = qUncompress(QByteArray::fromHex("00001000") + stream.Data);
        streams.push_back(stream);
        end += 10 + size;
    }
    return streams;
}

} // namespace

// The page header, the same on every page, is one form in the file that every page shows; a
// header that changes from page to page (its number in it) still shows each page its own,
// through a few forms and then drawn into the page. A text all of whose characters are below
// 256 is written as its own bytes, a parenthesis and a backslash escaped; one with a letter
// beyond, in the same font, reads back as well.
TEST(PdfWriter, APageHeaderIsOneFormEveryPageShows)
{
    for (const bool numbered : {false, true}) {
        SCOPED_TRACE(numbered ? "the page number in the header" : "the same header on every page");
        TMemoryReportData rows({"V"});
        for (int i = 1; i <= 700; ++i)
            rows.AddRow({(i % 100 == 0 ? QStringLiteral("Rândul ș %1") : QStringLiteral("Rand %1")).arg(i)});
        TReport report;
        report.SetData(&rows);
        report.PageHeader()->AddLabel(QStringLiteral("Antet (raport) a\\b"), 0, 0, 80);
        report.PageHeader()->AddShape(TShapeKind::HorizontalLine, 0, 6, 100, 0);
        if (numbered)
            report.PageHeader()->AddSystemData(TSystemDataKind::PageNumber, 100, 0, 40)->Prefix = QStringLiteral("Pagina ");
        report.Detail()->AddDataText("V", 0, 0);
        testsupport::TempDir temp;
        const QString pdf = temp.File("antet.pdf");
        ASSERT_TRUE(report.ExportPdf(pdf));

        const QByteArray file = Bytes(pdf);
        const int pages = int(file.count("/Type /Page /Parent"));
        ASSERT_GT(pages, 8);
        int forms = 0;
        int drawings = 0;
        for (const TStream& stream : Streams(file)) {
            if (stream.Dictionary.contains("/Subtype /Form")) {
                ++forms;
                EXPECT_TRUE(stream.Data.contains("(Antet \\(raport\\) a\\\\b) Tj\n"));
            } else if (stream.Data.startsWith("0 g 0 G 2 J\n")) {
                ++drawings;
                const qsizetype shown = stream.Data.count(" Do\n");
                EXPECT_EQ(shown, numbered && drawings > 8 ? 0 : 1) << "page " << drawings;
                EXPECT_EQ(stream.Data.contains("/Fm1 Do\n"), !numbered || drawings == 1) << "page " << drawings;
                EXPECT_EQ(stream.Data.contains("(Antet "), numbered && drawings > 8) << "page " << drawings;
                if (drawings == 1) {
                    EXPECT_TRUE(stream.Data.contains("(Rand 1) Tj\n"));
                }
            }
        }
        EXPECT_EQ(forms, numbered ? 8 : 1);
        EXPECT_EQ(drawings, pages);

        if (!reporttest::HavePdfToText())
            continue;
        const QString text = reporttest::PdfText(pdf);
        EXPECT_EQ(reporttest::PdfPageCount(text), pages);
        EXPECT_EQ(text.count(QStringLiteral("Antet (raport) a\\b")), pages);
        EXPECT_TRUE(text.contains(QStringLiteral("Rândul ș 700")));
        EXPECT_TRUE(text.contains(QStringLiteral("Rand 699")));
        if (numbered) {
            for (int page = 1; page <= pages; ++page)
                EXPECT_TRUE(text.contains(QStringLiteral("Pagina %1\n").arg(page))) << page;
        }
    }
}
