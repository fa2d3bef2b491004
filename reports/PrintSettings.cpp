#include "reports/PrintSettings.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "platform/report/ReportPainter.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/Guard.h"
#include "reports/PickFont.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace corvanel {

namespace {

constexpr int kMinFontSize = 5;
constexpr int kMaxFontSize = 48;

// A sheet seen from above: the orientation picture carries a large letter, the margins
// picture the printable area as a dashed frame.
QPixmap PagePicture(QPageLayout::Orientation orientation, bool margins)
{
    const QSize sheet = orientation == QPageLayout::Portrait ? QSize(34, 46) : QSize(46, 34);
    QPixmap pixmap(56, 56);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRect page(QPoint(), sheet);
    page.moveCenter(pixmap.rect().center());
    p.fillRect(page.translated(2, 2), QColor(0, 0, 0, 60));
    p.fillRect(page, Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(page);
    if (margins) {
        p.setPen(QPen(Qt::darkBlue, 1, Qt::DashLine));
        p.drawRect(page.adjusted(5, 5, -5, -5));
        p.setPen(QPen(Qt::gray, 1));
        for (int y = page.top() + 9; y < page.bottom() - 7; y += 4)
            p.drawLine(page.left() + 8, y, page.right() - 8, y);
    } else {
        QFont font(QStringLiteral("Liberation Serif"));
        font.setPixelSize(26);
        font.setBold(true);
        p.setFont(font);
        p.drawText(page, Qt::AlignCenter, QStringLiteral("A"));
    }
    return pixmap;
}

QSpinBox* Spin(QWidget* parent, const char* name, int min, int max)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(min, max);
    return spin;
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QPushButton* Button(const QString& caption, const char* name, const QString& hint, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    return button;
}

void SetQuietly(QSpinBox* spin, int value)
{
    const QSignalBlocker block(spin);
    spin->setValue(value);
}

} // namespace

void PresetA4Arial8(TPrintSettings& settings, QPageLayout::Orientation orientation)
{
    settings.FontName = QStringLiteral("Arial");
    settings.FontSize = 8;
    settings.FontPitch = fw::TFontPitch::Default;
    settings.PaperSize = 9; // A4
    settings.Orientation = orientation;
}

struct TPrintSettingsDlg::Ui {
    QTabWidget* tabs = nullptr;
    QSpinBox* firstPage = nullptr;
    QSpinBox* lastPage = nullptr;
    QSpinBox* copies = nullptr;
    QRadioButton* allPages = nullptr;
    QRadioButton* pageRange = nullptr;
    QCheckBox* preview = nullptr;
    QLabel* printer = nullptr;
    QLabel* font = nullptr;
    QSpinBox* top = nullptr;
    QSpinBox* bottom = nullptr;
    QSpinBox* left = nullptr;
    QSpinBox* right = nullptr;
    QLabel* marginPicture = nullptr;
    QRadioButton* portrait = nullptr;
    QRadioButton* landscape = nullptr;
    QLabel* orientPicture = nullptr;
    QFontDialog* fontDialog = nullptr;
};

TPrintSettingsDlg::TPrintSettingsDlg(TPrintSettings& settings, QWidget* owner)
    : fw::TForm(owner), settings_(settings), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("PrintSettingsDlg"));
    SetCaption(QStringLiteral("Setari pentru listarea rapoarte"));
    SetPosition(fw::TPosition::ScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Ui& u = *ui_;
    u.tabs = new QTabWidget(this);
    u.tabs->setObjectName(QStringLiteral("Tabs"));
    u.tabs->addTab(makePrintingPage(), QStringLiteral("Listare "));
    u.tabs->addTab(makePagePage(), QStringLiteral("Pagina"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(u.tabs, 1);
    layout->addLayout(makeButtons());

    u.fontDialog = new QFontDialog(this);
    u.fontDialog->setObjectName(QStringLiteral("FontDialog"));
    u.fontDialog->setOption(QFontDialog::DontUseNativeDialog);

    showOrientation(QPageLayout::Portrait);
    setFixedSize(sizeHint());
}

TPrintSettingsDlg::~TPrintSettingsDlg() = default;

// "Listare ": what is printed, how many times, and where.
QWidget* TPrintSettingsDlg::makePrintingPage()
{
    Ui& u = *ui_;
    auto* page = new QWidget(u.tabs);
    u.firstPage = Spin(page, "FirstPageSpin", 1, 9999);
    u.lastPage = Spin(page, "LastPageSpin", 0, 9999);
    u.copies = Spin(page, "CopiesSpin", 1, 1000);
    u.allPages = new QRadioButton(QStringLiteral("&Listeaza tot"), page);
    u.allPages->setObjectName(QStringLiteral("AllPagesRadio"));
    u.allPages->setChecked(true);
    u.pageRange = new QRadioButton(QStringLiteral("Listeaza par&tial"), page);
    u.pageRange->setObjectName(QStringLiteral("PageRangeRadio"));
    u.firstPage->setEnabled(false);
    u.lastPage->setEnabled(false);
    u.preview = new QCheckBox(QStringLiteral("&Afisare pe ecran"), page);
    u.preview->setObjectName(QStringLiteral("PreviewCheck"));
    u.printer = new QLabel(page);
    u.printer->setObjectName(QStringLiteral("PrinterLabel"));
    u.font = new QLabel(page);
    u.font->setObjectName(QStringLiteral("FontLabel"));
    for (QLabel* label : {u.printer, u.font}) {
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(260);
        label->setMargin(2);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
    }
    for (QRadioButton* choice : {u.allPages, u.pageRange})
        connect(choice, &QRadioButton::clicked, this, fw::GuardedSlot(this, [this] { enablePageRange(); }));
    // The minimum pulls a smaller last page up with it.
    connect(u.firstPage, &QSpinBox::valueChanged, this,
            fw::GuardedSlot(this, [this] { ui_->lastPage->setMinimum(ui_->firstPage->value()); }));

    auto* pages = new QGroupBox(page);
    auto* pagesGrid = new QGridLayout(pages);
    pagesGrid->addWidget(u.allPages, 0, 0, 1, 4);
    pagesGrid->addWidget(u.pageRange, 1, 0, 1, 4);
    pagesGrid->addWidget(BuddyLabel(QStringLiteral("P&rima pagina:"), u.firstPage, pages), 2, 0);
    pagesGrid->addWidget(u.firstPage, 2, 1);
    pagesGrid->addWidget(BuddyLabel(QStringLiteral("&Ultima pagina:"), u.lastPage, pages), 2, 2);
    pagesGrid->addWidget(u.lastPage, 2, 3);
    pagesGrid->setColumnStretch(4, 1);
    auto* copies = new QHBoxLayout;
    copies->addWidget(BuddyLabel(QStringLiteral("E&xemplare:"), u.copies, page));
    copies->addWidget(u.copies);
    copies->addStretch(1);
    copies->addWidget(u.preview);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pages);
    layout->addLayout(copies);
    layout->addWidget(u.printer);
    layout->addWidget(u.font);
    layout->addStretch(1);
    return page;
}

// "Pagina": margins and orientation.
QWidget* TPrintSettingsDlg::makePagePage()
{
    Ui& u = *ui_;
    auto* page = new QWidget(u.tabs);
    auto* marginsBox = new QGroupBox(QStringLiteral("Margini de pagina"), page);
    u.top = Spin(marginsBox, "TopMarginSpin", 0, 9999);
    u.bottom = Spin(marginsBox, "BottomMarginSpin", 0, 9999);
    u.left = Spin(marginsBox, "LeftMarginSpin", 0, 9999);
    u.right = Spin(marginsBox, "RightMarginSpin", 0, 9999);
    u.marginPicture = new QLabel(marginsBox);
    u.marginPicture->setObjectName(QStringLiteral("MarginPicture"));
    auto* marginsGrid = new QGridLayout(marginsBox);
    const std::pair<QString, QSpinBox*> margins[] = {{QStringLiteral("Sus:"), u.top},
                                                     {QStringLiteral("Jos:"), u.bottom},
                                                     {QStringLiteral("Stînga:"), u.left},
                                                     {QStringLiteral("Dreapta:"), u.right}};
    for (int row = 0; row < 4; ++row) {
        QSpinBox* margin = margins[row].second;
        marginsGrid->addWidget(BuddyLabel(margins[row].first, margin, marginsBox), row, 0);
        marginsGrid->addWidget(margin, row, 1);
        marginsGrid->addWidget(new QLabel(QStringLiteral("mm"), marginsBox), row, 2);
        connect(margin, &QSpinBox::valueChanged, this, fw::GuardedSlot(this, [this, margin] { keepRoomForOpposite(margin); }));
    }
    marginsGrid->addWidget(u.marginPicture, 0, 3, 4, 1, Qt::AlignCenter);

    auto* orientBox = new QGroupBox(QStringLiteral("Orientare"), page);
    u.portrait = new QRadioButton(QStringLiteral("P&ortret"), orientBox);
    u.portrait->setObjectName(QStringLiteral("PortraitRadio"));
    u.portrait->setChecked(true);
    u.landscape = new QRadioButton(QStringLiteral("Peisa&j"), orientBox);
    u.landscape->setObjectName(QStringLiteral("LandscapeRadio"));
    u.orientPicture = new QLabel(orientBox);
    u.orientPicture->setObjectName(QStringLiteral("OrientPicture"));
    connect(u.portrait, &QRadioButton::clicked, this,
            fw::GuardedSlot(this, [this] { chooseOrientation(QPageLayout::Portrait); }));
    connect(u.landscape, &QRadioButton::clicked, this,
            fw::GuardedSlot(this, [this] { chooseOrientation(QPageLayout::Landscape); }));
    auto* orientGrid = new QGridLayout(orientBox);
    orientGrid->addWidget(u.portrait, 0, 0);
    orientGrid->addWidget(u.landscape, 1, 0);
    orientGrid->addWidget(u.orientPicture, 0, 1, 2, 1, Qt::AlignCenter);
    orientGrid->setRowStretch(2, 1);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(marginsBox);
    layout->addWidget(orientBox);
    return page;
}

// The printer and the font above; printing and closing at the bottom.
QLayout* TPrintSettingsDlg::makeButtons()
{
    auto* printer = Button(QStringLiteral("I&mprimanta"), "PrinterButton", QString(), this);
    connect(printer, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { choosePrinter(); }));
    auto* font = Button(QStringLiteral("&Font"), "FontButton", QString(), this);
    connect(font, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { chooseFont(); }));
    QDialogButtonBox* box = fw::DialogButtons(
        this, {{QDialogButtonBox::Ok, QStringLiteral("&Printeaza"), QStringLiteral("Sunt de acord")},
               {QDialogButtonBox::Cancel, QStringLiteral("&Inchide"), QStringLiteral("Renunt")}});
    box->setOrientation(Qt::Vertical);
    // As wide as the buttons above (a vertical box keeps its own width).
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    auto* column = new QVBoxLayout;
    column->addWidget(printer);
    column->addWidget(font);
    column->addStretch(1);
    column->addWidget(box);
    return column;
}

