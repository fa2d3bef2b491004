#pragma once

#include "platform/report/PageModel.h"

#include <QDialog>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;

namespace fw {

class TReport;
class TPreviewPageView;

// The modal preview of a generated report: one page at a time with page navigation, zoom,
// printing (through the printer-setup dialog, on a freshly generated report) and saving as
// PDF. TReport::Preview opens it; it can also show a document without its report, and then
// prints the document as it is.
class TReportPreview final : public QDialog {
public:
    TReportPreview(TReport* report, TReportDocument document, QWidget* parent = nullptr);
    ~TReportPreview() override;

    const TReportDocument& Document() const { return document_; }
    void SetDocument(TReportDocument document); // keeps the page shown where it still exists

    // Pages, 0-based; the status line reads "Pagina 2 din 5".
    int PageIndex() const { return page_; }
    int PageCount() const { return document_.PageCount(); }
    void ShowPage(int index); // clamped to the pages there are
    void FirstPage() { ShowPage(0); }
    void PriorPage() { ShowPage(page_ - 1); }
    void NextPage() { ShowPage(page_ + 1); }
    void LastPage() { ShowPage(PageCount() - 1); }
    QString StatusText() const;

    // Zoom: 1 shows the page in its real size; the fitting modes follow the window's size.
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);
    void FitWidth();
    void FitPage();

    // "Imprima": the printer-setup dialog, then the report generated again and printed with
    // the pages and copies chosen there. False when cancelled or nothing was printed.
    bool PrintReport();
    // "Salveaza PDF": asks for a file, then writes it. False when cancelled.
    bool SavePdf();
    void SavePdf(const QString& fileName);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class TFit { None, Width, Page };
    void ApplyFit();
    void Refresh();
    // Runs an action from the window: errors become a message box, never an exception in
    // Qt's event loop.

    TReport* report_;
    TReportDocument document_;
    int page_ = 0;
    double zoom_ = 1.0;
    TFit fit_ = TFit::Width;

    TPreviewPageView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* firstAction_ = nullptr;
    QAction* priorAction_ = nullptr;
    QAction* nextAction_ = nullptr;
    QAction* lastAction_ = nullptr;
};

} // namespace fw
