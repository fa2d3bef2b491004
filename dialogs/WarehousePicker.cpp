#include "dialogs/WarehousePicker.h"

#include "data/Queries.h"

namespace corvanel {

TWarehousePickerDlg::TWarehousePickerDlg(const TProductionContext& context, QWidget* owner)
    : TCodePickerDlg(context, owner, {"WarehouseQuery", WarehouseListSql(), 4, 30, QStringLiteral("Toate gestiunile"), -1})
{
    setObjectName(QStringLiteral("WarehousePickerDlg"));
}

bool ExecuteWarehousePicker(const TProductionContext& context, QWidget* owner, QString& list)
{
    return ExecutePicker<TWarehousePickerDlg>(context, owner, list);
}

} // namespace corvanel
