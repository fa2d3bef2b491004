#pragma once

// The system's beeps, through one function a test can listen to.

#include <functional>

namespace fw {

enum class TBeep { Error, Information };

// Sounds the system's beep of that kind. While BeepObserver is set (by a test) the beep is
// handed to it instead.
void MessageBeep(TBeep kind);
extern std::function<void(TBeep)> BeepObserver;

} // namespace fw
