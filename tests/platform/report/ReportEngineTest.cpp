// The band model and the pre-renderer, asserted on the page model they produce.
#include "ReportTestSupport.h"

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "platform/report/ReportPainter.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace fw;
using reporttest::PageTexts;
using reporttest::TextsNamed;

namespace {

// Puts one text named "seq" on a band, built from the data's current row when it prints.
void Trace(TReportBand* band, std::function<QString()> text)
{
    band->AddExpression([text = std::move(text)] { return text(); }, 0, 0, 60)->Name = QStringLiteral("seq");
}

QString Str(TReportData& data, const char* field) { return data.Value(QString::fromLatin1(field)).toString(); }

// A source that follows the driving one, as a detail table linked to it: it shows the
// name of the warehouse of the driving source's current row.
class TWarehouseNames final : public TReportData {
public:
    TWarehouseNames(TReportData& master, QMap<QString, QString> names) : master_(master), names_(std::move(names)) {}
    void First() override {}
    void Next() override {}
    void Prior() override {}
    bool Eof() const override { return false; }
    bool IsEmpty() override { return false; }
    QVariant Value(const QString&) const override { return names_.value(master_.Value(QStringLiteral("Gest")).toString()); }

private:
    TReportData& master_;
    QMap<QString, QString> names_;
};

TMemoryReportData LotRows()
{
    TMemoryReportData rows({QStringLiteral("Row"), QStringLiteral("Lot"), QStringLiteral("Gest")});
    // Row 4 keeps row 3's warehouse but starts a new lot: the warehouse group must restart.
    for (const auto& [row, lot, gest] : std::vector<std::tuple<int, const char*, const char*>>{
             {1, "A", "1"}, {2, "A", "1"}, {3, "A", "2"}, {4, "B", "2"}, {5, "B", "2"}, {6, "C", "3"}})
        rows.AddRow({row, QString::fromLatin1(lot), QString::fromLatin1(gest)});
    return rows;
}

} // namespace

TEST(ReportGroups, OuterBreakRestartsInnerGroupsAndFootersSeeTheLastRowOfTheirGroup)
{
    TMemoryReportData rows = LotRows();
    TWarehouseNames names(rows, {{"1", "Unu"}, {"2", "Doi"}, {"3", "Trei"}});
    TReport report;
    report.SetData(&rows);
    TReportGroup* lot = report.AddGroup(QStringLiteral("Lot"));
    TReportGroup* gest = report.AddGroup(QStringLiteral("Gest"));
    Trace(lot->Header(), [&] { return "HL " + Str(rows, "Lot"); });
    Trace(gest->Header(), [&] { return "HG " + Str(rows, "Gest"); });
    Trace(report.Detail(), [&] { return "D " + Str(rows, "Row"); });
    Trace(gest->Footer(), [&] { return "FG " + Str(rows, "Gest") + "/" + Str(rows, "Row"); });
    Trace(lot->Footer(), [&] { return "FL " + Str(rows, "Lot") + "/" + Str(rows, "Row"); });
    Trace(report.Summary(), [] { return QStringLiteral("S"); });
    gest->Footer()->AddDataText(QStringLiteral("Denumire"), 70, 0, 40, &names)->Name = QStringLiteral("gestName");

    const TReportDocument document = report.Generate();

    const QStringList expected = {
        "HL A", "HG 1", "D 1", "D 2", "FG 1/2", "HG 2", "D 3", "FG 2/3", "FL A/3",
        "HL B", "HG 2", "D 4", "D 5", "FG 2/5", "FL B/5",
        "HL C", "HG 3", "D 6", "FG 3/6", "FL C/6", "S"};
    EXPECT_EQ(TextsNamed(document, "seq"), expected);
    // A linked source read by a footer shows the group that ends.
    EXPECT_EQ(TextsNamed(document, "gestName"), QStringList({"Unu", "Doi", "Doi", "Trei"}));
    EXPECT_EQ(document.PageCount(), 1);
}

