#include "labels/LabelSheet.h"

#include "platform/report/ReportPainter.h"

#include <QLocale>
#include <memory>
#include <zint.h>

namespace corvanel {

using namespace fw;

namespace {

// ---------------------------------------------------------------- barcodes

TBarcodeShape Render(int symbology, const std::vector<gs1::TElement>& elements)
{
    const std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol)
        throw std::bad_alloc();
    symbol->symbology = symbology;
    symbol->input_mode = GS1_MODE;
    // The text under the linear code is drawn as the label's own text, in its own font.
    symbol->show_hrt = 0;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    if (symbology == BARCODE_DATAMATRIX)
        symbol->option_3 = DM_SQUARE;
    const QByteArray data = gs1::BracketedAis(elements).toLatin1();
    const int status = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                       static_cast<int>(data.size()));
    if (status >= ZINT_ERROR || ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector)
        throw gs1::EInvalid(QStringLiteral("Codul de bare nu poate fi desenat pentru %1: %2")
                                .arg(gs1::HumanReadable(elements), QString::fromLatin1(symbol->errtxt)));
    const zint_vector& vector = *symbol->vector;
    TBarcodeShape shape;
    for (const zint_vector_rect* r = vector.rectangles; r; r = r->next)
        // The background is left unpainted: only the dark modules are shapes.
        if (r->colour == -1)
            shape.Bars.push_back(QRectF(r->x / vector.width, r->y / vector.height, r->width / vector.width,
                                        r->height / vector.height));
    return shape;
}

// ---------------------------------------------------------------- one label

// Where the parts of a label go, mm from its top left corner.
struct TLayout {
    QSizeF Size;
    double Scale;      // of the text's font sizes and line heights
    QRectF Text;       // the lines of text
    QRectF DataMatrix; // square
    QRectF Linear;     // the GS1-128's bars; its text goes under them
};

TLayout LayoutOf(TLabelSize size)
{
    if (size == TLabelSize::Label100x150)
        return {QSizeF(100, 150), 1.3, QRectF(4, 4, 92, 32), QRectF(30, 40, 40, 40), QRectF(4, 88, 92, 40)};
    return {QSizeF(100, 50), 1.0, QRectF(3, 3, 71, 22), QRectF(76, 3, 21, 21), QRectF(3, 27, 94, 13)};
}

QString DateText(const QDate& date) { return date.toString(QStringLiteral("dd.MM.yyyy")); }

QString QuantityText(const TLotLabel& label)
{
    // Kilograms to ten grams, grams whole, pieces as counted.
    const QLocale romanian(QLocale::Romanian, QLocale::Romania);
    const QString unit = label.Unit.trimmed();
    QString number;
    if (!SoldByWeight(unit))
        number = romanian.toString(label.Quantity, 'g', 10);
    else
        number = romanian.toString(label.Quantity, 'f', unit.toLower() == QLatin1String("g") ? 0 : 2);
    return (number + QLatin1Char(' ') + unit).trimmed();
}

// The label's texts, its symbols' bars, drawn at `origin` on the page.
class TLabelPainter {
public:
    TLabelPainter(TReportPage& page, QPointF origin, const TLayout& layout) : page_(page), origin_(origin), layout_(layout) {}

    // The text in the box, cut short with an ellipsis when it is too wide.
    void Text(const QString& name, const QRectF& box, const QString& text, double points, bool bold)
    {
        TPageFont font{QStringLiteral("Arial"), points * layout_.Scale, bold};
        const QRectF at = box.translated(origin_);
        page_.Texts.push_back({name, at, ElidedTextMm(font, text, at.width()), font, TReportAlignment::Left});
    }

    // The text whole, centred, in a smaller font when it is too wide: a code's text cut
    // short would say something else than the code.
    void WholeText(const QString& name, const QRectF& box, const QString& text, double points)
    {
        TPageFont font{QStringLiteral("Arial"), points * layout_.Scale, false};
        const double width = TextWidthMm(font, text);
        if (width > box.width())
            font.PointSize *= box.width() / width;
        page_.Texts.push_back({name, box.translated(origin_), text, font, TReportAlignment::Center});
    }

    void Symbol(const TBarcodeShape& shape, const QRectF& box)
    {
        const QRectF at = box.translated(origin_);
        for (const QRectF& bar : shape.Bars)
            page_.Fills.push_back(QRectF(at.left() + bar.left() * at.width(), at.top() + bar.top() * at.height(),
                                         bar.width() * at.width(), bar.height() * at.height()));
    }

private:
    TReportPage& page_;
    QPointF origin_;
    const TLayout& layout_;
};

