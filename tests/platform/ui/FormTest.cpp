// Forms: the modal run and its test hook, closing, key preview and child windows.
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Keys.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace fw;

namespace {

void ProcessDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A dialog as the add-on writes them: named members, a process-wide reference cleared
// by the destructor.
class TSampleDlg;
TSampleDlg* SampleDlg = nullptr;

class TSampleDlg final : public TForm {
public:
    explicit TSampleDlg(QWidget* owner) : TForm(owner)
    {
        SampleDlg = this;
        OkBtn = new QPushButton(QStringLiteral("&Deschide"), this);
        CancelBtn = new QPushButton(QStringLiteral("&Inchide"), this);
        Edit = new QLineEdit(this);
        SetButtonModalResult(OkBtn, TModalResult::OK);
        SetButtonModalResult(CancelBtn, TModalResult::Cancel);
    }
    ~TSampleDlg() override { SampleDlg = nullptr; }

    QPushButton* OkBtn;
    QPushButton* CancelBtn;
    QLineEdit* Edit;
};

} // namespace

TEST(ModalForm, HookActsOnTheFormAndItsAnswerOrTheFormsOwnResultComesBack)
{
    struct Case {
        const char* name;
        std::function<TModalResult(TSampleDlg*)> act;
        TModalResult expected;
    };
    const std::vector<Case> cases = {
        {"button with a result", [](TSampleDlg* f) { f->OkBtn->click(); return TModalResult::None; }, TModalResult::OK},
        {"cancel button", [](TSampleDlg* f) { f->CancelBtn->click(); return TModalResult::None; }, TModalResult::Cancel},
        {"the form's own result wins over a late answer",
         [](TSampleDlg* f) { f->OkBtn->click(); return TModalResult::No; }, TModalResult::OK},
        {"answer of the hook", [](TSampleDlg*) { return TModalResult::Yes; }, TModalResult::Yes},
        {"nothing done", [](TSampleDlg*) { return TModalResult::None; }, TModalResult::Cancel},
        {"close box", [](TSampleDlg* f) { f->close(); return TModalResult::None; }, TModalResult::Cancel},
        {"escape", [](TSampleDlg* f) { QTest::keyClick(f->Edit, Qt::Key_Escape); return TModalResult::None; },
         TModalResult::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSampleDlg form(nullptr);
        bool visibleInHook = false;
        TModalHook hook([&](TForm* f) {
            auto* dlg = dynamic_cast<TSampleDlg*>(f);
            visibleInHook = dlg->isVisible() && dlg->InModal();
            return c.act(dlg);
        });
        std::vector<TCloseAction> closes;
        form.OnClose = [&](TForm*, TCloseAction& action) { closes.push_back(action); };

        EXPECT_EQ(form.ShowModal(), c.expected);
        EXPECT_EQ(hook.Calls(), 1);
        EXPECT_TRUE(visibleInHook);
        EXPECT_FALSE(form.isVisible());
        EXPECT_FALSE(form.InModal());
        EXPECT_EQ(closes.size(), 1u); // closed once, through the handlers
    }
}

TEST(ModalForm, CloseQueryCanRefuseAndTheFormStaysInItsModalRun)
{
    TSampleDlg form(nullptr);
    bool allow = false;
    form.OnCloseQuery = [&](TForm*, bool& canClose) { canClose = allow; };
    TModalHook hook([&](TForm* f) {
        f->SetModalResult(TModalResult::OK);
        EXPECT_TRUE(f->InModal());
        EXPECT_EQ(f->ModalResult(), TModalResult::None);
        EXPECT_TRUE(f->isVisible());
        allow = true;
        f->SetModalResult(TModalResult::OK);
        EXPECT_FALSE(f->InModal());
        return TModalResult::None;
    });
    EXPECT_EQ(form.ShowModal(), TModalResult::OK);
}

TEST(ModalForm, OnCloseCanRefuseOrFreeTheForm)
{
    TMessageRecorder messages;
    // The close handler fails with a silent abort: the form stays, nothing is shown.
    {
        TSampleDlg form(nullptr);
        int attempts = 0;
        form.OnClose = [&](TForm*, TCloseAction&) {
            if (++attempts == 1)
                Abort();
        };
        TModalHook hook([&](TForm* f) {
            f->SetModalResult(TModalResult::OK);
            EXPECT_TRUE(f->InModal());
            return TModalResult::Yes;
        });
        EXPECT_EQ(form.ShowModal(), TModalResult::Yes);
        EXPECT_EQ(attempts, 2);
    }
    // OnClose turns a hide into a free: the form is deleted once the event is over and
    // its destructor clears the reference.
    auto* form = new TSampleDlg(nullptr);
    form->OnClose = [](TForm*, TCloseAction& action) { action = TCloseAction::Free; };
    QPointer<TSampleDlg> watch(form);
    TModalHook hook([](TForm* f) {
        dynamic_cast<TSampleDlg*>(f)->OkBtn->click();
        return TModalResult::None;
    });
    EXPECT_EQ(form->ShowModal(), TModalResult::OK);
    EXPECT_EQ(SampleDlg, form); // still readable right after the run
    ProcessDeferredDeletes();
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(SampleDlg, nullptr);
    EXPECT_EQ(messages.Count(), 0);
}

TEST(ModalForm, HooksNestAndANestedDialogGoesToTheInnermost)
{
    TSampleDlg outer(nullptr);
    TModalHook outerHook([&](TForm* f) {
        TSampleDlg inner(f);
        TModalHook innerHook([](TForm*) { return TModalResult::No; });
        EXPECT_EQ(inner.ShowModal(), TModalResult::No);
        return TModalResult::OK;
    });
    EXPECT_EQ(outer.ShowModal(), TModalResult::OK);
    EXPECT_EQ(outerHook.Calls(), 1);
}

TEST(ModalForm, EscapeAndResultsDoNothingToAFormThatIsNotModal)
{
    TSampleDlg form(nullptr);
    form.Show();
    QTest::keyClick(form.Edit, Qt::Key_Escape);
    form.OkBtn->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.ModalResult(), TModalResult::OK);
    EXPECT_TRUE(form.Close());
    EXPECT_FALSE(form.isVisible());
}

