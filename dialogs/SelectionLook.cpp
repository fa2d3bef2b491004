#include "dialogs/SelectionLook.h"

#include "platform/ui/Form.h"

#include <QPalette>

namespace corvanel {

void UseDialogFrame(fw::TForm* form)
{
    form->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint);
}

void ApplySelectionLook(fw::TForm* form)
{
    form->SetPosition(fw::TPosition::ScreenCenter);
    UseDialogFrame(form);
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, Qt::white);
    form->setPalette(pal);
    form->setAutoFillBackground(true);
}

} // namespace corvanel
