#pragma once

// The supplier picker of the traceability report.

#include "dialogs/CodePicker.h"

namespace corvanel {

class TSelFurnDlg final : public TCodePickerDlg {
public:
    explicit TSelFurnDlg(QWidget* owner);

    fw::TQuery* QFurn;          // the host's suppliers (TVELDA)
    fw::TField* QFurnCod;       // Cod_furnizor
    fw::TField* QFurnDenumire;  // Nume_furnizor
};

// Lets the user choose suppliers; results as ExecuteSelGest.
bool ExecuteSelFurn(QWidget* owner, QString& list);

} // namespace corvanel
