// The print settings of the reports: the dialog, the font chosen on first use, and what a
// report receives from the settings.
#include "Named.h"
#include "TempDir.h"
#include "platform/print/Printer.h"
#include "platform/ui/MessageDlg.h"
#include "reports/PickFont.h"
#include "reports/PrintSettings.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace testsupport;

namespace {

// The dialogs of printing answered by the test.
struct ScriptedDialogs {
    explicit ScriptedDialogs(TModalRunner runner) { SetPrintModalRunner(std::move(runner)); }
    ~ScriptedDialogs() { SetPrintModalRunner({}); }
};

class PrintSettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        // An A4 sheet with no unprintable border unless a test gives it one.
        SetPrinterBorder(0);
    }
    void TearDown() override { SetPrinterBorder(0); }
    static void SetPrinterBorder(double mm)
    {
        QPrinter& device = Printer().Device();
        device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(mm, mm, mm, mm),
                                         QPageLayout::Millimeter, QMarginsF(mm, mm, mm, mm)));
    }
    static QSpinBox* Spin(const QObject* dlg, const char* name) { return Named<QSpinBox>(dlg, name); }
    // Runs the dialog; the user's actions are `user`, which returns the closing result.
    bool Ask(const std::function<TModalResult(TPrintSettingsDlg*)>& user)
    {
        TModalHook hook([&](TForm* form) {
            auto* dlg = dynamic_cast<TPrintSettingsDlg*>(form);
            EXPECT_NE(dlg, nullptr);
            return dlg ? user(dlg) : TModalResult::Cancel;
        });
        return ExecutePrintSettingsDlg(settings, nullptr);
    }

    TPrintSettings settings;
    TMessageRecorder messages;
};

TEST(PickFont, TheFirstStrictlyNearerWidthWinsAndAnExactOneEndsTheSearch)
{
    struct Case {
        const char* name;
        std::vector<TPrinterFont> fonts;
        double target;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"nearest", {{"A", 50}, {"B", 36}, {"C", 30}}, 35, "B"},
        {"equally near: the first", {{"A", 30}, {"B", 40}}, 35, "A"},
        {"exact match stops", {{"A", 35}, {"B", 35.0}, {"C", 35}}, 35, "A"},
        // The best width starts at 0: a font no nearer than that is never taken.
        {"none nearer than nothing", {{"A", 80}}, 35, ""},
        {"no fonts", {}, 35, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NearestFont(c.fonts, c.target), c.expected) << c.name;
}

TEST_F(PrintSettingsDialog, FirstUseChoosesAFixedPitchFontAtTenPoints)
{
    QString label;
    bool previewTicked = false;
    ASSERT_TRUE(Ask([&](TPrintSettingsDlg* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Setari pentru listarea rapoarte");
        EXPECT_EQ(Named<QTabWidget>(dlg, "Tabs")->tabText(0), "Listare ");
        EXPECT_EQ(Named<QTabWidget>(dlg, "Tabs")->currentIndex(), 0);
        label = Named<QLabel>(dlg, "FontLabel")->text();
        previewTicked = Named<QCheckBox>(dlg, "PreviewCheck")->isChecked();
        EXPECT_EQ(Named<QLabel>(dlg, "PrinterLabel")->text(), Printer().PrinterName());
        EXPECT_EQ(Spin(dlg, "LeftMarginSpin")->value(), 5);
        EXPECT_EQ(Spin(dlg, "LeftMarginSpin")->maximum(), 210);
        EXPECT_EQ(Spin(dlg, "TopMarginSpin")->maximum(), 297);
        dlg->show();
        dlg->grab().save(LookDir() + "/print-settings.png");
        Named<QTabWidget>(dlg, "Tabs")->setCurrentIndex(1);
        dlg->grab().save(LookDir() + "/print-settings-page.png");
        Named<QPushButton>(dlg, "OkButton")->click();
        return TModalResult::None;
    }));
    EXPECT_FALSE(settings.FontName.isEmpty());
    EXPECT_TRUE(QFontDatabase::isFixedPitch(settings.FontName)) << settings.FontName.toStdString();
    EXPECT_EQ(settings.FontSize, 10);
    EXPECT_EQ(settings.FontPitch, TFontPitch::Fixed);
    EXPECT_EQ(label, settings.FontName + "   10");
    // Without a printer installed, the report is shown on screen unless the user says otherwise.
    EXPECT_EQ(previewTicked, Printer().IsPdfPrinter());
    EXPECT_EQ(settings.Preview, previewTicked);
    EXPECT_EQ(settings.PaperSize, 9);
    EXPECT_EQ((std::vector<int>{settings.TopMargin, settings.LeftMargin, settings.BottomMargin,
                                settings.RightMargin}),
              (std::vector<int>{5, 5, 5, 5}));
}

