// The configuration dialog, opened modally by "&Configurare productie".
#include "Named.h"
#include "TempDir.h"
#include "data/ProductionContext.h"
#include "platform/config/SettingsStore.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"
#include "shell/ProductionMenus.h"
#include "shell/SettingsDialog.h"

#include <QAction>
#include <QComboBox>
#include <QSpinBox>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvanel;
using namespace fw;
using namespace testsupport;

namespace {

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        TSettingsStore().WriteString(TSettingsStore::LastDatabaseDir, dir.Path());
        QFile f(dir.File(fw::CompanySettingsFile));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Productie]\r\nIndCod=M\r\n");
    }
    QByteArray File() const
    {
        QFile f(dir.File(fw::CompanySettingsFile));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Runs the menu command with a hook acting as the user.
    void RunCommand(const TModalHook::THandler& user)
    {
        QWidget hostWindow;
        TProductionMenus menus(context, &hostWindow);
        TModalHook hook(user);
        menus.Item("SettingsItem")->Click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(context.SettingsDialog, nullptr); // the dialog freed itself
    }
    static QLineEdit* Edit(QWidget* dlg, const char* name) { return Named<QLineEdit>(dlg, name); }
    static QComboBox* Combo(QWidget* dlg, const char* name) { return Named<QComboBox>(dlg, name); }
    static QSpinBox* Spin(QWidget* dlg, const char* name) { return Named<QSpinBox>(dlg, name); }
    static void Click(QWidget* dlg, const char* button) { Named<QPushButton>(dlg, button)->click(); }
    QString Prefixes() const
    {
        const TProductionSettings& s = context.Settings;
        return QString(s.RawWarehousePrefix) + s.RawMaterialPrefix + s.SemiFinishedPrefix;
    }
    TempDir dir;
    TProductionContext context;
};

TEST_F(SettingsDialog, ShowsTheStoredPrefixesAndOkWritesTheChangedOnes)
{
    RunCommand([this](TForm* form) {
        auto* dlg = dynamic_cast<TProductionSettingsForm*>(form);
        EXPECT_NE(dlg, nullptr);
        EXPECT_EQ(context.SettingsDialog, dlg);
        EXPECT_EQ(dlg->windowTitle(), "Configurarile modulului de productie");
        EXPECT_EQ(Edit(dlg, "WarehousePrefixEdit")->text(), "_");
        EXPECT_EQ(Edit(dlg, "MaterialPrefixEdit")->text(), "M");
        EXPECT_EQ(Edit(dlg, "SemiFinishedPrefixEdit")->text(), ";");
        EXPECT_EQ(Edit(dlg, "WarehousePrefixEdit")->maxLength(), 1);
        Edit(dlg, "WarehousePrefixEdit")->setText("G");
        Edit(dlg, "SemiFinishedPrefixEdit")->setText(".");  // any character, also one already in use
        Click(dlg, "OkButton");
        return TModalResult::None;
    });
    EXPECT_EQ(Prefixes(), "GM.");
    const QByteArray text = File();
    EXPECT_TRUE(text.contains("IndGest=G\r\n"));
    EXPECT_TRUE(text.contains("IndCod=M\r\n"));
    EXPECT_TRUE(text.contains("IndSemi=.\r\n"));
}

TEST_F(SettingsDialog, TheLotSettingsAreShownAndOkWritesThem)
{
    QFile f(dir.File(fw::CompanySettingsFile));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("OrdineLoturi=FEFO\r\nLoturiExpirate=Exclude\r\nZileExpirare=5\r\n");
    f.close();
    RunCommand([](TForm* form) {
        TForm* dlg = form;
        EXPECT_EQ(Combo(dlg, "LotOrderCombo")->currentText(), "Primul care expira (FEFO)");
        EXPECT_EQ(Combo(dlg, "ExpiredLotsCombo")->currentIndex(), 1);
        EXPECT_EQ(Spin(dlg, "ExpiringDaysEdit")->value(), 5);
        Combo(dlg, "LotOrderCombo")->setCurrentIndex(1);
        Combo(dlg, "ExpiredLotsCombo")->setCurrentIndex(0);
        Spin(dlg, "ExpiringDaysEdit")->setValue(14);
        EXPECT_EQ(Spin(dlg, "DecimalsEdit")->value(), 0);
        Spin(dlg, "DecimalsEdit")->setValue(2);
        Click(dlg, "OkButton");
        return TModalResult::None;
    });
    EXPECT_EQ(context.Settings.LotOrder, TLotOrder::FirstIn);
    const QByteArray text = File();
    for (const char* line : {"OrdineLoturi=FIFO\r\n", "LoturiExpirate=Consuma\r\n", "ZileExpirare=14\r\n", "ZecimaleNecesar=2\r\n"})
        EXPECT_TRUE(text.contains(line)) << line;
}

TEST_F(SettingsDialog, CancelWritesNothing)
{
    const QByteArray before = File();
    RunCommand([](TForm* form) {
        TForm* dlg = form;
        Edit(dlg, "WarehousePrefixEdit")->setText("X");
        Click(dlg, "CancelButton");
        return TModalResult::None;
    });
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Prefixes(), "_M;"); // the loaded values stay
}

