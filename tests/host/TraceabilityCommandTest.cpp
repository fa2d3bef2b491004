// "Trasabilitate produse" run from the host's menu through the real add-on library, as a
// user runs it on the demo company: warehouses, suppliers, period, print settings, then
// the report previewed and saved as PDF, or printed to a PDF file.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/MainForm.h"
#include "platform/print/Printer.h"
#include "platform/report/ReportPreview.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using hosttest::FindAction;
using hosttest::PdfText;
using hosttest::ScriptedPrintDialogs;
using hosttest::SubMenu;

namespace {

void TypeDate(QWidget* form, const char* box, const QDate& date)
{
    auto* edit = form->findChild<QLineEdit*>(QString::fromLatin1(box));
    ASSERT_NE(edit, nullptr) << box;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, date.toString(QStringLiteral("ddMMyyyy")));
}

void Click(QWidget* form, const char* button)
{
    auto* b = form->findChild<QAbstractButton*>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

} // namespace

TEST(TraceabilityCommand, RunsOnTheDemoCompanyFromTheQuestionsToAPdf)
{
    if (!fw::Printer().IsPdfPrinter())
        GTEST_SKIP() << "this machine has printers installed";
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host->AddOn().Loaded());
    ASSERT_TRUE(host.OpenDemo());
    QAction* command = host.Command(QStringLiteral("&Rapoarte"), QStringLiteral("Trasabilitate produse"));
    ASSERT_NE(command, nullptr);

    // Cancelling the first question ends the command without a word.
    {
        QStringList asked;
        fw::TModalHook hook([&](fw::TForm* form) {
            asked << form->objectName();
            return fw::TModalResult::Cancel;
        });
        command->trigger();
        EXPECT_EQ(asked, QStringList{QStringLiteral("WarehousePickerDlg")});
    }

    // The finished-goods warehouse, every supplier, the last 60 days, preview.
    const QDate today = QDate::currentDate();
    const QString dir = host.NewDir(QStringLiteral("out"));
    const auto run = [&](bool preview, QStringList& asked, QStringList& printing) {
        fw::TModalHook hook([&](fw::TForm* form) {
            asked << form->objectName();
            if (form->objectName() == QStringLiteral("WarehousePickerDlg")) {
                Click(form, "AllCheck"); // clears "all": the list of warehouses is read
                auto* grid = form->findChild<QTableView*>(QStringLiteral("Grid"));
                for (int row = 0; grid && row < grid->model()->rowCount(); ++row) {
                    if (grid->model()->index(row, 0).data().toString() == QStringLiteral("PF"))
                        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                                          grid->visualRect(grid->model()->index(row, 1)).center());
                }
            } else if (form->objectName() == QStringLiteral("PeriodDlg")) {
                TypeDate(form, "FirstDateEdit", today.addDays(-60));
                TypeDate(form, "LastDateEdit", today);
            } else if (form->objectName() == QStringLiteral("PrintSettingsDlg")) {
                auto* previewBox = form->findChild<QCheckBox*>(QStringLiteral("PreviewCheck"));
                EXPECT_TRUE(previewBox->isChecked()); // no printer: the screen is offered first
                previewBox->setChecked(preview);
            }
            Click(form, "OkButton");
            return fw::TModalResult::None;
        });
        ScriptedPrintDialogs dialogs([&](QDialog& dialog) {
            if (auto* shown = dynamic_cast<fw::TReportPreview*>(&dialog)) {
                printing << shown->StatusText();
                shown->LastPage();
                printing << shown->StatusText();
                shown->SavePdf(dir + QStringLiteral("/preview.pdf"));
                shown->SavePdf(testsupport::LookDir() + QStringLiteral("/traceability-demo.pdf"));
                return int(QDialog::Rejected);
            }
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                printing << QStringLiteral("file");
                files->selectFile(dir + QStringLiteral("/printed.pdf"));
                return int(QDialog::Accepted);
            }
            printing << QString::fromLatin1(dialog.metaObject()->className());
            return int(QDialog::Rejected);
        });
        command->trigger();
    };

    QStringList asked;
    QStringList printing;
    run(true, asked, printing);
    const QStringList questions{"WarehousePickerDlg", "SupplierPickerDlg", "PeriodDlg", "PrintSettingsDlg"};
    EXPECT_EQ(asked, questions);
    // Eight production receipts of two lots each: a page for every lot.
    EXPECT_EQ(printing, (QStringList{"Pagina 1 din 16", "Pagina 16 din 16"}));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();

    // Printed without preview: the PDF file printer asks where to write.
    asked.clear();
    printing.clear();
    run(false, asked, printing);
    EXPECT_EQ(asked, questions);
    EXPECT_EQ(printing, QStringList{"file"});
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    // The documents and nothing else: no temporary file is left beside them.
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), (QStringList{"preview.pdf", "printed.pdf"}));

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* file : {"/preview.pdf", "/printed.pdf"}) {
        SCOPED_TRACE(file);
        const QString text = PdfText(dir + QString::fromLatin1(file));
        EXPECT_EQ(text.count(QLatin1Char('\f')), 16);
        EXPECT_TRUE(text.contains(QStringLiteral("Trasabilitatea produselor")));
        EXPECT_EQ(text.count(QStringLiteral("Provenienta: ")), 16);
        EXPECT_TRUE(text.contains(QStringLiteral("Total cantitate de produse finite/vana(sarja) Depozit produse finite")));
        EXPECT_TRUE(text.contains(QStringLiteral("Fisa Produsului ")));
        EXPECT_EQ(text.count(QStringLiteral("LOT: L")), 16); // the finished-goods lots only
    }
}

