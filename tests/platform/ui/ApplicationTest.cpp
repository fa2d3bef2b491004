// The application and screen objects, the event-loop guard and the message function.
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageDlg.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace fw;

namespace {

int OverrideDepth()
{
    // Qt keeps a stack of override cursors but shows only its top; count by popping
    // into a scratch list and pushing back.
    int depth = 0;
    while (QGuiApplication::overrideCursor()) {
        QGuiApplication::restoreOverrideCursor();
        ++depth;
    }
    for (int i = 0; i < depth; ++i)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    return depth;
}

} // namespace

TEST(Guard, SilentAbortIsSwallowedOtherErrorsReachTheApplicationOfTheWidget)
{
    struct Case {
        const char* name;
        std::function<void()> raise;
        QString reported; // empty: nothing reported
    };
    const std::vector<Case> cases = {
        {"abort", [] { Abort(); }, {}},
        {"database error", [] { throw EDatabaseError(QStringLiteral("tabela lipseste")); }, QStringLiteral("tabela lipseste")},
        {"std error", [] { throw std::runtime_error("stricat"); }, QStringLiteral("stricat")},
        {"foreign type", [] { throw 42; }, QStringLiteral("Eroare necunoscuta")},
        {"no error", [] {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMessageRecorder messages;
        TApplication application;
        QStringList handled;
        application.OnException = [&](TApplication*, const std::exception& e) { handled << ExceptionMessage(e); };
        QWidget main;
        application.SetMainForm(&main);
        auto* form = new QWidget(&main);
        auto* button = new QPushButton(form);

        const bool completed = Guarded(button, c.raise);

        EXPECT_EQ(completed, c.reported.isEmpty() && QString::fromLatin1(c.name) == QLatin1String("no error"));
        if (c.reported.isEmpty())
            EXPECT_TRUE(handled.isEmpty());
        else
            EXPECT_EQ(handled, QStringList{c.reported});
        EXPECT_EQ(messages.Count(), 0); // the handler replaced the default box
    }
}

TEST(Guard, NearestAttachedApplicationWinsAndWithoutOneTheErrorBoxShowsDirectly)
{
    TMessageRecorder messages;
    TApplication host, addOn;
    int hostCalls = 0, addOnCalls = 0;
    host.OnException = [&](TApplication*, const std::exception&) { ++hostCalls; };
    addOn.OnException = [&](TApplication*, const std::exception&) { ++addOnCalls; };
    QWidget main;
    host.SetMainForm(&main);
    auto* form = new QWidget(&main);
    auto* inForm = new QWidget(form);
    auto* elsewhere = new QWidget(&main);

    addOn.Attach(form);
    Guarded(inForm, [] { throw EDatabaseError(QStringLiteral("x")); });
    Guarded(elsewhere, [] { throw EDatabaseError(QStringLiteral("x")); });
    EXPECT_EQ(addOnCalls, 1);
    EXPECT_EQ(hostCalls, 1);

    TApplication::Detach(form);
    Guarded(inForm, [] { throw EDatabaseError(QStringLiteral("x")); });
    EXPECT_EQ(hostCalls, 2);

    // An application without its own handler shows the error box; so does a widget of
    // no application at all.
    host.OnException = nullptr;
    QWidget orphan;
    Guarded(inForm, [] { throw EDatabaseError(QStringLiteral("Eroare la scriere")); });
    Guarded(&orphan, [] { throw EDatabaseError(QStringLiteral("fara aplicatie")); });
    Guarded(nullptr, [] { Abort(); });
    ASSERT_EQ(messages.Count(), 2);
    EXPECT_EQ(messages.Messages()[0].Text, QStringLiteral("Eroare la scriere"));
    EXPECT_EQ(messages.Messages()[0].Kind, TMsgDlgType::Error);
    EXPECT_EQ(messages.Messages()[0].Buttons, TMsgDlgButtons::OK);
    EXPECT_EQ(messages.Messages()[1].Text, QStringLiteral("fara aplicatie"));
}

TEST(Guard, ApplicationDestroyedBeforeItsWindowIsNotUsed)
{
    TMessageRecorder messages;
    QWidget main;
    {
        TApplication application;
        application.SetMainForm(&main);
        EXPECT_EQ(TApplication::Find(&main), &application);
    }
    EXPECT_EQ(TApplication::Find(&main), nullptr);
    Guarded(&main, [] { throw EDatabaseError(QStringLiteral("dupa")); });
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("dupa")});
}