TEST(ReportGroups, GroupWithNewPageStartsEachGroupOnItsOwnPage)
{
    TMemoryReportData rows = LotRows();
    TReport report;
    report.SetData(&rows);
    report.PageHeader()->AddLabel(QStringLiteral("PH"), 0, 0);
    TReportGroup* lot = report.AddGroup(QStringLiteral("Lot"));
    lot->NewPage = true;
    lot->Header()->AddExpression([&] { return "HL " + Str(rows, "Lot"); }, 0, 0);
    report.Detail()->AddExpression([&] { return "D " + Str(rows, "Row"); }, 0, 0);
    lot->Footer()->AddExpression([&] { return "FL " + Str(rows, "Lot"); }, 0, 0);

    const TReportDocument document = report.Generate();

    // The first lot does not leave an empty first page behind.
    ASSERT_EQ(document.PageCount(), 3);
    EXPECT_EQ(PageTexts(document.Pages[0]), QStringList({"PH", "HL A", "D 1", "D 2", "D 3", "FL A"}));
    EXPECT_EQ(PageTexts(document.Pages[1]), QStringList({"PH", "HL B", "D 4", "D 5", "FL B"}));
    EXPECT_EQ(PageTexts(document.Pages[2]), QStringList({"PH", "HL C", "D 6", "FL C"}));
}

