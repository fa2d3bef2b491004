#include "recipes/ZPFRetet.h"

#include "data/ZPFData.h"

#include <QLabel>
#include <QVBoxLayout>

namespace corvanel {

TZPFRetetaForm* ZPFRetetaForm = nullptr;

TZPFRetetaForm::TZPFRetetaForm(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("ZPFRetetaForm"));
    SetCaption(QStringLiteral("Reteta"));
    auto* layout = new QVBoxLayout(this);
    Cautlbl = new QLabel(this);
    Cautlbl->setObjectName(QStringLiteral("Cautlbl"));
    layout->addWidget(Cautlbl);
}

TZPFRetetaForm::~TZPFRetetaForm()
{
    if (ZPFRetetaForm == this)
        ZPFRetetaForm = nullptr;
}

void ClearCatalogSearch()
{
    CatalogSearchText.clear();
    if (ZPFRetetaForm)
        ZPFRetetaForm->Cautlbl->setText(CatalogSearchText);
}

} // namespace corvanel
