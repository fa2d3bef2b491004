#pragma once

// The supplier picker of the traceability report.

#include "dialogs/CodePicker.h"

namespace corvanel {

class TSupplierPickerDlg final : public TCodePickerDlg {
public:
    TSupplierPickerDlg(const TProductionContext& context, QWidget* owner);
};

// Lets the user choose suppliers; results as ExecuteWarehousePicker.
bool ExecuteSupplierPicker(const TProductionContext& context, QWidget* owner, QString& list);

} // namespace corvanel