TEST(ReportSums, ConditionalSumsRestartAfterTheyPrint)
{
    struct Case {
        const char* name;
        bool suppressFirstWarehouseTotal;
        QStringList warehouse, lot, overall;
    };
    const std::vector<Case> cases = {
        {"every total prints", false, {"1,000.50", "234.00", "0.25"}, {"1,234.50", "0.25"}, {"1,234.75"}},
        // A total kept from printing keeps counting into the next one.
        {"first warehouse total suppressed", true, {"1,234.50", "0.25"}, {"1,234.50", "0.25"}, {"1,234.75"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryReportData rows({"Lot", "Gest", "Grupa", "Cantitate"});
        rows.AddRow({"A", "1", "02", 1000.5});
        rows.AddRow({"A", "1", "01", 7.0}); // another article group: listed, never added
        rows.AddRow({"A", "2", "02", 234.0});
        rows.AddRow({"B", "2", "02", 0.25});
        TReport report;
        report.FormatSettings = TFormatSettings{};
        report.SetData(&rows);
        const auto term = [&] { return Str(rows, "Grupa") == "02" ? rows.Value("Cantitate").toDouble() : 0.0; };
        const QString mask = QStringLiteral("#,##0.00");
        TReportGroup* lot = report.AddGroup("Lot");
        TReportGroup* gest = report.AddGroup("Gest");
        TReportSum* warehouse = gest->Footer()->AddSum(term, mask, 150, 0, 40);
        warehouse->Name = "warehouse";
        lot->Footer()->AddSum(term, mask, 150, 0, 40)->Name = "lot";
        report.Summary()->AddSum(term, mask, 150, 0, 40)->Name = "overall";
        int printed = 0;
        if (c.suppressFirstWarehouseTotal)
            warehouse->BeforePrint = [&](TReportElement*, QString&, bool& print) { print = printed++ > 0; };

        TReportDocument document = report.Generate();
        EXPECT_EQ(TextsNamed(document, "warehouse"), c.warehouse);
        EXPECT_EQ(TextsNamed(document, "lot"), c.lot);
        EXPECT_EQ(TextsNamed(document, "overall"), c.overall);

        // A second generation (a print from the preview) starts every total from zero.
        printed = 0;
        document = report.Generate();
        EXPECT_EQ(TextsNamed(document, "overall"), c.overall);
        EXPECT_EQ(TextsNamed(document, "lot"), c.lot);
    }
}

TEST(ReportEvents, BeforePrintChangesTextsAndSuppressesBandsAndElements)
{
    TMemoryReportData rows({"Lot", "Art", "Grupa"});
    rows.AddRow({"A", "lapte", "02"});
    rows.AddRow({"A", "", "02"}); // detail suppressed: no article
    rows.AddRow({"B", "smantana", "01"});
    rows.AddRow({"C", "unt", "02"});
    TReport report;
    report.SetData(&rows);
    int lotNumber = 0;
    int generations = 0;
    report.BeforeGenerate = [&](TReport*) {
        lotNumber = 1;
        ++generations;
    };
    TReportGroup* lot = report.AddGroup("Lot");
    TReportLabel* number = lot->Header()->AddLabel("NrCrt:", 0, 0, 20);
    number->Name = "number";
    number->BeforePrint = [&](TReportElement*, QString& text, bool&) { text = QString::number(lotNumber++); };
    TReportDataText* art = report.Detail()->AddDataText("Art", 0, 0, 50);
    art->BeforePrint = [](TReportElement*, QString& text, bool&) { text += ":"; };
    TReportDataText* group = report.Detail()->AddDataText("Grupa", 60, 0, 20);
    group->BeforePrint = [](TReportElement*, QString& text, bool& print) { print = text == "02"; };
    TReportDataText* hidden = report.Detail()->AddDataText("Lot", 90, 0, 20);
    hidden->Enabled = false;
    report.Detail()->BeforePrint = [&](TReportBand*, bool& print) { print = !Str(rows, "Art").isEmpty(); };

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        const TReportDocument document = report.Generate();
        EXPECT_EQ(generations, run);
        EXPECT_EQ(TextsNamed(document, "number"), QStringList({"1", "2", "3"}));
        EXPECT_EQ(TextsNamed(document, "Art"), QStringList({"lapte:", "smantana:", "unt:"}));
        EXPECT_EQ(TextsNamed(document, "Grupa"), QStringList({"02", "02"}));
        EXPECT_TRUE(TextsNamed(document, "Lot").isEmpty());
    }
}

// Fields are looked up once in a run: a run after the data's fields changed reads them
// where they are then.
TEST(ReportEvents, EachRunFindsTheFieldsWhereTheDataHasThem)
{
    TMemoryReportData rows;
    TReport report;
    report.SetData(&rows);
    report.AddGroup("Lot")->Header()->AddDataText("Lot", 0, 0, 20);
    report.Detail()->AddDataText("Art", 0, 0, 50);
    const struct {
        QStringList fields;
        std::vector<QVariantList> rows;
    } runs[] = {
        {{"Lot", "Art"}, {{"A", "lapte"}, {"B", "unt"}}},
        {{"Art", "Lot"}, {{"lapte", "A"}, {"unt", "B"}}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.fields.join(',').toStdString());
        rows.Clear();
        rows.SetFieldNames(run.fields);
        for (const QVariantList& row : run.rows)
            rows.AddRow(row);
        const TReportDocument document = report.Generate();
        EXPECT_EQ(TextsNamed(document, "Lot"), QStringList({"A", "B"}));
        EXPECT_EQ(TextsNamed(document, "Art"), QStringList({"lapte", "unt"}));
    }
}

// A memo prints one text for each line of its lines joined by line breaks, whether or
// not its BeforePrint sees them as one text.
TEST(ReportBands, AMemoPrintsTheLinesOfItsText)
{
    const struct {
        const char* name;
        QStringList lines;
        bool beforePrint; // one that adds nothing
        QStringList printed;
    } cases[] = {
        {"none", {}, false, {}},
        {"one empty line", {""}, false, {}},
        {"an empty line last", {"a", ""}, false, {"a", ""}},
        {"a line holding a break", {"a\nb", "c"}, false, {"a", "b", "c"}},
        {"seen as one text", {"a\nb", "c"}, true, {"a", "b", "c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TReport report;
        TReportMemo* memo = report.Summary()->AddMemo(0, 0, 80);
        memo->Name = "memo";
        memo->Lines = c.lines;
        if (c.beforePrint)
            memo->BeforePrint = [](TReportElement*, QString&, bool&) {};
        EXPECT_EQ(TextsNamed(report.Generate(), "memo"), c.printed);
    }
}

TEST(ReportPages, HeaderAndFooterOnEveryPageAroundTheBody)
{
    struct Case {
        bool headerOnFirst;
        bool footerOnLast;
    };
    for (const Case c : {Case{true, true}, Case{false, true}, Case{true, false}, Case{false, false}}) {
        SCOPED_TRACE(testing::Message() << "header on first " << c.headerOnFirst << ", footer on last " << c.footerOnLast);
        TMemoryReportData rows({"Row"});
        for (int i = 1; i <= 100; ++i)
            rows.AddRow({i});
        TReport report;
        report.SetData(&rows);
        report.PageHeaderOnFirstPage = c.headerOnFirst;
        report.PageFooterOnLastPage = c.footerOnLast;
        report.PageHeader()->Height = 12;
        report.PageHeader()->AddLabel("Antet", 0, 0)->Name = "header";
        report.PageFooter()->Height = 10;
        TReportSystemData* pageNumber = report.PageFooter()->AddSystemData(TSystemDataKind::PageNumber, 0, 2);
        pageNumber->Prefix = "Pagina ";
        pageNumber->Name = "footer";
        report.Detail()->Height = 8;
        report.Detail()->AddDataText("Row", 0, 0, 30);

        const TReportDocument document = report.Generate();
        ASSERT_GE(document.PageCount(), 3);
        QStringList all;
        for (const TReportPage& page : document.Pages) {
            SCOPED_TRACE(page.Number);
            const bool first = page.Number == 1;
            const bool last = page.Number == document.PageCount();
            const auto header = page.TextsNamed("header");
            const auto footer = page.TextsNamed("footer");
            ASSERT_EQ(header.size(), size_t(!first || c.headerOnFirst ? 1 : 0));
            ASSERT_EQ(footer.size(), size_t(!last || c.footerOnLast ? 1 : 0));
            if (!footer.empty()) {
                EXPECT_EQ(footer[0]->Text, QStringLiteral("Pagina %1").arg(page.Number));
            }
            // The body lies between the header and the room kept for the footer.
            const double bodyTop = header.empty() ? report.Margins.top() : report.Margins.top() + 12;
            const double bodyBottom = page.Size.height() - report.Margins.bottom() - 10;
            for (const TPageText* row : page.TextsNamed("Row")) {
                EXPECT_GE(row->Rect.top(), bodyTop - 1e-6);
                EXPECT_LE(row->Rect.top() + 8, bodyBottom + 1e-6);
                all << row->Text;
            }
            if (!footer.empty()) {
                EXPECT_NEAR(footer[0]->Rect.top(), bodyBottom + 2, 1e-6);
            }
        }
        QStringList expected;
        for (int i = 1; i <= 100; ++i)
            expected << QString::number(i);
        EXPECT_EQ(all, expected);
    }
}

TEST(ReportPages, EmptyDataPrintsNothingWhenToldSo)
{
    for (const bool printIfEmpty : {false, true}) {
        SCOPED_TRACE(printIfEmpty);
        TMemoryReportData rows({"Row"});
        TReport report;
        report.SetData(&rows);
        report.PrintIfEmpty = printIfEmpty;
        report.PageHeader()->AddLabel("Antet", 0, 0);
        report.Detail()->AddDataText("Row", 0, 0);
        report.AddGroup("Row")->Header()->AddLabel("Grup", 0, 0);
        report.Summary()->AddLabel("Total", 0, 0);

        const TReportDocument document = report.Generate();
        if (!printIfEmpty) {
            EXPECT_EQ(document.PageCount(), 0);
        } else {
            ASSERT_EQ(document.PageCount(), 1);
            EXPECT_EQ(PageTexts(document.Pages[0]), QStringList({"Antet", "Total"}));
        }
    }
}

TEST(ReportBands, MultiLineColumnsStretchTheirBand)
{
    TMemoryReportData rows({"Grupa"});
    rows.AddRow({"02"});
    rows.AddRow({"03"});
    TReport report;
    report.SetData(&rows);
    TReportGroup* group = report.AddGroup("Grupa");
    group->Header()->AddDataText("Grupa", 0, 0)->Name = "header";
    TReportBand* footer = group->Footer();
    footer->Height = 6;
    footer->Frame = TFrameSide::All;
    footer->AddLabel("Materii prime utilizate:", 0, 0, 60);
    TReportMemo* names = footer->AddMemo(10, 5, 80);
    TReportMemo* quantities = footer->AddMemo(150, 5, 30);
    names->Name = "names";
    quantities->Name = "quantities";
    quantities->Alignment = TReportAlignment::Right;
    TReportShape* rule = footer->AddShape(TShapeKind::VerticalLine, 140, 0, 0, 6);
    rule->StretchWithBand = true;
    footer->BeforePrint = [&](TReportBand*, bool&) {
        names->Lines.clear();
        quantities->Lines.clear();
        if (Str(rows, "Grupa") == "02")
            for (int i = 1; i <= 4; ++i) {
                names->Lines << QStringLiteral("materie %1").arg(i);
                quantities->Lines << QString::number(i * 10);
            }
    };

    const TReportDocument document = report.Generate();
    ASSERT_EQ(document.PageCount(), 1);
    const TReportPage& page = document.Pages[0];
    const double line = LineHeightMm(TPageFont{report.FontName, report.FontSize});
    const auto headers = page.TextsNamed("header");
    const auto memo = page.TextsNamed("names");
    ASSERT_EQ(headers.size(), 2u);
    ASSERT_EQ(memo.size(), 4u);
    ASSERT_EQ(page.TextsNamed("quantities").size(), 4u);
    EXPECT_EQ(page.TextsNamed("quantities")[3]->Text, "40");

    const double footerTop = headers[0]->Rect.bottom();
    const double stretched = 5 + 4 * line;
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(memo[size_t(k)]->Rect.top(), footerTop + 5 + k * line, 1e-6);
    // The frame, the stretching rule and the next band follow the grown height.
    ASSERT_EQ(page.Rects.size(), 2u);
    EXPECT_NEAR(page.Rects[0].Rect.height(), stretched, 1e-6);
    EXPECT_NEAR(page.Rects[1].Rect.height(), 6, 1e-6); // the second group has no lines
    ASSERT_EQ(page.Lines.size(), 2u);
    EXPECT_NEAR(page.Lines[0].To.y() - page.Lines[0].From.y(), stretched, 1e-6);
    EXPECT_NEAR(headers[1]->Rect.top(), footerTop + stretched, 1e-6);
}

TEST(ReportElements, ValuesPrintThroughTheirMasks)
{
    struct Case {
        const char* name;
        QVariant value;
        QString mask;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"number with grouping", 1234.5, "#,##0.00", "1,234.50"},
        {"large number", 1234567.891, "#,##0.00", "1,234,567.89"},
        {"negative rounding to zero", -0.004, "#,##0.00", "0.00"},
        // Rounded as written in decimals, half away from zero, whatever the size.
        {"half up as written", 2.675, "#,##0.00", "2.68"},
        {"carry into a new digit", 999.995, "#,##0.00", "1,000.00"},
        {"half a cent", 0.005, "#,##0.00", "0.01"},
        {"value in the hundreds of billions", 123456789012.345, "#,##0.00", "123,456,789,012.35"},
        {"beyond the digits a double holds", 1e15, "#,##0.00", "1,000,000,000,000,000.00"},
        {"three optional decimals", 1234567.891, "0.###", "1234567.891"},
        {"integer value", 7, "#,##0.00", "7.00"},
        // Whole in the decimals asked for, or a hair off it as sums and products come out.
        {"whole in its cents", 1.25, "0.00", "1.25"},
        {"a sum a hair above its cents", 0.1 + 0.2, "0.00", "0.30"},
        {"whole in its cents at fifteen digits", 9999999999999.99, "0.00", "9999999999999.99"},
        {"whole in its thousandths", 1.5, "#,##0.000", "1.500"},
        // Masks of several sections, literals and exponents, one after another: each value
        // through its own mask, never the one before.
        {"negative in its own section", -1234.5, "#,##0.00;(#,##0.00);zero", "(1,234.50)"},
        {"zero in its own section", 0, "#,##0.00;(#,##0.00);zero", "zero"},
        {"positive in the first section", 5, "#,##0.00;(#,##0.00);zero", "5.00"},
        {"negative without a section of its own", -3.5, "0.0", "-3.5"},
        {"text around the number", 7.5, "\"Total: \"0.0\" kg\"", "Total: 7.5 kg"},
        {"exponent", 12345, "0.00E+00", "1.23E+04"},
        {"number without mask", 12.5, "", "12.5"},
        {"digits the mask asks for, grouped", 12, "000,000", "000,012"},
        {"no integer digit asked for", 0.5, "#.##", ".5"},
        {"optional decimals dropped", 2.5, "0.0#", "2.5"},
        {"nines carried into a new digit", 9.96, "0.0", "10.0"},
        {"date with mask", QDate(2024, 3, 5), "dd.mm.yyyy", "05.03.2024"},
        {"date's parts unpadded", QDate(2024, 3, 5), "d.m.yy", "5.3.24"},
        {"an early year padded", QDate(5, 1, 1), "yyyy", "0005"},
        {"moment", QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)), "dd.mm.yyyy hh:nn:ss", "05.03.2024 07:08:09"},
        {"minutes after hours", QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)), "h:m", "7:8"},
        {"quoted text in a date", QDate(2024, 3, 5), "dd 'de' mm", "05 de 03"},
        {"date without mask", QDate(2024, 3, 5), "", "05/03/2024"},
        {"text ignores a mask", QStringLiteral("abc"), "#,##0.00", "abc"},
        {"null prints nothing", QVariant(), "#,##0.00", ""},
    };
    // Unmasked values print by the conventions in force, here the framework's own.
    const TFormatSettings saved = std::exchange(DefaultFormatSettings(), TFormatSettings{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryReportData rows({"V"});
        rows.AddRow({c.value});
        TReport report;
        report.FormatSettings = TFormatSettings{};
        report.SetData(&rows);
        report.Detail()->AddDataText("V", 0, 0)->Mask = c.mask;
        // The same value computed by a callback prints the same way.
        TReportDataText* computed = report.Detail()->AddExpression([&] { return c.value; }, 50, 0);
        computed->Name = "computed";
        computed->Mask = c.mask;
        const TReportDocument document = report.Generate();
        EXPECT_EQ(TextsNamed(document, "V"), QStringList{c.expected});
        EXPECT_EQ(TextsNamed(document, "computed"), QStringList{c.expected});
    }
    DefaultFormatSettings() = saved;
}

