#include "dialogs/SelectionLook.h"

#include "platform/ui/Form.h"

#include <QHBoxLayout>
#include <QPushButton>

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

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    return button;
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}

} // namespace corvanel
