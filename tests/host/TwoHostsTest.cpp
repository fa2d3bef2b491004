// Two hosts on one company, each a program of its own with the add-on, as two workstations
// are: what one enters the other sees after a refresh, and what one writes while the other
// is editing the same row or lot is never lost; the second user is told.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "ReceiptFixture.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/db/DbMessages.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include "support/ChildProcess.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const char* const kTest = "TwoHosts.WhatOneWritesTheOtherSeesAndNeverLoses";

QString Look(const QString& name) { return LookDir() + "/two-hosts-" + name + ".png"; }

void Shoot(hosttest::THost& host, pelmaris::TDocInForm* docIn, const QString& name)
{
    host->MainForm()->resize(1200, 560);
    docIn->MDISubWindow()->showMaximized();
    QApplication::processEvents();
    host->MainForm()->grab().save(Look(name));
}

// What a message box would have shown, as a picture.
void ShootMessage(const QString& text, const QString& name)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pelmaris"), QString(text).replace('\r', '\n'));
    box.show();
    QApplication::processEvents();
    box.grab().save(Look(name));
}

bool OnLine(pelmaris::TDocInForm* docIn, double receipt)
{
    return docIn->Headers()->Locate("Numar", {receipt}) && !docIn->Lines()->IsEmpty();
}

// The second workstation, told by the parent what to do, line by line.
void SecondHost(const QString& dir)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    host->MainForm()->show();
    if (!host->OpenCompany(dir, false)) {
        TellParent("not open: " + messages.Texts().join('|'));
        return;
    }
    pelmaris::TDocInForm* docIn = host->ShowDocIn();
    TellParent("ready");
    int posts = 0;
    for (;;) {
        const QStringList command = WaitForParent().split(' ');
        if (command[0] == "refresh") {
            docIn->HeaderNavigator()->BtnClick(fw::TNavigateBtn::Refresh);
            QStringList numbers;
            for (docIn->Headers()->First(); !docIn->Headers()->Eof(); docIn->Headers()->Next())
                numbers << docIn->Headers()->FieldByName("Numar")->AsString();
            Shoot(host, docIn, "b-after-refresh");
            TellParent("receipts " + numbers.join(','));
        } else if (command[0] == "edit") { // edit <receipt> <quantity>
            docIn->Lines()->Cancel(); // what was refused before
            if (!OnLine(docIn, command[1].toDouble())) {
                TellParent("no such receipt");
                continue;
            }
            docIn->Lines()->Edit();
            docIn->Lines()->FieldByName("Cantitate")->SetAsFloat(command[2].toDouble());
            TellParent("editing");
        } else if (command[0] == "post") {
            messages.Clear();
            // As leaving the row does it, under the guard of the program's events.
            docIn->LineGrid()->setFocus();
            try {
                docIn->Lines()->Post();
            } catch (const fw::EAbort&) {
            } catch (const fw::EDatabaseError& e) {
                fw::MessageDlg(e.Message(), fw::TMsgDlgType::Error);
            }
            ++posts;
            if (!messages.Texts().isEmpty())
                ShootMessage(messages.Texts().last(), QStringLiteral("b-told-%1").arg(posts));
            Shoot(host, docIn, "b-after-post");
            TellParent(QStringLiteral("state %1 quantity %2").arg(docIn->Lines()->IsEditing() ? "editing" : "saved",
                                                                  docIn->Lines()->FieldByName("Cantitate")->AsString()));
            for (const QString& text : messages.Texts())
                TellParent("told " + QString(text).replace('\r', '|'));
            TellParent("done");
        } else {
            docIn->Lines()->Cancel();
            return;
        }
    }
}

} // namespace