TEST(Guard, SlotWrapperKeepsExceptionsOutOfSignalDeliveryAndPassesArguments)
{
    TMessageRecorder messages;
    TApplication application;
    QStringList handled;
    application.OnException = [&](TApplication*, const std::exception& e) { handled << ExceptionMessage(e); };
    QWidget main;
    application.SetMainForm(&main);
    auto* button = new QPushButton(&main);
    button->setCheckable(true);

    bool seenChecked = false;
    int plainCalls = 0;
    QObject::connect(button, &QPushButton::clicked, button, GuardedSlot(button, [&](bool checked) {
                         seenChecked = checked;
                         throw EDatabaseError(QStringLiteral("din buton"));
                     }));
    QObject::connect(button, &QPushButton::clicked, button, GuardedSlot(button, [&] {
                         ++plainCalls;
                         Abort();
                     }));
    button->click(); // would terminate the test if anything crossed the signal

    EXPECT_TRUE(seenChecked);
    EXPECT_EQ(plainCalls, 1);
    EXPECT_EQ(handled, QStringList{QStringLiteral("din buton")});
}

TEST(Guard, AHandlerThatThrowsDoesNotEscapeEither)
{
    TApplication application;
    application.OnException = [](TApplication*, const std::exception&) { throw std::runtime_error("handler"); };
    QWidget main;
    application.SetMainForm(&main);
    EXPECT_FALSE(Guarded(&main, [] { throw std::runtime_error("first"); }));
}

TEST(Screen, HourGlassGuardsNestAndRestoreOnEveryPath)
{
    TScreen screen;
    ASSERT_EQ(OverrideDepth(), 0);
    {
        THourGlass outer(&screen);
        EXPECT_EQ(screen.Cursor(), TCursor::HourGlass);
        try {
            THourGlass inner(&screen);
            EXPECT_EQ(OverrideDepth(), 2);
            throw EDatabaseError(QStringLiteral("x"));
        } catch (const EDatabaseError&) {
        }
        EXPECT_EQ(OverrideDepth(), 1);
        EXPECT_EQ(screen.Cursor(), TCursor::HourGlass);
    }
    EXPECT_EQ(OverrideDepth(), 0);
    EXPECT_EQ(screen.Cursor(), TCursor::Default);

    // Set by hand: once however often it is set, and a guard inside keeps its own.
    screen.SetCursor(TCursor::HourGlass);
    screen.SetCursor(TCursor::HourGlass);
    EXPECT_EQ(OverrideDepth(), 1);
    {
        THourGlass guard(&screen);
        screen.SetCursor(TCursor::Default);
        EXPECT_EQ(OverrideDepth(), 1);
        EXPECT_EQ(screen.Cursor(), TCursor::HourGlass);
    }
    EXPECT_EQ(OverrideDepth(), 0);

    // A screen destroyed while a guard and a manual hourglass are on takes them away.
    {
        auto doomed = std::make_unique<TScreen>();
        THourGlass guard(doomed.get());
        doomed->SetCursor(TCursor::HourGlass);
        doomed.reset();
        EXPECT_EQ(OverrideDepth(), 0);
    }
    EXPECT_EQ(OverrideDepth(), 0);
    THourGlass none(nullptr);
    EXPECT_EQ(OverrideDepth(), 0);
}

