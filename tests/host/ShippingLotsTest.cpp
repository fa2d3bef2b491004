// Outgoing lines entered in the host: the lot's standing, judged by the add-on inside the
// writing transaction, refuses a lot that may not leave; a line is written whole (header,
// lines, the stock rows taken down) or not at all; a hold committed meanwhile is respected.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "ReceiptFixture.h"
#include "host/Browsers.h"
#include "host/DocOutLineDialog.h"
#include "host/OutgoingLedger.h"
#include "host/WriteRefusal.h"
#include "platform/db/Connection.h"
#include "platform/ui/MessageDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace pelmaris;

namespace {

// The small receipts company with stock of .LAPTE: L1 (10 in _FRG), L2 (5 in _FRG), L3
// in two rows of _FRG (4, then 6), all entered on 2026-12-01, and the real add-on loaded
// on it.
class TShipping {
public:
    testsupport::TempDir dir;
    std::shared_ptr<fw::Connection> held = testsupport::UseTestEngine(dir.Path());
    std::unique_ptr<hosttest::THost> host;

    explicit TShipping(const QString& addOn = QString::fromUtf8(built::kRealAddOnFile))
    {
        hosttest::MakeSmallCompany(Dir());
        auto stock = testsupport::OpenTable(Dir(), fw::StocDB);
        const QDate entered(2026, 12, 1);
        const struct {
            const char* lot;
            double quantity;
            double line;
        } rows[] = {{"L1", 10, 1}, {"L2", 5, 2}, {"L3", 4, 3}, {"L3", 6, 4}};
        for (const auto& r : rows)
            stock->AppendRecord({r.quantity, ".LAPTE", "01", "_FRG", 2.5, r.lot, "MPO", 1.0, r.line, entered});
        stock.reset();
        host = std::make_unique<hosttest::THost>(addOn);
        EXPECT_TRUE((*host)->OpenCompany(Dir(), false));
    }
    ~TShipping()
    {
        host.reset();
        held.reset();
        testsupport::ForgetDatabase(Dir());
    }

    QString Dir() const { return dir.Path(); }
    void Exec(const QString& sql) const { fw::Connection::Open(Dir())->Exec(sql); }
    void Stand(const char* lot, const char* state, const char* reason) const
    {
        Exec(QStringLiteral("INSERT INTO StareLot (Cod_grupa, Cod_articol, Lot, Stare, Motiv, Agent, Moment) VALUES "
                            "('01', '.LAPTE', '%1', '%2', '%3', 'ADM', '2026-12-02 08:00:00')")
                 .arg(QLatin1String(lot), QLatin1String(state), QLatin1String(reason)));
    }

    TLotCheck Check()
    {
        return [this](const QString& g, const QString& c, const QString& l) { return (*host)->AddOn().LotRefusal(g, c, l); };
    }
    double Ship(const char* lot, double quantity, double contor = 0)
    {
        TOutgoingLine line;
        line.Contor = contor;
        line.Number = 70;
        line.Date = QDate(2026, 12, 3);
        line.Client = QStringLiteral("Magazin");
        line.Warehouse = QStringLiteral("_FRG");
        line.Group = QStringLiteral("01");
        line.Article = QStringLiteral(".LAPTE");
        line.Lot = QString::fromLatin1(lot);
        line.Quantity = quantity;
        return WriteOutgoingLine(Dir(), line, Check());
    }
    // What Ship refused with; empty when it wrote.
    QString Refusal(const char* lot, double quantity, double contor = 0)
    {
        try {
            Ship(lot, quantity, contor);
        } catch (const EWriteRefused& e) {
            return e.Message();
        }
        return {};
    }

    QString Stock() const
    {
        return testsupport::RawTexts(Dir(), "SELECT Lot, Cantitate FROM Stoc ORDER BY " + testsupport::RowIdColumn(), "=")
            .join(' ');
    }
    QString Lines() const
    {
        return testsupport::RawTexts(Dir(), "SELECT Contor, Contor_secundar, Lot, Cantitate, Pret_achizitie FROM Item_out "
                                            "ORDER BY Contor, Contor_secundar")
            .join(" | ");
    }
    qint64 Documents() const { return testsupport::RawColumn(Dir(), "SELECT COUNT(*) FROM Doc_out").value(0).toLongLong(); }
};

const QString kUntouched = QStringLiteral("L1=10.0 L2=5.0 L3=4.0 L3=6.0");

} // namespace

