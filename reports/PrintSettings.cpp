#include "reports/PrintSettings.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "platform/report/ReportPainter.h"
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

TPrintSettingsDlg::TPrintSettingsDlg(TPrintSettings& settings, QWidget* owner)
    : fw::TForm(owner), settings_(settings)
{
    setObjectName(QStringLiteral("PrintSettingsDlg"));
    SetCaption(QStringLiteral("Setari pentru listarea rapoarte"));
    SetPosition(fw::TPosition::ScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));

    // "Listare ": what is printed, how many times, and where.
    auto* listare = new QWidget(Tabs);
    FirstPageSpin = Spin(listare, "FirstPageSpin", 1, 9999);
    LastPageSpin = Spin(listare, "LastPageSpin", 0, 9999);
    CopiesSpin = Spin(listare, "CopiesSpin", 1, 1000);
    AllPagesRadio = new QRadioButton(QStringLiteral("&Listeaza tot"), listare);
    AllPagesRadio->setObjectName(QStringLiteral("AllPagesRadio"));
    AllPagesRadio->setChecked(true);
    PageRangeRadio = new QRadioButton(QStringLiteral("Listeaza par&tial"), listare);
    PageRangeRadio->setObjectName(QStringLiteral("PageRangeRadio"));
    FirstPageSpin->setEnabled(false);
    LastPageSpin->setEnabled(false);
    PreviewCheck = new QCheckBox(QStringLiteral("&Afisare pe ecran"), listare);
    PreviewCheck->setObjectName(QStringLiteral("PreviewCheck"));
    PrinterLabel = new QLabel(listare);
    PrinterLabel->setObjectName(QStringLiteral("PrinterLabel"));
    FontLabel = new QLabel(listare);
    FontLabel->setObjectName(QStringLiteral("FontLabel"));
    for (QLabel* label : {PrinterLabel, FontLabel}) {
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(260);
        label->setMargin(2);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
    }
    auto* pages = new QGroupBox(listare);
    auto* pagesGrid = new QGridLayout(pages);
    pagesGrid->addWidget(AllPagesRadio, 0, 0, 1, 4);
    pagesGrid->addWidget(PageRangeRadio, 1, 0, 1, 4);
    pagesGrid->addWidget(BuddyLabel(QStringLiteral("P&rima pagina:"), FirstPageSpin, pages), 2, 0);
    pagesGrid->addWidget(FirstPageSpin, 2, 1);
    pagesGrid->addWidget(BuddyLabel(QStringLiteral("&Ultima pagina:"), LastPageSpin, pages), 2, 2);
    pagesGrid->addWidget(LastPageSpin, 2, 3);
    pagesGrid->setColumnStretch(4, 1);
    auto* copies = new QHBoxLayout;
    copies->addWidget(BuddyLabel(QStringLiteral("E&xemplare:"), CopiesSpin, listare));
    copies->addWidget(CopiesSpin);
    copies->addStretch(1);
    copies->addWidget(PreviewCheck);
    auto* listareLayout = new QVBoxLayout(listare);
    listareLayout->addWidget(pages);
    listareLayout->addLayout(copies);
    listareLayout->addWidget(PrinterLabel);
    listareLayout->addWidget(FontLabel);
    listareLayout->addStretch(1);
    Tabs->addTab(listare, QStringLiteral("Listare "));

    // "Pagina": margins and orientation.
    auto* pagina = new QWidget(Tabs);
    auto* marginsBox = new QGroupBox(QStringLiteral("Margini de pagina"), pagina);
    TopEdit = MarginEdit(marginsBox, "TopEdit");
    BottomEdit = MarginEdit(marginsBox, "BottomEdit");
    LeftEdit = MarginEdit(marginsBox, "LeftEdit");
    RightEdit = MarginEdit(marginsBox, "RightEdit");
    MarginPicture = new QLabel(marginsBox);
    MarginPicture->setObjectName(QStringLiteral("MarginPicture"));
    auto* marginsGrid = new QGridLayout(marginsBox);
    const std::pair<QString, QSpinBox*> margins[] = {{QStringLiteral("Sus:"), TopEdit},
                                                     {QStringLiteral("Jos:"), BottomEdit},
                                                     {QStringLiteral("Stînga:"), LeftEdit},
                                                     {QStringLiteral("Dreapta:"), RightEdit}};
    for (int row = 0; row < 4; ++row) {
        marginsGrid->addWidget(BuddyLabel(margins[row].first, margins[row].second, marginsBox), row, 0);
        marginsGrid->addWidget(margins[row].second, row, 1);
        marginsGrid->addWidget(new QLabel(QStringLiteral("mm"), marginsBox), row, 2);
    }
    marginsGrid->addWidget(MarginPicture, 0, 3, 4, 1, Qt::AlignCenter);
    auto* orientBox = new QGroupBox(QStringLiteral("Orientare"), pagina);
    PortraitRadio = new QRadioButton(QStringLiteral("P&ortret"), orientBox);
    PortraitRadio->setObjectName(QStringLiteral("PortraitRadio"));
    PortraitRadio->setChecked(true);
    LandscapeRadio = new QRadioButton(QStringLiteral("Peisa&j"), orientBox);
    LandscapeRadio->setObjectName(QStringLiteral("LandscapeRadio"));
    OrientPicture = new QLabel(orientBox);
    OrientPicture->setObjectName(QStringLiteral("OrientPicture"));
    auto* orientGrid = new QGridLayout(orientBox);
    orientGrid->addWidget(PortraitRadio, 0, 0);
    orientGrid->addWidget(LandscapeRadio, 1, 0);
    orientGrid->addWidget(OrientPicture, 0, 1, 2, 1, Qt::AlignCenter);
    orientGrid->setRowStretch(2, 1);
    auto* paginaLayout = new QHBoxLayout(pagina);
    paginaLayout->addWidget(marginsBox);
    paginaLayout->addWidget(orientBox);
    Tabs->addTab(pagina, QStringLiteral("Pagina"));

    PrinterButton = Button(QStringLiteral("I&mprimanta"), "PrinterButton", QString(), this);
    FontButton = Button(QStringLiteral("&Font"), "FontButton", QString(), this);
    OkBtn = Button(QStringLiteral("&Printeaza"), "OkBtn", QStringLiteral("Sunt de acord"), this);
    OkBtn->setDefault(true);
    CancelBtn = Button(QStringLiteral("&Inchide"), "CancelBtn", QStringLiteral("Renunt"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(PrinterButton);
    buttons->addWidget(FontButton);
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Tabs, 1);
    layout->addLayout(buttons);

    FontDialog = new QFontDialog(this);
    FontDialog->setObjectName(QStringLiteral("FontDialog"));
    FontDialog->setOption(QFontDialog::DontUseNativeDialog);

    connect(AllPagesRadio, &QRadioButton::clicked, this, fw::GuardedSlot(this, [this] { PageChoiceClick(); }));
    connect(PageRangeRadio, &QRadioButton::clicked, this, fw::GuardedSlot(this, [this] { PageChoiceClick(); }));
    connect(FirstPageSpin, &QSpinBox::valueChanged, this, fw::GuardedSlot(this, [this] { FirstPageSpinChange(); }));
    for (QSpinBox* edit : {TopEdit, BottomEdit, LeftEdit, RightEdit})
        connect(edit, &QSpinBox::valueChanged, this, fw::GuardedSlot(this, [this, edit] { MarginChange(edit); }));
    connect(PortraitRadio, &QRadioButton::clicked, this, fw::GuardedSlot(this, [this] { PortraitClick(); }));
    connect(LandscapeRadio, &QRadioButton::clicked, this, fw::GuardedSlot(this, [this] { LandscapeClick(); }));
    connect(FontButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { FontButtonClick(); }));
    connect(PrinterButton, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { PrinterButtonClick(); }));
    connect(OkBtn, &QPushButton::clicked, this, fw::GuardedSlot(this, [this] { OkBtnClick(); }));
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);

    ShowOrientation(QPageLayout::Portrait);
    setFixedSize(sizeHint());
}