QSpinBox* TPrintSettingsDlg::opposite(const QSpinBox* margin) const
{
    const Ui& u = *ui_;
    if (margin == u.top)
        return u.bottom;
    if (margin == u.bottom)
        return u.top;
    return margin == u.left ? u.right : u.left;
}

fw::TPrinterGeometry TPrintSettingsDlg::measurePrinter()
{
    settings_.Printable = fw::Printer().Geometry();
    return settings_.Printable;
}

void TPrintSettingsDlg::setMaxima(const fw::TPrinterGeometry& g)
{
    ui_->left->setMaximum(g.PaperWidth);
    ui_->right->setMaximum(g.PaperWidth);
    ui_->top->setMaximum(g.PaperHeight);
    ui_->bottom->setMaximum(g.PaperHeight);
}

void TPrintSettingsDlg::showOrientation(QPageLayout::Orientation orientation)
{
    ui_->portrait->setChecked(orientation == QPageLayout::Portrait);
    ui_->landscape->setChecked(orientation == QPageLayout::Landscape);
    ui_->orientPicture->setPixmap(PagePicture(orientation, false));
    ui_->marginPicture->setPixmap(PagePicture(orientation, true));
}

void TPrintSettingsDlg::showFont() { ui_->font->setText(fontName_ + QStringLiteral("   ") + QString::number(fontSize_)); }

