#pragma once

#include <QChar>

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

} // namespace fw
