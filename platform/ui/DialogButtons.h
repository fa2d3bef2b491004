#pragma once

// A window's closing buttons as a QDialogButtonBox: the captions the window shows, and one
// object name per role whatever the caption, so tests and the accelerator check find the
// OK button of every window under the same name.

#include <QDialogButtonBox>
#include <QString>
#include <initializer_list>

class QDialog;

namespace fw {

struct TDialogButton {
    QDialogButtonBox::StandardButton Which;
    QString Caption; // with its "&" accelerator
    QString Hint = QString();
};

// The box, a child of the dialog, with those buttons named "<Role>Button" ("OkButton",
// "CancelButton", "CloseButton", ...). Accepted and rejected go to the dialog's accept()
// and reject(), which end a modal form with OK or Cancel.
QDialogButtonBox* DialogButtons(QDialog* dialog, std::initializer_list<TDialogButton> buttons);

// The name a button of that role carries.
QString DialogButtonName(QDialogButtonBox::StandardButton which);

} // namespace fw
