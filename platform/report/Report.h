#pragma once

#include "platform/core/Formats.h"
#include "platform/report/PageModel.h"

#include <QDateTime>
#include <QFlags>
#include <QMarginsF>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace fw {

class TReport;
class TReportBand;
class TReportData;
class TReportGenerator;
class TReportGroup;

// A banded report: a driving data source walked row by row, and bands printed around the
// rows. Everything is measured in millimetres; a band's elements are placed from its top
// left corner, which sits on the left margin.
//
//   TReport report(owner);
//   report.SetData(&rows);
//   report.PageHeader()->AddLabel("Trasabilitatea produselor", 0, 0)->Alignment = TReportAlignment::Center;
//   TReportGroup* lot = report.AddGroup("Lot");
//   lot->NewPage = true;
//   lot->Header()->AddDataText("Lot", 20, 1, 40);
//   report.Detail()->AddDataText("Cantitate", 150, 0, 30)->Mask = "#,##0.00";
//   report.Preview(window);

enum class TFrameSide { Left = 1, Top = 2, Right = 4, Bottom = 8, All = 15 };
Q_DECLARE_FLAGS(TFrameSides, TFrameSide)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFrameSides)

enum class TElementKind { Label, DataText, Sum, Shape, SystemData, Memo, Picture };
enum class TShapeKind { Rectangle, HorizontalLine, VerticalLine };
enum class TSystemDataKind { DateTime, Date, Time, PageNumber };
enum class TFontPitch { Default, Variable, Fixed };
enum class TBandType { PageHeader, PageFooter, GroupHeader, GroupFooter, Detail, Summary };

// Something a band prints. Created (and owned) by the band's Add... functions.
class TReportElement {
public:
    TReportElement(const TReportElement&) = delete;
    TReportElement& operator=(const TReportElement&) = delete;
    virtual ~TReportElement() = default;

    TElementKind Kind() const { return kind_; }
    TReportBand* Band() const { return band_; }

    QString Name;       // names the texts it prints in the page model
    double Left = 0;    // mm from the band's left edge
    double Top = 0;     // mm from the band's top
    double Width = 0;   // mm; 0 reaches to the band's right edge
    double Height = 0;  // mm; 0 is one line of the element's font
    TReportAlignment Alignment = TReportAlignment::Left;
    bool Bold = false;
    bool Italic = false;
    double FontSize = 0; // points; 0 takes the report's size
    TFrameSides Frame;   // sides of its box drawn as lines
    double FrameWidth = 0.2;
    bool Enabled = true; // a disabled element never prints
    bool Elide = false;  // a text wider than its box is cut and ends in an ellipsis

    // Runs just before the element prints, with the text it is about to print (empty for a
    // shape, the lines joined by "\n" for a memo): may change the text or keep it from printing.
    std::function<void(TReportElement* element, QString& text, bool& print)> BeforePrint;

protected:
    TReportElement(TElementKind kind, TReportBand* band) : kind_(kind), band_(band) {}

private:
    TElementKind kind_;
    TReportBand* band_;
};

// Fixed text.
class TReportLabel final : public TReportElement {
public:
    explicit TReportLabel(TReportBand* band) : TReportElement(TElementKind::Label, band) {}
    QString Caption;
};

// A field of a data source (the report's own when Data is null, or any other, such as a
// detail dataset that follows the report's rows), or a value computed by OnGetValue.
// Without a mask it prints the source's display text (or, for OnGetValue, the value's text);
// with one, numbers go through FormatFloat ("#,##0.00") and dates through FormatDateTime.
class TReportDataText final : public TReportElement {
public:
    explicit TReportDataText(TReportBand* band) : TReportElement(TElementKind::DataText, band) {}
    TReportData* Data = nullptr;
    QString FieldName;
    std::function<QVariant()> OnGetValue; // used instead of the field when set
    QString Mask;

private:
    friend class TReportGenerator;
    int handle_ = -1; // the field's handle in its data, looked up at its first print of a run
};

// A running sum: Term is evaluated on every row of the report's data (whether or not the
// detail band prints) and added up; the sum prints through Mask and restarts from zero
// after it prints. A suppressed sum keeps counting.
class TReportSum final : public TReportElement {
public:
    explicit TReportSum(TReportBand* band) : TReportElement(TElementKind::Sum, band) {}
    std::function<double()> Term;
    QString Mask;
    double Value() const { return value_; }
    void Reset() { value_ = 0; }

private:
    friend class TReportGenerator;
    double value_ = 0;
};

