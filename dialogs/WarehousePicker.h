#pragma once

// The warehouse picker of the traceability report.

#include "dialogs/CodePicker.h"

namespace corvanel {

class TWarehousePickerDlg final : public TCodePickerDlg {
public:
    TWarehousePickerDlg(const TProductionContext& context, QWidget* owner);
};

// Lets the user choose warehouses. True when confirmed with "&Deschide"; then `list` is
// empty for all warehouses, else the chosen codes as JoinCodeList writes them. On false
// `list` keeps what the caller put in it.
bool ExecuteWarehousePicker(const TProductionContext& context, QWidget* owner, QString& list);

} // namespace corvanel
