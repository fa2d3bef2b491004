// Receipts and stock: a saved line puts its lot into stock, a changed or deleted line
// follows it there, what was drawn from a lot cannot be undone from the receipt, and a
// failure leaves neither the line nor the lot written.
#include "DbFixture.h"
#include "HostFixture.h"
#include "ReceiptFixture.h"
#include "host/DocInForm.h"
#include "host/Company.h"
#include "host/ReceiptLedger.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace pelmaris;
using namespace testsupport;
using hosttest::MakeSmallCompany;
using hosttest::TReceipts;

TEST(Receipts, NewDocumentTakesTheNextCounterAndALineBringsItsLot)
{
    fw::TMessageRecorder messages;
    TReceipts r;
    r.NewHeader(101);
    EXPECT_EQ(r.headers.FieldByName(QStringLiteral("Contor"))->AsFloat(), 1.0);
    EXPECT_EQ(r.headers.FieldByName(QStringLiteral("Tip"))->AsString(), QStringLiteral("NIR"));
    EXPECT_EQ(r.headers.FieldByName(QStringLiteral("Data_inregistrarii"))->AsDate(), QDate::currentDate());
    EXPECT_EQ(RawColumn(r.Dir(), "SELECT NewCounterIn FROM COUNTER"), (QVariantList{1.0}));

    r.AddLine("_FRG", ".LAPTE", 100);
    EXPECT_EQ(r.Lots(), QStringList{QStringLiteral("_FRG .LAPTE L1 100")});
    EXPECT_EQ(testsupport::RawTexts(r.Dir(), "SELECT Pret_achizitie, Agent, Contor_in, Contor_secundar_in, Data_intrare FROM Stoc"),
              (QStringList{QStringLiteral("2.2 ADM 1.0 1.0 %1").arg(QDate::currentDate().toString(Qt::ISODate))}));
    // What the line left empty came from the article and the currency.
    EXPECT_EQ(testsupport::RawTexts(r.Dir(), "SELECT Valuta, Cont_marfa, Cont_TVA_Intrari, TVA, Pret_achizitie_valuta FROM Item_in"),
              (QStringList{QStringLiteral("RON 301 4426 19.8 2.2")}));

    r.AddLine("_MP", ".SARE", 25, "S7");
    EXPECT_EQ(r.Lots(), (QStringList{QStringLiteral("_FRG .LAPTE L1 100"), QStringLiteral("_MP .SARE S7 25")}));
    EXPECT_EQ(RawColumn(r.Dir(), "SELECT Contor_secundar FROM Item_in ORDER BY 1"), (QVariantList{1.0, 2.0}));
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}

