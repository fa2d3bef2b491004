// The configuration dialog, opened modally by "&Configurare productie".
#include "TempDir.h"
#include "data/ProductionContext.h"
#include "platform/config/SettingsStore.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"
#include "shell/ProductionMenus.h"
#include "shell/LotSettingsBox.h"
#include "shell/SettingsDialog.h"

#include <QAction>
#include <QComboBox>
#include <QSpinBox>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
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
        EXPECT_EQ(dlg->WarehousePrefixEdit->text(), "_");
        EXPECT_EQ(dlg->MaterialPrefixEdit->text(), "M");
        EXPECT_EQ(dlg->SemiFinishedPrefixEdit->text(), ";");
        EXPECT_EQ(dlg->WarehousePrefixEdit->maxLength(), 1);
        dlg->WarehousePrefixEdit->setText("G");
        dlg->SemiFinishedPrefixEdit->setText(".");  // any character, also one already in use
        dlg->OKBtn->click();
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
        auto* dlg = static_cast<TProductionSettingsForm*>(form);
        EXPECT_EQ(dlg->LotSettings->LotOrderCombo->currentText(), "Primul care expira (FEFO)");
        EXPECT_EQ(dlg->LotSettings->ExpiredLotsCombo->currentIndex(), 1);
        EXPECT_EQ(dlg->LotSettings->ExpiringDaysEdit->value(), 5);
        dlg->LotSettings->LotOrderCombo->setCurrentIndex(1);
        dlg->LotSettings->ExpiredLotsCombo->setCurrentIndex(0);
        dlg->LotSettings->ExpiringDaysEdit->setValue(14);
        EXPECT_EQ(dlg->LotSettings->DecimalsEdit->value(), 0);
        dlg->LotSettings->DecimalsEdit->setValue(2);
        dlg->OKBtn->click();
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
        auto* dlg = static_cast<TProductionSettingsForm*>(form);
        dlg->WarehousePrefixEdit->setText("X");
        dlg->CancelBtn->click();
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
        auto* dlg = static_cast<TProductionSettingsForm*>(form);
        QApplication::setActiveWindow(dlg);
        dlg->WarehousePrefixEdit->setText("G");
        dlg->SemiFinishedPrefixEdit->clear();
        dlg->OKBtn->click();
        EXPECT_TRUE(dlg->InModal());
        EXPECT_EQ(QApplication::focusWidget(), dlg->SemiFinishedPrefixEdit);
        dlg->CancelBtn->click();
        return TModalResult::None;
    });
    EXPECT_EQ(messages.Texts(),
              QStringList{"Specificati caracterul cu care trebuie sa înceapa codurile de produse semifabricate!"});
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Prefixes(), "_M;");
}

TEST_F(SettingsDialog, TabFollowsTheBoxesThenOkThenCancel)
{
    TProductionSettingsForm dlg(context, nullptr);
    QWidget* order[] = {dlg.WarehousePrefixEdit,          dlg.MaterialPrefixEdit,
                        dlg.SemiFinishedPrefixEdit,       dlg.LotSettings->LotOrderCombo,
                        dlg.LotSettings->ExpiredLotsCombo, dlg.LotSettings->ExpiringDaysEdit,
                        dlg.LotSettings->DecimalsEdit,     dlg.OKBtn,                        dlg.CancelBtn};
    // What Tab reaches next: the next widget of the chain that takes focus by Tab.
    // (A spin box's own line editor is part of it, not a stop of its own.)
    auto nextByTab = [](QWidget* from) {
        QWidget* w = from;
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || from->isAncestorOf(w));
        return w;
    };
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(nextByTab(order[i]), order[i + 1]) << i;
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