TEST(Form, KeyPreviewSeesEveryKeyOnceBeforeTheFocusedControlAndMayConsumeIt)
{
    TSampleDlg form(nullptr);
    form.SetKeyPreview(true);
    std::vector<int> keys;
    QString chars;
    form.OnKeyDown = [&](TForm*, int& key, Qt::KeyboardModifiers) {
        keys.push_back(key);
        if (key == 'X')
            key = 0;
    };
    form.OnKeyPress = [&](TForm*, QChar& ch) {
        chars += ch;
        if (ch == QLatin1Char('q'))
            ch = QChar(0);
    };
    form.Show();
    QApplication::setActiveWindow(&form);
    form.Edit->setFocus();

    QTest::keyClicks(form.Edit, QStringLiteral("axq1"));
    QTest::keyClick(form.Edit, Qt::Key_F5);      // ignored by the edit: travels up to the form
    QTest::keyClick(form.Edit, Qt::Key_Backspace);
    QTest::keyClick(form.Edit, Qt::Key_5, Qt::KeypadModifier);

    EXPECT_EQ(keys, (std::vector<int>{'A', 'X', 'Q', '1', vk::F1 + 4, vk::Back, vk::Numpad0 + 5}));
    EXPECT_EQ(chars, QStringLiteral("aq1") + QChar(8) + QStringLiteral("5"));
    EXPECT_EQ(form.Edit->text(), QStringLiteral("a5")); // x and q were consumed, 1 erased

    form.SetKeyPreview(false);
    QTest::keyClicks(form.Edit, QStringLiteral("x"));
    EXPECT_EQ(form.Edit->text(), QStringLiteral("a5x"));
}

