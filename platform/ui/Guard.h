#pragma once

#include <QObject>
#include <QPointer>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace fw {

// Every entry from Qt into our code (clicks, keys, grid commits, menu commands, timers)
// runs through Guarded, because an exception must never unwind through Qt's event
// dispatch. The silent abort (EAbort) ends the action without a word; any other error
// goes to the exception handler of the application `context` belongs to (TApplication::
// Find), or straight to an error box when it belongs to none.
// Returns true when `action` ran to its end.
bool Guarded(const QObject* context, const std::function<void()>& action);

// Reports an error caught elsewhere the way Guarded would (EAbort is ignored).
void HandleError(const QObject* context, const std::exception_ptr& error);

// Calls a slot's handler with the signal's arguments, or with none when it takes none.
template <typename Handler, typename... Args>
void InvokeHandler(Handler& handler, Args&&... args)
{
    if constexpr (std::is_invocable_v<Handler&, Args...>)
        handler(std::forward<Args>(args)...);
    else
        handler();
}

// Wraps a handler for connect(): the slot runs under Guarded with `context` (usually the
// widget whose signal it is). The handler may take the signal's arguments or none:
//   connect(button, &QPushButton::clicked, form, fw::GuardedSlot(form, [this] { Save(); }));
template <typename Handler>
auto GuardedSlot(const QObject* context, Handler handler)
{
    return [ctx = QPointer<const QObject>(context), handler = std::move(handler)](auto&&... args) mutable {
        Guarded(ctx.data(), [&] { InvokeHandler(handler, std::forward<decltype(args)>(args)...); });
    };
}

} // namespace fw