void TPrintSettingsDlg::showPrinter() { ui_->printer->setText(fw::Printer().PrinterName()); }

void TPrintSettingsDlg::showSettings()
{
    inMarginChange_ = false;
    // Without a printer installed the report can only be looked at or saved: preview is
    // offered until the user has chosen otherwise.
    ui_->preview->setChecked(settings_.Preview || (!settings_.Confirmed && fw::Printer().IsPdfPrinter()));
    if (settings_.FontName.isEmpty()) {
        settings_.FontName = PickFont(kPrintCpi).left(kMaxFontName);
        settings_.FontSize = 10;
        settings_.FontPitch = fw::TFontPitch::Fixed;
    }
    fontName_ = settings_.FontName;
    fontSize_ = settings_.FontSize;
    fontPitch_ = settings_.FontPitch;
    QFont font(fontName_);
    font.setPointSize(fontSize_);
    font.setFixedPitch(fontPitch_ == fw::TFontPitch::Fixed);
    ui_->fontDialog->setCurrentFont(font);
    showFont();
    showPrinter();
    ui_->tabs->setCurrentIndex(0);

    fw::TPrinter& printer = fw::Printer();
    printer.SetOrientation(settings_.Orientation);
    shown_ = settings_.Orientation;
    showOrientation(shown_);
    if (settings_.PaperSize >= 1 && settings_.PaperSize <= 31)
        printer.SetPaperCode(fw::PaperCodeOfIndex(settings_.PaperSize));

    const fw::TPrinterGeometry g = measurePrinter();
    setMaxima(g);
    const auto within = [](int value, int min, int max) { return value < min || value > max ? min : value; };
    ui_->top->setValue(within(settings_.TopMargin, g.MinTop, g.PaperHeight));
    ui_->left->setValue(within(settings_.LeftMargin, g.MinLeft, g.PaperWidth));
    ui_->bottom->setValue(within(settings_.BottomMargin, g.MinBottom, g.PaperHeight));
    ui_->right->setValue(within(settings_.RightMargin, g.MinRight, g.PaperWidth));
}