// A picture takes its box's room in its band and is never cut: a band that does not fit
// whole goes on the next page with its picture, and a picture with no image prints nothing.
TEST(ReportElements, APictureTakesItsRoomAndMovesWholeToTheNextPage)
{
    TMemoryReportData rows({QStringLiteral("Row")});
    for (int i = 1; i <= 3; ++i)
        rows.AddRow({i});
    TReport report;
    report.PaperSize = QPageSize(QSizeF(100, 150), QPageSize::Millimeter);
    report.Margins = QMarginsF(10, 10, 10, 10);
    report.SetData(&rows);
    report.Detail()->Height = 40; // three rows: 10..130 of a body ending at 140
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::green);
    TReportPicture* picture = report.Summary()->AddPicture(5, 2, 0, 30);
    picture->Image = image;
    report.Summary()->AddLabel(QStringLiteral("Sub grafic"), 0, 33)->Name = QStringLiteral("under");

    TReportDocument document = report.Generate();
    ASSERT_EQ(document.PageCount(), 2);
    EXPECT_TRUE(document.Pages[0].Pictures.empty());
    ASSERT_EQ(document.Pages[1].Pictures.size(), 1u);
    // Width 0 reaches to the band's right edge: 80 mm between the margins, less 5.
    EXPECT_EQ(document.Pages[1].Pictures[0].Rect, QRectF(15, 12, 75, 30));
    EXPECT_EQ(document.Pages[1].Pictures[0].Image, image);
    ASSERT_EQ(document.Pages[1].TextsNamed("under").size(), 1u);
    EXPECT_DOUBLE_EQ(document.Pages[1].TextsNamed("under")[0]->Rect.top(), 43);

    picture->Image = QImage();
    document = report.Generate();
    ASSERT_EQ(document.PageCount(), 2);
    EXPECT_TRUE(document.Pages[1].Pictures.empty());
    EXPECT_DOUBLE_EQ(document.Pages[1].TextsNamed("under")[0]->Rect.top(), 43);
}

