#include "platform/print/Printer.h"

#include "platform/core/Formats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <array>
#include <cmath>

namespace fw {

namespace {

// Index -> driver paper code. The tail holds the envelope and fan-fold codes the report
// settings have always offered, and 256 for a custom size.
constexpr std::array<int, kPaperSizeCount> kPaperCodes = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,  13,  14,  15,  16,
    17, 18, 19, 20, 21, 22, 23, 39, 40, 41, 265, 263, 269, 375, 26, 256,
};

constexpr int kCustomPaperCode = 256;

int ToMillimetres(double pixels, double dpi, double bias)
{
    return int(RoundHalfEven(pixels / dpi * 25.4 + bias));
}

TModalRunner& Runner()
{
    static TModalRunner runner;
    return runner;
}

QStringList SystemPrinters() { return QPrinterInfo::availablePrinterNames(); }

QString SafeFileName(const QString& name)
{
    QString out;
    for (const QChar c : name)
        out += (c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-')) ? c : QLatin1Char('_');
    out = out.trimmed();
    return out.isEmpty() ? QStringLiteral("Raport") : out;
}

} // namespace

int PaperCodeOfIndex(int index)
{
    return index >= 0 && index < kPaperSizeCount ? kPaperCodes[size_t(index)] : 0;
}

int PaperIndexOfCode(int code)
{
    for (int i = 0; i < kPaperSizeCount; ++i)
        if (kPaperCodes[size_t(i)] == code)
            return i;
    return 0;
}

QPageSize PageSizeOfPaperCode(int code)
{
    if (code <= 0 || code == kCustomPaperCode)
        return QPageSize();
    const QPageSize::PageSizeId id = QPageSize::id(code);
    return id == QPageSize::Custom ? QPageSize() : QPageSize(id);
}

TPrinterGeometry ComputePrinterGeometry(const TDeviceCaps& caps)
{
    TPrinterGeometry g;
    // A printer that reports no resolution (a broken or missing driver) has no geometry;
    // dividing by it would put infinities into integers.
    if (!(caps.DpiX > 0) || !(caps.DpiY > 0))
        return g;
    g.MinLeft = ToMillimetres(caps.OffsetX, caps.DpiX, 0.5);
    g.MinTop = ToMillimetres(caps.OffsetY, caps.DpiY, 0.5);
    g.MinRight = ToMillimetres(caps.PhysicalWidth - caps.OffsetX - caps.PrintableWidth, caps.DpiX, 0.5);
    g.MinBottom = ToMillimetres(caps.PhysicalHeight - caps.OffsetY - caps.PrintableHeight, caps.DpiY, 0.5);
    g.PaperWidth = ToMillimetres(caps.PhysicalWidth, caps.DpiX, 0.0);
    g.PaperHeight = ToMillimetres(caps.PhysicalHeight, caps.DpiY, 0.0);
    return g;
}

void SetPrintModalRunner(TModalRunner runner) { Runner() = std::move(runner); }

int ExecPrintModal(QDialog& dialog) { return Runner() ? Runner()(dialog) : dialog.exec(); }

// ---- TPrinter ----------------------------------------------------------------------------

TPrinter::TPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    if (SystemPrinters().isEmpty())
        printer_->setOutputFormat(QPrinter::PdfFormat);
}

TPrinter::~TPrinter() = default;

QString TPrinter::PdfPrinterName() { return QStringLiteral("Fisier PDF"); }

QStringList TPrinter::Printers() const
{
    const QStringList names = SystemPrinters();
    return names.isEmpty() ? QStringList{PdfPrinterName()} : names;
}

bool TPrinter::IsPdfPrinter() const { return printer_->outputFormat() == QPrinter::PdfFormat; }

QString TPrinter::PrinterName() const { return IsPdfPrinter() ? PdfPrinterName() : printer_->printerName(); }

int TPrinter::PrinterIndex() const { return int(Printers().indexOf(PrinterName())); }

