#include "platform/report/Report.h"

#include "platform/report/ReportData.h"

namespace fw {

// ---- Bands and groups --------------------------------------------------------------------

TReportBand::TReportBand(TReport* report, TBandType type, TReportGroup* group)
    : report_(report), type_(type), group_(group)
{
}

TReportBand::~TReportBand() = default;

template <class T> T* TReportBand::Add(double left, double top, double width)
{
    auto element = std::make_unique<T>(this);
    element->Left = left;
    element->Top = top;
    element->Width = width;
    T* raw = element.get();
    elements_.push_back(std::move(element));
    return raw;
}

TReportLabel* TReportBand::AddLabel(const QString& caption, double left, double top, double width)
{
    TReportLabel* label = Add<TReportLabel>(left, top, width);
    label->Caption = caption;
    return label;
}

TReportDataText* TReportBand::AddDataText(const QString& fieldName, double left, double top, double width,
                                          TReportData* data)
{
    TReportDataText* text = Add<TReportDataText>(left, top, width);
    text->FieldName = fieldName;
    text->Data = data;
    text->Name = fieldName;
    return text;
}

TReportDataText* TReportBand::AddExpression(std::function<QVariant()> value, double left, double top, double width)
{
    TReportDataText* text = Add<TReportDataText>(left, top, width);
    text->OnGetValue = std::move(value);
    return text;
}

TReportSum* TReportBand::AddSum(std::function<double()> term, const QString& mask, double left, double top,
                                double width)
{
    TReportSum* sum = Add<TReportSum>(left, top, width);
    sum->Term = std::move(term);
    sum->Mask = mask;
    return sum;
}

TReportShape* TReportBand::AddShape(TShapeKind shape, double left, double top, double width, double height)
{
    TReportShape* element = Add<TReportShape>(left, top, width);
    element->Shape = shape;
    element->Height = height;
    return element;
}

TReportSystemData* TReportBand::AddSystemData(TSystemDataKind data, double left, double top, double width)
{
    TReportSystemData* element = Add<TReportSystemData>(left, top, width);
    element->Data = data;
    return element;
}

TReportMemo* TReportBand::AddMemo(double left, double top, double width) { return Add<TReportMemo>(left, top, width); }

TReportPicture* TReportBand::AddPicture(double left, double top, double width, double height)
{
    TReportPicture* picture = Add<TReportPicture>(left, top, width);
    picture->Height = height;
    return picture;
}

TReportElement* TReportBand::FindElement(const QString& name) const
{
    for (const auto& element : elements_)
        if (element->Name.compare(name, Qt::CaseInsensitive) == 0)
            return element.get();
    return nullptr;
}

TReportGroup::TReportGroup(TReport* report, QString breakField)
    : Name(breakField), BreakField(std::move(breakField)), report_(report),
      header_(report, TBandType::GroupHeader, this), footer_(report, TBandType::GroupFooter, this)
{
}

QVariant TReportGroup::BreakValue() const
{
    if (BreakExpression)
        return BreakExpression();
    return report_->Data() ? report_->Data()->Value(BreakField) : QVariant();
}

// ---- The report --------------------------------------------------------------------------

TReport::TReport(QObject* owner)
    : QObject(owner), pageHeader_(this, TBandType::PageHeader), pageFooter_(this, TBandType::PageFooter),
      detail_(this, TBandType::Detail), summary_(this, TBandType::Summary)
{
}

TReport::~TReport() = default;

TReportGroup* TReport::AddGroup(const QString& breakField)
{
    groups_.push_back(std::make_unique<TReportGroup>(this, breakField));
    return groups_.back().get();
}

QSizeF TReport::PageSizeMm() const
{
    const QSizeF size = PaperSize.size(QPageSize::Millimeter);
    return Orientation == QPageLayout::Landscape ? size.transposed() : size;
}

double TReport::ContentWidth() const { return PageSizeMm().width() - Margins.left() - Margins.right(); }

} // namespace fw
