#pragma once

// The recipe editor.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

class QLabel;

namespace corvanel {

class TZPFRetetaForm : public fw::TForm {
public:
    explicit TZPFRetetaForm(QWidget* owner);
    ~TZPFRetetaForm() override;

    QLabel* Cautlbl; // the product search text
};

// The open recipe editor, or null.
extern TZPFRetetaForm* ZPFRetetaForm;

// Empties the product search text and, when an editor is open, its label.
void ClearCatalogSearch();

} // namespace corvanel
