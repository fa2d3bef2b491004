// "Anuleaza consumul" end to end: the host's receipt window, the add-on library built beside
// it, the demo company, whose receipt 1007 has its consumption document.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/core/Readable.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QMenuBar>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace pelmaris;

TEST(ReversalCommand, ReversesTheChosenDocumentOfTheReceiptAfterTheQuestion)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host.OpenDemo());
    TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    QApplication::processEvents();
    QAction* command = host.Command("&Document", "Anuleaza consumul");
    ASSERT_NE(command, nullptr);
    const QString day = [&] {
        EXPECT_TRUE(docIn->Headers()->Locate("Numar", {1007.0}));
        return docIn->Headers()->FieldByName("Data")->AsDate().toString("dd.MM.yyyy");
    }();
    const QVariantList documents =
        testsupport::RawColumn(host->CompanyDir(), "SELECT Contor FROM Doc_out WHERE Tip = 'BMC' AND Numar = 1007");
    ASSERT_EQ(documents.size(), 1);

    int shown = 0;
    fw::TModalHook hook([&](fw::TForm* form) {
        ++shown;
        const auto* grid = form->findChild<QTableWidget*>("DocumentGrid");
        EXPECT_EQ(grid->rowCount(), 1);
        EXPECT_EQ(grid->item(0, 0)->text(), "1007");
        EXPECT_EQ(grid->item(0, 1)->text(), day);
        form->grab().save(testsupport::LookDir() + "/host-reversal.png");
        return fw::TModalResult::OK;
    });
    messages.Answer(fw::TModalResult::No);
    command->trigger();
    EXPECT_EQ(messages.Texts(), QStringList{"Anulati documentul de consum nr. 1007 din " + day +
                                            "? Cantitatile lui se intorc in loturile din care au fost luate."});
    EXPECT_EQ(messages.Last().Default, fw::TModalResult::No);
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(), "SELECT COUNT(*) FROM Stornari").value(0).toInt(), 0);

    messages.Clear();
    messages.Answer(fw::TModalResult::Yes);
    command->trigger();
    ASSERT_EQ(messages.Count(), 2) << messages.Texts().join('|').toStdString();
    EXPECT_EQ(messages.Texts().at(1), "OK. Documentul de consum nr. 1007 din " + day + " a fost anulat.\rDocumentul de stornare: nr. 1007 din " + day + ".");
    EXPECT_EQ(testsupport::RawTexts(host->CompanyDir(), "SELECT Contor_out FROM Stornari"),
              QStringList{testsupport::AsText(documents.front())});
    // The host's column tells the pair from a document in force, in the window's date form;
    // nothing is left to reverse.
    EXPECT_EQ(docIn->Headers()->FieldByName("Consum")->AsString(),
              "BMC 1007 din " + fw::DateText(docIn->Headers()->FieldByName("Data")->AsDate()) + " anulat prin stornarea din " +
                  fw::DateText(QDate::currentDate()));
    messages.Clear();
    command->trigger();
    EXPECT_EQ(messages.Texts(), QStringList{"Documentul de intrare nu are niciun document de consum care sa poata fi anulat."});
    EXPECT_EQ(shown, 2);
}
