#include "platform/ui/DialogButtons.h"

#include "platform/ui/Guard.h"

#include <QDialog>
#include <QMetaEnum>
#include <QPushButton>

namespace fw {

QString DialogButtonName(QDialogButtonBox::StandardButton which)
{
    const char* role = QMetaEnum::fromType<QDialogButtonBox::StandardButtons>().valueToKey(which);
    return QString::fromLatin1(role ? role : "Other") + QStringLiteral("Button");
}

QDialogButtonBox* DialogButtons(QDialog* dialog, std::initializer_list<TDialogButton> buttons)
{
    auto* box = new QDialogButtonBox(dialog);
    box->setObjectName(QStringLiteral("Buttons"));
    for (const TDialogButton& b : buttons) {
        QPushButton* button = box->addButton(b.Which);
        button->setText(b.Caption);
        button->setToolTip(b.Hint);
        button->setObjectName(DialogButtonName(b.Which));
    }
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, GuardedSlot(dialog, [dialog] { dialog->accept(); }));
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, GuardedSlot(dialog, [dialog] { dialog->reject(); }));
    return box;
}

} // namespace fw
