// Menu trees and how a host merges them into its own menus.
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

using namespace fw;

namespace {

// The entries of a Qt menu or bar as text: separators as "-", hidden entries left out.
QStringList Entries(QWidget* widget)
{
    QStringList texts;
    for (QAction* a : widget->actions()) {
        if (a->isVisible())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return texts;
}

QMenu* SubMenuOf(QWidget* widget, const QString& text)
{
    for (QAction* a : widget->actions()) {
        if (a->text() == text)
            return a->menu();
    }
    return nullptr;
}

QAction* AddHostAction(QWidget* menu, const QString& text, int groupIndex)
{
    auto* action = new QAction(text, menu);
    SetGroupIndex(action, groupIndex);
    menu->addAction(action);
    return action;
}

// A host's main window: "&Sistem" (0) and "&Ajutor" (9) menus.
struct HostWindow {
    HostWindow()
    {
        application.SetMainForm(&window);
        auto* system = new QMenu(QStringLiteral("&Sistem"), &window);
        SetGroupIndex(system->menuAction(), 0);
        AddHostAction(system, QStringLiteral("&Deschide firma"), 0);
        AddHostAction(system, QStringLiteral("&Iesire"), 9);
        window.menuBar()->addMenu(system);
        auto* help = new QMenu(QStringLiteral("&Ajutor"), &window);
        SetGroupIndex(help->menuAction(), 9);
        window.menuBar()->addMenu(help);
    }
    TApplication application;
    QMainWindow window;
};

std::unique_ptr<TMainMenu> AddOnMenu(std::vector<QString>* clicks)
{
    auto menu = std::make_unique<TMainMenu>();
    auto record = [clicks](TMenuItem* item) { clicks->push_back(item->Name()); };
    TMenuItem* system = menu->Add(QStringLiteral("Fisier1"), QStringLiteral("&Sistem"), 0);
    system->AddSeparator(QStringLiteral("N1"), 5);
    system->Add(QStringLiteral("Retetedeproductie1"), QStringLiteral("Retete de productie"), 5, record)
        ->SetHint(QStringLiteral("Specifica necesarul tehnic"));
    system->Add(QStringLiteral("Productie1"), QStringLiteral("&Configurare productie"), 5, record);
    TMenuItem* reports = menu->Add(QStringLiteral("Rapoarte1"), QStringLiteral("Rapoarte"), 0);
    reports->Add(QStringLiteral("Trasabilitateproduse1"), QStringLiteral("Trasabilitate produse"), 1, record);
    return menu;
}

} // namespace

TEST(Menus, MergeJoinsMenusOfTheSameCaptionAndOrdersByGroupIndex)
{
    HostWindow host;
    std::vector<QString> clicks;
    auto menu = AddOnMenu(&clicks);
    QMenuBar* bar = host.window.menuBar();

    MergeMenu(bar, menu.get());

    EXPECT_EQ(Entries(bar), (QStringList{QStringLiteral("&Sistem"), QStringLiteral("Rapoarte"), QStringLiteral("&Ajutor")}));
    EXPECT_EQ(Entries(SubMenuOf(bar, QStringLiteral("&Sistem"))),
              (QStringList{QStringLiteral("&Deschide firma"), QStringLiteral("-"), QStringLiteral("Retete de productie"),
                           QStringLiteral("&Configurare productie"), QStringLiteral("&Iesire")}));
    EXPECT_EQ(Entries(SubMenuOf(bar, QStringLiteral("Rapoarte"))), QStringList{QStringLiteral("Trasabilitate produse")});
    EXPECT_EQ(menu->Find(QStringLiteral("N1"))->Action()->text(), QString()); // a line, without a title
    EXPECT_EQ(menu->Find(QStringLiteral("Retetedeproductie1"))->Action()->statusTip(),
              QStringLiteral("Specifica necesarul tehnic"));

    // Unmerging takes out exactly what was added; destroying the tree does the same.
    UnmergeMenu(bar, menu.get());
    EXPECT_EQ(Entries(bar), (QStringList{QStringLiteral("&Sistem"), QStringLiteral("&Ajutor")}));
    EXPECT_EQ(Entries(SubMenuOf(bar, QStringLiteral("&Sistem"))),
              (QStringList{QStringLiteral("&Deschide firma"), QStringLiteral("&Iesire")}));
    MergeMenu(bar, menu.get());
    menu.reset();
    EXPECT_EQ(Entries(bar), (QStringList{QStringLiteral("&Sistem"), QStringLiteral("&Ajutor")}));
    EXPECT_EQ(Entries(SubMenuOf(bar, QStringLiteral("&Sistem"))),
              (QStringList{QStringLiteral("&Deschide firma"), QStringLiteral("&Iesire")}));
}

TEST(Menus, GroupIndexPlacesItemsAmongEqualAndGreaterIndexes)
{
    struct Case {
        std::vector<int> host;    // group indexes already in the menu
        int item;                 // group index of the merged item
        int expectedPosition;
    };
    const std::vector<Case> cases = {
        {{}, 3, 0}, {{0, 9}, 5, 1}, {{0, 5, 9}, 5, 2}, {{7, 9}, 0, 0}, {{1, 2}, 3, 2},
    };
    for (const Case& c : cases) {
        QMenu target;
        for (int g : c.host)
            AddHostAction(&target, QString::number(g), g);
        TMainMenu menu;
        menu.Add(QStringLiteral("X"), QStringLiteral("nou"), c.item);
        MergeMenu(&target, &menu);
        EXPECT_EQ(Entries(&target).indexOf(QStringLiteral("nou")), c.expectedPosition) << c.item;
    }
}

TEST(Menus, ClicksRunTheHandlerUnderTheGuardOfTheHostsApplication)
{
    HostWindow host;
    QStringList errors;
    host.application.OnException = [&](TApplication*, const std::exception& e) { errors << ExceptionMessage(e); };
    std::vector<QString> clicks;
    auto menu = AddOnMenu(&clicks);
    MergeMenu(host.window.menuBar(), menu.get());

    TMenuItem* recipes = menu->Find(QStringLiteral("Retetedeproductie1"));
    recipes->Action()->trigger();
    EXPECT_EQ(clicks, std::vector<QString>{QStringLiteral("Retetedeproductie1")});

    recipes->SetEnabled(false);
    EXPECT_FALSE(recipes->Action()->isEnabled());
    recipes->Click();
    EXPECT_EQ(clicks.size(), 1u);

    TMenuItem* report = menu->Find(QStringLiteral("Trasabilitateproduse1"));
    report->OnClick = [](TMenuItem*) { throw EDatabaseError(QStringLiteral("Furn.db lipseste")); };
    report->Action()->trigger();
    EXPECT_EQ(errors, QStringList{QStringLiteral("Furn.db lipseste")});

    // Hovering tells the application the item's hint.
    recipes->Action()->hover();
    EXPECT_EQ(host.application.Hint(), QStringLiteral("Specifica necesarul tehnic"));
}

TEST(Menus, ChangesToAnItemShowInEveryMenuItWasMergedInto)
{
    HostWindow host;
    std::vector<QString> clicks;
    auto menu = AddOnMenu(&clicks);
    TPopupMenu popup;
    TMenuItem* copy = popup.Add(QStringLiteral("RetetaPopCopy"), QStringLiteral("Copiaza reteta"));
    TMenuItem* paste = popup.Add(QStringLiteral("RetetaPopPaste"), QStringLiteral("Lipeste reteta"));
    paste->SetEnabled(false);
    MergeMenu(host.window.menuBar(), menu.get());

    QMenu* popupMenu = popup.SubMenu();
    EXPECT_EQ(Entries(popupMenu), (QStringList{QStringLiteral("Copiaza reteta"), QStringLiteral("Lipeste reteta")}));
    EXPECT_FALSE(paste->Action()->isEnabled());
    copy->SetEnabled(false);
    paste->SetEnabled(true);
    EXPECT_FALSE(popupMenu->actions().at(0)->isEnabled());
    EXPECT_TRUE(popupMenu->actions().at(1)->isEnabled());

    TMenuItem* config = menu->Find(QStringLiteral("Productie1"));
    config->SetVisible(false);
    QMenu* system = SubMenuOf(host.window.menuBar(), QStringLiteral("&Sistem"));
    EXPECT_FALSE(Entries(system).contains(QStringLiteral("&Configurare productie")));
    config->SetVisible(true);
    config->SetCaption(QStringLiteral("Configurare"));
    EXPECT_TRUE(Entries(system).contains(QStringLiteral("Configurare")));

    // An item added later joins its own submenu at its group's place.
    TMenuItem* reports = menu->Find(QStringLiteral("Rapoarte1"));
    reports->Add(QStringLiteral("Primul"), QStringLiteral("Primul raport"), 0);
    EXPECT_EQ(Entries(SubMenuOf(host.window.menuBar(), QStringLiteral("Rapoarte"))),
              (QStringList{QStringLiteral("Primul raport"), QStringLiteral("Trasabilitate produse")}));
}

TEST(Menus, ContextMenuOfAWidgetUpdatesItsItemsBeforeShowing)
{
    QWidget grid;
    grid.resize(100, 100);
    grid.show();
    TPopupMenu popup;
    TMenuItem* paste = popup.Add(QStringLiteral("RetetaPopPaste"), QStringLiteral("Lipeste reteta"));
    paste->SetEnabled(false);
    int popups = 0;
    popup.OnPopup = [&](TPopupMenu*) {
        ++popups;
        paste->SetEnabled(true);
    };
    AttachPopupMenu(&grid, &popup);
    emit grid.customContextMenuRequested(QPoint(10, 10));
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(popup.SubMenu()->isVisible());
    EXPECT_TRUE(paste->Action()->isEnabled());
    popup.SubMenu()->hide();
}
