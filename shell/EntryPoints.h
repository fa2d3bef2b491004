#pragma once

// The application and screen objects the add-on works with: its own until the host hands
// over its pair, the host's from then on, its own again before the library is unloaded.

#include "platform/ui/Application.h"

namespace corvanel {

extern fw::TApplication* Application;
extern fw::TScreen* Screen;

} // namespace corvanel

// Entry points of the add-on (C linkage, exported).
#define CORVANEL_EXPORT extern "C" __attribute__((visibility("default")))

CORVANEL_EXPORT void InitAddOnDLL(fw::TScreen* screen, fw::TApplication* application);
CORVANEL_EXPORT void ClearAddOnDLL();