TEST_F(PrintSettingsDialog, StoredMarginsOutsideTheSheetOrItsBorderComeBackAsTheMinimum)
{
    SetPrinterBorder(4);
    settings.FontName = "Liberation Mono";
    settings.TopMargin = 300;   // beyond the sheet's 297 mm
    settings.LeftMargin = 2;    // inside the unprintable border
    settings.BottomMargin = 297;
    settings.RightMargin = 8;
    std::vector<int> shown;
    Ask([&](TPrintSettingsDlg* dlg) {
        for (const char* margin : {"TopMarginSpin", "LeftMarginSpin", "BottomMarginSpin", "RightMarginSpin"})
            shown.push_back(Spin(dlg, margin)->value());
        return TModalResult::Cancel;
    });
    const TPrinterGeometry g = Printer().Geometry();
    ASSERT_GE(g.MinTop, 4);
    // A margin at the sheet's size is kept, and then shortened by its own editor to what
    // the opposite margin leaves.
    EXPECT_EQ(shown, (std::vector<int>{g.MinTop, g.MinLeft, 297 - g.MinTop, 8}));
    EXPECT_EQ(settings.Printable, g);
}

TEST_F(PrintSettingsDialog, EditorsKeepMarginsPagesAndOrientationConsistent)
{
    settings.FontName = "Liberation Mono";
    Ask([&](TPrintSettingsDlg* dlg) {
        // Left + right beyond the paper width: corrected at once.
        Spin(dlg, "RightMarginSpin")->setValue(20);
        Spin(dlg, "LeftMarginSpin")->setValue(200);
        EXPECT_EQ(Spin(dlg, "LeftMarginSpin")->value(), 190);
        Spin(dlg, "TopMarginSpin")->setValue(295);
        EXPECT_EQ(Spin(dlg, "TopMarginSpin")->value(), 292);
        // Partial printing: the editors open up, and the last page follows the first.
        EXPECT_FALSE(Spin(dlg, "FirstPageSpin")->isEnabled());
        Named<QRadioButton>(dlg, "PageRangeRadio")->click();
        EXPECT_TRUE(Spin(dlg, "FirstPageSpin")->isEnabled());
        EXPECT_TRUE(Spin(dlg, "LastPageSpin")->isEnabled());
        Spin(dlg, "LastPageSpin")->setValue(1);
        Spin(dlg, "FirstPageSpin")->setValue(3);
        EXPECT_EQ(Spin(dlg, "LastPageSpin")->value(), 3);
        // Landscape: the printer turns and the maxima swap.
        Named<QRadioButton>(dlg, "LandscapeRadio")->click();
        EXPECT_EQ(Printer().Orientation(), QPageLayout::Landscape);
        EXPECT_EQ(Spin(dlg, "LeftMarginSpin")->maximum(), 297);
        EXPECT_EQ(Spin(dlg, "TopMarginSpin")->maximum(), 210);
        Spin(dlg, "CopiesSpin")->setValue(2);
        // A font of another family and a size beyond what reports print.
        {
            ScriptedDialogs fontChoice([](QDialog& dialog) {
                auto* fonts = qobject_cast<QFontDialog*>(&dialog);
                EXPECT_NE(fonts, nullptr);
                if (fonts)
                    fonts->setCurrentFont(QFont("Liberation Sans", 60));
                return int(QDialog::Accepted);
            });
            Named<QPushButton>(dlg, "FontButton")->click();
        }
        EXPECT_EQ(Named<QLabel>(dlg, "FontLabel")->text(), "Liberation Sans   48");
        Named<QPushButton>(dlg, "OkButton")->click();
        return TModalResult::None;
    });
    EXPECT_EQ(settings.FontName, "Liberation Sans");
    EXPECT_EQ(settings.FontSize, 48);
    EXPECT_EQ(settings.FontPitch, TFontPitch::Variable);
    EXPECT_EQ(settings.FirstPage, 3);
    EXPECT_EQ(settings.LastPage, 3);
    EXPECT_EQ(settings.Copies, 2);
    EXPECT_EQ(settings.Orientation, QPageLayout::Landscape);
    EXPECT_EQ(settings.LeftMargin, 190);
    Printer().SetOrientation(QPageLayout::Portrait);
}

