#pragma once
// What the tests of reports read from a page model: the texts of the elements of one name,
// page after page, and formats that do not depend on the machine's locale.
#include "platform/core/Formats.h"
#include "platform/report/PageModel.h"

#include <QStringList>

namespace testsupport {

inline QStringList Named(const fw::TReportDocument& doc, const QString& name)
{
    QStringList out;
    for (const fw::TReportPage& page : doc.Pages)
        for (const fw::TPageText* text : page.TextsNamed(name))
            out << text->Text;
    return out;
}

// "1,234.5" and "07.12.2026".
inline void UsePointAndDottedDates(fw::TFormatSettings& formats)
{
    formats.DecimalSeparator = '.';
    formats.ThousandSeparator = ',';
    formats.ShortDateFormat = "dd.mm.yyyy";
    formats.DateSeparator = '.';
}

} // namespace testsupport