// A frame, or a line along the top (horizontal) or left (vertical) edge of the element's
// box. StretchWithBand makes rectangles and vertical lines reach the bottom of a band that
// grew taller than designed.
class TReportShape final : public TReportElement {
public:
    explicit TReportShape(TReportBand* band) : TReportElement(TElementKind::Shape, band) {}
    TShapeKind Shape = TShapeKind::Rectangle;
    double PenWidth = 0.2;
    bool StretchWithBand = false;
};

// The moment of printing (the one moment of the whole generation) or the page number.
// Format is a FormatDateTime pattern (default: the report's short date format, and for
// DateTime also its long time format); Prefix goes before the text.
class TReportSystemData final : public TReportElement {
public:
    explicit TReportSystemData(TReportBand* band) : TReportElement(TElementKind::SystemData, band) {}
    TSystemDataKind Data = TSystemDataKind::DateTime;
    QString Prefix;
    QString Format;
};

// A column of lines set at run time (typically by the band's BeforePrint). Each line takes
// one line of the font; the band grows to hold them all.
class TReportMemo final : public TReportElement {
public:
    explicit TReportMemo(TReportBand* band) : TReportElement(TElementKind::Memo, band) {}
    QStringList Lines;
};

// A picture stretched over the element's box (Width 0: to the band's right edge; Height
// must be set). Make Image for the box at print resolution (PictureDpi); a null image
// prints nothing but still takes its room. A band is never split through a picture.
class TReportPicture final : public TReportElement {
public:
    explicit TReportPicture(TReportBand* band) : TReportElement(TElementKind::Picture, band) {}
    QImage Image;
};

// The resolution pictures are made at for a page: a printer's, sharp on paper.
constexpr int PictureDpi = 300;

// A band: a strip across the page printed at its moment (top of every page, every row, a
// group's start or end...). It is as tall as Height or as its elements need, whichever is
// more. A band with no height and no elements is absent. A band that does not fit on the
// rest of the page goes to the next one; one taller than a whole page is split between
// lines of text and continues on the next pages.
class TReportBand final {
public:
    TReportBand(TReport* report, TBandType type, TReportGroup* group = nullptr);
    TReportBand(const TReportBand&) = delete;
    TReportBand& operator=(const TReportBand&) = delete;
    ~TReportBand();

    TBandType BandType() const { return type_; }
    TReport* Report() const { return report_; }
    TReportGroup* Group() const { return group_; } // for group headers and footers

    double Height = 0; // mm, the least height
    bool Enabled = true;
    TFrameSides Frame; // sides of the band's box (page width within the margins)
    double FrameWidth = 0.2;

    // Runs before the band prints (before its elements' events): may set memo lines and
    // texts, or keep the band from printing. The data's current row is the one the band is
    // about: for a group footer, the last row of the group that ends.
    std::function<void(TReportBand* band, bool& print)> BeforePrint;

    // Adding elements; left/top/width in mm (width 0 reaches to the band's right edge).
    // A data text is named after its field; other elements are unnamed until Name is set.
    TReportLabel* AddLabel(const QString& caption, double left, double top, double width = 0);
    TReportDataText* AddDataText(const QString& fieldName, double left, double top, double width = 0,
                                 TReportData* data = nullptr);
    TReportDataText* AddExpression(std::function<QVariant()> value, double left, double top, double width = 0);
    TReportSum* AddSum(std::function<double()> term, const QString& mask, double left, double top, double width = 0);
    TReportShape* AddShape(TShapeKind shape, double left, double top, double width, double height);
    TReportSystemData* AddSystemData(TSystemDataKind data, double left, double top, double width = 0);
    TReportMemo* AddMemo(double left, double top, double width);
    TReportPicture* AddPicture(double left, double top, double width, double height);

    int ElementCount() const { return int(elements_.size()); }
    TReportElement* Elements(int index) const { return elements_.at(size_t(index)).get(); }
    TReportElement* FindElement(const QString& name) const; // null when absent
    bool IsEmpty() const { return Height <= 0 && elements_.empty(); }

private:
    template <class T> T* Add(double left, double top, double width);

