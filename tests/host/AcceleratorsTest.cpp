// Every window of the host and of the add-on answers to each Alt+letter once: a letter two
// controls share only moves the focus between them, and the command behind one of them is
// never run. The walk opens every window the menus reach on the demo company, and the
// dialogs those open in turn, and reads each as it stands. Each window read is also saved
// as a picture (look/windows/<name>.png), so that a change to a window's shape can be seen.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/print/Printer.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"
#include "TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

// The letter of a caption ("&Cauta" -> 'c'); none for "&&" alone or no ampersand.
QChar Mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.at(i + 1).toLower();
    }
    return {};
}

// The captions of a menu bar or menu that share a letter with another, "x: A, B" each.
void SharedIn(const std::vector<QString>& captions, const QString& where, QStringList& clashes)
{
    std::map<QChar, QStringList> users;
    for (const QString& caption : captions)
        if (const QChar key = Mnemonic(caption); !key.isNull())
            users[key] << caption;
    for (const auto& [key, texts] : users)
        if (texts.size() > 1)
            clashes << QStringLiteral("%1 '%2': %3").arg(where, key, texts.join(QStringLiteral(", ")));
}

QString Title(const QWidget* window)
{
    const auto* form = dynamic_cast<const fw::TForm*>(window);
    return form && !form->Caption().isEmpty() ? form->Caption()
                                              : (window->windowTitle().isEmpty() ? window->objectName() : window->windowTitle());
}

// What of `window` answers to a letter: buttons, the labels of boxes, group boxes and tabs
// it shows (not those of another window inside it), and its own menu bar with each menu.
QStringList SharedLetters(QWidget* window)
{
    // A window inside this one (an MDI child) or over it (a dialog it owns) is walked apart.
    // The pages of tabs count all, the one shown or not: a letter is the window's.
    const auto ownWidget = [window](QWidget* w) {
        for (QWidget* p = w; p && p != window; p = p->parentWidget()) {
            if (p->isWindow() || dynamic_cast<fw::TForm*>(p) || qobject_cast<QMdiSubWindow*>(p))
                return false;
            if (p->isHidden() && !qobject_cast<QStackedWidget*>(p->parentWidget()))
                return false;
        }
        return true;
    };
    std::vector<QString> captions;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!ownWidget(w))
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            captions.push_back(button->text());
        else if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
            captions.push_back(label->text());
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            captions.push_back(box->title());
        else if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                captions.push_back(tabs->tabText(i));
    }
    QStringList clashes;
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        if (!ownWidget(bar))
            continue;
        for (QAction* top : bar->actions()) {
            if (!top->isVisible())
                continue;
            // The menu bar's letters are the window's too.
            captions.push_back(top->text());
            if (!top->menu())
                continue;
            std::vector<QString> items;
            for (QAction* a : top->menu()->actions())
                if (a->isVisible() && !a->isSeparator())
                    items.push_back(a->text());
            SharedIn(items, Title(window) + QStringLiteral(" / ") + top->text(), clashes);
        }
    }
    SharedIn(captions, Title(window), clashes);
    return clashes;
}

// The windows a walk has read, and what it found.
struct TWalk {
    QStringList Seen;
    QStringList Clashes;
    void Read(QWidget* window)
    {
        Seen << Title(window);
        Clashes << SharedLetters(window);
        const QString dir = testsupport::LookDir() + QStringLiteral("/windows");
        QDir().mkpath(dir);
        window->grab().save(dir + QLatin1Char('/') + (window->objectName().isEmpty() ? Title(window) : window->objectName()) +
                            QStringLiteral(".png"));
    }
};

// The leaf commands of a menu bar, by menu and caption.
std::vector<std::pair<QString, QString>> Commands(QMenuBar* bar)
{
    std::vector<std::pair<QString, QString>> out;
    for (QAction* top : bar->actions())
        if (top->menu())
            for (QAction* a : top->menu()->actions())
                if (!a->isSeparator() && !a->menu() && a->isVisible())
                    out.emplace_back(top->text(), a->text());
    return out;
}

} // namespace

