// "Urmarire lot" opened from the host's menu through the real add-on library on the demo
// company: a lot of milk followed forward, then printed through the preview to a PDF.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/MainForm.h"
#include "platform/print/Printer.h"
#include "platform/report/ReportPreview.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// Every text of the tree, depth first.
void Texts(QTreeWidgetItem* item, QStringList& out)
{
    for (int i = 0; i < item->childCount(); ++i) {
        out << item->child(i)->text(0) + " | " + item->child(i)->text(5);
        Texts(item->child(i), out);
    }
}

// The recall window opened from the host's menu; null when it did not open.
fw::TForm* OpenRecallWindow(hosttest::THost& host)
{
    host.Command(QStringLiteral("&Rapoarte"), QStringLiteral("Urmarire lot"))->trigger();
    return host->MainForm()->findChild<fw::TForm*>(QStringLiteral("RecallForm"));
}

} // namespace

TEST(RecallWindow, FollowsADemoLotForwardAndPrintsItToPdf)
{
    if (!fw::Printer().IsPdfPrinter())
        GTEST_SKIP() << "this machine has printers installed";
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host->AddOn().Loaded());
    ASSERT_TRUE(host.OpenDemo());
    QAction* command = host.Command(QStringLiteral("&Rapoarte"), QStringLiteral("Urmarire lot"));
    ASSERT_NE(command, nullptr);
    command->trigger();
    command->trigger(); // brings the open window back
    const QList<fw::TForm*> forms = host->MainForm()->findChildren<fw::TForm*>(QStringLiteral("RecallForm"));
    ASSERT_EQ(forms.size(), 1);
    fw::TForm* form = forms.front();

    form->findChild<QLineEdit*>(QStringLiteral("LotEdit"))->setText(QStringLiteral("LC-0901"));
    form->findChild<QPushButton*>(QStringLiteral("SearchButton"))->click();
    ASSERT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    QStringList tree;
    Texts(form->findChild<QTreeWidget*>(QStringLiteral("RecallTree"))->invisibleRootItem(), tree);
    // The raw milk went into the products of the plant, which were sold.
    EXPECT_TRUE(tree.front().startsWith(QStringLiteral("Lot LC-0901"))) << tree.join('\n').toStdString();
    EXPECT_TRUE(tree.filter(QStringLiteral("Consum")).size() > 0) << tree.join('\n').toStdString();
    EXPECT_TRUE(tree.filter(QStringLiteral("Iesire")).size() > 0) << tree.join('\n').toStdString();
    EXPECT_GT(form->findChild<QTreeWidget*>(QStringLiteral("TotalsTree"))->topLevelItemCount(), 0);
    form->grab().save(testsupport::LookDir() + QStringLiteral("/recall-window.png"));

    const QString pdf = host.NewDir(QStringLiteral("out")) + QStringLiteral("/recall.pdf");
    QStringList asked;
    fw::TModalHook hook([&](fw::TForm* dialog) {
        asked << dialog->objectName();
        if (auto* preview = dialog->findChild<QCheckBox*>(QStringLiteral("PreviewCheck")))
            preview->setChecked(true);
        dialog->findChild<QAbstractButton*>(QStringLiteral("OkButton"))->click();
        return fw::TModalResult::None;
    });
    hosttest::ScriptedPrintDialogs dialogs([&](QDialog& dialog) {
        if (auto* shown = dynamic_cast<fw::TReportPreview*>(&dialog)) {
            shown->SavePdf(pdf);
            shown->SavePdf(testsupport::LookDir() + QStringLiteral("/recall-demo.pdf"));
        }
        return int(QDialog::Rejected);
    });
    form->findChild<QPushButton*>(QStringLiteral("PrintButton"))->click();
    EXPECT_EQ(asked, QStringList{QStringLiteral("PrintSettingsDlg")});
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const QString printed = hosttest::PdfText(pdf);
    EXPECT_TRUE(printed.contains(QStringLiteral("Urmarirea lotului LC-0901"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Total pe clienti"))) << printed.toStdString();
}

TEST(RecallWindow, ReversesTheConsumptionDocumentOfTheCurrentRowAndFollowsTheLotAgain)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host.OpenDemo());
    host.Command(QStringLiteral("&Rapoarte"), QStringLiteral("Urmarire lot"))
        ->trigger();
    fw::TForm* form = host->MainForm()->findChild<fw::TForm*>(QStringLiteral("RecallForm"));
    ASSERT_NE(form, nullptr);
    auto* tree = form->findChild<QTreeWidget*>(QStringLiteral("RecallTree"));
    auto* reverse = form->findChild<QPushButton*>(QStringLiteral("ReverseButton"));
    auto* lotEdit = form->findChild<QLineEdit*>(QStringLiteral("LotEdit"));
    lotEdit->setText(QStringLiteral("LC-0901"));
    lotEdit->setFocus();
    QTest::keyClick(lotEdit, Qt::Key_Return); // Enter in the lot box searches
    const auto consumptions = [&] {
        QStringList texts;
        Texts(tree->invisibleRootItem(), texts);
        return texts.filter(QRegularExpression(QStringLiteral("^Consum"))).size();
    };
    const qsizetype before = consumptions();
    ASSERT_GT(before, 0);
    tree->setCurrentItem(tree->topLevelItem(0));
    EXPECT_FALSE(reverse->isEnabled()); // a lot, not a document
    QTreeWidgetItem* lot = tree->topLevelItem(0);
    for (int i = 0; i < lot->childCount(); ++i)
        if (lot->child(i)->text(0) == QStringLiteral("Consum")) {
            tree->setCurrentItem(lot->child(i));
            break;
        }
    ASSERT_TRUE(tree->currentItem()->text(0).startsWith(QStringLiteral("Consum"))) << tree->currentItem()->text(0).toStdString();
    ASSERT_TRUE(reverse->isEnabled());
    form->grab().save(testsupport::LookDir() + QStringLiteral("/recall-reverse.png"));
    messages.Answer(fw::TModalResult::Yes);
    reverse->click();
    ASSERT_EQ(messages.Count(), 2) << messages.Texts().join('|').toStdString();
    EXPECT_TRUE(messages.Texts().at(1).startsWith(QStringLiteral("OK. Documentul de consum nr. "))) << messages.Texts().at(1).toStdString();
    EXPECT_LT(consumptions(), before); // followed again, without the reversed document
}