    TReport* report_;
    TBandType type_;
    TReportGroup* group_;
    std::vector<std::unique_ptr<TReportElement>> elements_;
};

// A group of consecutive rows with the same break value. It breaks whenever the value
// differs from the previous row's; a break of an outer group also ends and restarts every
// group inside it. Footers print innermost first, headers outermost first.
class TReportGroup final {
public:
    TReportGroup(TReport* report, QString breakField);
    TReportGroup(const TReportGroup&) = delete;
    TReportGroup& operator=(const TReportGroup&) = delete;

    QString Name;
    QString BreakField;                        // a field of the report's data
    std::function<QVariant()> BreakExpression; // used instead of the field when set
    bool NewPage = false;                      // every group starts on a page of its own

    TReportBand* Header() { return &header_; }
    TReportBand* Footer() { return &footer_; }

    // The value the group breaks on, for the current row.
    QVariant BreakValue() const;

private:
    friend class TReportGenerator;
    TReport* report_;
    int handle_ = -1; // BreakField's handle in the report's data, as for a data text
    TReportBand header_;
    TReportBand footer_;
};

// The report: page setup, font, bands and groups over a driving data source. Owned by its
// QObject owner (the form that holds it).
class TReport final : public QObject {
public:
    explicit TReport(QObject* owner = nullptr);
    ~TReport() override;

    QString Title;
    QPageSize PaperSize = QPageSize(QPageSize::A4);
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    QMarginsF Margins = QMarginsF(10, 10, 10, 10); // mm: left, top, right, bottom
    QString FontName = QStringLiteral("Arial");
    double FontSize = 10; // points
    TFontPitch FontPitch = TFontPitch::Default;
    bool PrintIfEmpty = true;          // false: no pages at all when the data has no rows
    bool PageHeaderOnFirstPage = true;
    bool PageFooterOnLastPage = true;
    TReportPrinterSettings PrinterSettings;
    TFormatSettings FormatSettings = DefaultFormatSettings(); // dates and numbers printed

    TReportData* Data() const { return data_; }
    void SetData(TReportData* data) { data_ = data; }

    TReportBand* PageHeader() { return &pageHeader_; }
    TReportBand* PageFooter() { return &pageFooter_; }
    TReportBand* Detail() { return &detail_; }
    TReportBand* Summary() { return &summary_; }

    // Groups, outermost first.
    TReportGroup* AddGroup(const QString& breakField);
    int GroupCount() const { return int(groups_.size()); }
    TReportGroup* Groups(int index) const { return groups_.at(size_t(index)).get(); }

    // Runs at the start of every generation (a preview, a print, a new print from the
    // preview): the place to reset running numbers.
    std::function<void(TReport* report)> BeforeGenerate;

    // The sheet as oriented, and the width between the margins, in mm.
    QSizeF PageSizeMm() const;
    double ContentWidth() const;

    // Walks the data from its first row and lays the pages out. The data stays on its last row.
    TReportDocument Generate();
    // The same, handing each page to `pageDone` as soon as nothing more goes on it and
    // keeping only its number and size: a long report is written out without being held
    // whole. Once `pageDone` returns false the pages after are kept whole instead.
    TReportDocument Generate(const std::function<bool(const TReportPage&)>& pageDone);
    // While generating: the page being filled (1-based); the moment of printing.
    int PageNumber() const { return pageNumber_; }
    QDateTime PrintedAt() const { return printedAt_; }

    // Generates and shows the pages in the modal preview window (nothing when there are no
    // pages). Printing from there generates the report again.
    void Preview(QWidget* owner = nullptr);
    // Generates and prints on the current printer with PrinterSettings; false when there was
    // nothing to print.
    bool Print();
    // Generates and writes a PDF file; false (no file) when there are no pages, EInOutError
    // when it cannot be written.
    bool ExportPdf(const QString& fileName);

private:
    friend class TReportGenerator;

    TReportData* data_ = nullptr;
    TReportBand pageHeader_;
    TReportBand pageFooter_;
    TReportBand detail_;
    TReportBand summary_;
    std::vector<std::unique_ptr<TReportGroup>> groups_;
    int pageNumber_ = 0;
    QDateTime printedAt_;
};

} // namespace fw
