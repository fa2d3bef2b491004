// End to end: the host opens the demo company with the add-on library built beside it.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QMenuBar>
#include <gtest/gtest.h>

using namespace pelmaris;
using hosttest::Entries;
using hosttest::SubMenu;

TEST(RealAddOn, DemoCompanyWithTheAddOnsMenusInTheirPlaces)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host->AddOn().Loaded()) << messages.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(host->AddOnName(), QStringLiteral("Productie produse lactate"));
    ASSERT_EQ(host->AddOnTables().size(), 1u);
    EXPECT_EQ(host->AddOnTables()[0].Name, fw::RetetaDB);
    ASSERT_TRUE(host.OpenDemo());

    QMenuBar* bar = host->MainForm()->menuBar();
    EXPECT_EQ(Entries(SubMenu(bar, "&Sistem")),
              (QStringList{"&Deschide firma...", "Firma noua pe &server...", "Im&porta firma Paradox...", "&Firma demonstrativa", "&Verificare firma", "-", "Retete de productie",
                           "&Configurare productie", "Configurare &lapte", "-", "&Iesire"}));
    EXPECT_EQ(Entries(SubMenu(bar, "&Rapoarte")),
              (QStringList{"&Stoc", "Trasabilitate produse", "Loturi care expira", "Urmarire lot", "Etichete lot",
                           "Analize laborator", "Eliberare obligatorie", "Receptie lapte", "Calitatea laptelui pe furnizori",
                           "Decont lunar lapte", "Costul loturilor fabricate", "Necesar fata de consum", "Tablou de bord"}));
    TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(Entries(bar),
              (QStringList{"&Sistem", "&Nomenclatoare", "&Operatii", "&Document", "&Rapoarte", "&Fereastra"}));
    EXPECT_EQ(Entries(SubMenu(bar, "&Document")), (QStringList{"-", "Calcul necesar tehnic", "Anuleaza consumul"}));

    // The add-on's windows belong to the host: its configuration dialog opens over the
    // host's main window, which owns the add-on's menus module.
    QString caption;
    QWidget* owner = nullptr;
    {
        fw::TModalHook hook([&](fw::TForm* form) {
            caption = form->Caption();
            owner = form->Owner();
            return fw::TModalResult::Cancel;
        });
        hosttest::FindAction(SubMenu(bar, "&Sistem"), "&Configurare productie")->trigger();
        EXPECT_EQ(hook.Calls(), 1);
    }
    EXPECT_EQ(caption, QStringLiteral("Configurarile modulului de productie"));
    EXPECT_EQ(owner, host->MainForm());

    // OK writes the settings into the company's KRBDEF.INI.
    {
        fw::TModalHook hook([&](fw::TForm* form) {
            form->findChild<QLineEdit*>(QStringLiteral("WarehousePrefixEdit"))->setText(QStringLiteral("#"));
            form->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
            return fw::TModalResult::None;
        });
        hosttest::FindAction(SubMenu(bar, "&Sistem"), "&Configurare productie")->trigger();
    }
    QFile settings(QDir(host->CompanyDir()).filePath(fw::CompanySettingsFile));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    EXPECT_TRUE(text.contains("IndGest=#")) << text.constData();
    EXPECT_TRUE(text.contains("IndCod=.")) << text.constData();
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}
