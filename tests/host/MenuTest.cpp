// The add-on's menus in the host's menu bar: where they stand, the document menu that
// follows the incoming-document window, and the commands reaching the add-on.
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DataForm.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSet>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace pelmaris;
using hosttest::Entries;
using hosttest::SubMenu;
using hosttest::THost;

namespace {

QStringList L(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* i : items)
        out << QString::fromUtf8(i);
    return out;
}

// A company with two incoming documents (counters 7 and 9).
QString CompanyWithTwoReceipts(THost& host)
{
    QString dir = host.NewDir(QStringLiteral("firma"));
    PrepareCompanyDatabase(dir);
    auto docs = testsupport::OpenTable(dir, fw::DocInDB);
    docs->AppendRecord({7.0, QDate(2026, 11, 2), 101.0, "NIR", QDate(2026, 11, 2)});
    docs->AppendRecord({9.0, QDate(2026, 11, 5), 102.0, "NIR", QDate(2026, 11, 5)});
    return dir;
}

void Activate(QWidget* form)
{
    auto* data = static_cast<fw::TForm*>(form);
    data->MDISubWindow()->mdiArea()->setActiveSubWindow(data->MDISubWindow());
    QApplication::processEvents();
}

} // namespace

TEST(HostMenus, AddOnItemsStandBetweenTheHostsOwnByGroupIndexAndExitStaysLast)
{
    fw::TMessageRecorder messages;
    THost host;
    QMenuBar* bar = host->MainForm()->menuBar();
    EXPECT_EQ(Entries(bar), L({"&Sistem", "&Nomenclatoare", "&Operatii", "&Rapoarte", "&Fereastra"}));
    EXPECT_EQ(Entries(SubMenu(bar, "&Sistem")),
              L({"&Deschide firma...", "Firma noua pe &server...", "Im&porta firma Paradox...", "&Firma demonstrativa", "&Verificare firma", "-", "Retete de productie",
                 "&Configurare productie", "-", "&Iesire"}));
    EXPECT_EQ(Entries(SubMenu(bar, "&Nomenclatoare")),
              L({"&Clase si grupe de articole", "&Articole", "&Gestiuni", "&Furnizori", "&Valute"}));
    EXPECT_EQ(Entries(SubMenu(bar, "&Operatii")), L({"Documente de &intrare", "Documente de i&esire"}));
    EXPECT_EQ(Entries(SubMenu(bar, "&Rapoarte")), L({"&Stoc", "Trasabilitate produse"}));
    // Every menu and every command of the host's own has an accelerator, none used twice
    // in one menu.
    for (QAction* top : bar->actions()) {
        EXPECT_TRUE(top->text().contains(QLatin1Char('&'))) << top->text().toStdString();
        QSet<QChar> keys;
        for (QAction* a : top->menu()->actions()) {
            if (a->isSeparator() || a->objectName().isEmpty() == false)
                continue; // the add-on's items carry the add-on's captions
            const qsizetype at = a->text().indexOf(QLatin1Char('&'));
            ASSERT_GE(at, 0) << a->text().toStdString();
            EXPECT_FALSE(keys.contains(a->text().at(at + 1).toLower())) << a->text().toStdString();
            keys.insert(a->text().at(at + 1).toLower());
        }
    }
}

TEST(HostMenus, CommandsThatNeedACompanyWaitForOne)
{
    fw::TMessageRecorder messages;
    THost host;
    QMenuBar* bar = host->MainForm()->menuBar();
    const auto enabled = [&](const char* menu, const char* item) {
        QAction* a = hosttest::FindAction(SubMenu(bar, menu), item);
        return a && a->isEnabled();
    };
    const std::pair<const char*, const char*> needing[] = {
        {"&Sistem", "&Verificare firma"},      {"&Sistem", "Retete de productie"},
        {"&Sistem", "&Configurare productie"}, {"&Nomenclatoare", "&Articole"},
        {"&Nomenclatoare", "&Valute"},         {"&Operatii", "Documente de &intrare"},
        {"&Rapoarte", "&Stoc"},                {"&Rapoarte", "Trasabilitate produse"},
    };
    for (const auto& [menu, item] : needing)
        EXPECT_FALSE(enabled(menu, item)) << item;
    EXPECT_TRUE(enabled("&Sistem", "&Deschide firma..."));
    EXPECT_TRUE(enabled("&Sistem", "Firma noua pe &server..."));
    EXPECT_TRUE(enabled("&Sistem", "Im&porta firma Paradox..."));
    EXPECT_TRUE(enabled("&Sistem", "&Iesire"));

    ASSERT_TRUE(host->OpenCompany(host.NewDir(QStringLiteral("firma")), false));
    for (const auto& [menu, item] : needing)
        EXPECT_TRUE(enabled(menu, item)) << item;
    // An item the add-on disabled itself stays as the add-on left it.
    fw::TMenuItem* reports = host->AddOnMainMenu()->Find(QStringLiteral("Trasabilitateproduse1"));
    reports->SetEnabled(false);
    host->MainForm()->SetCompany(QString(), QString());
    host->MainForm()->SetCompany(QStringLiteral("firma"), host->CompanyDir());
    EXPECT_FALSE(enabled("&Rapoarte", "Trasabilitate produse"));
    EXPECT_TRUE(enabled("&Sistem", "Retete de productie"));
    EXPECT_EQ(messages.Count(), 0);
}

