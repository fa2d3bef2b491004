#include "dialogs/SelFurn.h"

#include "data/Queries.h"
#include "platform/db/Query.h"

namespace corvanel {

TSelFurnDlg::TSelFurnDlg(QWidget* owner)
    : TCodePickerDlg(owner, {"QFurn", SupplierListSql(), 30, 255, QStringLiteral("Toti furnizorii"), 70})
{
    setObjectName(QStringLiteral("SelFurnDlg"));
    QFurn = Query();
    QFurnCod = QFurn->FieldByName(QStringLiteral("Cod"));
    QFurnDenumire = QFurn->FieldByName(QStringLiteral("Denumire"));
}

bool ExecuteSelFurn(QWidget* owner, QString& list) { return ExecutePicker<TSelFurnDlg>(owner, list); }

} // namespace corvanel
