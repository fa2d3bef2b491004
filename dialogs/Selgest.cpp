#include "dialogs/Selgest.h"

#include "data/Queries.h"
#include "platform/db/Query.h"

namespace corvanel {

TSelGestDlg::TSelGestDlg(QWidget* owner)
    : TCodePickerDlg(owner, {"QGest", WarehouseListSql(), 4, 30, QStringLiteral("Toate gestiunile"), -1})
{
    setObjectName(QStringLiteral("SelGestDlg"));
    QGest = Query();
    QGestCod = QGest->FieldByName(QStringLiteral("Cod"));
    QGestDenumire = QGest->FieldByName(QStringLiteral("Denumire"));
}

bool ExecuteSelGest(QWidget* owner, QString& list) { return ExecutePicker<TSelGestDlg>(owner, list); }

} // namespace corvanel
