// The windows fit the screen: the main window within the available area, every child
// window (the host's and the add-on's) cascaded inside the document area with its title
// bar in sight. Run by ctest also on offscreen screens of 1366x768 and 1920x1080.
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DataForm.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <gtest/gtest.h>

using namespace pelmaris;
using hosttest::THost;

TEST(Windows, MainWindowAndChildWindowsStayInsideTheScreen)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    // The screen the ctest entry asked for, so that a configuration the platform ignored
    // does not pass for a test on that screen.
    if (const QByteArray wanted = qgetenv("PELMARIS_TEST_SCREEN"); !wanted.isEmpty()) {
        ASSERT_EQ(QStringLiteral("%1x%2").arg(screen->size().width()).arg(screen->size().height()),
                  QString::fromLatin1(wanted));
    }

    fw::TMessageRecorder messages;
    THost host;
    TMainForm* main = host->MainForm();
    main->ShowOnScreen();
    QApplication::processEvents();
    const QRect available = screen->availableGeometry();
    EXPECT_TRUE(available.contains(main->frameGeometry())) << main->frameGeometry().height();
    EXPECT_TRUE(main->isMaximized());
    ASSERT_TRUE(host->OpenCompany(host.NewDir(QStringLiteral("firma")), false));

    QMdiArea* area = main->MdiArea();
    const std::function<QWidget*()> opens[] = {
        [&]() -> QWidget* { return host->ShowDocIn(); },   [&]() -> QWidget* { return host->ShowStock(); },
        [&]() -> QWidget* { return host->ShowDocOut(); },  [&]() -> QWidget* { return host->ShowCatalog(); },
        [&]() -> QWidget* { return host->ShowClasses(); }, [&]() -> QWidget* { return host->ShowSuppliers(); },
        [&]() -> QWidget* {
            // An add-on window far larger than any screen, shown without a size.
            auto* form = new fw::TForm(main);
            form->SetFormStyle(fw::TFormStyle::MDIChild);
            form->SetCaption(QStringLiteral("Fereastra modulului"));
            form->resize(3000, 2000);
            form->Show();
            return form;
        },
    };
    QRect previous;
    for (const auto& open : opens) {
        auto* form = static_cast<fw::TForm*>(open());
        ASSERT_NE(form, nullptr);
        QApplication::processEvents();
        const QRect frame = form->MDISubWindow()->geometry();
        SCOPED_TRACE(form->MDISubWindow()->windowTitle().toStdString());
        EXPECT_TRUE(area->viewport()->rect().contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        // Cascaded: below and to the right of the window before, or back at the top.
        if (!previous.isNull() && frame.topLeft() != QPoint(0, 0)) {
            EXPECT_GT(frame.top(), previous.top());
        }
        previous = frame;
    }
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}

