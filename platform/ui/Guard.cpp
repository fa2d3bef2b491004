#include "platform/ui/Guard.h"

#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"

#include <QString>
#include <QtGlobal>

namespace fw {

namespace {

// What an error that is not a std::exception shows.
class UnknownError final : public Exception {
public:
    UnknownError() : Exception(QStringLiteral("Eroare necunoscuta")) {}
};

void Report(TApplication* application, const std::exception& error)
{
    // The handler itself must not let anything escape either: its errors are dropped
    // with a trace, since there is nobody left to tell.
    try {
        if (application)
            application->HandleException(error);
        else
            MessageDlg(ExceptionMessage(error), TMsgDlgType::Error, TMsgDlgButtons::OK);
    } catch (const std::exception& nested) {
        qWarning("Error while reporting an error: %s", nested.what());
    } catch (...) {
        qWarning("Error while reporting an error");
    }
}

void Dispatch(TApplication* application, const std::exception_ptr& error)
{
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        Report(application, e);
    } catch (...) {
        Report(application, UnknownError());
    }
}

} // namespace

void HandleError(const QObject* context, const std::exception_ptr& error)
{
    Dispatch(TApplication::Find(context), error);
}

bool Guarded(const QObject* context, const std::function<void()>& action)
{
    // Found before the action runs: the action may well destroy its own window.
    const QPointer<TApplication> application = TApplication::Find(context);
    try {
        action();
        return true;
    } catch (...) {
        Dispatch(application.data(), std::current_exception());
    }
    return false;
}

} // namespace fw
