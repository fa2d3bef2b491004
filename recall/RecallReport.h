#pragma once

// The recall printed: the tree of a lot followed, a line per node indented by its depth,
// then the totals per customer or supplier. Laid out for the context's print settings;
// previewed, printed or written to PDF as every report of the add-on.

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "recall/RecallOutput.h"

#include <QObject>
#include <memory>

class QWidget;

namespace corvanel {

struct TPrintSettings;
struct TProductionContext;

class TRecallReport final : public QObject {
public:
    // The recall is the caller's and must outlive the report. The company's name is read
    // for the page header.
    TRecallReport(TProductionContext& context, const TRecall& recall, QObject* owner);
    ~TRecallReport() override;

    fw::TReport* Report;

private:
    void BuildReport(const QString& firmName);

    const TRecall& recall_;
    std::vector<TRecallLine> lines_;
    std::vector<TRecallTotal> totals_;
    fw::TMemoryReportData rows_;
    std::vector<double> columns_; // left edges of the columns, then the right edge
};

// The print settings the recall starts from: Arial 8 on A4 landscape (the tree is wide).
void PresetRecallPrintSettings(TPrintSettings& settings);

// The print settings asked (a cancel ends it quietly), then the report previewed or
// printed as they say.
void PrintRecall(TProductionContext& context, const TRecall& recall, QWidget* owner);

} // namespace corvanel
