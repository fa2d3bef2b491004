#pragma once

// The supplier picker of the traceability report.

#include "dialogs/CodePicker.h"

namespace corvanel {

class TSupplierPickerDlg final : public TCodePickerDlg {
public:
    TSupplierPickerDlg(const TProductionContext& context, QWidget* owner);

    fw::TQuery* SupplierQuery;          // the host's suppliers (TVELDA)
    fw::TField* SupplierCode;       // Cod_furnizor
    fw::TField* SupplierName;  // Nume_furnizor
};

// Lets the user choose suppliers; results as ExecuteWarehousePicker.
bool ExecuteSupplierPicker(const TProductionContext& context, QWidget* owner, QString& list);

} // namespace corvanel
