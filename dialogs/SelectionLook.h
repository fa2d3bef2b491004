#pragma once

// What the selection dialogs share of their look.

#include <QString>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace fw {
class TForm;
}

namespace corvanel {

// A dialog frame with only the system menu.
void UseDialogFrame(fw::TForm* form);

// That frame, centred on the screen, in the system's
// highlight colour with white captions. The caller fixes the size once it is laid out.
void ApplySelectionLook(fw::TForm* form);

// A named push button with its hint.
QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption, const QString& hint = {});

// The dialog's buttons, in a row at the right.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons);

} // namespace corvanel
