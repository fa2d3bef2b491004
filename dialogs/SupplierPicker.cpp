#include "dialogs/SupplierPicker.h"

#include "data/Queries.h"
#include "platform/db/Query.h"

namespace corvanel {

TSupplierPickerDlg::TSupplierPickerDlg(QWidget* owner)
    : TCodePickerDlg(owner, {"SupplierQuery", SupplierListSql(), 30, 255, QStringLiteral("Toti furnizorii"), 70})
{
    setObjectName(QStringLiteral("SupplierPickerDlg"));
    SupplierQuery = Query();
    SupplierCode = SupplierQuery->FieldByName(QStringLiteral("Cod"));
    SupplierName = SupplierQuery->FieldByName(QStringLiteral("Denumire"));
}

bool ExecuteSupplierPicker(QWidget* owner, QString& list) { return ExecutePicker<TSupplierPickerDlg>(owner, list); }

} // namespace corvanel
