#pragma once

// A window's widget, menu item or timer found by the object name it was made with, as the
// tests reach the windows' private parts; the test fails, naming it, when there is none.

#include <QObject>
#include <gtest/gtest.h>

namespace testsupport {

template <typename T = QWidget>
T* Named(const QObject* window, const char* name)
{
    T* child = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << "no " << name << " in " << window->objectName().toStdString();
    return child;
}

} // namespace testsupport