// A scanner types a GS1 string into the lot box and Enter: the article is the one whose
// catalog barcode is the GTIN (01), the lot is (10); FNC1 reaches the box as typed.
TEST(RecallWindow, AScannedGs1StringFillsTheArticleAndTheLot)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host.OpenDemo());
    fw::TForm* form = OpenRecallWindow(host);
    ASSERT_NE(form, nullptr);
    auto* group = form->findChild<QLineEdit*>(QStringLiteral("GroupEdit"));
    auto* article = form->findChild<QLineEdit*>(QStringLiteral("ArticleEdit"));
    auto* lotEdit = form->findChild<QLineEdit*>(QStringLiteral("LotEdit"));
    auto* tree = form->findChild<QTreeWidget*>(QStringLiteral("RecallTree"));
    lotEdit->setFocus();

    // The milk's lot with a symbology identifier and no GTIN: the lot alone, followed.
    QTest::keyClicks(lotEdit, QStringLiteral("]C110LC-0901"));
    QTest::keyClick(lotEdit, Qt::Key_Return);
    EXPECT_EQ(lotEdit->text(), QStringLiteral("LC-0901"));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    ASSERT_GT(tree->topLevelItemCount(), 0);

    // The demo's cheese by its GTIN, the lot ended by FNC1 before a serial number: the
    // article's boxes filled, and the cheese has no such lot.
    lotEdit->clear();
    QTest::keyClicks(lotEdit, QStringLiteral("010200000000003910LC-0901"));
    QKeyEvent fnc1(QEvent::KeyPress, Qt::Key_BracketRight, Qt::ControlModifier, QString(QChar(0x1D)));
    QApplication::sendEvent(lotEdit, &fnc1);
    QTest::keyClicks(lotEdit, QStringLiteral("21S1"));
    QTest::keyClick(lotEdit, Qt::Key_Return);
    EXPECT_EQ(group->text(), QStringLiteral("02"));
    EXPECT_EQ(article->text(), QStringLiteral("CAS"));
    EXPECT_EQ(lotEdit->text(), QStringLiteral("LC-0901"));
    ASSERT_EQ(messages.Count(), 1) << messages.Texts().join('|').toStdString();

    // A GTIN with a wrong check digit: told, nothing taken.
    lotEdit->setText(QStringLiteral("(01)02000000000038(10)X"));
    QTest::keyClick(lotEdit, Qt::Key_Return);
    ASSERT_EQ(messages.Count(), 2) << messages.Texts().join('|').toStdString();
    EXPECT_TRUE(messages.Texts().at(1).contains(QStringLiteral("GTIN-ul 02000000000038 are cifra de control gresita")))
        << messages.Texts().at(1).toStdString();
    EXPECT_EQ(article->text(), QStringLiteral("CAS"));
    EXPECT_EQ(lotEdit->text(), QStringLiteral("(01)02000000000038(10)X"));
}

// A drill from the window: the operator asked for, the lot followed, its report's print
// settings cancelled (the report step ends there), the drill kept and listed.
TEST(RecallWindow, ADrillIsTimedKeptAndListed)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host.OpenDemo());
    fw::TForm* form = OpenRecallWindow(host);
    ASSERT_NE(form, nullptr);
    form->findChild<QLineEdit*>(QStringLiteral("LotEdit"))->setText(QStringLiteral("LC-0901"));
    int listed = -1;
    fw::SetPrintModalRunner([&](QDialog& dialog) {
        if (auto* ask = qobject_cast<QInputDialog*>(&dialog)) {
            ask->setTextValue(QStringLiteral("Ion Pop"));
            return int(QDialog::Accepted);
        }
        if (dialog.objectName() == QStringLiteral("DrillList"))
            listed = dialog.findChild<QTreeWidget*>(QStringLiteral("DrillTree"))->topLevelItemCount();
        return int(QDialog::Rejected);
    });
    form->findChild<QPushButton*>(QStringLiteral("DrillButton"))->click();
    form->findChild<QPushButton*>(QStringLiteral("DrillsButton"))->click();
    fw::SetPrintModalRunner({});
    ASSERT_EQ(messages.Count(), 1) << messages.Texts().join('|').toStdString();
    EXPECT_TRUE(messages.Texts().at(0).startsWith(QStringLiteral("Exercitiu de retragere inregistrat.")))
        << messages.Texts().at(0).toStdString();
    EXPECT_TRUE(messages.Texts().at(0).contains(QStringLiteral("Operator: Ion Pop;"))) << messages.Texts().at(0).toStdString();
    EXPECT_EQ(listed, 1);
    QStringList tree;
    Texts(form->findChild<QTreeWidget*>(QStringLiteral("RecallTree"))->invisibleRootItem(), tree);
    EXPECT_TRUE(tree.front().startsWith(QStringLiteral("Lot LC-0901"))) << tree.join('\n').toStdString();
}
