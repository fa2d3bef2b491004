#include "platform/report/ReportPainter.h"

#include "platform/core/Exceptions.h"
#include "platform/db/OutputFile.h"
#include "platform/report/PdfWriter.h"
#include "platform/report/Report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <vector>
#include <cstdio>

namespace fw {

namespace {

// Texts are measured at a printer's resolution, where rounding to whole pixels does not
// show; the result is in millimetres and holds for every device.
constexpr int kMeasureDpi = 1200;

const QImage& MeasureDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = qRound(kMeasureDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

double PixelsToMm(double pixels) { return pixels / kMeasureDpi * 25.4; }

// What measuring in one font needs, kept for the fonts reports use: metrics are costly to
// make, and most texts are measured only to learn that they fit.
class TFontMeasure {
public:
    explicit TFontMeasure(const QFont& font) : metrics_(font, &MeasureDevice())
    {
        // The Latin letters measured at once, for the widest of them.
        for (char16_t code = 0; code < kTableEnd; ++code)
            widestLatin_ = std::max(widestLatin_, Advance(QChar(code)));
    }
    const QFontMetricsF& Metrics() const { return metrics_; }
    // At least the width of the text (kerning and ligatures only narrow it); -1 when the
    // text holds characters measured only in pairs.
    double UpperWidth(const QString& text, double enough)
    {
        // Most texts are short for their box: Latin letters as many as the text's, each as
        // wide as the widest, fit without a letter's width summed.
        if (double(text.size()) * widestLatin_ <= enough
            && std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < kTableEnd; }))
            return double(text.size()) * widestLatin_;
        double sum = 0;
        for (const QChar c : text) {
            if (c.isSurrogate())
                return -1;
            sum += Advance(c);
            if (sum > enough)
                break;
        }
        return sum;
    }

private:
    // Every character of every text is looked up: the Latin letters in a table, the rest
    // in a hash.
    double Advance(QChar c)
    {
        const char16_t code = c.unicode();
        if (code < kTableEnd) {
            double& advance = latinAdvances_[code];
            if (advance < 0)
                advance = metrics_.horizontalAdvance(c);
            return advance;
        }
        auto it = advances_.find(code);
        if (it == advances_.end())
            it = advances_.insert(code, metrics_.horizontalAdvance(c));
        return *it;
    }

