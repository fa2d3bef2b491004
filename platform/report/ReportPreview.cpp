#include "platform/report/ReportPreview.h"

#include "platform/ui/Guard.h"

#include "platform/core/Exceptions.h"
#include "platform/print/Printer.h"
#include "platform/report/Report.h"
#include "platform/report/ReportPainter.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace fw {

namespace {
constexpr int kGap = 12; // grey border around the sheet, pixels
} // namespace

// The sheet on a grey ground, painted by the one page painter.
class TPreviewPageView final : public QWidget {
public:
    explicit TPreviewPageView(QWidget* parent) : QWidget(parent) {}

    void Show(const TReportPage* page, double zoom)
    {
        page_ = page;
        zoom_ = zoom;
        const QSizeF size = page ? PixelSize(page->Size, zoom) : QSizeF();
        setFixedSize(qCeil(size.width()) + 2 * kGap, qCeil(size.height()) + 2 * kGap);
        update();
    }

    QSizeF PixelSize(const QSizeF& mm, double zoom) const
    {
        return QSizeF(mm.width() * logicalDpiX() / 25.4 * zoom, mm.height() * logicalDpiY() / 25.4 * zoom);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (!page_)
            return;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(kGap, kGap);
        paintPage(painter, *page_, {zoom_, true});
    }

private:
    const TReportPage* page_ = nullptr;
    double zoom_ = 1.0;
};

