// The add-on's menus in the host's menu bar: where they stand, the document menu that
// follows the incoming-document window, and the commands reaching the add-on.
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DataForm.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/db/Table.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
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
    const QString dir = host.NewDir(QStringLiteral("firma"));
    PrepareCompanyDatabase(dir);
    auto docs = testsupport::OpenTable(dir, "Doc_in.DB");
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

TEST(HostMenus, AddOnItemsStandAfterTheHostsOwnByGroupIndex)
{
    fw::TMessageRecorder messages;
    THost host;
    QMenuBar* bar = host->MainForm()->menuBar();
    EXPECT_EQ(Entries(bar), L({"&Sistem", "Documente", "Rapoarte"}));
    EXPECT_EQ(Entries(SubMenu(bar, "&Sistem")),
              L({"&Deschide firma...", "Firma demonstrativa", "-", "&Iesire", "-", "Retete de productie",
                 "&Configurare productie"}));
    EXPECT_EQ(Entries(SubMenu(bar, "Documente")), L({"Documente de &intrare", "Documente de i&esire"}));
    EXPECT_EQ(Entries(SubMenu(bar, "Rapoarte")), L({"&Stoc", "&Catalog de articole", "Trasabilitate produse"}));
}

TEST(HostMenus, DocumentMenuIsInTheBarWhileTheIncomingDocumentWindowIsActive)
{
    fw::TMessageRecorder messages;
    THost host;
    host->MainForm()->show();
    ASSERT_TRUE(host->OpenCompany(CompanyWithTwoReceipts(host), false));
    QMenuBar* bar = host->MainForm()->menuBar();
    const QStringList withDocument = L({"&Sistem", "Documente", "&Document", "Rapoarte"});
    const QStringList without = L({"&Sistem", "Documente", "Rapoarte"});

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
    QAction* calc = hosttest::FindAction(SubMenu(host->MainForm()->menuBar(), "&Document"), "Calcul necesar tehnic");
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
    hosttest::FindAction(sistem, "Retete de productie")->hover();
    QApplication::processEvents();
    EXPECT_EQ(host->MainForm()->statusBar()->currentMessage(),
              QStringLiteral("Specifica necesarul tehnic de materii prime si materiale pentru realizarea unei unitati "
                             "de produs finit."));
    EXPECT_EQ(host->MainForm()->CompanyText(), QStringLiteral("Nicio firma deschisa"));
    const QString dir = host.NewDir(QStringLiteral("lactate"));
    ASSERT_TRUE(host->OpenCompany(dir, false));
    EXPECT_EQ(host->MainForm()->CompanyText(), QStringLiteral("Firma: lactate"));
    EXPECT_EQ(host->MainForm()->windowTitle(), QStringLiteral("Pelmaris - lactate"));
}
