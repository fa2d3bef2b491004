#pragma once

#include "platform/report/PageModel.h"

#include <QFont>

class QPainter;
class QPrinter;

namespace fw {

class TReport;

// One painter for every device: the preview, printers, PDF files and images. Millimetres
// become pixels through the device's own resolution (times Zoom), so the same page looks
// the same everywhere.
struct TPaintOptions {
    double Zoom = 1.0;
    bool Background = true; // paint the sheet white first (screens and images)
};

// Paints a page with its top left corner at the painter's origin. The page is only read.
void paintPage(QPainter& painter, const TReportPage& page, const TPaintOptions& options = {});

// The QFont a page font paints with; pointScale scales its size (the zoom).
QFont PageQFont(const TPageFont& font, double pointScale = 1.0);
// The height one line of the font takes, mm (the distance between memo lines).
double LineHeightMm(const TPageFont& font);
// The width a text takes in the font, mm.
double TextWidthMm(const TPageFont& font, const QString& text);
// The text cut to fit a width, ending in an ellipsis; unchanged when it fits.
QString ElidedTextMm(const TPageFont& font, const QString& text, double widthMm);

// Writes every page to a PDF file, whole or not at all. False (and no file) when there are
// no pages; EInOutError when the file cannot be written, and before anything is written when
// CheckOutputFile (platform/db/OutputFile.h) refuses it.
bool ExportPdf(const TReportDocument& document, const QString& fileName);
// The same for a report generated while it is written, each page let go once written (a
// year's report is never held whole).
bool ExportPdf(TReport& report, const QString& fileName);
// Writes one page (0-based) to a PNG image at a resolution. False when there is no such
// page; EInOutError when the file cannot be written or is refused (CheckOutputFile).
bool ExportPng(const TReportDocument& document, int pageIndex, const QString& fileName, int dpi = 150);
// Prints the pages of the settings' range, with its copies, on the document's paper and
// orientation (the printer's own layout is restored afterwards). False when the range holds
// no page; EInOutError when the printer cannot be opened, and for a PDF printer whose file
// CheckOutputFile refuses (before anything is written).
bool PrintDocument(const TReportDocument& document, QPrinter& printer, const TReportPrinterSettings& settings);

} // namespace fw