TEST(Windows, CascadeStepsDownUntilTheRoomRunsOut)
{
    struct Case {
        const char* what;
        QRect previous;
        QSize wanted;
        QRect placed;
    } cases[] = {
        {"first window", {}, {500, 400}, {0, 0, 500, 400}},
        {"next one", {0, 0, 500, 400}, {500, 400}, {30, 30, 500, 400}},
        {"cut to the area", {100, 100, 500, 400}, {2000, 2000}, {130, 130, 870, 670}},
        {"no room left", {700, 500, 300, 300}, {500, 400}, {0, 0, 500, 400}},
        {"a small window fits further", {700, 500, 200, 200}, {200, 200}, {730, 530, 200, 200}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CascadedPlace({1000, 800}, c.previous, c.wanted, 30, {360, 240}), c.placed) << c.what;
}

TEST(Windows, CascadeKeepsEachWindowsSizeCutOnlyToTheArea)
{
    fw::TMessageRecorder messages;
    THost host;
    TMainForm* main = host->MainForm();
    main->ShowOnScreen();
    QApplication::processEvents();
    QMdiArea* area = main->MdiArea();
    std::vector<QMdiSubWindow*> windows;
    for (const QSize size : {QSize(500, 300), QSize(420, 260), QSize(3000, 2000)}) {
        auto* form = new fw::TForm(main);
        form->SetFormStyle(fw::TFormStyle::MDIChild);
        form->SetCaption(QStringLiteral("Fereastra %1").arg(windows.size() + 1));
        form->Show();
        QApplication::processEvents();
        form->MDISubWindow()->resize(size);
        windows.push_back(form->MDISubWindow());
    }
    const QSize room = area->viewport()->size();
    windows.front()->showMaximized(); // given its own size back as well
    QApplication::processEvents();
    for (int use = 0; use < 2; ++use) {
        hosttest::FindAction(main->FereastraMenu(), "&Cascada")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(windows[0]->geometry(), QRect(QPoint(0, 0), QSize(500, 300))) << use;
        EXPECT_EQ(windows[1]->size(), QSize(420, 260)) << use;
        EXPECT_GT(windows[1]->y(), 0) << use;
        EXPECT_EQ(windows[1]->x(), windows[1]->y()) << use;
        EXPECT_TRUE(QRect(QPoint(0, 0), room).contains(windows[2]->geometry())) << use;
    }
    EXPECT_EQ(messages.Count(), 0);
    main->grab().save(testsupport::LookDir() + "/host-cascade.png");

    // A window opened over a maximized one is maximized over the whole area, not shifted.
    windows[2]->showMaximized();
    QApplication::processEvents();
    auto* form = new fw::TForm(main);
    form->SetFormStyle(fw::TFormStyle::MDIChild);
    form->SetCaption(QStringLiteral("Fereastra 4"));
    form->Show();
    QApplication::processEvents();
    EXPECT_TRUE(form->MDISubWindow()->isMaximized());
    EXPECT_EQ(form->MDISubWindow()->geometry().topLeft(), QPoint(0, 0));
}

TEST(Windows, TilesShareTheAreaAndNoneLeavesIt)
{
    const QSize room(450, 300); // more than a quarter of 800x500
    const QList<QRect> four = TiledPlaces({800, 500}, {room, room, room, room});
    EXPECT_EQ(four, QList<QRect>({{0, 0, 450, 300}, {350, 0, 450, 300}, {0, 200, 450, 300}, {350, 200, 450, 300}}));
    // Three: two above, the last one over the whole width below.
    EXPECT_EQ(TiledPlaces({1000, 600}, {{100, 100}, {100, 100}, {100, 100}}),
              QList<QRect>({{0, 0, 500, 300}, {500, 0, 500, 300}, {0, 300, 1000, 300}}));
    EXPECT_EQ(TiledPlaces({800, 500}, {{900, 700}}), QList<QRect>({{0, 0, 800, 500}}));

    // The host's windows in a small main window.
    fw::TMessageRecorder messages;
    THost host;
    TMainForm* main = host->MainForm();
    main->resize(800, 600);
    main->show();
    QApplication::processEvents();
    ASSERT_TRUE(host->OpenCompany(host.NewDir(QStringLiteral("firma")), false));
    host->ShowDocIn();
    host->ShowStock();
    host->ShowDocOut();
    host->ShowCatalog();
    host->ShowSuppliers();
    QApplication::processEvents();
    hosttest::FindAction(main->FereastraMenu(), "&Alaturate")->trigger();
    QApplication::processEvents();
    QMdiArea* area = main->MdiArea();
    for (QMdiSubWindow* window : area->subWindowList()) {
        const QRect frame = window->geometry();
        EXPECT_TRUE(area->viewport()->rect().contains(frame))
            << window->windowTitle().toStdString() << " " << frame.x() << "," << frame.y() << " " << frame.width()
            << "x" << frame.height();
    }
    main->grab().save(testsupport::LookDir() + "/host-tile-small.png");
    EXPECT_EQ(messages.Count(), 0);
}
