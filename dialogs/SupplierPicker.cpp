#include "dialogs/SupplierPicker.h"

#include "data/Queries.h"

namespace corvanel {

TSupplierPickerDlg::TSupplierPickerDlg(const TProductionContext& context, QWidget* owner)
    : TCodePickerDlg(context, owner, {"SupplierQuery", SupplierListSql(), 30, 255, QStringLiteral("Toti furnizorii"), 70})
{
    setObjectName(QStringLiteral("SupplierPickerDlg"));
}

bool ExecuteSupplierPicker(const TProductionContext& context, QWidget* owner, QString& list)
{
    return ExecutePicker<TSupplierPickerDlg>(context, owner, list);
}

} // namespace corvanel