struct TSymbols {
    TBarcodeShape Linear;
    TBarcodeShape Matrix;
    QString Readable;
};

void DrawLabel(TReportPage& page, QPointF origin, const TLotLabel& label, const TSymbols& symbols, const TLayout& layout)
{
    TLabelPainter p(page, origin, layout);
    const QRectF& t = layout.Text;
    const double line = 3.6 * layout.Scale;
    double y = t.top();
    const auto next = [&](double height) {
        const QRectF box(t.left(), y, t.width(), height);
        y += height;
        return box;
    };
    p.Text(QStringLiteral("Firma"), next(line), label.Company, 7, true);
    p.Text(QStringLiteral("Produs"), next(line * 1.5), label.Name, 10, true);
    p.Text(QStringLiteral("Lot"), next(line), QStringLiteral("Lot: ") + label.Lot, 8, true);
    p.Text(QStringLiteral("Productie"), next(line), QStringLiteral("Data productiei: ") + DateText(label.Produced), 8, false);
    if (label.UseBy.isValid())
        p.Text(QStringLiteral("Expirare"), next(line), QStringLiteral("A se consuma pina la: ") + DateText(label.UseBy), 8,
               false);
    p.Text(QStringLiteral("Cantitate"), next(line), QStringLiteral("Cantitate neta: ") + QuantityText(label), 8, false);
    p.Symbol(symbols.Matrix, layout.DataMatrix);
    p.Symbol(symbols.Linear, layout.Linear);
    const QRectF under(layout.Linear.left(), layout.Linear.bottom() + 0.5, layout.Linear.width(), 3 * layout.Scale);
    p.WholeText(QStringLiteral("GS1"), under, symbols.Readable, 7);
}

} // namespace

std::optional<TLabelSize> LabelSizeNamed(const QString& name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("100x50"))
        return TLabelSize::Label100x50;
    if (n == QLatin1String("100x150"))
        return TLabelSize::Label100x150;
    if (n == QLatin1String("a4"))
        return TLabelSize::SheetA4;
    return std::nullopt;
}

TBarcodeShape Gs1_128(const std::vector<gs1::TElement>& elements) { return Render(BARCODE_GS1_128, elements); }

TBarcodeShape Gs1DataMatrix(const std::vector<gs1::TElement>& elements) { return Render(BARCODE_DATAMATRIX, elements); }

TReportDocument LabelDocument(const TLotLabel& label, TLabelSize size, int copies)
{
    const TSymbols symbols{Gs1_128(label.Elements), Gs1DataMatrix(label.Elements), gs1::HumanReadable(label.Elements)};
    const TLayout layout = LayoutOf(size);
    TReportDocument document;
    document.Title = QStringLiteral("Etichete lot %1 - %2").arg(label.Lot, label.Name);
    if (size != TLabelSize::SheetA4) {
        // The paper is given upright and turned, as printers take label stock.
        const QSizeF upright(std::min(layout.Size.width(), layout.Size.height()),
                             std::max(layout.Size.width(), layout.Size.height()));
        document.PaperSize = QPageSize(upright, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
        document.Orientation = layout.Size.width() > layout.Size.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
        for (int i = 0; i < copies; ++i) {
            TReportPage page;
            page.Number = i + 1;
            page.Size = layout.Size;
            DrawLabel(page, QPointF(0, 0), label, symbols, layout);
            document.Pages.push_back(std::move(page));
        }
        return document;
    }
    // Two columns of five 100 x 50 mm labels, centred on the sheet.
    constexpr int columns = 2;
    constexpr int rows = 5;
    const QSizeF sheet(210, 297);
    const QPointF corner((sheet.width() - columns * layout.Size.width()) / 2, (sheet.height() - rows * layout.Size.height()) / 2);
    for (int i = 0; i < copies; ++i) {
        const int slot = i % (columns * rows);
        if (slot == 0) {
            TReportPage page;
            page.Number = document.PageCount() + 1;
            page.Size = sheet;
            document.Pages.push_back(std::move(page));
        }
        TReportPage& page = document.Pages.back();
        const int row = slot / columns; // the sheet's rows fill from the top
        const QPointF origin = corner + QPointF(double(slot % columns) * layout.Size.width(), row * layout.Size.height());
        page.Rects.push_back({QRectF(origin, layout.Size), 0.1});
        DrawLabel(page, origin, label, symbols, layout);
    }
    return document;
}

} // namespace corvanel