TEST(ExpiringLotsCommand, AsksTheDaysThroughTheModalRunnerAndKeepsThemForTheNextRun)
{
    if (!fw::Printer().IsPdfPrinter())
        GTEST_SKIP() << "this machine has printers installed";
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host->AddOn().Loaded());
    ASSERT_TRUE(host.OpenDemo());
    QAction* command = host.Command(QStringLiteral("&Rapoarte"), QStringLiteral("Loturi care expira"));
    ASSERT_NE(command, nullptr);

    const QString pdf = host.NewDir(QStringLiteral("out")) + QStringLiteral("/expiring.pdf");
    QStringList asked;
    QList<int> offered;
    fw::TModalHook hook([&](fw::TForm* form) {
        asked << form->objectName();
        Click(form, "OkButton");
        return fw::TModalResult::None;
    });
    ScriptedPrintDialogs dialogs([&](QDialog& dialog) {
        if (auto* days = qobject_cast<QInputDialog*>(&dialog)) {
            asked << days->objectName();
            offered << days->intValue();
            days->setIntValue(9);
            return int(QDialog::Accepted);
        }
        if (auto* shown = dynamic_cast<fw::TReportPreview*>(&dialog))
            shown->SavePdf(pdf);
        return int(QDialog::Rejected);
    });
    command->trigger();
    command->trigger();
    EXPECT_EQ(asked, (QStringList{"WarehousePickerDlg", "ExpiringDaysDlg", "PrintSettingsDlg", "WarehousePickerDlg",
                                  "ExpiringDaysDlg", "PrintSettingsDlg"}));
    EXPECT_EQ(offered, (QList<int>{7, 9}));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    // The demo's cream lot expires in 9 days, exactly at the limit; its kefir in 10.
    // Lots are named by their receipt's day, which the demo counts back from today.
    const auto lot = [](int daysAgo, const char* line) {
        return QStringLiteral("L") + QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("yyMMdd")) +
               QLatin1String(line);
    };
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains(lot(12, "-02"))) << text.toStdString(); // cream of 12 days, 21 of shelf life
    EXPECT_FALSE(text.contains(lot(4, "-01"))) << text.toStdString(); // kefir of 4 days, 14 of shelf life
}
