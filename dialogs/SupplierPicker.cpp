#include "dialogs/SupplierPicker.h"

#include "data/Queries.h"
#include "platform/db/Query.h"

namespace corvanel {

TSupplierPickerDlg::TSupplierPickerDlg(const TProductionContext& context, QWidget* owner)
    : TCodePickerDlg(context, owner, {"SupplierQuery", SupplierListSql(), 30, 255, QStringLiteral("Toti furnizorii"), 70})
{
    setObjectName(QStringLiteral("SupplierPickerDlg"));
    SupplierQuery = Query();
    SupplierCode = SupplierQuery->FieldByName(QStringLiteral("Cod"));
    SupplierName = SupplierQuery->FieldByName(QStringLiteral("Denumire"));
}

bool ExecuteSupplierPicker(const TProductionContext& context, QWidget* owner, QString& list)
{
    return ExecutePicker<TSupplierPickerDlg>(context, owner, list);
}

} // namespace corvanel
