#include "requirement/ZPFNeces.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace corvanel {

TZPFNecesarForm* ZPFNecesarForm = nullptr;
double DocInContor = 0.0;

TZPFNecesarForm::TZPFNecesarForm(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("ZPFNecesarForm"));
    SetCaption(QStringLiteral("Fisa Necesar Tehnic"));
    auto* layout = new QVBoxLayout(this);
    GenDocOutBTN = new QPushButton(QStringLiteral("Genereaza document iesire "), this);
    GenDocOutBTN->setObjectName(QStringLiteral("GenDocOutBTN"));
    layout->addWidget(GenDocOutBTN);
}

TZPFNecesarForm::~TZPFNecesarForm()
{
    if (ZPFNecesarForm == this)
        ZPFNecesarForm = nullptr;
}

} // namespace corvanel