TPrintSettingsDlg::~TPrintSettingsDlg() = default;

QSpinBox* TPrintSettingsDlg::MarginEdit(QWidget* parent, const char* name) { return Spin(parent, name, 0, 9999); }

QSpinBox* TPrintSettingsDlg::Opposite(const QSpinBox* edit) const
{
    if (edit == TopEdit)
        return BottomEdit;
    if (edit == BottomEdit)
        return TopEdit;
    return edit == LeftEdit ? RightEdit : LeftEdit;
}

fw::TPrinterGeometry TPrintSettingsDlg::MeasurePrinter()
{
    settings_.Printable = fw::Printer().Geometry();
    return settings_.Printable;
}

void TPrintSettingsDlg::SetMaxima(const fw::TPrinterGeometry& g)
{
    LeftEdit->setMaximum(g.PaperWidth);
    RightEdit->setMaximum(g.PaperWidth);
    TopEdit->setMaximum(g.PaperHeight);
    BottomEdit->setMaximum(g.PaperHeight);
}

void TPrintSettingsDlg::ShowOrientation(QPageLayout::Orientation orientation)
{
    PortraitRadio->setChecked(orientation == QPageLayout::Portrait);
    LandscapeRadio->setChecked(orientation == QPageLayout::Landscape);
    OrientPicture->setPixmap(PagePicture(orientation, false));
    MarginPicture->setPixmap(PagePicture(orientation, true));
}

