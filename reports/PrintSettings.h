#pragma once

// The print settings of the add-on's reports: one record for the life of the library (the
// production context's), the dialog that edits it before a report runs, and the step that
// hands it to a report.

#include "platform/print/Printer.h"
#include "platform/report/Report.h"
#include "platform/ui/Form.h"

#include <QPageLayout>
#include <QString>

class QCheckBox;
class QFontDialog;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace corvanel {

struct TProductionContext;

struct TPrintSettings {
    QString FontName; // empty until a font was chosen
    int FontSize = 10;
    fw::TFontPitch FontPitch = fw::TFontPitch::Default;
    bool Preview = false;
    bool Confirmed = false; // the dialog was confirmed at least once
    int Copies = 1;
    int FirstPage = 0; // 0 and 0: every page
    int LastPage = 0;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    int PaperSize = 0; // index of the paper-size table (fw::PaperCodeOfIndex); 0 the printer's own
    int TopMargin = 5; // mm
    int LeftMargin = 5;
    int BottomMargin = 5;
    int RightMargin = 5;
    // The current printer's unprintable border (Min...) and sheet, as last measured by the dialog.
    fw::TPrinterGeometry Printable;

    bool operator==(const TPrintSettings&) const = default;
};

// The add-on's reports print on A4 in Arial 8, in the orientation each report's columns need.
void PresetA4Arial8(TPrintSettings& settings, QPageLayout::Orientation orientation);

// The context's print settings, made on first use.
TPrintSettings& PrintSettingsOf(TProductionContext& context);

inline constexpr int kMaxFontName = 30;
inline constexpr int kPrintCpi = 17; // the font chosen on first use prints closest to this

// "Setari pentru listarea rapoarte": printer, font, pages, copies, preview, orientation and
// margins, of the settings it is given. Made, run and released by ExecutePrintSettingsDlg.
class TPrintSettingsDlg final : public fw::TForm {
public:
    TPrintSettingsDlg(TPrintSettings& settings, QWidget* owner);
    ~TPrintSettingsDlg() override;

    QTabWidget* Tabs;
    QSpinBox* FirstPageSpin;
    QSpinBox* LastPageSpin;
    QSpinBox* CopiesSpin;
    QRadioButton* AllPagesRadio;
    QRadioButton* PageRangeRadio;
    QCheckBox* PreviewCheck;
    QLabel* PrinterLabel;
    QLabel* FontLabel;
    QSpinBox* TopEdit;
    QSpinBox* BottomEdit;
    QSpinBox* LeftEdit;
    QSpinBox* RightEdit;
    QLabel* MarginPicture;
    QRadioButton* PortraitRadio;
    QRadioButton* LandscapeRadio;
    QLabel* OrientPicture;
    QPushButton* PrinterButton;
    QPushButton* FontButton;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;
    QFontDialog* FontDialog;

    // Shows the stored settings (choosing the font on first use) and the printer's state.
    void FormCreate();
    // Writes what the dialog shows into the settings.
    void StoreSettings();

    void PageChoiceClick();
    void FirstPageSpinChange();
    void MarginChange(QSpinBox* edit);
    void PortraitClick();
    void LandscapeClick();
    void FontButtonClick();
    void PrinterButtonClick();
    void OkBtnClick();

    QPageLayout::Orientation ShownOrientation() const { return shown_; }
    QString FontName() const { return fontName_; }
    int FontSize() const { return fontSize_; }
    fw::TFontPitch FontPitch() const { return fontPitch_; }

private:
    QSpinBox* MarginEdit(QWidget* parent, const char* name);
    QSpinBox* Opposite(const QSpinBox* edit) const;
    // The printer's geometry; the minima are recorded in the settings.
    fw::TPrinterGeometry MeasurePrinter();
    void SetMaxima(const fw::TPrinterGeometry& g);
    void ShowOrientation(QPageLayout::Orientation orientation);
    void ChooseOrientation(QPageLayout::Orientation orientation);
    void ShowFont();
    void ShowPrinter();

    TPrintSettings& settings_;
    bool inMarginChange_ = false;
    QPageLayout::Orientation shown_ = QPageLayout::Portrait;
    QString fontName_;
    int fontSize_ = 10;
    fw::TFontPitch fontPitch_ = fw::TFontPitch::Default;
};

// Asks the print settings; true when the user pressed "&Printeaza" (and the choices are
// stored). Cancelling changes nothing and gives the printer its stored orientation back.
bool ExecutePrintSettingsDlg(TPrintSettings& settings, QWidget* owner);

// Copies the settings into a report: font, copies and pages, paper and orientation,
// margins (never inside the printer's unprintable border).
void ApplyPrintSettings(const TPrintSettings& settings, fw::TReport& report);
// Applies the settings and previews the report, or prints it. With no printer installed
// printing writes a PDF file the user names. False when nothing was printed or shown.
bool RunReport(const TPrintSettings& settings, fw::TReport& report, QWidget* owner);

} // namespace corvanel