TEST(Messages, RecorderKeepsExactTextKindAndButtonsAndAnswersAsScripted)
{
    TMessageRecorder messages;
    messages.Answer(TModalResult::No);
    messages.Answer(TModalResult::Yes);

    struct Step {
        QString text;
        TMsgDlgType kind;
        TMsgDlgButtons buttons;
        TModalResult expected;
    };
    const std::vector<Step> steps = {
        // OK boxes take no scripted answer: the queue stays for the questions.
        {QStringLiteral("Eroare de acces la baza de date!\r<disc plin> !"), TMsgDlgType::Error, TMsgDlgButtons::OK,
         TModalResult::OK},
        {QStringLiteral("Stergeti? "), TMsgDlgType::Confirmation, TMsgDlgButtons::YesNo, TModalResult::No},
        {QStringLiteral("Adaugati articole în catalog!"), TMsgDlgType::Warning, TMsgDlgButtons::OK, TModalResult::OK},
        {QStringLiteral("Continuati?"), TMsgDlgType::Confirmation, TMsgDlgButtons::YesNo, TModalResult::Yes},
        {QStringLiteral("Gata"), TMsgDlgType::Information, TMsgDlgButtons::YesNo, TModalResult::Yes}, // default
    };
    for (const Step& s : steps)
        EXPECT_EQ(MessageDlg(s.text, s.kind, s.buttons), s.expected) << qPrintable(s.text);
    messages.SetDefaultAnswer(TModalResult::No);
    EXPECT_EQ(MessageDlg(QStringLiteral("?"), TMsgDlgType::Confirmation, TMsgDlgButtons::YesNo), TModalResult::No);

    ASSERT_EQ(messages.Count(), int(steps.size()) + 1);
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(messages.Messages()[i].Text, steps[i].text); // "\r" and trailing blanks kept
        EXPECT_EQ(messages.Messages()[i].Kind, steps[i].kind);
        EXPECT_EQ(messages.Messages()[i].Buttons, steps[i].buttons);
    }
}

TEST(Messages, RecordersNestAndRestoreThePreviousOne)
{
    TMessageRecorder outer;
    {
        TMessageRecorder inner;
        MessageDlg(QStringLiteral("inner"), TMsgDlgType::Information);
        EXPECT_EQ(inner.Count(), 1);
    }
    MessageDlg(QStringLiteral("outer"), TMsgDlgType::Information);
    EXPECT_EQ(outer.Texts(), QStringList{QStringLiteral("outer")});
}

TEST(Messages, BoxShowsRomanianCaptionsAndButtonsAndCarriageReturnAsLineBreak)
{
    struct Case {
        TMsgDlgType kind;
        TMsgDlgButtons buttons;
        QString caption;
        QStringList buttonTexts;
        QMessageBox::Icon icon;
    };
    const std::vector<Case> cases = {
        {TMsgDlgType::Warning, TMsgDlgButtons::OK, QStringLiteral("Atentie"), {QStringLiteral("OK")}, QMessageBox::Warning},
        {TMsgDlgType::Error, TMsgDlgButtons::OK, QStringLiteral("Eroare"), {QStringLiteral("OK")}, QMessageBox::Critical},
        {TMsgDlgType::Information, TMsgDlgButtons::OK, QStringLiteral("Informatie"), {QStringLiteral("OK")},
         QMessageBox::Information},
        {TMsgDlgType::Confirmation, TMsgDlgButtons::YesNo, QStringLiteral("Confirmare"),
         {QStringLiteral("Da"), QStringLiteral("Nu")}, QMessageBox::Question},
    };
    for (const Case& c : cases) {
        const auto box = TQtMessagePresenter::CreateBox(
            TMessage{QStringLiteral("Eroare de acces!\r<x> !\r\nsfarsit <b>"), c.kind, c.buttons});
        EXPECT_EQ(box->windowTitle(), c.caption);
        EXPECT_EQ(box->text(), QStringLiteral("Eroare de acces!\n<x> !\nsfarsit <b>"));
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), c.icon);
        QStringList texts;
        for (QAbstractButton* b : box->buttons())
            texts << b->text();
        texts.sort();
        QStringList expected = c.buttonTexts;
        expected.sort();
        EXPECT_EQ(texts, expected);
        EXPECT_EQ(box->escapeButton()->text(), c.buttonTexts.last()); // Escape answers "Nu"
    }
}