TEST(ShippingLots, ALotThatMayNotLeaveIsRefusedWithItsStandingAndNothingIsWritten)
{
    struct Case {
        const char* name;
        std::function<void(TShipping&)> stand;
        const char* lot;
        QString message;
    };
    const Case cases[] = {
        {"held by hand", [](TShipping& s) { s.Stand("L1", "Blocat", "Retragere client"); }, "L1",
         "Lotul <L1> al articolului 01/.LAPTE este Blocat: Retragere client. Linia nu a fost scrisa."},
        {"out of norm", [](TShipping& s) { s.Stand("L2", "Neconform", "NTG peste limita"); }, "L2",
         "Lotul <L2> al articolului 01/.LAPTE este Neconform: NTG peste limita. Linia nu a fost scrisa."},
        // New lots of the article wait for a release from the day before they entered.
        {"waiting for a release",
         [](TShipping& s) {
             s.Exec("INSERT INTO EliberareObligatorie (Cod_grupa, Cod_articol, Din_data, Agent) "
                    "VALUES ('01', '.LAPTE', '2026-11-30', 'ADM')");
         },
         "L3", "Lotul <L3> al articolului 01/.LAPTE este In asteptare: lot nou, asteapta eliberarea. Linia nu a fost scrisa."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::TMessageRecorder messages;
        TShipping s;
        c.stand(s);
        EXPECT_EQ(s.Refusal(c.lot, 1), c.message);
        EXPECT_EQ(s.Stock(), kUntouched);
        EXPECT_EQ(s.Documents(), 0);
        EXPECT_EQ(s.Lines(), "");
        // Refused inside the transaction: nothing was shown while the database was held.
        EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    }
}

TEST(ShippingLots, AReleasedLotOrOneWithoutStandingLeavesAndItsStockGoesDown)
{
    fw::TMessageRecorder messages;
    TShipping s;
    // Released again after a hold: its current standing is what counts.
    s.Stand("L1", "Eliberat", "Reanalizat: negativ");
    s.Stand("L2", "Blocat", "Inhibitori");
    const double document = s.Ship("L1", 4);
    EXPECT_EQ(document, 1);
    // L3 has no standing: drawn first from its first row (4, emptied and gone), then 3 of its second.
    EXPECT_EQ(s.Ship("L3", 7, document), document);
    EXPECT_EQ(s.Stock(), "L1=6.0 L2=5.0 L3=3.0");
    EXPECT_EQ(s.Lines(), "1.0 1.0 L1 4.0 2.5 | 1.0 2.0 L3 4.0 2.5 | 1.0 3.0 L3 3.0 2.5");
    EXPECT_EQ(testsupport::RawTexts(s.Dir(), "SELECT Contor, Numar, Tip, Client, Data FROM Doc_out"),
              QStringList{"1.0 70.0 FAC Magazin 2026-12-03"});
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
}

TEST(ShippingLots, ShortStockOrAnIncompleteLineIsRefusedAndNothingIsWritten)
{
    fw::TMessageRecorder messages;
    TShipping s;
    const double document = s.Ship("L2", 1);
    const QString before = s.Lines();
    // 10 of L3 lie in _FRG over two rows: 11 is short, and neither row is touched.
    EXPECT_EQ(s.Refusal("L3", 11, document),
              "Stoc insuficient: lotul <L3> al articolului 01/.LAPTE are in gestiunea _FRG 10, linia cere 11. "
              "Linia nu a fost scrisa.");
    EXPECT_EQ(s.Refusal("L9", 1), "Stoc insuficient: lotul <L9> al articolului 01/.LAPTE are in gestiunea _FRG 0, linia cere 1. "
                                  "Linia nu a fost scrisa.");
    EXPECT_EQ(s.Refusal("L1", 0), "Cantitatea trebuie sa fie mai mare decat zero!");
    EXPECT_EQ(s.Refusal("L1", 1, 99), "Documentul de iesire nu mai exista (l-a sters alt utilizator). Linia nu a fost scrisa.");
    EXPECT_EQ(s.Stock(), "L1=10.0 L2=4.0 L3=4.0 L3=6.0");
    EXPECT_EQ(s.Lines(), before);
    EXPECT_EQ(s.Documents(), 1);
    EXPECT_EQ(messages.Count(), 0);
}

// An add-on made before lots were judged (the stand-in exports only the seven entry
// points) still loads; the host then ships a held lot as it always did, and says nothing.
TEST(ShippingLots, AnAddOnWithoutTheLotEntryPointLoadsAndLotsLeaveAsBefore)
{
    fw::TMessageRecorder messages;
    TShipping s{QString::fromUtf8(built::kFakeAddOnFile)};
    ASSERT_TRUE((*s.host)->AddOn().Loaded());
    s.Exec("CREATE TABLE StareLot (Cod_grupa VARCHAR(8), Cod_articol VARCHAR(30), Lot VARCHAR(30), Stare VARCHAR(20), "
           "Motiv VARCHAR(255), Agent VARCHAR(3), Moment VARCHAR(19))");
    s.Stand("L1", "Blocat", "Retragere client");
    EXPECT_FALSE((*s.host)->AddOn().LotRefusal("01", ".LAPTE", "L1").has_value());
    s.Ship("L1", 2);
    EXPECT_EQ(s.Stock(), "L1=8.0 L2=5.0 L3=4.0 L3=6.0");
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
}

// Another workstation holds L1, taking the counter row first as a hold does, and commits
// once the line waits for it: the line is judged on the committed hold and refused.
TEST(ShippingLots, AHoldCommittedWhileTheLineWaitsIsRespected)
{
    fw::TMessageRecorder messages;
    TShipping s;
    QStringList hold{"INSERT INTO StareLot (Cod_grupa, Cod_articol, Lot, Stare, Motiv, Agent, Moment) VALUES "
                     "('01', '.LAPTE', 'L1', 'Blocat', 'NTG peste limita', 'ADM', '2026-12-07 09:00:00')"};
    if (testsupport::OnServer())
        hold.prepend("SELECT * FROM Counter FOR UPDATE");
    testsupport::TOtherTransaction other(s.Dir(), hold);
    EXPECT_EQ(s.Refusal("L1", 1), "Lotul <L1> al articolului 01/.LAPTE este Blocat: NTG peste limita. Linia nu a fost scrisa.");
    EXPECT_EQ(other.Finish(), testsupport::OnServer()); // waited for on a server
    EXPECT_EQ(s.Stock(), kUntouched);
    EXPECT_EQ(s.Documents(), 0);
    EXPECT_EQ(messages.Count(), 0);
}

// The window's line entry: a refused lot is told as a warning and the dialog stays open
// with what was typed; the same line on a released lot is written on the document the
// window shows, and the window shows its lines.
TEST(ShippingLots, TheWindowsLineEntryTellsARefusalAndWritesOnTheCurrentDocument)
{
    fw::TMessageRecorder messages;
    TShipping s;
    s.Stand("L2", "Blocat", "Retragere client");
    const double document = s.Ship("L1", 1);
    auto* window = static_cast<TDocOutForm*>((*s.host)->ShowDocOut());
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(window->NewLineButton()->isHidden());
    TDocOutLineDialog dialog(s.Dir(), document, 70, s.Check(), window);
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("NewDocumentCheck")->isChecked());
    const std::pair<const char*, const char*> typed[] = {
        {"WarehouseEdit", "_FRG"}, {"GroupEdit", "01"}, {"ArticleEdit", ".LAPTE"}, {"LotEdit", "L2"}, {"QuantityEdit", "2"}};
    for (const auto& [name, text] : typed)
        dialog.findChild<QLineEdit*>(name)->setText(text);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, fw::TMsgDlgType::Warning);
    EXPECT_EQ(messages.Last().Text, "Lotul <L2> al articolului 01/.LAPTE este Blocat: Retragere client. Linia nu a fost scrisa.");

    dialog.findChild<QLineEdit*>("LotEdit")->setText("L3");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.WrittenDocument(), document);
    EXPECT_EQ(s.Stock(), "L1=9.0 L2=5.0 L3=2.0 L3=6.0");
    window->ShowDocument(document);
    EXPECT_EQ(testsupport::Column(*window->Lines(), "Lot"), (QStringList{"L1", "L3"}));
    EXPECT_EQ(messages.Count(), 1);
}