    static constexpr char16_t kTableEnd = 0x250;
    QFontMetricsF metrics_;
    std::vector<double> latinAdvances_ = std::vector<double>(kTableEnd, -1.0);
    QHash<char16_t, double> advances_;
    double widestLatin_ = 0;
};

TFontMeasure& MeasureOf(const TPageFont& font)
{
    using TKey = std::tuple<QString, double, bool, bool, bool>;
    static std::map<TKey, std::unique_ptr<TFontMeasure>> fonts;
    // A report measures text after text in one font: the last one found is asked first.
    static const TKey* lastKey = nullptr;
    static TFontMeasure* last = nullptr;
    if (last && std::get<1>(*lastKey) == font.PointSize && std::get<2>(*lastKey) == font.Bold
        && std::get<3>(*lastKey) == font.Italic && std::get<4>(*lastKey) == font.FixedPitch
        && std::get<0>(*lastKey) == font.Family)
        return *last;
    auto found = fonts.find(TKey{font.Family, font.PointSize, font.Bold, font.Italic, font.FixedPitch});
    if (found == fonts.end())
        found = fonts.emplace(TKey{font.Family, font.PointSize, font.Bold, font.Italic, font.FixedPitch},
                              std::make_unique<TFontMeasure>(PageQFont(font)))
                    .first;
    lastKey = &found->first;
    last = found->second.get();
    return *last;
}

int AlignmentFlags(TReportAlignment alignment)
{
    switch (alignment) {
    case TReportAlignment::Center:
        return Qt::AlignHCenter;
    case TReportAlignment::Right:
        return Qt::AlignRight;
    case TReportAlignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

[[noreturn]] void CannotWrite(const QString& fileName)
{
    throw EInOutError(QStringLiteral("Fisierul %1 nu poate fi scris.").arg(fileName));
}

// The pages of a document one after another on a painter that is already open.
void PaintPages(QPainter& painter, QPagedPaintDevice& device, const TReportDocument& document, int first, int last,
                int passes)
{
    bool started = false;
    for (int pass = 0; pass < passes; ++pass)
        for (int i = first; i <= last; ++i) {
            if (started)
                device.newPage();
            started = true;
            paintPage(painter, document.Pages.at(size_t(i)), {1.0, false});
        }
}

} // namespace

QFont PageQFont(const TPageFont& font, double pointScale)
{
    QFont qfont(font.Family);
    qfont.setPointSizeF(font.PointSize * pointScale);
    qfont.setBold(font.Bold);
    qfont.setItalic(font.Italic);
    if (font.FixedPitch) {
        qfont.setFixedPitch(true);
        qfont.setStyleHint(QFont::TypeWriter);
    }
    // Unhinted glyphs keep the same proportions at every resolution and zoom.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    return qfont;
}

double LineHeightMm(const TPageFont& font) { return PixelsToMm(MeasureOf(font).Metrics().lineSpacing()); }

double TextWidthMm(const TPageFont& font, const QString& text)
{
    return PixelsToMm(MeasureOf(font).Metrics().horizontalAdvance(text));
}

QString ElidedTextMm(const TPageFont& font, const QString& text, double widthMm)
{
    TFontMeasure& measure = MeasureOf(font);
    const double width = widthMm / 25.4 * kMeasureDpi;
    const double upper = measure.UpperWidth(text, width);
    if (upper >= 0 && upper <= width)
        return text;
    return measure.Metrics().elidedText(text, Qt::ElideRight, width);
}

void paintPage(QPainter& painter, const TReportPage& page, const TPaintOptions& options)
{
    const QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / 25.4 * options.Zoom;
    const double sy = device->logicalDpiY() / 25.4 * options.Zoom;
    const auto point = [&](const QPointF& p) { return QPointF(p.x() * sx, p.y() * sy); };
    const auto rect = [&](const QRectF& r) { return QRectF(point(r.topLeft()), point(r.bottomRight())); };
    const auto pen = [&](double width) { return QPen(Qt::black, std::max(1.0, width * sx), Qt::SolidLine, Qt::SquareCap); };

    painter.save();
    if (options.Background)
        painter.fillRect(rect(QRectF(QPointF(0, 0), page.Size)), Qt::white);
    for (const QRectF& r : page.Fills)
        painter.fillRect(rect(r), Qt::black);
    if (!page.Pictures.empty()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        for (const TPagePicture& picture : page.Pictures)
            painter.drawImage(rect(picture.Rect), picture.Image);
        painter.restore();
    }
    painter.setBrush(Qt::NoBrush);
    for (const TPageRect& r : page.Rects) {
        painter.setPen(pen(r.Width));
        painter.drawRect(rect(r.Rect));
    }
    for (const TPageLine& line : page.Lines) {
        painter.setPen(pen(line.Width));
        painter.drawLine(point(line.From), point(line.To));
    }
    painter.setPen(Qt::black);
    for (const TPageText& text : page.Texts) {
        painter.setFont(PageQFont(text.Font, options.Zoom));
        painter.drawText(rect(text.Rect),
                         AlignmentFlags(text.Alignment) | Qt::AlignVCenter | Qt::TextDontClip | Qt::TextSingleLine,
                         text.Text);
    }
    painter.restore();
}

namespace {

// A font the document's own writer cannot embed: Qt's writer draws what the system draws
// for it (another face for a missing character, a slanted or emboldened one).
void PaintPdf(const TReportDocument& document, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        CannotWrite(fileName);
    QPdfWriter writer(&file);
    writer.setResolution(600);
    writer.setTitle(document.Title);
    writer.setCreator(QStringLiteral("Corvanel"));
    writer.setPageLayout(document.Layout());
    QPainter painter;
    if (!painter.begin(&writer))
        CannotWrite(fileName);
    PaintPages(painter, writer, document, 0, document.PageCount() - 1, 1);
    painter.end();
    if (!file.commit())
        CannotWrite(fileName);
}

} // namespace

bool ExportPdf(const TReportDocument& document, const QString& fileName)
{
    CheckOutputFile(fileName);
    if (document.Pages.empty())
        return false;
    // The file appears whole or not at all: the pages go to a temporary file that replaces
    // it once they are all written.
    {
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            CannotWrite(fileName);
        if (WritePdf(document, file)) {
            if (!file.commit())
                CannotWrite(fileName);
            return true;
        }
    }
    PaintPdf(document, fileName);
    return true;
}

bool ExportPdf(TReport& report, const QString& fileName)
{
    CheckOutputFile(fileName);
    {
        // Each page written as soon as it is laid out, and let go.
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            CannotWrite(fileName);
        TPdfPageWriter writer(file);
        bool written = true;
        const TReportDocument document =
            report.Generate([&](const TReportPage& page) { return written = writer.AddPage(page); });
        if (document.Pages.empty())
            return false; // the temporary file goes, nothing was written
        if (written && writer.Finish(document.Title)) {
            if (!file.commit())
                CannotWrite(fileName);
            return true;
        }
    }
    // The pages handed over before the writer gave up are gone: made again, whole.
    PaintPdf(report.Generate(), fileName);
    return true;
}

bool ExportPng(const TReportDocument& document, int pageIndex, const QString& fileName, int dpi)
{
    CheckOutputFile(fileName);
    if (pageIndex < 0 || pageIndex >= document.PageCount() || dpi <= 0)
        return false;
    const TReportPage& page = document.Pages.at(size_t(pageIndex));
    QImage image(qCeil(page.Size.width() / 25.4 * dpi), qCeil(page.Size.height() / 25.4 * dpi),
                 QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paintPage(painter, page);
    }
    if (!image.save(fileName, "PNG"))
        CannotWrite(fileName);
    return true;
}

bool PrintDocument(const TReportDocument& document, QPrinter& printer, const TReportPrinterSettings& settings)
{
    // A PDF printer writes the file the user named, which must not be one of the company's.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        CheckOutputFile(printer.outputFileName());
    const int first = std::max(settings.FirstPage, 1);
    const int last = settings.LastPage > 0 ? std::min(settings.LastPage, document.PageCount()) : document.PageCount();
    if (first > last)
        return false;
    const int copies = std::max(settings.Copies, 1);

    const QPageLayout savedLayout = printer.pageLayout();
    const bool savedFullPage = printer.fullPage();
    const int savedCopies = printer.copyCount();
    // The page model is laid out on the whole sheet.
    printer.setFullPage(true);
    printer.setPageLayout(document.Layout());
    printer.setDocName(document.Title);
    // Copies the driver cannot make are printed one after the other.
    const bool driverCopies = printer.supportsMultipleCopies();
    printer.setCopyCount(driverCopies ? copies : 1);
    const auto restore = [&] {
        printer.setPageLayout(savedLayout);
        printer.setFullPage(savedFullPage);
        printer.setCopyCount(savedCopies);
    };

    // A PDF file printer writes a temporary file beside the one asked for, which replaces
    // it only when every page is in: an interrupted print leaves the old file as it was.
    const QString target = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    QString partial;
    if (!target.isEmpty()) {
        QTemporaryFile reserve(QFileInfo(target).absoluteDir().filePath(QStringLiteral(".%1-XXXXXX")
                                                                           .arg(QFileInfo(target).fileName())));
        reserve.setAutoRemove(false);
        if (reserve.open()) {
            partial = reserve.fileName();
            // Temporary files are private; the document gets the permissions of a new file.
            reserve.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                   | QFileDevice::ReadOther);
        }
    }
    const auto cannotPrint = [&] {
        return EInOutError(QStringLiteral("Nu se poate tipari la imprimanta %1.")
                               .arg(target.isEmpty() ? printer.printerName() : target));
    };
    if (!target.isEmpty() && partial.isEmpty()) {
        restore();
        throw cannotPrint();
    }
    if (!partial.isEmpty())
        printer.setOutputFileName(partial);
    const auto finish = [&](bool done) {
        if (!partial.isEmpty()) {
            printer.setOutputFileName(target);
            const bool moved = done && std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) == 0;
            if (!moved)
                QFile::remove(partial);
            done = moved;
        }
        restore();
        return done;
    };

    QPainter painter;
    if (!painter.begin(&printer)) {
        finish(false);
        throw cannotPrint();
    }
    try {
        PaintPages(painter, printer, document, first - 1, last - 1, driverCopies ? 1 : copies);
    } catch (...) {
        painter.end();
        finish(false);
        throw;
    }
    const bool written = painter.end();
    if (!finish(written))
        throw cannotPrint();
    return true;
}

} // namespace fw