void TPrintSettingsDlg::ShowFont() { FontLabel->setText(fontName_ + QStringLiteral("   ") + QString::number(fontSize_)); }

void TPrintSettingsDlg::ShowPrinter() { PrinterLabel->setText(fw::Printer().PrinterName()); }

void TPrintSettingsDlg::FormCreate()
{
    inMarginChange_ = false;
    // Without a printer installed the report can only be looked at or saved: preview is
    // offered until the user has chosen otherwise.
    PreviewCheck->setChecked(settings_.Preview || (!settings_.Confirmed && fw::Printer().IsPdfPrinter()));
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
    FontDialog->setCurrentFont(font);
    ShowFont();
    ShowPrinter();
    Tabs->setCurrentIndex(0);

    fw::TPrinter& printer = fw::Printer();
    printer.SetOrientation(settings_.Orientation);
    shown_ = settings_.Orientation;
    ShowOrientation(shown_);
    if (settings_.PaperSize >= 1 && settings_.PaperSize <= 31)
        printer.SetPaperCode(fw::PaperCodeOfIndex(settings_.PaperSize));

    const fw::TPrinterGeometry g = MeasurePrinter();
    SetMaxima(g);
    const auto within = [](int value, int min, int max) { return value < min || value > max ? min : value; };
    TopEdit->setValue(within(settings_.TopMargin, g.MinTop, g.PaperHeight));
    LeftEdit->setValue(within(settings_.LeftMargin, g.MinLeft, g.PaperWidth));
    BottomEdit->setValue(within(settings_.BottomMargin, g.MinBottom, g.PaperHeight));
    RightEdit->setValue(within(settings_.RightMargin, g.MinRight, g.PaperWidth));
}

void TPrintSettingsDlg::StoreSettings()
{
    TPrintSettings& s = settings_;
    s.FontName = fontName_.left(kMaxFontName);
    s.FontSize = fontSize_;
    s.FontPitch = fontPitch_;
    s.Preview = PreviewCheck->isChecked();
    s.Confirmed = true;
    s.Copies = CopiesSpin->value();
    s.FirstPage = AllPagesRadio->isChecked() ? 0 : FirstPageSpin->value();
    s.LastPage = AllPagesRadio->isChecked() ? 0 : LastPageSpin->value();
    s.PaperSize = fw::PaperIndexOfCode(fw::Printer().PaperCode());
    s.Orientation = PortraitRadio->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape;
    s.TopMargin = TopEdit->value();
    s.LeftMargin = LeftEdit->value();
    s.BottomMargin = BottomEdit->value();
    s.RightMargin = RightEdit->value();
}

