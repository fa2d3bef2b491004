#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>

namespace fw {

// One module's application object: its main window, the hint line and the handler of
// errors that reach the event loop. Host and add-on each have their own and hand it over
// by pointer; the framework keeps none of its own. Widgets find theirs by walking up
// their parents to an object the application was attached to (see Find).
class TApplication final : public QObject {
public:
    explicit TApplication(QObject* owner = nullptr);
    ~TApplication() override;

    // The main window. Setting it also attaches the application to it, so every window
    // owned by it reports its errors here.
    QWidget* MainForm() const { return mainForm_; }
    void SetMainForm(QWidget* form);

    // The program's name as the user knows it.
    const QString& Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    // The hint of whatever the mouse is over; OnHint tells a status line about changes.
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint);
    std::function<void(TApplication*)> OnHint;

    // Reports an error that ended an action started from the event loop: OnException when
    // set, else ShowException. The silent abort is never passed here (the guard drops it).
    void HandleException(const std::exception& error);
    std::function<void(TApplication*, const std::exception&)> OnException;
    // The default report: an error box with the error's message.
    void ShowException(const std::exception& error);

    // Makes the windows under `object` (it and its children) report to this application.
    void Attach(QObject* object);
    static void Detach(QObject* object);
    // The application attached nearest above `object` (itself, then its parents; for a
    // menu action also the widgets showing it). Null when there is none.
    static TApplication* Find(const QObject* object);

private:
    QPointer<QWidget> mainForm_;
    QString title_;
    QString hint_;
};

// The text an error shows to the user.
QString ExceptionMessage(const std::exception& error);

enum class TCursor { Default, HourGlass };

// One module's screen object: the mouse cursor over all windows. The hourglass is an
// application-wide override cursor; overrides nest, so a guard inside another guard, or
// a guard while the cursor was set by hand, restores exactly what it added.
class TScreen final : public QObject {
public:
    explicit TScreen(QObject* owner = nullptr);
    ~TScreen() override;

    TCursor Cursor() const { return (pushed_ > 0 || manual_) ? TCursor::HourGlass : TCursor::Default; }
    // Setting by hand: HourGlass adds one override (once), Default removes it. Overrides
    // added by guards stay until those guards end.
    void SetCursor(TCursor cursor);

    // The window that has the keyboard focus, if any.
    QWidget* ActiveForm() const;

private:
    friend class THourGlass;
    void Push();
    void Pop();

    int pushed_ = 0;
    bool manual_ = false;
};

// Shows the hourglass for its lifetime, whatever way the scope is left. A null screen is
// allowed (nothing happens), so code run without a screen needs no special case.
class THourGlass final {
public:
    explicit THourGlass(TScreen* screen);
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
    ~THourGlass();

private:
    QPointer<TScreen> screen_;
};

} // namespace fw