void TPrintSettingsDlg::storeSettings()
{
    TPrintSettings& s = settings_;
    s.FontName = fontName_.left(kMaxFontName);
    s.FontSize = fontSize_;
    s.FontPitch = fontPitch_;
    s.Preview = ui_->preview->isChecked();
    s.Confirmed = true;
    s.Copies = ui_->copies->value();
    s.FirstPage = ui_->allPages->isChecked() ? 0 : ui_->firstPage->value();
    s.LastPage = ui_->allPages->isChecked() ? 0 : ui_->lastPage->value();
    s.PaperSize = fw::PaperIndexOfCode(fw::Printer().PaperCode());
    s.Orientation = ui_->portrait->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape;
    s.TopMargin = ui_->top->value();
    s.LeftMargin = ui_->left->value();
    s.BottomMargin = ui_->bottom->value();
    s.RightMargin = ui_->right->value();
}

void TPrintSettingsDlg::enablePageRange()
{
    const bool partial = ui_->pageRange->isChecked();
    ui_->firstPage->setEnabled(partial);
    ui_->lastPage->setEnabled(partial);
    ui_->firstPage->setFocus();
}

void TPrintSettingsDlg::keepRoomForOpposite(QSpinBox* edit)
{
    if (inMarginChange_)
        return;
    inMarginChange_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{inMarginChange_};
    const int room = opposite(edit)->value();
    if (edit->maximum() - edit->value() < room)
        edit->setValue(edit->maximum() - room);
}

void TPrintSettingsDlg::chooseOrientation(QPageLayout::Orientation orientation)
{
    if (shown_ != orientation) {
        fw::Printer().SetOrientation(orientation);
        setMaxima(measurePrinter());
        shown_ = orientation;
    }
    showOrientation(orientation);
}

void TPrintSettingsDlg::chooseFont()
{
    if (fw::ExecPrintModal(*ui_->fontDialog) != QDialog::Accepted)
        return;
    const QFont chosen = ui_->fontDialog->currentFont();
    const QString family = chosen.family();
    if (family != fontName_)
        fontPitch_ = QFontDatabase::isFixedPitch(family) ? fw::TFontPitch::Fixed : fw::TFontPitch::Variable;
    fontName_ = family.left(kMaxFontName);
    fontSize_ = std::clamp(chosen.pointSize() > 0 ? chosen.pointSize() : fontSize_, kMinFontSize, kMaxFontSize);
    showFont();
}

void TPrintSettingsDlg::choosePrinter()
{
    // The setup dialog may change the printer, its paper and its orientation: the maxima
    // and the orientation shown follow whatever it left.
    fw::TPrinter& printer = fw::Printer();
    printer.ExecSetupDialog(this);
    showPrinter();
    setMaxima(measurePrinter());
    shown_ = printer.Orientation();
    showOrientation(shown_);
}

