#pragma once

#include <QChar>
#include <QFlags>
#include <Qt>
#include <functional>
#include <memory>

class QKeyEvent;

namespace fw {

// Key codes as the add-on's handlers know them: letters are 65-90 whatever the shift
// state, main-keyboard digits 48-57, keypad digits 96-105, and the named keys below.
namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Escape = 27, Space = 32,
              Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40,
              Insert = 45, Delete = 46, Numpad0 = 96, F1 = 112;
} // namespace vk

// The key code of a key press; 0 for keys without one.
int VirtualKey(const QKeyEvent* event);

// The character a key press types, as a key-press handler receives it: Enter is 13 and
// Ctrl+Enter 10, Escape 27, Backspace 8, Tab 9; 0 for keys that type nothing.
QChar KeyChar(const QKeyEvent* event);

// The numeric keypad's decimal key types the decimal mark of the user's locale, whatever
// mark the keyboard layout puts on it (as users of number entry expect): the key press to
// deliver instead, or null when the event is not that key or types that mark already.
std::unique_ptr<QKeyEvent> LocaleDecimalKey(const QKeyEvent* event, QChar decimalMark);

// Offers a key press to a key-down handler (with its key code) and then to a key-press
// handler (with its character), as forms and grids do; true when one of them consumed the
// key by setting it to 0. Either handler may be empty; errors propagate.
bool OfferKey(const QKeyEvent* event, const std::function<void(int& key, Qt::KeyboardModifiers shift)>& keyDown,
              const std::function<void(QChar& key)>& keyPress);

// The same for a control's own OnKeyDown and OnKeyPress events.
template <typename Sender>
bool OfferKey(const QKeyEvent* event, Sender* sender,
              const std::function<void(Sender*, int&, Qt::KeyboardModifiers)>& onKeyDown,
              const std::function<void(Sender*, QChar&)>& onKeyPress)
{
    std::function<void(int&, Qt::KeyboardModifiers)> keyDown;
    std::function<void(QChar&)> keyPress;
    if (onKeyDown)
        keyDown = [&](int& key, Qt::KeyboardModifiers shift) { onKeyDown(sender, key, shift); };
    if (onKeyPress)
        keyPress = [&](QChar& key) { onKeyPress(sender, key); };
    return OfferKey(event, keyDown, keyPress);
}

} // namespace fw
