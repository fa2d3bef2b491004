#include "dialogs/WarehousePicker.h"

#include "data/Queries.h"
#include "platform/db/Query.h"

namespace corvanel {

TWarehousePickerDlg::TWarehousePickerDlg(QWidget* owner)
    : TCodePickerDlg(owner, {"WarehouseQuery", WarehouseListSql(), 4, 30, QStringLiteral("Toate gestiunile"), -1})
{
    setObjectName(QStringLiteral("WarehousePickerDlg"));
    WarehouseQuery = Query();
    WarehouseCode = WarehouseQuery->FieldByName(QStringLiteral("Cod"));
    WarehouseName = WarehouseQuery->FieldByName(QStringLiteral("Denumire"));
}

bool ExecuteWarehousePicker(QWidget* owner, QString& list) { return ExecutePicker<TWarehousePickerDlg>(owner, list); }

} // namespace corvanel
