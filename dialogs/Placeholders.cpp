// Placeholders until the pickers and the period dialog exist: every question is cancelled.
#include "dialogs/CodeList.h"
#include "dialogs/Intrvdlg.h"
#include "dialogs/SelFurn.h"
#include "dialogs/Selgest.h"

namespace corvanel {

QString JoinCodeList(const QStringList&) { return {}; }
QStringList ParseCodeList(const QString&) { return {}; }
bool ExecuteSelGest(QWidget*, QString&) { return false; }
bool ExecuteSelFurn(QWidget*, QString&) { return false; }
bool ExecuteInterval(QWidget*, fw::TDateTime&, fw::TDateTime&) { return false; }

} // namespace corvanel