TEST(TwoHosts, WhatOneWritesTheOtherSeesAndNeverLoses)
{
    if (ChildRole() == "second-host") {
        SecondHost(ChildArguments().value(0));
        return;
    }
    // The company: milk in stock through receipt 1, yoghurt made of 7 of it per piece.
    hosttest::TReceipts setup;
    const QString dir = setup.Dir();
    pelmaris::CreateMissingTables(dir, {fw::RecipeTable()});
    OpenTable(dir, fw::CatalogDB)
        ->AppendRecord({"01", "P", "Iaurt", 1.0, QVariant(), "kg", 9.0, "RON", 9.0, 0.0, "345", "711", "4426", "4427"});
    OpenTable(dir, fw::RetetaDB)->AppendRecord({"P", ".LAPTE", 7.0, "01"});
    setup.lines.Close();
    setup.headers.Close();

    fw::TMessageRecorder messages;
    hosttest::THost a{QString::fromUtf8(built::kRealAddOnFile)};
    a->MainForm()->show();
    ASSERT_TRUE(a->OpenCompany(dir, false));
    pelmaris::TDocInForm* docIn = a->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    TChildProcess b("second-host", {dir}, false, kTest);
    ASSERT_TRUE(b.WaitFor("ready")) << b.Lines().join('\n').toStdString();

    // A enters receipt 1 of milk: B sees it once it refreshes.
    auto enter = [&](double number, const char* store, const char* code, double quantity, const char* lot) {
        docIn->Headers()->Append();
        docIn->Headers()->FieldByName("Numar")->SetAsFloat(number);
        docIn->Headers()->Post();
        docIn->Lines()->Append();
        for (const auto& [field, value] : {std::pair{"Cod_gestiune", QVariant(store)}, {"Cod_grupa", QVariant("01")},
                                           {"Cod_articol", QVariant(code)}, {"Cantitate", QVariant(quantity)},
                                           {"Pret_achizitie_lei", QVariant(2.2)}, {"Lot", QVariant(lot)}})
            docIn->Lines()->FieldByName(field)->SetValue(value);
        docIn->Lines()->Post();
    };
    enter(1, "_MP", ".LAPTE", 100, "L1");
    Shoot(a, docIn, "a-receipt");
    b.Send("refresh");
    ASSERT_TRUE(b.WaitFor("receipts 1")) << b.Lines().join('\n').toStdString();

    // B begins to lower the milk received to 5; meanwhile A receives one yoghurt and
    // generates its consumption, which takes 7 of that milk.
    b.Send("edit 1 5");
    ASSERT_TRUE(b.WaitFor("editing")) << b.Lines().join('\n').toStdString();
    enter(2, "_FRG", "P", 1, "P1");
    fw::TModalHook hook([&](fw::TForm* form) {
        form->findChild<QPushButton*>("GenerateButton")->click();
        return fw::TModalResult::None;
    });
    ASSERT_TRUE(docIn->Headers()->Locate("Numar", {2.0}));
    hosttest::FindAction(hosttest::SubMenu(a->MainForm()->menuBar(), "&Document"), "Calcul necesar tehnic")->trigger();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith("OK. Documentul de iesire"));

    // B's change would undo what A's document took: B is told, keeps what he typed, and
    // the lot, the document and its line stay as A wrote them.
    b.Send("post");
    ASSERT_TRUE(b.WaitFor("done")) << b.Lines().join('\n').toStdString();
    EXPECT_TRUE(b.Lines().contains("state editing quantity 5"));
    EXPECT_TRUE(b.Lines().contains("told Din lotul <L1> au iesit deja 7 (consum 7 pe BMC nr. 2): cantitatea liniei nu poate fi mai mica."))
        << b.Lines().join('\n').toStdString();
    EXPECT_EQ(RawTexts(dir, "SELECT Lot, Cantitate FROM Stoc WHERE Cod_articol = '.LAPTE'"), QStringList{"L1 93.0"});
    EXPECT_EQ(RawTexts(dir, "SELECT Contor, Lot, Cantitate FROM Item_out"), QStringList{"1.0 L1 7.0"});
    EXPECT_EQ(RawTexts(dir, "SELECT Cantitate FROM Item_in WHERE Cod_articol = '.LAPTE'"), QStringList{"100.0"});

    // B then asks for 95 while A has made it 110 meanwhile: B is told another user changed
    // the line, and A's 110 stays.
    b.Send("edit 1 95");
    ASSERT_TRUE(b.WaitFor("editing")) << b.Lines().join('\n').toStdString();
    ASSERT_TRUE(OnLine(docIn, 1));
    docIn->Lines()->Edit();
    docIn->Lines()->FieldByName("Cantitate")->SetAsFloat(110);
    docIn->Lines()->Post();
    b.Send("post");
    ASSERT_TRUE(b.WaitFor("done")) << b.Lines().join('\n').toStdString();
    EXPECT_TRUE(b.Lines().contains("state editing quantity 95"));
    EXPECT_TRUE(b.Lines().contains("told " + QString(fw::dbmsg::PostConflict()).replace('\r', '|')))
        << b.Lines().join('\n').toStdString();
    EXPECT_EQ(RawTexts(dir, "SELECT Cantitate FROM Item_in WHERE Cod_articol = '.LAPTE'"), QStringList{"110.0"});
    EXPECT_EQ(RawTexts(dir, "SELECT Lot, Cantitate FROM Stoc WHERE Cod_articol = '.LAPTE'"), QStringList{"L1 103.0"});
    b.Send("quit");
    EXPECT_EQ(b.Finish(), 0) << b.Lines().join('\n').toStdString();
}