void TPrintSettingsDlg::accept()
{
    fw::Printer().SetOrientation(shown_);
    const fw::TPrinterGeometry g = measurePrinter();
    struct Margin {
        QSpinBox* Edit;
        int Min;
    };
    const Margin margins[] = {{ui_->top, g.MinTop}, {ui_->left, g.MinLeft}, {ui_->bottom, g.MinBottom}, {ui_->right, g.MinRight}};
    bool fits = true;
    for (const Margin& m : margins)
        fits = fits && m.Edit->value() >= m.Min;
    if (fits) {
        SetModalResult(fw::TModalResult::OK);
        return;
    }
    if (fw::MessageDlg(msg::MarginsOutsidePrintable(), fw::TMsgDlgType::Warning, fw::TMsgDlgButtons::YesNo)
        == fw::TModalResult::No) {
        SetModalResult(fw::TModalResult::OK);
        return;
    }
    QSpinBox* changed = nullptr;
    const auto set = [&](QSpinBox* edit, int value) {
        if (edit->value() != value) {
            SetQuietly(edit, value);
            changed = edit;
        }
    };
    for (const Margin& m : margins)
        if (m.Edit->value() < m.Min)
            set(m.Edit, m.Min);
    if (ui_->left->value() + ui_->right->value() >= g.PaperWidth) {
        set(ui_->left, g.MinLeft);
        set(ui_->right, g.MinRight);
    }
    if (ui_->top->value() + ui_->bottom->value() >= g.PaperHeight) {
        set(ui_->top, g.MinTop);
        set(ui_->bottom, g.MinBottom);
    }
    ui_->tabs->setCurrentIndex(1);
    if (changed)
        changed->setFocus();
}

bool ExecutePrintSettingsDlg(TPrintSettings& settings, QWidget* owner)
{
    const std::unique_ptr<TPrintSettingsDlg> dialog = std::make_unique<TPrintSettingsDlg>(settings, owner);
    dialog->showSettings();
    if (dialog->ShowModal() == fw::TModalResult::OK) {
        dialog->storeSettings();
        return true;
    }
    fw::Printer().SetOrientation(settings.Orientation);
    // The border measured in another orientation no longer describes the printer.
    settings.Printable = fw::Printer().Geometry();
    return false;
}

void ApplyPrintSettings(const TPrintSettings& s, fw::TReport& report)
{
    report.FontName = s.FontName;
    report.FontSize = s.FontSize;
    report.FontPitch = s.FontPitch;
    report.PrinterSettings = {s.Copies, s.FirstPage, s.LastPage};
    // Index 0 (and a size Qt does not know) is the printer's own paper.
    QPageSize paper = fw::PageSizeOfPaperCode(fw::PaperCodeOfIndex(s.PaperSize));
    if (!paper.isValid())
        paper = fw::Printer().Device().pageLayout().pageSize();
    if (!report.PaperSize.isEquivalentTo(paper))
        report.PaperSize = paper;
    if (report.Orientation != s.Orientation)
        report.Orientation = s.Orientation;
    const fw::TPrinterGeometry& min = s.Printable;
    report.Margins = QMarginsF(std::max(s.LeftMargin, min.MinLeft), std::max(s.TopMargin, min.MinTop),
                               std::max(s.RightMargin, min.MinRight), std::max(s.BottomMargin, min.MinBottom));
}

bool RunReport(const TPrintSettings& settings, fw::TReport& report, QWidget* owner)
{
    ApplyPrintSettings(settings, report);
    if (settings.Preview) {
        report.Preview(owner);
        return true;
    }
    const fw::TReportDocument document = report.Generate();
    if (document.Pages.empty())
        return false;
    fw::TPrinter& printer = fw::Printer();
    if (printer.IsPdfPrinter()) {
        QFileDialog dialog(owner, QStringLiteral("Salveaza raportul"), printer.OutputFileName(document.Title),
                           QStringLiteral("Fisiere PDF (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        if (fw::ExecPrintModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        printer.SetOutputFileName(dialog.selectedFiles().constFirst());
    }
    return fw::PrintDocument(document, printer.DeviceFor(document.Title), report.PrinterSettings);
}

TPrintSettings& PrintSettingsOf(TProductionContext& context)
{
    if (!context.PrintSettings)
        context.PrintSettings = std::make_shared<TPrintSettings>();
    return *context.PrintSettings;
}

} // namespace corvanel