TEST(Receipts, ChangedLineMovesItsLotUnlessStockAlreadyDrawnWouldComeBack)
{
    const QString drawnMessage = QStringLiteral("Din lotul <L1> au iesit deja %1: %2");
    struct Case {
        const char* what;
        double drawn;                          // taken from the lot before the change
        std::function<void(TReceipts&)> change; // on the line, in editing
        QStringList lots;                      // afterwards
        QString refusal;                       // the warning, when refused
    } cases[] = {
        {"more received", 0, [](TReceipts& r) { r.Fill("_FRG", ".LAPTE", 130); }, {"_FRG .LAPTE L1 130"}, {}},
        {"less received, nothing drawn", 0, [](TReceipts& r) { r.Fill("_FRG", ".LAPTE", 60); }, {"_FRG .LAPTE L1 60"}, {}},
        {"moved, nothing drawn", 0, [](TReceipts& r) { r.Fill("_MP", ".SARE", 100, "S1", 1.2); },
         {"_MP .SARE S1 100"}, {}},
        {"more received after a draw", 30, [](TReceipts& r) { r.Fill("_FRG", ".LAPTE", 110); },
         {"_FRG .LAPTE L1 80"}, {}},
        {"down to what was drawn", 30, [](TReceipts& r) { r.Fill("_FRG", ".LAPTE", 30); }, {}, {}},
        {"below what was drawn", 30, [](TReceipts& r) { r.Fill("_FRG", ".LAPTE", 20); }, {"_FRG .LAPTE L1 70"},
         drawnMessage.arg(30).arg(QStringLiteral("cantitatea liniei nu poate fi mai mica."))},
        {"other warehouse after a draw", 30, [](TReceipts& r) { r.Fill("_MP", ".LAPTE", 100); },
         {"_FRG .LAPTE L1 70"},
         drawnMessage.arg(30).arg(QStringLiteral("articolul, grupa, gestiunea si lotul liniei nu mai pot fi schimbate."))},
        {"other lot after a draw", 30, [](TReceipts& r) { r.Fill("_FRG", ".LAPTE", 100, "L2"); },
         {"_FRG .LAPTE L1 70"},
         drawnMessage.arg(30).arg(QStringLiteral("articolul, grupa, gestiunea si lotul liniei nu mai pot fi schimbate."))},
        // A lot drawn to nothing is gone from stock; the line still knows what it brought.
        {"more received after the lot was used up", 100, [](TReceipts& r) { r.Fill("_FRG", ".LAPTE", 120); },
         {"_FRG .LAPTE L1 20"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::TMessageRecorder messages;
        TReceipts r;
        r.NewHeader(1);
        r.AddLine("_FRG", ".LAPTE", 100);
        r.Draw(c.drawn);
        if (c.drawn >= 100)
            fw::Connection::Open(r.Dir())->Exec(QStringLiteral("DELETE FROM Stoc"));
        r.lines.Edit();
        c.change(r);
        if (c.refusal.isEmpty()) {
            r.lines.Post();
            EXPECT_EQ(messages.Count(), 0);
        } else {
            EXPECT_THROW(r.lines.Post(), fw::EAbort);
            EXPECT_EQ(messages.Texts(), QStringList{c.refusal});
            EXPECT_EQ(r.lines.State(), fw::TDataSetState::Edit);
            EXPECT_EQ(r.Quantities(), (QVariantList{100.0})); // the line as it was
        }
        EXPECT_EQ(r.Lots(), c.lots);
        EXPECT_EQ(fw::Connection::Open(r.Dir())->TransactionDepth(), 0);
    }
}

TEST(Receipts, DeletedLineOrDocumentTakesItsLotsUnlessOneWasDrawnOn)
{
    struct Case {
        const char* what;
        bool wholeDocument;
        double drawn;
        QStringList lots;
        int lines;
    } cases[] = {
        {"line", false, 0, {"_MP .SARE S7 25"}, 1},
        {"line drawn on", false, 10, {"_FRG .LAPTE L1 90", "_MP .SARE S7 25"}, 2},
        {"document", true, 0, {}, 0},
        {"document with a line drawn on", true, 10, {"_FRG .LAPTE L1 90", "_MP .SARE S7 25"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::TMessageRecorder messages;
        TReceipts r;
        r.NewHeader(1);
        r.AddLine("_FRG", ".LAPTE", 100);
        r.AddLine("_MP", ".SARE", 25, "S7");
        r.Draw(c.drawn);
        r.lines.First();
        fw::TTable& target = c.wholeDocument ? r.headers : r.lines;
        if (c.drawn > 0) {
            EXPECT_THROW(target.Delete(), fw::EAbort);
            EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Din lotul <L1> au iesit deja 10: linia nu mai poate "
                                                                   "fi stearsa.")});
        } else {
            target.Delete();
            EXPECT_EQ(messages.Count(), 0);
        }
        EXPECT_EQ(r.Lots(), c.lots);
        EXPECT_EQ(RawColumn(r.Dir(), "SELECT COUNT(*) FROM Item_in"), (QVariantList{c.lines}));
        EXPECT_EQ(RawColumn(r.Dir(), "SELECT COUNT(*) FROM Doc_in"), (QVariantList{c.wholeDocument && c.drawn == 0 ? 0 : 1}));
        EXPECT_EQ(fw::Connection::Open(r.Dir())->TransactionDepth(), 0);
    }
}

TEST(Receipts, RefusedDeletionSaysWhereTheLotWentOnOneLine)
{
    fw::TMessageRecorder messages;
    TReceipts r;
    r.NewHeader(1);
    r.AddLine("_FRG", ".LAPTE", 100);
    r.AddLine("_FRG", ".SARE", 100); // the same lot name on another article went nowhere
    // Two consumption documents and a sale took from the lot; a sale of another
    // warehouse's lot of the same name does not count.
    auto docs = testsupport::OpenTable(r.Dir(), fw::DocOutDB);
    docs->AppendRecord({1.0, QDate(2026, 3, 2), 3.0, "BMC"});
    docs->AppendRecord({2.0, QDate(2026, 3, 3), 5001.0, "FAC"});
    docs->AppendRecord({3.0, QDate(2026, 3, 4), 4.0, "BMC"});
    auto items = testsupport::OpenTable(r.Dir(), fw::ItemOutDB);
    const auto out = [&](double contor, const char* store, double quantity) {
        items->AppendRecord({contor, 1.0, store, "01", ".LAPTE", quantity, 2.2, QVariant(), QVariant(), QVariant(),
                             QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), "L1"});
    };
    out(1, "_FRG", 5);
    out(2, "_FRG", 4);
    out(3, "_FRG", 1);
    out(2, "_MP", 7);
    r.Draw(10);
    r.lines.First();
    EXPECT_THROW(r.lines.Delete(), fw::EAbort);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Din lotul <L1> au iesit deja 10 (consum 6 pe BMC nr. 3, BMC "
                                                           "nr. 4; vanzare 4 pe FAC nr. 5001): linia nu mai poate fi "
                                                           "stearsa.")});
}