TEST(HostMenus, WindowMenuArrangesListsAndClosesTheChildWindows)
{
    fw::TMessageRecorder messages;
    THost host;
    host->MainForm()->ShowOnScreen();
    ASSERT_TRUE(host->OpenCompany(host.NewDir(QStringLiteral("firma")), false));
    QMenu* windows = host->MainForm()->FereastraMenu();
    const auto list = [&] {
        emit windows->aboutToShow();
        return Entries(windows);
    };
    EXPECT_EQ(list(), L({"&Cascada", "&Alaturate", "&Inchide tot", "-"}));
    TDataForm* stock = host->ShowStock();
    TDataForm* suppliers = host->ShowSuppliers();
    ASSERT_TRUE(stock && suppliers);
    QApplication::processEvents();
    EXPECT_EQ(list(), L({"&Cascada", "&Alaturate", "&Inchide tot", "-", "&1 Stoc", "&2 Furnizori"}));
    // The active window is the one ticked; choosing another brings it forward.
    EXPECT_TRUE(hosttest::FindAction(windows, "&2 Furnizori")->isChecked());
    hosttest::FindAction(windows, "&1 Stoc")->trigger();
    EXPECT_EQ(host->MainForm()->MdiArea()->activeSubWindow(), stock->MDISubWindow());

    hosttest::FindAction(windows, "&Alaturate")->trigger();
    const QRect area = host->MainForm()->MdiArea()->viewport()->rect();
    for (QMdiSubWindow* w : host->MainForm()->MdiArea()->subWindowList())
        EXPECT_TRUE(area.contains(w->geometry())) << w->windowTitle().toStdString();

    hosttest::FindAction(windows, "&Inchide tot")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(host->MainForm()->MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(list(), L({"&Cascada", "&Alaturate", "&Inchide tot", "-"}));
    EXPECT_EQ(messages.Count(), 0);
}

TEST(HostMenus, DocumentMenuIsInTheBarWhileTheIncomingDocumentWindowIsActive)
{
    fw::TMessageRecorder messages;
    THost host;
    host->MainForm()->show();
    ASSERT_TRUE(host->OpenCompany(CompanyWithTwoReceipts(host), false));
    QMenuBar* bar = host->MainForm()->menuBar();
    const QStringList withDocument = L({"&Sistem", "&Nomenclatoare", "&Operatii", "&Document", "&Rapoarte", "&Fereastra"});
    const QStringList without = L({"&Sistem", "&Nomenclatoare", "&Operatii", "&Rapoarte", "&Fereastra"});

    TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(Entries(bar), withDocument);
    EXPECT_EQ(Entries(SubMenu(bar, "&Document")), L({"-", "Calcul necesar tehnic"}));

    TDataForm* stock = host->ShowStock();
    ASSERT_NE(stock, nullptr);
    Activate(stock);
    EXPECT_EQ(Entries(bar), without);
    Activate(docIn);
    EXPECT_EQ(Entries(bar), withDocument);
    // Asking for the window again brings the same one forward: the add-on is not told twice.
    EXPECT_EQ(host->ShowDocIn(), docIn);
    EXPECT_EQ(host.Log().filter(QStringLiteral("QvxAddOnDocInForm")).size(), 1);

    docIn->Close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Entries(bar), without);
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}

TEST(HostMenus, CalculationCommandGetsTheDocumentTheWindowStandsOn)
{
    fw::TMessageRecorder messages;
    THost host;
    host->MainForm()->show();
    ASSERT_TRUE(host->OpenCompany(CompanyWithTwoReceipts(host), false));
    TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    QApplication::processEvents();
    QAction* calc = host.Command("&Document", "Calcul necesar tehnic");
    ASSERT_NE(calc, nullptr);
    // The window opens on the latest document.
    calc->trigger();
    docIn->Headers()->Prior();
    calc->trigger();
    EXPECT_EQ(host.Log().filter(QStringLiteral("CalcNec")), L({"CalcNec|9", "CalcNec|7"}));
}

TEST(HostMenus, StatusLineShowsTheHintOfTheItemUnderTheMouseAndTheCompany)
{
    fw::TMessageRecorder messages;
    THost host;
    host->MainForm()->show();
    QMenu* sistem = SubMenu(host->MainForm()->menuBar(), "&Sistem");
    EXPECT_EQ(host->MainForm()->CompanyText(), QStringLiteral("Nicio firma deschisa"));
    const QString dir = host.NewDir(QStringLiteral("lactate"));
    ASSERT_TRUE(host->OpenCompany(dir, false));
    EXPECT_EQ(host->MainForm()->CompanyText(), QStringLiteral("Firma: lactate"));
    EXPECT_EQ(host->MainForm()->windowTitle(), QStringLiteral("Pelmaris - lactate"));
    hosttest::FindAction(sistem, "Retete de productie")->hover();
    QApplication::processEvents();
    EXPECT_EQ(host->MainForm()->statusBar()->currentMessage(),
              QStringLiteral("Specifica necesarul tehnic de materii prime si materiale pentru realizarea unei unitati "
                             "de produs finit."));
}
