#pragma once

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace fw {

// The device-independent result of generating a report: pages of text boxes, lines,
// rectangles and pictures, every coordinate in millimetres from the top left corner of the sheet.
// Painting reads it and never changes it.

enum class TReportAlignment { Left, Center, Right };

struct TPageFont {
    QString Family;
    double PointSize = 10;
    bool Bold = false;
    bool Italic = false;
    bool FixedPitch = false;
};

// One line of text in its box; the text is aligned horizontally in the box and centred
// vertically, and is never clipped to it. Name is the name of the element that printed it.
struct TPageText {
    QString Name;
    QRectF Rect;
    QString Text;
    TPageFont Font;
    TReportAlignment Alignment = TReportAlignment::Left;
};

struct TPageLine {
    QPointF From;
    QPointF To;
    double Width = 0.2; // pen width, mm
};

struct TPageRect {
    QRectF Rect;
    double Width = 0.2; // pen width, mm
};

// A picture (a chart) drawn into its box, stretched to fill it. The image is made for the
// box at print resolution, so it is sharp on paper and in a PDF; painted over the solid
// areas and under the frames, rules and texts.
struct TPagePicture {
    QRectF Rect;
    QImage Image;
};

struct TReportPage {
    int Number = 0;  // 1-based
    QSizeF Size;     // the sheet, mm, as oriented
    std::vector<TPageText> Texts; // in the order they were printed (top to bottom by band)
    std::vector<TPageLine> Lines;
    std::vector<TPageRect> Rects;
    // Solid black areas, drawn before the frames: the bars and modules of barcodes, which
    // stay shapes in a PDF, sharp at any resolution a reader or a printer uses.
    std::vector<QRectF> Fills;
    std::vector<TPagePicture> Pictures;
    // How many of the first texts, rules, frames and pictures the page header printed: the
    // same on most pages, which a PDF draws once (a form) and shows on each. None where no
    // header printed, or where the page was made otherwise.
    struct THeader {
        size_t Texts = 0;
        size_t Lines = 0;
        size_t Rects = 0;
        size_t Pictures = 0;
    };
    THeader Header;

    // The texts an element printed on this page, in order.
    std::vector<const TPageText*> TextsNamed(const QString& name) const;
};

struct TReportDocument {
    QString Title;
    QPageSize PaperSize = QPageSize(QPageSize::A4);
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    std::vector<TReportPage> Pages;

    int PageCount() const { return int(Pages.size()); }
    // The page layout to print it with: its paper and orientation, no margins.
    QPageLayout Layout() const;
};

// How a document is printed: copies, and the pages from FirstPage to LastPage (1-based);
// 0 and 0 print every page, a LastPage of 0 prints to the end.
struct TReportPrinterSettings {
    int Copies = 1;
    int FirstPage = 0;
    int LastPage = 0;
};

} // namespace fw