// A text is cut only where it does not fit its width: narrow letters in a box just their
// width stay whole, though as many of the widest would not fit; wide ones are cut and end
// in an ellipsis; a letter beyond the Latin ones is measured as such.
TEST(ReportEngine, ATextIsCutOnlyWhereItDoesNotFit)
{
    const TPageFont font{"Arial", 8};
    const QString narrow(40, QLatin1Char('i'));
    const double narrowWidth = TextWidthMm(font, narrow);
    ASSERT_LT(narrowWidth * 2, TextWidthMm(font, QString(40, QLatin1Char('W'))));
    EXPECT_EQ(ElidedTextMm(font, narrow, narrowWidth + 0.01), narrow);
    EXPECT_EQ(ElidedTextMm(font, QStringLiteral("L100123"), 30), QStringLiteral("L100123"));
    const QString cut = ElidedTextMm(font, QString(40, QLatin1Char('W')), narrowWidth);
    EXPECT_LT(cut.size(), 40);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    const QString cyrillic = QStringLiteral("Молоко пастеризат");
    EXPECT_EQ(ElidedTextMm(font, cyrillic, TextWidthMm(font, cyrillic) + 0.01), cyrillic);
    EXPECT_NE(ElidedTextMm(font, cyrillic, TextWidthMm(font, cyrillic) / 2), cyrillic);
}
