#include "platform/ui/Keys.h"

#include <QKeyEvent>

namespace fw {

int VirtualKey(const QKeyEvent* event)
{
    const int key = event->key();
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? vk::Numpad0 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return vk::F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Control:
        return vk::Control;
    case Qt::Key_Alt:
        return vk::Menu;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Delete:
        return vk::Delete;
    default:
        return 0;
    }
}

QChar KeyChar(const QKeyEvent* event)
{
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(ctrl ? 10 : 13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(9);
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return QChar(0);
    return text.at(0);
}

std::unique_ptr<QKeyEvent> LocaleDecimalKey(const QKeyEvent* event, QChar decimalMark)
{
    const bool decimalKey = event->modifiers().testFlag(Qt::KeypadModifier)
                            && (event->key() == Qt::Key_Period || event->key() == Qt::Key_Comma);
    if (!decimalKey || event->text() == QString(decimalMark))
        return nullptr;
    return std::make_unique<QKeyEvent>(event->type(), event->key(), event->modifiers(), QString(decimalMark),
                                       event->isAutoRepeat(), ushort(event->count()));
}

bool OfferKey(const QKeyEvent* event, const std::function<void(int& key, Qt::KeyboardModifiers shift)>& keyDown,
              const std::function<void(QChar& key)>& keyPress)
{
    if (keyDown) {
        const int original = VirtualKey(event);
        int key = original;
        keyDown(key, event->modifiers());
        if (original != 0 && key == 0)
            return true;
    }
    if (keyPress) {
        QChar ch = KeyChar(event);
        if (!ch.isNull()) {
            keyPress(ch);
            if (ch.isNull())
                return true;
        }
    }
    return false;
}

} // namespace fw
