#include "platform/report/PageModel.h"

#include <QMarginsF>

namespace fw {

std::vector<const TPageText*> TReportPage::TextsNamed(const QString& name) const
{
    std::vector<const TPageText*> found;
    for (const TPageText& text : Texts)
        if (text.Name == name)
            found.push_back(&text);
    return found;
}

QPageLayout TReportDocument::Layout() const
{
    return QPageLayout(PaperSize, Orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace fw