void TPrinter::SetPrinterIndex(int index)
{
    const QStringList system = SystemPrinters();
    const QPageLayout::Orientation orientation = Orientation();
    const QPageSize paper = printer_->pageLayout().pageSize();
    if (system.isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
    } else {
        const QString name =
            index >= 0 && index < system.size() ? system.at(index) : QPrinterInfo::defaultPrinterName();
        printer_->setOutputFormat(QPrinter::NativeFormat);
        printer_->setPrinterName(name);
    }
    printer_->setPageSize(paper);
    printer_->setPageOrientation(orientation);
}

QString TPrinter::OutputFileName(const QString& documentName) const
{
    if (IsPdfPrinter() && !printer_->outputFileName().isEmpty())
        return printer_->outputFileName();
    if (!outputFileName_.isEmpty())
        return outputFileName_;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir(folder).filePath(SafeFileName(documentName) + QStringLiteral(".pdf"));
}

void TPrinter::SetOutputFileName(const QString& fileName)
{
    outputFileName_ = fileName;
    // A native printer would turn into a PDF writer if its device got the name now; the
    // name is handed over when a document goes to the PDF printer.
    if (IsPdfPrinter())
        printer_->setOutputFileName(fileName);
}

QPrinter& TPrinter::DeviceFor(const QString& documentName)
{
    if (IsPdfPrinter() && printer_->outputFileName().isEmpty())
        printer_->setOutputFileName(OutputFileName(documentName));
    return *printer_;
}

QPageLayout::Orientation TPrinter::Orientation() const { return printer_->pageLayout().orientation(); }

void TPrinter::SetOrientation(QPageLayout::Orientation orientation) { printer_->setPageOrientation(orientation); }

int TPrinter::PaperCode() const { return printer_->pageLayout().pageSize().windowsId(); }

bool TPrinter::SetPaperCode(int code)
{
    const QPageSize size = PageSizeOfPaperCode(code);
    return size.isValid() && printer_->setPageSize(size);
}

int TPrinter::DpiX() const { return printer_->resolution(); }

TDeviceCaps TPrinter::DeviceCaps() const
{
    const int dpi = printer_->resolution();
    const QPageLayout layout = printer_->pageLayout();
    // The printable part is the sheet less the printer's minimum margins.
    const QPageLayout printable(layout.pageSize(), layout.orientation(), layout.minimumMargins(), layout.units(),
                                layout.minimumMargins());
    const QRect sheet = layout.fullRectPixels(dpi);
    const QRect inner = printable.paintRectPixels(dpi);
    TDeviceCaps caps;
    caps.DpiX = dpi;
    caps.DpiY = dpi;
    caps.OffsetX = inner.x();
    caps.OffsetY = inner.y();
    caps.PhysicalWidth = sheet.width();
    caps.PhysicalHeight = sheet.height();
    caps.PrintableWidth = inner.width();
    caps.PrintableHeight = inner.height();
    return caps;
}

std::vector<TPrinterFont> TPrinter::Fonts(double pointSize) const
{
    std::vector<TPrinterFont> fonts;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        QFont font(family);
        font.setPointSizeF(pointSize);
        const QFontMetricsF metrics(font, printer_.get());
        fonts.push_back({family, metrics.averageCharWidth(), QFontDatabase::isFixedPitch(family)});
    }
    return fonts;
}

bool TPrinter::ExecSetupDialog(QWidget* parent)
{
    QPrintDialog dialog(printer_.get(), parent);
    return ExecPrintModal(dialog) == QDialog::Accepted;
}

TPrinter& Printer()
{
    static std::unique_ptr<TPrinter> printer;
    if (!printer) {
        printer = std::make_unique<TPrinter>();
        // The device must go before the application does (print plugins live in it).
        qAddPostRoutine([] { printer.reset(); });
    }
    return *printer;
}

} // namespace fw