TEST(Form, KeyCharactersAsHandlersSeeThem)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int character;
    };
    const std::vector<Case> cases = {
        {Qt::Key_Return, Qt::NoModifier, 13}, {Qt::Key_Return, Qt::ControlModifier, 10},
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, 10}, {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_F2, Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(KeyChar(&event).unicode(), c.character) << c.key;
    }
}

TEST(Form, ShownAsChildOfTheMainWindowsDocumentArea)
{
    TMessageRecorder messages;
    TApplication application;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(800, 600);
    application.SetMainForm(&main);
    main.show();

    auto* form = new TSampleDlg(&main);
    form->SetFormStyle(TFormStyle::MDIChild);
    form->SetCaption(QStringLiteral("Reteta"));
    form->SetCloseAction(TCloseAction::Free);
    QPointer<TSampleDlg> watch(form);
    form->Show();

    ASSERT_NE(form->MDISubWindow(), nullptr);
    EXPECT_EQ(area->subWindowList().size(), 1);
    EXPECT_EQ(form->MDISubWindow()->windowTitle(), QStringLiteral("Reteta"));
    EXPECT_EQ(form->Owner(), &main);
    EXPECT_EQ(TApplication::Find(form->OkBtn), &application);

    form->MDISubWindow()->showMinimized();
    EXPECT_TRUE(form->IsMinimized());
    form->BringToFront();
    EXPECT_FALSE(form->IsMinimized());
    EXPECT_EQ(area->activeSubWindow(), form->MDISubWindow());

    // The child window's close box asks the form, which may refuse.
    bool allow = false;
    form->OnCloseQuery = [&](TForm*, bool& canClose) { canClose = allow; };
    form->MDISubWindow()->close();
    ProcessDeferredDeletes();
    ASSERT_FALSE(watch.isNull());
    EXPECT_TRUE(form->MDISubWindow()->isVisible());
    allow = true;
    form->MDISubWindow()->close();
    ProcessDeferredDeletes();
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_EQ(SampleDlg, nullptr);
}

TEST(Form, ChildWindowClosingItselfWithHideKeepsTheFormForTheNextShow)
{
    TApplication application;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    application.SetMainForm(&main);
    main.show();
    auto* form = new TSampleDlg(&main);
    form->SetFormStyle(TFormStyle::MDIChild);
    form->Show();
    EXPECT_TRUE(form->Close());
    ProcessDeferredDeletes();
    EXPECT_EQ(SampleDlg, form);
    EXPECT_FALSE(form->MDISubWindow()->isVisible());
    form->BringToFront();
    EXPECT_TRUE(form->MDISubWindow()->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(area->subWindowList().size(), 1);
}

TEST(Form, FirstShowPlacesTheFormAsItsPositionSays)
{
    QWidget owner;
    owner.setGeometry(40, 60, 600, 400);
    owner.show();
    const QPoint screenCentre = owner.screen()->availableGeometry().center();
    struct Case {
        TPosition position;
        QPoint expectedCentre;
    };
    const std::vector<Case> cases = {
        {TPosition::OwnerFormCenter, owner.frameGeometry().center()},
        {TPosition::ScreenCenter, screenCentre},
        {TPosition::Designed, QPoint()},
    };
    for (const Case& c : cases) {
        TSampleDlg form(&owner);
        form.SetPosition(c.position);
        form.resize(200, 100);
        if (c.position == TPosition::Designed)
            form.move(15, 25);
        form.Show();
        if (c.position == TPosition::Designed) {
            EXPECT_EQ(form.pos(), QPoint(15, 25));
        } else {
            EXPECT_LE((form.geometry().center() - c.expectedCentre).manhattanLength(), 1) << int(c.position);
        }
        // Only the first show places it: the user's moves are kept.
        form.hide();
        form.move(5, 5);
        form.Show();
        EXPECT_EQ(form.pos(), QPoint(5, 5));
    }
}
