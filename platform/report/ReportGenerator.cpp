#include "platform/report/ReportGenerator.h"

#include "platform/report/ReportData.h"
#include "platform/report/ReportPainter.h"

#include <algorithm>

namespace fw {

namespace {

bool IsNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

QString MaskedText(const QVariant& value, const QString& mask, const TFormatSettings& fs)
{
    if (value.isNull())
        return QString();
    if (IsNumber(value))
        return FormatFloat(mask, value.toDouble(), fs);
    if (value.typeId() == QMetaType::QDate)
        return FormatDateTime(mask, DateToDateTime(value.toDate()), fs);
    if (value.typeId() == QMetaType::QDateTime)
        return FormatDateTime(mask, QDateTimeToDateTime(value.toDateTime()), fs);
    return value.toString();
}

constexpr double kEpsilon = 1e-6;

// Whether a memo's lines are the lines it prints as they are: what joining them with line
// breaks and splitting the text again would give.
bool MemoLinesAsSet(const TReportMemo& memo)
{
    if (memo.BeforePrint || (memo.Lines.size() == 1 && memo.Lines.front().isEmpty()))
        return false;
    return std::none_of(memo.Lines.begin(), memo.Lines.end(),
                        [](const QString& line) { return line.contains(QLatin1Char('\n')); });
}

} // namespace

TPageFont TReportGenerator::FontOf(const TReportElement& element) const
{
    TPageFont font;
    font.Family = r_.FontName;
    font.PointSize = element.FontSize > 0 ? element.FontSize : r_.FontSize;
    font.Bold = element.Bold;
    font.Italic = element.Italic;
    font.FixedPitch = r_.FontPitch == TFontPitch::Fixed;
    return font;
}

double TReportGenerator::LineHeight(const TPageFont& font)
{
    const auto key = std::make_tuple(font.PointSize, font.Bold, font.Italic);
    auto it = lineHeights_.find(key);
    if (it == lineHeights_.end())
        it = lineHeights_.emplace(key, LineHeightMm(font)).first;
    return it->second;
}

double TReportGenerator::DesignHeight(TReportBand* band)
{
    double height = band->Height;
    for (int i = 0; i < band->ElementCount(); ++i) {
        const TReportElement* e = band->Elements(i);
        if (!e->Enabled)
            continue;
        const double h = e->Height > 0 || e->Kind() == TElementKind::Shape ? e->Height : LineHeight(FontOf(*e));
        height = std::max(height, e->Top + h);
    }
    return height;
}

QString TReportGenerator::SystemText(const TReportSystemData* element, int page) const
{
    const TFormatSettings& fs = r_.FormatSettings;
    const TDateTime moment = QDateTimeToDateTime(r_.printedAt_);
    QString pattern = element->Format;
    switch (element->Data) {
    case TSystemDataKind::PageNumber:
        return element->Prefix + QString::number(page);
    case TSystemDataKind::DateTime:
        if (pattern.isEmpty())
            pattern = fs.ShortDateFormat + QLatin1Char(' ') + fs.LongTimeFormat;
        break;
    case TSystemDataKind::Date:
        if (pattern.isEmpty())
            pattern = fs.ShortDateFormat;
        break;
    case TSystemDataKind::Time:
        if (pattern.isEmpty())
            pattern = fs.LongTimeFormat;
        break;
    }
    return element->Prefix + FormatDateTime(pattern, moment, fs);
}

int TReportGenerator::Handle(TReportData* data, const QString& field, int& handle)
{
    if (handle < 0)
        handle = data->FieldHandle(field);
    return handle;
}

QVariant TReportGenerator::BreakValue(TReportGroup* group) const
{
    if (group->BreakExpression || !r_.data_)
        return group->BreakValue();
    return r_.data_->FieldValue(Handle(r_.data_, group->BreakField, group->handle_));
}

void TReportGenerator::ForEachBand(const std::function<void(TReportBand*)>& visit)
{
    for (TReportBand* band : {r_.PageHeader(), r_.PageFooter(), r_.Detail(), r_.Summary()})
        visit(band);
    for (int i = 0; i < r_.GroupCount(); ++i) {
        visit(r_.Groups(i)->Header());
        visit(r_.Groups(i)->Footer());
    }
}

QString TReportGenerator::TextOf(TReportElement* element) const
{
    const TFormatSettings& fs = r_.FormatSettings;
    switch (element->Kind()) {
    case TElementKind::Label:
        return static_cast<TReportLabel*>(element)->Caption;
    case TElementKind::DataText: {
        const auto* text = static_cast<TReportDataText*>(element);
        TReportData* data = text->Data ? text->Data : r_.data_;
        if (text->OnGetValue) {
            const QVariant value = text->OnGetValue();
            return text->Mask.isEmpty() ? ReportValueText(value, fs) : MaskedText(value, text->Mask, fs);
        }
        if (!data)
            return QString();
        const int field = Handle(data, text->FieldName, static_cast<TReportDataText*>(element)->handle_);
        return text->Mask.isEmpty() ? data->FieldText(field) : MaskedText(data->FieldValue(field), text->Mask, fs);
    }
    case TElementKind::Sum: {
        const auto* sum = static_cast<TReportSum*>(element);
        return sum->Mask.isEmpty() ? FloatToStr(sum->Value(), fs) : FormatFloat(sum->Mask, sum->Value(), fs);
    }
    case TElementKind::SystemData:
        return SystemText(static_cast<TReportSystemData*>(element), r_.pageNumber_);
    case TElementKind::Memo:
        return static_cast<TReportMemo*>(element)->Lines.join(QLatin1Char('\n'));
    case TElementKind::Shape:
    case TElementKind::Picture:
        break;
    }
    return QString();
}

void TReportGenerator::AddFrame(TOutput& out, const QRectF& box, TFrameSides sides, double width)
{
    if (sides == TFrameSides(TFrameSide::All)) {
        out.Rects.push_back({box, width});
        return;
    }
    if (sides & TFrameSide::Top)
        out.Lines.push_back({box.topLeft(), box.topRight(), width});
    if (sides & TFrameSide::Bottom)
        out.Lines.push_back({box.bottomLeft(), box.bottomRight(), width});
    if (sides & TFrameSide::Left)
        out.Lines.push_back({box.topLeft(), box.bottomLeft(), width});
    if (sides & TFrameSide::Right)
        out.Lines.push_back({box.topRight(), box.bottomRight(), width});
}

void TReportGenerator::AddShape(TOutput& out, const TReportShape* shape, double width, double bandHeight) const
{
    const double height = shape->StretchWithBand ? std::max(shape->Height, bandHeight - shape->Top) : shape->Height;
    const QPointF origin(shape->Left, shape->Top);
    switch (shape->Shape) {
    case TShapeKind::Rectangle:
        out.Rects.push_back({QRectF(origin, QSizeF(width, height)), shape->PenWidth});
        break;
    case TShapeKind::HorizontalLine:
        out.Lines.push_back({origin, origin + QPointF(width, 0), shape->PenWidth});
        break;
    case TShapeKind::VerticalLine:
        out.Lines.push_back({origin, origin + QPointF(0, height), shape->PenWidth});
        break;
    }
}

bool TReportGenerator::Evaluate(TReportBand* band, TOutput& out)
{
    out.Clear();
    if (!Present(band))
        return false;
    bool print = true;
    if (band->BeforePrint)
        band->BeforePrint(band, print);
    if (!print)
        return false;

    out.Page = r_.pageNumber_;
    const double bandWidth = r_.ContentWidth();
    double bottom = band->Height;
    auto& shapes = shapes_; // placed once the height is known
    shapes.clear();
    for (int i = 0; i < band->ElementCount(); ++i) {
        TReportElement* element = band->Elements(i);
        if (!element->Enabled)
            continue;
        // A memo's lines print as they are set, unless its BeforePrint is to see them as one
        // text (joined by line breaks and split again after), or a line breaks of itself:
        // the raw materials under every group of a report are thousands of lines.
        const bool ownLines = element->Kind() == TElementKind::Memo && MemoLinesAsSet(*static_cast<TReportMemo*>(element));
        QString text = ownLines ? QString() : TextOf(element);
        bool printElement = true;
        if (element->BeforePrint)
            element->BeforePrint(element, text, printElement);
        if (!printElement)
            continue;

        const double width = element->Width > 0 ? element->Width : std::max(0.0, bandWidth - element->Left);
        if (element->Kind() == TElementKind::Shape) {
            const auto* shape = static_cast<const TReportShape*>(element);
            shapes.emplace_back(shape, width);
            if (!shape->StretchWithBand)
                bottom = std::max(bottom, element->Top + element->Height);
            if (element->Frame)
                AddFrame(out, QRectF(element->Left, element->Top, width, element->Height), element->Frame,
                         element->FrameWidth);
            continue;
        }

        if (element->Kind() == TElementKind::Picture) {
            const QRectF box(element->Left, element->Top, width, element->Height);
            if (const auto* picture = static_cast<const TReportPicture*>(element); !picture->Image.isNull())
                out.Pictures.push_back({box, picture->Image});
            if (element->Frame)
                AddFrame(out, box, element->Frame, element->FrameWidth);
            bottom = std::max(bottom, box.bottom());
            continue;
        }

        const TPageFont font = FontOf(*element);
        const double line = LineHeight(font);
        double height = element->Height > 0 ? element->Height : line;
        const auto fitted = [&](const QString& t) { return element->Elide ? ElidedTextMm(font, t, width) : t; };
        if (element->Kind() == TElementKind::Memo) {
            const QStringList lines = ownLines         ? static_cast<TReportMemo*>(element)->Lines
                                      : text.isEmpty() ? QStringList()
                                                       : text.split(QLatin1Char('\n'));
            for (int k = 0; k < lines.size(); ++k)
                out.Texts.push_back({element->Name, QRectF(element->Left, element->Top + k * line, width, line),
                                     fitted(lines.at(k)), font, element->Alignment});
            height = std::max(element->Height, double(lines.size()) * line);
        } else {
            if (element->Kind() == TElementKind::SystemData
                && static_cast<TReportSystemData*>(element)->Data == TSystemDataKind::PageNumber)
                out.PageNumbers.emplace_back(out.Texts.size(), static_cast<TReportSystemData*>(element));
            if (element->Kind() == TElementKind::Sum)
                out.Sums.push_back(static_cast<TReportSum*>(element));
            out.Texts.push_back({element->Name, QRectF(element->Left, element->Top, width, height), fitted(text), font,
                                 element->Alignment});
        }
        if (element->Frame)
            AddFrame(out, QRectF(element->Left, element->Top, width, height), element->Frame, element->FrameWidth);
        bottom = std::max(bottom, element->Top + height);
    }
    out.Height = bottom;
    for (const auto& [shape, width] : shapes)
        AddShape(out, shape, width, out.Height);
    if (band->Frame)
        AddFrame(out, QRectF(0, 0, bandWidth, out.Height), band->Frame, band->FrameWidth);
    return true;
}

void TReportGenerator::Place(TOutput& out, double top)
{
    // A band evaluated on one page and moved to the next shows the number of the page it is on.
    if (out.Page != r_.pageNumber_)
        for (const auto& [index, element] : out.PageNumbers)
            out.Texts[index].Text = SystemText(element, r_.pageNumber_);
    const QPointF offset(r_.Margins.left(), top);
    TReportPage& page = Page();
    for (TPageText& text : out.Texts) {
        text.Rect.translate(offset);
        page.Texts.push_back(std::move(text));
    }
    for (const TPageLine& line : out.Lines)
        page.Lines.push_back({line.From + offset, line.To + offset, line.Width});
    for (const TPageRect& rect : out.Rects)
        page.Rects.push_back({rect.Rect.translated(offset), rect.Width});
    for (TPagePicture& picture : out.Pictures) {
        picture.Rect.translate(offset);
        page.Pictures.push_back(std::move(picture));
    }
    // A sum restarts once it is on paper.
    for (TReportSum* sum : out.Sums)
        sum->Reset();
}

// A finished page to whoever writes pages as they come; only its number and size stay.
void TReportGenerator::HandOver(TReportPage& page)
{
    if (!pageDone_)
        return;
    if (!pageDone_(page)) {
        pageDone_ = nullptr;
        return;
    }
    // Its lists kept for the next page to fill, which is much like it.
    TReportPage next;
    next.Texts.swap(page.Texts);
    next.Lines.swap(page.Lines);
    next.Rects.swap(page.Rects);
    next.Texts.clear();
    next.Lines.clear();
    next.Rects.clear();
    page.Fills.clear();
    page.Pictures.clear();
    page.Header = {};
    spare_ = std::move(next);
}

void TReportGenerator::StartPage()
{
    if (!doc_.Pages.empty())
        HandOver(Page());
    doc_.Pages.emplace_back(std::move(spare_));
    spare_ = TReportPage();
    TReportPage& page = Page();
    // Pages of a report look alike: room for as much as the page before saves growing the
    // lists step by step on every page.
    if (doc_.Pages.size() > 1) {
        const TReportPage& before = doc_.Pages[doc_.Pages.size() - 2];
        page.Texts.reserve(before.Texts.size());
        page.Lines.reserve(before.Lines.size());
        page.Rects.reserve(before.Rects.size());
    }
    page.Number = int(doc_.Pages.size());
    page.Size = r_.PageSizeMm();
    r_.pageNumber_ = page.Number;
    y_ = r_.Margins.top();
    pageHasBody_ = false;
    // The footer's room is kept on every page, also where it is not going to print.
    bodyBottom_ = page.Size.height() - r_.Margins.bottom();
    if (Present(r_.PageFooter()))
        bodyBottom_ -= DesignHeight(r_.PageFooter());
    if (page.Number > 1 || r_.PageHeaderOnFirstPage) {
        TOutput& out = pageBand_;
        if (Evaluate(r_.PageHeader(), out)) {
            Place(out, y_);
            y_ += out.Height;
            page.Header = {page.Texts.size(), page.Lines.size(), page.Rects.size(), page.Pictures.size()};
        }
    }
    bodyTop_ = y_;
}

void TReportGenerator::FinishPage(bool last)
{
    if (last && !r_.PageFooterOnLastPage)
        return;
    TOutput& out = pageBand_;
    if (Evaluate(r_.PageFooter(), out))
        Place(out, Page().Size.height() - r_.Margins.bottom() - out.Height);
}

void TReportGenerator::NewPage()
{
    FinishPage(false);
    StartPage();
}

// The lowest cut at or above `room` that runs between lines of text and pictures, never
// through one.
double TReportGenerator::SplitPoint(const TOutput& out, double room)
{
    double cut = room;
    const auto above = [&cut](const QRectF& box) {
        if (box.top() < cut - kEpsilon && box.bottom() > cut + kEpsilon) {
            cut = box.top();
            return true;
        }
        return false;
    };
    for (bool moved = true; moved;) {
        moved = false;
        for (const TPageText& text : out.Texts)
            moved = above(text.Rect) || moved;
        for (const TPagePicture& picture : out.Pictures)
            moved = above(picture.Rect) || moved;
    }
    return cut;
}

// Leaves in `out` what lies above the cut and returns the rest, moved up to start at 0.
// Lines and frames that cross the cut are cut in two.
TReportGenerator::TOutput TReportGenerator::SplitOff(TOutput& out, double cut)
{
    TOutput rest;
    rest.Page = out.Page;
    rest.Height = out.Height - cut;
    out.Height = cut;
    const QPointF up(0, -cut);

    std::vector<TPageText> kept;
    std::vector<std::pair<size_t, const TReportSystemData*>> keptNumbers;
    for (size_t i = 0; i < out.Texts.size(); ++i) {
        const bool below = out.Texts[i].Rect.top() >= cut - kEpsilon;
        for (const auto& [index, element] : out.PageNumbers)
            if (index == i)
                (below ? rest.PageNumbers : keptNumbers).emplace_back((below ? rest.Texts : kept).size(), element);
        if (below) {
            rest.Texts.push_back(std::move(out.Texts[i]));
            rest.Texts.back().Rect.translate(up);
        } else {
            kept.push_back(std::move(out.Texts[i]));
        }
    }
    out.Texts = std::move(kept);
    out.PageNumbers = std::move(keptNumbers);

    std::vector<TPageLine> lines;
    for (const TPageLine& line : out.Lines) {
        const double top = std::min(line.From.y(), line.To.y());
        const double bottom = std::max(line.From.y(), line.To.y());
        if (bottom <= cut + kEpsilon) {
            lines.push_back(line);
        } else if (top >= cut - kEpsilon) {
            rest.Lines.push_back({line.From + up, line.To + up, line.Width});
        } else { // a vertical line through the cut
            lines.push_back({QPointF(line.From.x(), top), QPointF(line.To.x(), cut), line.Width});
            rest.Lines.push_back({QPointF(line.From.x(), 0), QPointF(line.To.x(), bottom - cut), line.Width});
        }
    }
    out.Lines = std::move(lines);

    std::vector<TPageRect> rects;
    for (const TPageRect& r : out.Rects) {
        if (r.Rect.bottom() <= cut + kEpsilon) {
            rects.push_back(r);
        } else if (r.Rect.top() >= cut - kEpsilon) {
            rest.Rects.push_back({r.Rect.translated(up), r.Width});
        } else {
            rects.push_back({QRectF(r.Rect.topLeft(), QPointF(r.Rect.right(), cut)), r.Width});
            rest.Rects.push_back({QRectF(QPointF(r.Rect.left(), 0), QPointF(r.Rect.right(), r.Rect.bottom() - cut)), r.Width});
        }
    }
    out.Rects = std::move(rects);

    std::vector<TPagePicture> pictures;
    for (TPagePicture& picture : out.Pictures) {
        if (picture.Rect.top() >= cut - kEpsilon) {
            rest.Pictures.push_back(std::move(picture));
            rest.Pictures.back().Rect.translate(up);
        } else {
            pictures.push_back(std::move(picture));
        }
    }
    out.Pictures = std::move(pictures);
    return rest;
}

void TReportGenerator::PrintBand(TReportBand* band)
{
    TOutput& out = band_;
    if (!Evaluate(band, out))
        return;
    // A band that would fit on an empty page starts on the next one rather than being split.
    if (pageHasBody_ && y_ + out.Height > bodyBottom_ + kEpsilon && out.Height <= bodyBottom_ - bodyTop_ + kEpsilon)
        NewPage();
    // What is still too tall goes on page after page, each part cut between lines of text.
    while (y_ + out.Height > bodyBottom_ + kEpsilon) {
        const double cut = SplitPoint(out, bodyBottom_ - y_);
        if (cut <= kEpsilon) {
            if (!pageHasBody_)
                break; // nothing fits even on an empty page: it goes there whole
            NewPage();
            continue;
        }
        TOutput rest = SplitOff(out, cut);
        Place(out, y_);
        pageHasBody_ = true;
        NewPage();
        out = std::move(rest);
    }
    Place(out, y_);
    y_ += out.Height;
    pageHasBody_ = true;
}

void TReportGenerator::PrintHeaders(int from)
{
    for (int i = from; i < r_.GroupCount(); ++i) {
        TReportGroup* group = r_.Groups(i);
        if (group->NewPage && pageHasBody_)
            NewPage();
        PrintBand(group->Header());
    }
}

void TReportGenerator::PrintFooters(int downTo)
{
    for (int i = r_.GroupCount() - 1; i >= downTo; --i)
        PrintBand(r_.Groups(i)->Footer());
}

void TReportGenerator::CollectSums(TReportBand* band)
{
    for (int i = 0; i < band->ElementCount(); ++i)
        if (band->Elements(i)->Kind() == TElementKind::Sum) {
            auto* sum = static_cast<TReportSum*>(band->Elements(i));
            sum->Reset();
            sums_.push_back(sum);
        }
}

TReportDocument TReportGenerator::Run()
{
    doc_.Title = r_.Title;
    doc_.PaperSize = r_.PaperSize;
    doc_.Orientation = r_.Orientation;
    r_.pageNumber_ = 0;
    r_.printedAt_ = QDateTime::currentDateTime();
    if (r_.BeforeGenerate)
        r_.BeforeGenerate(&r_);

    // Handles are looked up anew in each run: the data, or a dataset's fields, may have
    // changed since the last.
    for (int i = 0; i < r_.GroupCount(); ++i)
        r_.Groups(i)->handle_ = -1;
    ForEachBand([this](TReportBand* band) {
        CollectSums(band);
        for (int i = 0; i < band->ElementCount(); ++i)
            if (band->Elements(i)->Kind() == TElementKind::DataText)
                static_cast<TReportDataText*>(band->Elements(i))->handle_ = -1;
    });

    TReportData* data = r_.data_;
    const bool empty = !data || data->IsEmpty();
    if (empty && !r_.PrintIfEmpty)
        return std::move(doc_);

    StartPage();
    if (!empty) {
        const int groups = r_.GroupCount();
        std::vector<QVariant> previous, current; // the lists kept from row to row
        data->First();
        bool first = true;
        while (!data->Eof()) {
            current.clear();
            for (int i = 0; i < groups; ++i)
                current.push_back(BreakValue(r_.Groups(i)));
            // The outermost group whose value changed; every group inside it breaks too.
            int level = first ? 0 : groups;
            for (int i = 0; i < groups && !first; ++i)
                if (current[size_t(i)] != previous[size_t(i)]) {
                    level = i;
                    break;
                }
            if (!first && level < groups) {
                // Footers describe the group that ends: step back onto its last row.
                data->Prior();
                PrintFooters(level);
                data->Next();
            }
            PrintHeaders(level);
            for (TReportSum* sum : sums_)
                if (sum->Term)
                    sum->value_ += sum->Term();
            PrintBand(r_.Detail());
            previous.swap(current);
            first = false;
            data->Next();
        }
        // At the end the data stays on the last row, the last row of every open group.
        PrintFooters(0);
    }
    PrintBand(r_.Summary());
    FinishPage(true);
    HandOver(Page());
    return std::move(doc_);
}

TReportDocument TReport::Generate() { return TReportGenerator(*this).Run(); }

TReportDocument TReport::Generate(const std::function<bool(const TReportPage&)>& pageDone)
{
    return TReportGenerator(*this, pageDone).Run();
}

} // namespace fw