TEST(Receipts, IncompleteOrUnknownLineIsRefusedWithItsReason)
{
    struct Case {
        const char* store;
        const char* code;
        double quantity;
        const char* message;
    } cases[] = {
        {"", ".LAPTE", 5, "Completati gestiunea, grupa, articolul si cantitatea!"},
        {"_FRG", "", 5, "Completati gestiunea, grupa, articolul si cantitatea!"},
        {"_FRG", ".UNT", 5, "Articolul <01  .UNT> nu exista in catalog!"},
        {"_XX", ".LAPTE", 5, "Gestiunea <_XX> nu exista!"},
        {"_FRG", ".LAPTE", 0, "Cantitatea trebuie sa fie mai mare decat zero!"},
        {"_FRG", ".LAPTE", -4, "Cantitatea trebuie sa fie mai mare decat zero!"},
    };
    fw::TMessageRecorder messages;
    TReceipts r;
    r.NewHeader(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        messages.Clear();
        r.lines.Append();
        r.Fill(c.store, c.code, c.quantity);
        EXPECT_THROW(r.lines.Post(), fw::EAbort);
        EXPECT_EQ(messages.Texts(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(r.lines.State(), fw::TDataSetState::Insert);
        r.lines.Cancel();
    }
    EXPECT_TRUE(r.Lots().isEmpty());
    EXPECT_EQ(RawColumn(r.Dir(), "SELECT COUNT(*) FROM Item_in"), (QVariantList{0}));

    // A header needs its number and date; refusing it raises no counter.
    messages.Clear();
    r.headers.Append();
    EXPECT_THROW(r.headers.Post(), fw::EAbort);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Completati numarul si data documentului!")});
    EXPECT_EQ(RawColumn(r.Dir(), "SELECT NewCounterIn FROM COUNTER"), (QVariantList{1.0}));
}

TEST(Receipts, LineAndLotAreWrittenTogetherOrNotAtAll)
{
    fw::TMessageRecorder messages;
    TReceipts r;
    r.NewHeader(1);
    auto conn = fw::Connection::Open(r.Dir());

    // The lot cannot be written: no line either, and the row stays for another try.
    conn->Exec(QStringLiteral("ALTER TABLE Stoc RENAME TO Stoc_away"));
    r.lines.Append();
    r.Fill("_FRG", ".LAPTE", 100);
    EXPECT_THROW(r.lines.Post(), fw::EDatabaseError);
    EXPECT_EQ(r.lines.State(), fw::TDataSetState::Insert);
    EXPECT_EQ(RawColumn(r.Dir(), "SELECT COUNT(*) FROM Item_in"), (QVariantList{0}));
    EXPECT_EQ(fw::Connection::Open(r.Dir())->TransactionDepth(), 0);
    conn->Exec(QStringLiteral("ALTER TABLE Stoc_away RENAME TO Stoc"));
    r.lines.Post();
    EXPECT_EQ(r.Lots(), QStringList{QStringLiteral("_FRG .LAPTE L1 100")});

    // The line cannot be written after its lot was (a full disk, say): the lot goes back
    // out, and the row stays as typed, its number not taken; once the disk has room it saves.
    testsupport::AddRefusingTrigger(r.Dir(), "Item_in", "BEFORE INSERT", "database or disk is full");
    r.lines.Append();
    r.Fill("_MP", ".SARE", 25, "S7");
    EXPECT_THROW(r.lines.Post(), fw::EDatabaseError);
    EXPECT_EQ(r.lines.State(), fw::TDataSetState::Insert);
    EXPECT_EQ(r.lines.FieldByName(QStringLiteral("Lot"))->AsString(), QStringLiteral("S7"));
    EXPECT_TRUE(r.lines.FieldByName(QStringLiteral("Contor_secundar"))->IsNull());
    EXPECT_EQ(conn->TransactionDepth(), 0);
    EXPECT_EQ(r.Lots(), QStringList{QStringLiteral("_FRG .LAPTE L1 100")});
    testsupport::DropRefusingTrigger(r.Dir(), "Item_in");
    r.lines.Post();
    EXPECT_EQ(r.Lots(), (QStringList{QStringLiteral("_FRG .LAPTE L1 100"), QStringLiteral("_MP .SARE S7 25")}));
    EXPECT_EQ(RawColumn(r.Dir(), "SELECT Contor_secundar FROM Item_in ORDER BY 1"), (QVariantList{1.0, 2.0}));
    EXPECT_EQ(messages.Count(), 0);
}

TEST(Receipts, CounterNeverHandsOutANumberInUse)
{
    TempDir dir;
    PrepareCompanyDatabase(dir.Path());
    auto docs = testsupport::OpenTable(dir.Path(), fw::DocInDB);
    docs->AppendRecord({41.0});
    docs->Close();
    EXPECT_EQ(TakeReceiptCounter(dir.Path()), 42.0);
    EXPECT_EQ(TakeReceiptCounter(dir.Path()), 43.0);
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT NewCounterIn FROM COUNTER"), (QVariantList{43.0}));
}

TEST(Receipts, DocumentWindowEntersAReceiptAndSavesTheRowBeingEditedWhenClosed)
{
    fw::TMessageRecorder messages;
    hosttest::THost host;
    const QString dir = host.NewDir(QStringLiteral("firma"));
    MakeSmallCompany(dir);
    ASSERT_TRUE(host->OpenCompany(dir, false));
    TDocInForm* form = host->ShowDocIn();
    ASSERT_NE(form, nullptr);

    form->HeaderNavigator()->BtnClick(fw::TNavigateBtn::Insert);
    form->Headers()->FieldByName(QStringLiteral("Numar"))->SetAsFloat(77);
    // A line of a header not yet saved saves the header first.
    form->LineNavigator()->BtnClick(fw::TNavigateBtn::Insert);
    EXPECT_EQ(form->Headers()->State(), fw::TDataSetState::Browse);
    EXPECT_EQ(form->Lines()->FieldByName(QStringLiteral("Contor"))->AsFloat(), 1.0);
    fw::TDataSet* lines = form->Lines();
    lines->FieldByName(QStringLiteral("Cod_gestiune"))->SetAsString(QStringLiteral("_FRG"));
    lines->FieldByName(QStringLiteral("Cod_grupa"))->SetAsString(QStringLiteral("01"));
    lines->FieldByName(QStringLiteral("Cod_articol"))->SetAsString(QStringLiteral(".LAPTE"));
    lines->FieldByName(QStringLiteral("Cantitate"))->SetAsFloat(500);
    form->LineNavigator()->BtnClick(fw::TNavigateBtn::Post);
    EXPECT_EQ(lines->FieldByName(QStringLiteral("Denumire"))->AsString(), QStringLiteral("Lapte crud"));
    EXPECT_EQ(RawColumn(dir, "SELECT Cantitate FROM Stoc"), (QVariantList{500.0}));

    // An unfinished line keeps the window open with its warning; a finished one is saved.
    form->LineNavigator()->BtnClick(fw::TNavigateBtn::Insert);
    lines->FieldByName(QStringLiteral("Cod_gestiune"))->SetAsString(QStringLiteral("_MP"));
    EXPECT_FALSE(form->Close());
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Completati gestiunea, grupa, articolul si cantitatea!")});
    lines->FieldByName(QStringLiteral("Cod_grupa"))->SetAsString(QStringLiteral("01"));
    lines->FieldByName(QStringLiteral("Cod_articol"))->SetAsString(QStringLiteral(".SARE"));
    lines->FieldByName(QStringLiteral("Cantitate"))->SetAsFloat(20);
    EXPECT_TRUE(form->Close());
    EXPECT_EQ(RawColumn(dir, "SELECT Cantitate FROM Stoc ORDER BY rowid"), (QVariantList{500.0, 20.0}));
}