TEST_F(SettingsDialog, AnEmptiedBoxIsRefusedByNameAndNothingIsWritten)
{
    TMessageRecorder messages;
    const QByteArray before = File();
    RunCommand([&](TForm* form) {
        TForm* dlg = form;
        QApplication::setActiveWindow(dlg);
        Edit(dlg, "WarehousePrefixEdit")->setText("G");
        Edit(dlg, "SemiFinishedPrefixEdit")->clear();
        Click(dlg, "OkButton");
        EXPECT_TRUE(dlg->InModal());
        EXPECT_EQ(QApplication::focusWidget(), Edit(dlg, "SemiFinishedPrefixEdit"));
        Click(dlg, "CancelButton");
        return TModalResult::None;
    });
    EXPECT_EQ(messages.Texts(),
              QStringList{"Specificati caracterul cu care trebuie sa înceapa codurile de produse semifabricate!"});
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Prefixes(), "_M;");
}

// Enter anywhere in the boxes is OK (the default button), Escape is "Renunta".
TEST_F(SettingsDialog, EnterSavesAndEscapeWritesNothing)
{
    const struct {
        Qt::Key Key;
        TModalResult Result;
        const char* Prefixes;
    } cases[] = {{Qt::Key_Escape, TModalResult::Cancel, "_M;"}, {Qt::Key_Return, TModalResult::OK, "GM;"}};
    for (const auto& c : cases) {
        TModalResult result = TModalResult::None;
        RunCommand([&](TForm* dlg) {
            EXPECT_EQ(Named<QPushButton>(dlg, "OkButton")->text(), "OK");
            EXPECT_EQ(Named<QPushButton>(dlg, "CancelButton")->text(), "&Renunta");
            Edit(dlg, "WarehousePrefixEdit")->setText("G");
            QTest::keyClick(Edit(dlg, "MaterialPrefixEdit"), c.Key);
            EXPECT_FALSE(dlg->InModal());
            result = dlg->ModalResult();
            return TModalResult::None;
        });
        EXPECT_EQ(result, c.Result) << c.Prefixes;
        EXPECT_EQ(Prefixes(), c.Prefixes);
    }
}

TEST_F(SettingsDialog, TabFollowsTheBoxesThenOkThenCancel)
{
    TProductionSettingsForm dlg(context, nullptr);
    const char* const names[] = {"WarehousePrefixEdit", "MaterialPrefixEdit", "SemiFinishedPrefixEdit",
                                 "LotOrderCombo",       "ExpiredLotsCombo",   "ExpiringDaysEdit",
                                 "DecimalsEdit",        "OkButton",           "CancelButton"};
    std::vector<QWidget*> order;
    for (const char* name : names)
        order.push_back(Named(&dlg, name));
    // What Tab reaches next: the next widget of the chain that takes focus by Tab.
    // (A spin box's own line editor is part of it, not a stop of its own.)
    auto nextByTab = [](QWidget* from) {
        QWidget* w = from;
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || from->isAncestorOf(w));
        return w;
    };
    for (size_t i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(nextByTab(order[i]), order[i + 1]) << names[i];
    // The dialog fits its texts: at least the designed size, nothing clipped.
    EXPECT_GE(dlg.width(), 388);
    EXPECT_GE(dlg.height(), 188);
    EXPECT_GE(dlg.height(), dlg.sizeHint().height());
    dlg.show();
    dlg.grab().save(LookDir() + "/settings-dialog.png");
}

TEST_F(SettingsDialog, ASettingsFileThatCannotBeReadIsToldAndNoDialogOpens)
{
    const QString settings = dir.File(fw::CompanySettingsFile);
    QFile::remove(settings);
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);
    TMessageRecorder messages;
    bool shown = false;
    {
        QWidget hostWindow;
        TProductionMenus menus(context, &hostWindow);
        TModalHook hook([&](TForm*) {
            shown = true;
            return TModalResult::Cancel;
        });
        menus.Item("SettingsItem")->Action()->trigger();
    }
    EXPECT_FALSE(shown);
    EXPECT_EQ(context.SettingsDialog, nullptr);
    EXPECT_EQ(messages.Texts(), QStringList{"<" + settings + "> nu este un fisier obisnuit: setarile nu pot fi citite din el."});
    EXPECT_EQ(Prefixes(), "_.;");
}

TEST_F(SettingsDialog, ASettingTheAddOnDoesNotKnowIsToldAndNoDialogOpens)
{
    QFile f(dir.File(fw::CompanySettingsFile));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("LoturiExpirate=poate\r\n");
    f.close();
    TMessageRecorder messages;
    bool shown = false;
    {
        QWidget hostWindow;
        TProductionMenus menus(context, &hostWindow);
        TModalHook hook([&](TForm*) {
            shown = true;
            return TModalResult::Cancel;
        });
        menus.Item("SettingsItem")->Action()->trigger();
    }
    EXPECT_FALSE(shown);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith("Fisierul de setari <" + dir.File(fw::CompanySettingsFile)
                                                + ">, sectiunea [Productie]: cheia LoturiExpirate are valoarea \"poate\""))
        << messages.Last().Text.toStdString();
    EXPECT_TRUE(context.Settings.DrawExpiredLots); // nothing guessed
}

} // namespace
