#pragma once

// The technical requirement of an incoming document.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

class QPushButton;

namespace corvanel {

class TZPFNecesarForm : public fw::TForm {
public:
    explicit TZPFNecesarForm(QWidget* owner);
    ~TZPFNecesarForm() override;

    QPushButton* GenDocOutBTN; // "Genereaza document iesire "
};

// The open requirement form, or null.
extern TZPFNecesarForm* ZPFNecesarForm;
// The counter of the incoming document the requirement is computed for.
extern double DocInContor;

} // namespace corvanel
