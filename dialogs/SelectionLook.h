#pragma once

// What the selection dialogs share of their look.

namespace fw {
class TForm;
}

namespace corvanel {

// A dialog frame with only the system menu.
void UseDialogFrame(fw::TForm* form);

// That frame, centred on the screen, in the system's
// highlight colour with white captions. The caller fixes the size once it is laid out.
void ApplySelectionLook(fw::TForm* form);

} // namespace corvanel
