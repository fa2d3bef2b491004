#include "shell/EntryPoints.h"

#include <memory>

namespace corvanel {

namespace {

// The add-on's own pair, made when the library is loaded and gone when it is unloaded.
struct OwnObjects {
    fw::TApplication application;
    fw::TScreen screen;
};

OwnObjects& Own()
{
    static OwnObjects own;
    return own;
}

fw::TApplication* savedApplication = nullptr;
fw::TScreen* savedScreen = nullptr;

} // namespace

fw::TApplication* Application = &Own().application;
fw::TScreen* Screen = &Own().screen;

} // namespace corvanel

void InitAddOnDLL(fw::TScreen* screen, fw::TApplication* application)
{
    using namespace corvanel;
    savedApplication = Application;
    savedScreen = Screen;
    Application = application;
    Screen = screen;
}

void ClearAddOnDLL()
{
    using namespace corvanel;
    if (savedApplication)
        Application = savedApplication;
    if (savedScreen)
        Screen = savedScreen;
}