void TPrintSettingsDlg::PageChoiceClick()
{
    const bool partial = PageRangeRadio->isChecked();
    FirstPageSpin->setEnabled(partial);
    LastPageSpin->setEnabled(partial);
    FirstPageSpin->setFocus();
}

void TPrintSettingsDlg::FirstPageSpinChange()
{
    // The minimum pulls a smaller last page up with it.
    LastPageSpin->setMinimum(FirstPageSpin->value());
}

void TPrintSettingsDlg::MarginChange(QSpinBox* edit)
{
    if (inMarginChange_)
        return;
    inMarginChange_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{inMarginChange_};
    // A margin never leaves less of the paper than its opposite margin takes.
    const int opposite = Opposite(edit)->value();
    if (edit->maximum() - edit->value() < opposite)
        edit->setValue(edit->maximum() - opposite);
}

void TPrintSettingsDlg::ChooseOrientation(QPageLayout::Orientation orientation)
{
    if (shown_ != orientation) {
        fw::Printer().SetOrientation(orientation);
        SetMaxima(MeasurePrinter());
        shown_ = orientation;
    }
    ShowOrientation(orientation);
}

void TPrintSettingsDlg::PortraitClick() { ChooseOrientation(QPageLayout::Portrait); }

void TPrintSettingsDlg::LandscapeClick() { ChooseOrientation(QPageLayout::Landscape); }

void TPrintSettingsDlg::FontButtonClick()
{
    if (fw::ExecPrintModal(*FontDialog) != QDialog::Accepted)
        return;
    const QFont chosen = FontDialog->currentFont();
    const QString family = chosen.family();
    if (family != fontName_)
        fontPitch_ = QFontDatabase::isFixedPitch(family) ? fw::TFontPitch::Fixed : fw::TFontPitch::Variable;
    fontName_ = family.left(kMaxFontName);
    fontSize_ = std::clamp(chosen.pointSize() > 0 ? chosen.pointSize() : fontSize_, kMinFontSize, kMaxFontSize);
    ShowFont();
}

void TPrintSettingsDlg::PrinterButtonClick()
{
    // The setup dialog may change the printer, its paper and its orientation: the maxima
    // and the orientation shown follow whatever it left.
    fw::TPrinter& printer = fw::Printer();
    printer.ExecSetupDialog(this);
    ShowPrinter();
    SetMaxima(MeasurePrinter());
    shown_ = printer.Orientation();
    ShowOrientation(shown_);
}

void TPrintSettingsDlg::OkBtnClick()
{
    fw::Printer().SetOrientation(shown_);
    const fw::TPrinterGeometry g = MeasurePrinter();
    struct Margin {
        QSpinBox* Edit;
        int Min;
    };
    const Margin margins[] = {{TopEdit, g.MinTop}, {LeftEdit, g.MinLeft}, {BottomEdit, g.MinBottom}, {RightEdit, g.MinRight}};
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
    if (LeftEdit->value() + RightEdit->value() >= g.PaperWidth) {
        set(LeftEdit, g.MinLeft);
        set(RightEdit, g.MinRight);
    }
    if (TopEdit->value() + BottomEdit->value() >= g.PaperHeight) {
        set(TopEdit, g.MinTop);
        set(BottomEdit, g.MinBottom);
    }
    Tabs->setCurrentIndex(1);
    if (changed)
        changed->setFocus();
}

bool ExecutePrintSettingsDlg(TPrintSettings& settings, QWidget* owner)
{
    const std::unique_ptr<TPrintSettingsDlg> dialog = std::make_unique<TPrintSettingsDlg>(settings, owner);
    dialog->FormCreate();
    if (dialog->ShowModal() == fw::TModalResult::OK) {
        dialog->StoreSettings();
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