TEST(Accelerators, NoWindowOfTheHostOrTheAddOnAnswersToALetterTwice)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host->AddOn().Loaded());
    ASSERT_TRUE(host.OpenDemo());
    pelmaris::TMainForm* main = host->MainForm();
    TWalk walk;

    // Dialogs are read and then answered: choosers go on (so that the dialogs after them are
    // reached), everything else is cancelled, and nothing is printed or written.
    const std::set<QString> goOn{QStringLiteral("WarehousePickerDlg"), QStringLiteral("SupplierPickerDlg"),
                                 QStringLiteral("PeriodDlg")};
    fw::TModalHook forms([&](fw::TForm* form) {
        QApplication::processEvents();
        walk.Read(form);
        return goOn.count(form->objectName()) ? fw::TModalResult::OK : fw::TModalResult::Cancel;
    });
    hosttest::ScriptedPrintDialogs printing([&](QDialog& dialog) {
        dialog.show();
        QApplication::processEvents();
        walk.Read(&dialog);
        dialog.hide();
        return int(QDialog::Rejected);
    });

    // Commands that leave the company, make another or end the program are not walked.
    const std::set<QString> skipped{QStringLiteral("&Deschide firma..."), QStringLiteral("Firma noua pe &server..."),
                                    QStringLiteral("Im&porta firma Paradox..."), QStringLiteral("&Firma demonstrativa"),
                                    QStringLiteral("&Iesire")};
    const auto runAll = [&] {
        for (const auto& [menu, caption] : Commands(main->menuBar())) {
            if (skipped.count(caption) || menu == QStringLiteral("&Fereastra"))
                continue;
            // The add-on's "&Document" menu stands only while the receipts' window is current;
            // the requirement is opened on the demo's last receipt (not consumed yet), the
            // reversal on the one before it (consumed).
            if (menu == QStringLiteral("&Document"))
                host->ShowDocIn()->Headers()->Locate(QStringLiteral("Tip;Numar"),
                                                     {QStringLiteral("BP"), caption == QStringLiteral("Anuleaza consumul") ? 1007.0 : 1008.0});
            QApplication::processEvents();
            if (QAction* a = host.Command(menu, caption); a && a->isEnabled())
                a->trigger();
            QApplication::processEvents();
        }
    };
    runAll();
    // With the receipts' window current, the add-on's "&Document" menu is there too.
    host->ShowDocIn();
    QApplication::processEvents();
    runAll();

    walk.Read(main);
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList())
        if (sub->widget())
            walk.Read(sub->widget());

    // The recall window's pickers: the catalog from the article's box, the lots from the lot's.
    if (auto* recall = main->findChild<fw::TForm*>(QStringLiteral("RecallForm"))) {
        auto* group = recall->findChild<QLineEdit*>(QStringLiteral("GroupEdit"));
        auto* article = recall->findChild<QLineEdit*>(QStringLiteral("ArticleEdit"));
        auto* lot = recall->findChild<QLineEdit*>(QStringLiteral("LotEdit"));
        group->setFocus();
        QTest::keyClick(group, Qt::Key_Return, Qt::ControlModifier);
        group->setText(QStringLiteral("01"));
        article->setText(QStringLiteral(".LAPTE"));
        lot->setFocus();
        QTest::keyClick(lot, Qt::Key_Return, Qt::ControlModifier);
    }

    // The walk reached the windows it is meant to read, so that it cannot pass by reading none.
    for (const char* caption : {"Documente de intrare", "Documente de iesire", "Stoc", "Urmarire lot",
                                "Configurarile modulului de productie", "Alegeti lotul", "Setari pentru listarea rapoarte",
                                "Setati intervalul dorit:", "Selectie de articole", "Fisa Necesar Tehnic", "Anuleaza consumul",
                                "Etichete lot"})
        EXPECT_TRUE(walk.Seen.contains(QString::fromUtf8(caption)))
            << caption << "\n" << walk.Seen.join('\n').toStdString() << "\n" << messages.Texts().join('\n').toStdString();
    EXPECT_GE(walk.Seen.size(), 15) << walk.Seen.join('\n').toStdString();
    EXPECT_TRUE(walk.Clashes.isEmpty()) << walk.Clashes.join('\n').toStdString();
}
