#pragma once

// The warehouse picker of the traceability report.

#include "dialogs/CodePicker.h"

namespace corvanel {

class TSelGestDlg final : public TCodePickerDlg {
public:
    explicit TSelGestDlg(QWidget* owner);

    fw::TQuery* QGest;          // the host's warehouses (TVELDA)
    fw::TField* QGestCod;
    fw::TField* QGestDenumire;
};

// Lets the user choose warehouses. True when confirmed with "&Deschide"; then `list` is
// empty for all warehouses, else the chosen codes as JoinCodeList writes them. On false
// `list` keeps what the caller put in it.
bool ExecuteSelGest(QWidget* owner, QString& list);

} // namespace corvanel