TEST_F(PrintSettingsDialog, CancelChangesNothingAndTurnsThePrinterBack)
{
    settings.FontName = "Liberation Mono";
    settings.Orientation = QPageLayout::Portrait;
    settings.Preview = true;
    settings.Confirmed = true;
    const TPrintSettings before = [this] {
        TPrintSettings s = settings;
        s.Printable = Printer().Geometry();
        return s;
    }();
    EXPECT_FALSE(Ask([](TPrintSettingsDlg* dlg) {
        Named<QRadioButton>(dlg, "LandscapeRadio")->click();
        Named<QCheckBox>(dlg, "PreviewCheck")->setChecked(false);
        Spin(dlg, "CopiesSpin")->setValue(7);
        Spin(dlg, "LeftMarginSpin")->setValue(33);
        Named<QRadioButton>(dlg, "PageRangeRadio")->click();
        Named<QPushButton>(dlg, "CancelButton")->click();
        return TModalResult::None;
    }));
    EXPECT_TRUE(settings == before);
    EXPECT_EQ(Printer().Orientation(), QPageLayout::Portrait);
}

TEST_F(PrintSettingsDialog, PaperIsStoredByItsPlaceInThePaperTable)
{
    settings.FontName = "Liberation Mono";
    struct Case {
        QPageSize::PageSizeId size;
        int index;
    };
    // A3 Extra has a driver code the table does not hold: the printer's default.
    for (const Case c : {Case{QPageSize::A5, 11}, Case{QPageSize::Letter, 1}, Case{QPageSize::A3Extra, 0}}) {
        Ask([&](TPrintSettingsDlg* dlg) {
            Printer().Device().setPageSize(QPageSize(c.size));
            Named<QPushButton>(dlg, "OkButton")->click();
            return TModalResult::None;
        });
        EXPECT_EQ(settings.PaperSize, c.index) << c.size;
    }
}

TEST_F(PrintSettingsDialog, MarginsInsideThePrintersBorderAreAdjustedOnlyWhenTheUserAgrees)
{
    settings.FontName = "Liberation Mono";
    SetPrinterBorder(6);
    const int min = Printer().Geometry().MinTop;
    ASSERT_GE(min, 6);
    // "Yes": the small margins rise to the minimum, and the dialog stays open on "Pagina".
    messages.Answer(TModalResult::Yes);
    bool stayedOpen = false;
    Ask([&](TPrintSettingsDlg* dlg) {
        Spin(dlg, "TopMarginSpin")->setValue(2);
        Spin(dlg, "RightMarginSpin")->setValue(3);
        Spin(dlg, "LeftMarginSpin")->setValue(min);
        Named<QPushButton>(dlg, "OkButton")->click();
        stayedOpen = dlg->isVisible() && dlg->ModalResult() == TModalResult::None;
        EXPECT_EQ(Named<QTabWidget>(dlg, "Tabs")->currentIndex(), 1);
        EXPECT_EQ(Spin(dlg, "TopMarginSpin")->value(), min);
        EXPECT_EQ(Spin(dlg, "RightMarginSpin")->value(), min);
        EXPECT_TRUE(Spin(dlg, "RightMarginSpin")->hasFocus() || !dlg->isActiveWindow());
        return TModalResult::Cancel;
    });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Cel putin o margine este prea mica pentru a intra în zona imprimabila!\r"
                                    "Doriti ajustarea marginilor respective?");
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
    EXPECT_EQ(messages.Last().Buttons, TMsgDlgButtons::YesNo);

    // "No": the dialog closes and the margins stay as entered; the report still never
    // prints inside the border.
    messages.Answer(TModalResult::No);
    EXPECT_TRUE(Ask([&](TPrintSettingsDlg* dlg) {
        Spin(dlg, "TopMarginSpin")->setValue(2);
        Named<QPushButton>(dlg, "OkButton")->click();
        return TModalResult::None;
    }));
    EXPECT_EQ(settings.TopMargin, 2);
    TReport report;
    ApplyPrintSettings(settings, report);
    EXPECT_EQ(report.Margins.top(), min);
    EXPECT_EQ(report.FontName, settings.FontName);
}

} // namespace
