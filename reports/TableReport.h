#pragma once

// What the add-on's tabular reports share: the report made for the print settings, and the
// head of each page (the company, the moment of printing, the title, a line saying what the
// report holds, the column headings in a frame).

#include "platform/report/Report.h"

#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

namespace corvanel {

struct TProductionContext;

// A report over `rows`, owned by `owner`, laid out for the context's print settings, its
// dates and numbers in the context's formats; a report with no rows prints no page.
fw::TReport* NewTableReport(QObject* owner, const QString& title, fw::TReportData* rows, TProductionContext& context);

// The page header: `firm` and the time at the top, `title` under them, `subtitle` under it
// (elements named "Firma", "Title" and the given `subtitleName`), and `headings` framed,
// each between two of `edges` (ColumnEdges), rows of `row` mm.
void AddTablePageHeader(fw::TReport& report, const QString& title, std::function<QVariant()> firm,
                        std::function<QVariant()> subtitle, const QString& subtitleName, const QStringList& headings,
                        const std::vector<double>& edges, double row);

// Places an element in the columns from `column` to `lastColumn` (-1: that one column), a
// millimetre inside the edges, one row high, elided.
fw::TReportElement* PlaceInColumns(fw::TReportElement* e, const std::vector<double>& edges, double row, int column,
                                   fw::TReportAlignment alignment, int lastColumn = -1);

// Runs `read` (what reads the report's rows and hands them to it) under the busy message and
// the hourglass; false, after telling the user, when the database could not be read.
bool ReadReportRows(TProductionContext& context, QWidget* owner, const std::function<void()>& read);

// Asks a report's period, then what `narrow` asks (when given: a filter of the report's
// own), then the print settings (the traceability report's to start from); false when any
// is cancelled. The period is given back as the user left it.
bool AskPeriodReport(TProductionContext& context, QWidget* owner, fw::TDateTime& from, fw::TDateTime& to,
                     const std::function<bool()>& narrow = {});

} // namespace corvanel
