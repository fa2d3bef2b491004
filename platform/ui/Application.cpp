#include "platform/ui/Application.h"

#include "platform/core/Exceptions.h"
#include "platform/ui/MessageDlg.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>

namespace fw {

namespace {

// Marks an object as belonging to an application. A child object rather than a property
// so that it dies with the object, and a QPointer so that an application destroyed first
// is simply not found.
class ApplicationTag final : public QObject {
public:
    ApplicationTag(QObject* object, TApplication* application) : QObject(object), application_(application) {}
    TApplication* Application() const { return application_; }
    void SetApplication(TApplication* application) { application_ = application; }

private:
    QPointer<TApplication> application_;
};

ApplicationTag* TagOf(const QObject* object)
{
    // dynamic_cast, not findChild: the tag has no meta-object of its own.
    for (QObject* child : object->children()) {
        if (auto* tag = dynamic_cast<ApplicationTag*>(child))
            return tag;
    }
    return nullptr;
}

} // namespace

TApplication::TApplication(QObject* owner) : QObject(owner) {}

TApplication::~TApplication() = default;

void TApplication::SetMainForm(QWidget* form)
{
    mainForm_ = form;
    if (form)
        Attach(form);
}

void TApplication::SetHint(const QString& hint)
{
    if (hint == hint_)
        return;
    hint_ = hint;
    if (OnHint)
        OnHint(this);
}

void TApplication::HandleException(const std::exception& error)
{
    if (OnException)
        OnException(this, error);
    else
        ShowException(error);
}

void TApplication::ShowException(const std::exception& error)
{
    MessageDlg(ExceptionMessage(error), TMsgDlgType::Error, TMsgDlgButtons::OK);
}

void TApplication::Attach(QObject* object)
{
    if (!object)
        return;
    if (ApplicationTag* tag = TagOf(object))
        tag->SetApplication(this);
    else
        new ApplicationTag(object, this);
}

void TApplication::Detach(QObject* object)
{
    if (object)
        delete TagOf(object);
}

namespace {

TApplication* FindFrom(const QObject* object, int depth)
{
    if (!object || depth > 8)
        return nullptr;
    for (const QObject* o = object; o; o = o->parent()) {
        if (const ApplicationTag* tag = TagOf(o); tag && tag->Application())
            return tag->Application();
    }
    // A menu command lives in a module's menu tree, while the window it is shown in may
    // belong to the host: ask the menus showing it, and the entries that open those menus.
    if (const auto* action = qobject_cast<const QAction*>(object)) {
        for (const QObject* shownIn : action->associatedObjects()) {
            if (TApplication* found = FindFrom(shownIn, depth + 1))
                return found;
        }
    }
    for (const QObject* o = object; o; o = o->parent()) {
        if (const auto* menu = qobject_cast<const QMenu*>(o))
            return FindFrom(menu->menuAction(), depth + 1);
    }
    return nullptr;
}

} // namespace

TApplication* TApplication::Find(const QObject* object) { return FindFrom(object, 0); }

QString ExceptionMessage(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->Message();
    return QString::fromLocal8Bit(error.what());
}

TScreen::TScreen(QObject* owner) : QObject(owner) {}

TScreen::~TScreen()
{
    // A screen going away must not leave the whole program under an hourglass.
    if (manual_)
        QGuiApplication::restoreOverrideCursor();
    while (pushed_ > 0) {
        QGuiApplication::restoreOverrideCursor();
        --pushed_;
    }
}

void TScreen::SetCursor(TCursor cursor)
{
    const bool wanted = cursor == TCursor::HourGlass;
    if (wanted == manual_)
        return;
    manual_ = wanted;
    if (wanted)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

QWidget* TScreen::ActiveForm() const { return QApplication::activeWindow(); }

void TScreen::Push()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++pushed_;
}

void TScreen::Pop()
{
    if (pushed_ == 0)
        return;
    QGuiApplication::restoreOverrideCursor();
    --pushed_;
}

THourGlass::THourGlass(TScreen* screen) : screen_(screen)
{
    if (screen_)
        screen_->Push();
}

THourGlass::~THourGlass()
{
    if (screen_)
        screen_->Pop();
}

} // namespace fw
