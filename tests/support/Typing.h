#pragma once
// Keys as a user presses them: each goes to whatever has the focus at that moment.

#include "platform/core/Formats.h"

#include <QApplication>
#include <QString>
#include <QTest>

namespace testsupport {

inline void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

// Types the text; a tab moves on (to the next cell of a grid).
inline void Type(const QString& text)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\t'))
            Key(Qt::Key_Tab);
        else
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
}

// A number as the user's locale writes it: the point of `text` becomes the decimal mark in force.
inline QString Decimal(QString text)
{
    return text.replace(QLatin1Char('.'), fw::DefaultFormatSettings().DecimalSeparator);
}

} // namespace testsupport
