#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QPrinter;
class QWidget;

namespace fw {

// ---- Paper sizes -------------------------------------------------------------------------

// Paper sizes are chosen by an index into a fixed table of driver paper codes (the numbers
// Windows printer drivers use, which Qt maps through QPageSize::id(windowsId)). Index 0 is
// "the printer's default" (code 0), index 32 "custom" (code 256).
constexpr int kPaperSizeCount = 33;
// The paper code at a table index; 0 for an index outside the table.
int PaperCodeOfIndex(int index);
// The table index of a paper code; 0 (printer default) for a code the table does not hold.
int PaperIndexOfCode(int code);
// The page size of a paper code; invalid for 0, custom and codes Qt has no size for.
QPageSize PageSizeOfPaperCode(int code);

// ---- Printer geometry --------------------------------------------------------------------

// A printer's capabilities in device pixels: the unprintable offset at the left and top, the
// resolution, the whole sheet and its printable part.
struct TDeviceCaps {
    double OffsetX = 0;
    double OffsetY = 0;
    double DpiX = 0;
    double DpiY = 0;
    double PhysicalWidth = 0;
    double PhysicalHeight = 0;
    double PrintableWidth = 0;
    double PrintableHeight = 0;
};

// The unprintable border on each side and the sheet, in whole millimetres.
struct TPrinterGeometry {
    int MinLeft = 0;
    int MinTop = 0;
    int MinRight = 0;
    int MinBottom = 0;
    int PaperWidth = 0;
    int PaperHeight = 0;
    bool operator==(const TPrinterGeometry&) const = default;
};

// Border = round(pixels / dpi * 25.4 + 0.5), sheet = round(pixels / dpi * 25.4), rounding
// halves to even: the added half makes a border round up, so margins kept at or above the
// minimum never reach into the unprintable part. All zero when a resolution is not positive.
TPrinterGeometry ComputePrinterGeometry(const TDeviceCaps& caps);

// ---- Fonts -------------------------------------------------------------------------------

// A font family the printer can print, with its average character width at the size asked,
// in the printer's device pixels (divide the printer's DpiX by it for characters per inch).
struct TPrinterFont {
    QString Family;
    double AverageCharWidth = 0;
    bool FixedPitch = false;
};

// ---- Modal dialogs -----------------------------------------------------------------------

// Every modal dialog of printing and preview runs through this one function, so that a test
// can act on the dialog and choose its result instead of waiting in its event loop.
using TModalRunner = std::function<int(QDialog& dialog)>;
// Replaces the runner; an empty one restores QDialog::exec.
void SetPrintModalRunner(TModalRunner runner);
int ExecPrintModal(QDialog& dialog);

// ---- The printer -------------------------------------------------------------------------

// The printer reports go to: one of the system's printers or, when none is installed, a
// printer that writes PDF files. Wraps a QPrinter at the printer's own resolution.
class TPrinter final {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The printers to choose from: the system's, or only the PDF file printer (PdfPrinterName).
    QStringList Printers() const;
    static QString PdfPrinterName();
    // Position of the current printer in Printers(); -1 when it is no longer installed.
    int PrinterIndex() const;
    // Selects a printer by position; -1 selects the system's default. Orientation and paper
    // carry over where the new printer has them.
    void SetPrinterIndex(int index);
    QString PrinterName() const;
    bool IsPdfPrinter() const;
    // Where the PDF file printer writes: the file chosen in the setup dialog or set here, by
    // default "<documents folder>/<document name>.pdf".
    QString OutputFileName(const QString& documentName = QString()) const;
    void SetOutputFileName(const QString& fileName);

    QPageLayout::Orientation Orientation() const;
    void SetOrientation(QPageLayout::Orientation orientation);
    // The driver paper code of the current paper (0 when it has none, as a custom size).
    int PaperCode() const;
    // Sets the paper by driver code; false (paper unchanged) for a code Qt has no size for.
    bool SetPaperCode(int code);

    TDeviceCaps DeviceCaps() const;
    TPrinterGeometry Geometry() const { return ComputePrinterGeometry(DeviceCaps()); }
    int DpiX() const;
    // The font families usable on the printer with their average character width at a size.
    std::vector<TPrinterFont> Fonts(double pointSize) const;

    // The printer-setup dialog (printer, paper, orientation, pages, copies); true when
    // confirmed, and the choice is then the current printer.
    bool ExecSetupDialog(QWidget* parent = nullptr);

    // The device, for painting on it and for Qt's own dialogs.
    QPrinter& Device() { return *printer_; }
    const QPrinter& Device() const { return *printer_; }
    // The device ready to take a document: the PDF file printer is given its file name.
    QPrinter& DeviceFor(const QString& documentName);

private:
    std::unique_ptr<QPrinter> printer_;
    QString outputFileName_;
};

// The process-wide current printer (created on first use, released with the application).
TPrinter& Printer();

} // namespace fw
