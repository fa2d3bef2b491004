#pragma once

// The print settings of the add-on's reports: one record for the life of the library (the
// production context's), the dialog that edits it before a report runs, and the step that
// hands it to a report.

#include "platform/print/Printer.h"
#include "platform/report/Report.h"
#include "platform/ui/Form.h"

#include <QPageLayout>
#include <QString>
#include <memory>

class QLayout;
class QSpinBox;

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

    // Shows the stored settings (choosing the font on first use) and the printer's state.
    void showSettings();
    // Writes what the dialog shows into the settings.
    void storeSettings();

    // "&Printeaza": closes with OK when the margins lie inside the printable area, or the
    // user keeps them outside; otherwise brings them inside and shows them.
    void accept() override;

private:
    struct Ui;
    QWidget* makePrintingPage();
    QWidget* makePagePage();
    QLayout* makeButtons();

    void enablePageRange();
    // A margin never leaves less of the paper than its opposite margin takes.
    void keepRoomForOpposite(QSpinBox* margin);
    QSpinBox* opposite(const QSpinBox* margin) const;
    void chooseFont();
    void choosePrinter();
    // The printer's geometry; the minima are recorded in the settings.
    fw::TPrinterGeometry measurePrinter();
    void setMaxima(const fw::TPrinterGeometry& g);
    void showOrientation(QPageLayout::Orientation orientation);
    void chooseOrientation(QPageLayout::Orientation orientation);
    void showFont();
    void showPrinter();

    TPrintSettings& settings_;
    std::unique_ptr<Ui> ui_;
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
