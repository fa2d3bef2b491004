// Printer facilities: geometry arithmetic, the paper-code table, the current printer.
#include "platform/print/Printer.h"

#include <QPrinter>
#include <gtest/gtest.h>

using namespace fw;

TEST(PrinterGeometry, BordersRoundUpAndSheetsRoundToNearest)
{
    struct Case {
        const char* name;
        TDeviceCaps caps;
        TPrinterGeometry expected;
    };
    // Fields: offset x, y; dpi x, y; sheet w, h; printable w, h.
    const std::vector<Case> cases = {
        {"A4 at 600 dpi, 100 px borders", {100, 100, 600, 600, 4960, 7016, 4760, 6816}, {5, 5, 5, 5, 210, 297}},
        {"no unprintable border", {0, 0, 300, 300, 2480, 3508, 2480, 3508}, {0, 0, 0, 0, 210, 297}},
        // 10 px a millimetre: borders of 1, 2, 3.5, 4.5 mm and a sheet of 210.5 x 211.5 mm;
        // the half added to a border and the halves of the sheet go to the even neighbour.
        {"halves to even", {10, 20, 254, 254, 2105, 2115, 2060, 2050}, {2, 2, 4, 5, 210, 212}},
        {"other vertical resolution", {30, 60, 300, 600, 2550, 6600, 2490, 6480}, {3, 3, 3, 3, 216, 279}},
        // A driver reporting no resolution must not turn infinities into integers.
        {"no resolution", {10, 10, 0, 0, 2480, 3508, 2460, 3488}, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TPrinterGeometry g = ComputePrinterGeometry(c.caps);
        EXPECT_EQ(g.MinLeft, c.expected.MinLeft);
        EXPECT_EQ(g.MinTop, c.expected.MinTop);
        EXPECT_EQ(g.MinRight, c.expected.MinRight);
        EXPECT_EQ(g.MinBottom, c.expected.MinBottom);
        EXPECT_EQ(g.PaperWidth, c.expected.PaperWidth);
        EXPECT_EQ(g.PaperHeight, c.expected.PaperHeight);
    }
}

TEST(PaperSizes, IndexAndDriverCodeMapBothWays)
{
    struct Case {
        int index;
        int code;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{9, 9}, Case{23, 23}, Case{24, 39}, Case{26, 41}, Case{27, 265},
                         Case{28, 263}, Case{29, 269}, Case{30, 375}, Case{31, 26}, Case{32, 256}}) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(PaperCodeOfIndex(c.index), c.code);
        EXPECT_EQ(PaperIndexOfCode(c.code), c.index);
    }
    // Outside the table: index 0, code 0 (the printer's default).
    for (const int index : {-1, 33, 100})
        EXPECT_EQ(PaperCodeOfIndex(index), 0) << index;
    for (const int code : {24, 25, 38, 70, 257, -5})
        EXPECT_EQ(PaperIndexOfCode(code), 0) << code;

    EXPECT_EQ(PageSizeOfPaperCode(9).id(), QPageSize::A4);
    EXPECT_EQ(PageSizeOfPaperCode(1).id(), QPageSize::Letter);
    EXPECT_EQ(PageSizeOfPaperCode(11).id(), QPageSize::A5);
    EXPECT_TRUE(PageSizeOfPaperCode(39).isValid());
    for (const int code : {0, 256, 265, 375})
        EXPECT_FALSE(PageSizeOfPaperCode(code).isValid()) << code;
}

TEST(CurrentPrinter, PaperOrientationAndGeometryFollowTheDevice)
{
    TPrinter printer;
    ASSERT_TRUE(printer.SetPaperCode(9));
    printer.SetOrientation(QPageLayout::Portrait);
    EXPECT_EQ(printer.PaperCode(), 9);
    TPrinterGeometry g = printer.Geometry();
    EXPECT_EQ(g.PaperWidth, 210);
    EXPECT_EQ(g.PaperHeight, 297);

    printer.SetOrientation(QPageLayout::Landscape);
    g = printer.Geometry();
    EXPECT_EQ(g.PaperWidth, 297);
    EXPECT_EQ(g.PaperHeight, 210);

    ASSERT_TRUE(printer.SetPaperCode(1));
    EXPECT_EQ(printer.PaperCode(), 1);
    EXPECT_EQ(printer.Orientation(), QPageLayout::Landscape);
    // A code Qt has no size for leaves the paper as it was.
    EXPECT_FALSE(printer.SetPaperCode(265));
    EXPECT_FALSE(printer.SetPaperCode(0));
    EXPECT_EQ(printer.PaperCode(), 1);
    EXPECT_EQ(PaperIndexOfCode(printer.PaperCode()), 1);
}

TEST(CurrentPrinter, PdfFilePrinterStandsInWhenNoneIsInstalled)
{
    TPrinter printer;
    if (!printer.IsPdfPrinter())
        GTEST_SKIP() << "this machine has printers installed";
    EXPECT_EQ(printer.Printers(), QStringList{TPrinter::PdfPrinterName()});
    EXPECT_EQ(printer.PrinterIndex(), 0);
    EXPECT_EQ(printer.PrinterName(), TPrinter::PdfPrinterName());
    // The device gets a file name only when a document goes to it.
    EXPECT_TRUE(printer.Device().outputFileName().isEmpty());
    EXPECT_TRUE(printer.OutputFileName("Trasabilitate produse").endsWith("/Trasabilitate produse.pdf"));
    printer.SetOutputFileName("/tmp/x/raport.pdf");
    EXPECT_EQ(printer.DeviceFor("Alt raport").outputFileName(), "/tmp/x/raport.pdf");
}

TEST(CurrentPrinter, FontWidthsAreInPrinterPixels)
{
    TPrinter printer;
    const std::vector<TPrinterFont> fonts = printer.Fonts(10);
    const auto find = [&](const QString& family) -> const TPrinterFont* {
        for (const TPrinterFont& font : fonts)
            if (font.Family == family)
                return &font;
        return nullptr;
    };
    const TPrinterFont* mono = find("Liberation Mono");
    const TPrinterFont* sans = find("Liberation Sans");
    if (!mono || !sans)
        GTEST_SKIP() << "the Liberation fonts are not installed";
    // A monospaced face at 10 points is 6 points wide: 12 characters an inch on any printer.
    EXPECT_TRUE(mono->FixedPitch);
    EXPECT_NEAR(printer.DpiX() / mono->AverageCharWidth, 12.0, 0.2);
    EXPECT_FALSE(sans->FixedPitch);
    // Twice the size, half the characters an inch.
    const std::vector<TPrinterFont> larger = printer.Fonts(20);
    for (const TPrinterFont& font : larger) {
        if (font.Family == "Liberation Mono") {
            EXPECT_NEAR(font.AverageCharWidth, 2 * mono->AverageCharWidth, 1.0);
        }
    }
}