TReportPreview::TReportPreview(TReport* report, TReportDocument document, QWidget* parent)
    : QDialog(parent), report_(report), document_(std::move(document))
{
    const QString title = QStringLiteral("Previzualizare");
    setWindowTitle(document_.Title.isEmpty() ? title : title + QStringLiteral(" - ") + document_.Title);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(900, 700);

    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto icon = [this](const char* theme, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(theme), style()->standardIcon(fallback));
    };
    // Navigation shows icons only (the captions are their tool tips), the page status between them.
    const auto navigation = [&](const char* theme, QStyle::StandardPixmap fallback, const QString& caption,
                                const QKeySequence& key, std::function<void()> move) {
        QAction* action = tools->addAction(icon(theme, fallback), caption, std::move(move));
        action->setShortcut(key);
        if (auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(action)))
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return action;
    };
    firstAction_ = navigation("go-first", QStyle::SP_MediaSkipBackward, QStringLiteral("Prima pagina"),
                              QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { FirstPage(); });
    priorAction_ = navigation("go-previous", QStyle::SP_MediaSeekBackward, QStringLiteral("Pagina anterioara"),
                              QKeySequence(Qt::Key_PageUp), [this] { PriorPage(); });
    status_ = new QLabel(tools);
    status_->setContentsMargins(8, 0, 8, 0);
    tools->addWidget(status_);
    nextAction_ = navigation("go-next", QStyle::SP_MediaSeekForward, QStringLiteral("Pagina urmatoare"),
                             QKeySequence(Qt::Key_PageDown), [this] { NextPage(); });
    lastAction_ = navigation("go-last", QStyle::SP_MediaSkipForward, QStringLiteral("Ultima pagina"),
                             QKeySequence(Qt::CTRL | Qt::Key_End), [this] { LastPage(); });
    tools->addSeparator();

    zoomBox_ = new QComboBox(tools);
    zoomBox_->addItem(QStringLiteral("Latimea paginii"), -1.0);
    zoomBox_->addItem(QStringLiteral("Pagina intreaga"), -2.0);
    for (int percent : {50, 75, 100, 150, 200})
        zoomBox_->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    zoomBox_->setToolTip(QStringLiteral("Marime"));
    tools->addWidget(zoomBox_);
    connect(zoomBox_, &QComboBox::activated, this, [this](int index) {
        const double value = zoomBox_->itemData(index).toDouble();
        if (value == -1.0)
            FitWidth();
        else if (value == -2.0)
            FitPage();
        else
            SetZoom(value);
    });
    tools->addSeparator();
    tools->addAction(icon("document-print", QStyle::SP_DialogOkButton), QStringLiteral("Imprima"),
                     [this] { fw::Guarded(this, [this] { PrintReport(); }); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    tools->addAction(icon("document-save-as", QStyle::SP_DialogSaveButton), QStringLiteral("Salveaza PDF"),
                     [this] { fw::Guarded(this, [this] { SavePdf(); }); });
    tools->addAction(icon("window-close", QStyle::SP_DialogCloseButton), QStringLiteral("Inchide"),
                     [this] { reject(); });

    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new TPreviewPageView(scroll_);
    scroll_->setWidget(view_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(scroll_, 1);

    ApplyFit();
    Refresh();
}

TReportPreview::~TReportPreview() = default;

void TReportPreview::SetDocument(TReportDocument document)
{
    document_ = std::move(document);
    page_ = std::clamp(page_, 0, std::max(0, PageCount() - 1));
    ApplyFit();
    Refresh();
}

void TReportPreview::ShowPage(int index)
{
    page_ = std::clamp(index, 0, std::max(0, PageCount() - 1));
    Refresh();
    scroll_->verticalScrollBar()->setValue(0);
}

QString TReportPreview::StatusText() const
{
    return QStringLiteral("Pagina %1 din %2").arg(PageCount() == 0 ? 0 : page_ + 1).arg(PageCount());
}

void TReportPreview::SetZoom(double zoom)
{
    fit_ = TFit::None;
    zoom_ = std::clamp(zoom, 0.1, 8.0);
    Refresh();
}

void TReportPreview::FitWidth()
{
    fit_ = TFit::Width;
    ApplyFit();
    Refresh();
}

void TReportPreview::FitPage()
{
    fit_ = TFit::Page;
    ApplyFit();
    Refresh();
}

void TReportPreview::ApplyFit()
{
    if (fit_ == TFit::None || document_.Pages.empty())
        return;
    const QSizeF sheet = view_->PixelSize(document_.Pages.front().Size, 1.0);
    // Room for the sheet: the visible part of the scroll area, less the grey border and
    // (for the width) a vertical scroll bar.
    const QSize room = scroll_->maximumViewportSize() - QSize(2 * kGap, 2 * kGap);
    const double byWidth = (room.width() - scroll_->verticalScrollBar()->sizeHint().width()) / sheet.width();
    const double byHeight = room.height() / sheet.height();
    zoom_ = std::clamp(fit_ == TFit::Width ? byWidth : std::min(byWidth, byHeight), 0.1, 8.0);
}

void TReportPreview::Refresh()
{
    view_->Show(document_.Pages.empty() ? nullptr : &document_.Pages.at(size_t(page_)), zoom_);
    status_->setText(StatusText());
    firstAction_->setEnabled(page_ > 0);
    priorAction_->setEnabled(page_ > 0);
    nextAction_->setEnabled(page_ + 1 < PageCount());
    lastAction_->setEnabled(page_ + 1 < PageCount());
}

void TReportPreview::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (fit_ != TFit::None) {
        ApplyFit();
        Refresh();
    }
}

bool TReportPreview::PrintReport()
{
    TPrinter& printer = Printer();
    QPrintDialog dialog(&printer.Device(), this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintToFile);
    dialog.setMinMax(1, std::max(1, PageCount()));
    if (ExecPrintModal(dialog) != QDialog::Accepted)
        return false;

    const QPrinter& device = printer.Device();
    TReportPrinterSettings settings;
    settings.Copies = device.copyCount();
    if (device.printRange() == QPrinter::PageRange) {
        settings.FirstPage = device.fromPage();
        settings.LastPage = device.toPage();
    }
    // What goes to paper is generated again, with the report's events run again.
    if (report_)
        SetDocument(report_->Generate());
    if (document_.Pages.empty())
        return false;
    return PrintDocument(document_, printer.DeviceFor(document_.Title), settings);
}

bool TReportPreview::SavePdf()
{
    QFileDialog dialog(this, QStringLiteral("Salveaza PDF"), Printer().OutputFileName(document_.Title),
                       QStringLiteral("Fisiere PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (ExecPrintModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    SavePdf(dialog.selectedFiles().constFirst());
    return true;
}

void TReportPreview::SavePdf(const QString& fileName) { ExportPdf(document_, fileName); }

} // namespace fw
