#pragma once

// Sistem > Importa firma Paradox...: a company brought over from the directory of Paradox
// tables the old program kept it in, under a progress dialog whose button stops it.

#include <QString>

class QWidget;

namespace pelmaris {

struct TParadoxImportRequest {
    QString From;     // the directory of Paradox tables
    QString To;       // the new company's directory
    int CodePage = 0; // for tables whose header names none (0: none given)
};

// Asks for the two directories and the code page (directory dialogs, then a choice of
// page); false when the user gave up.
bool AskParadoxImport(QWidget* parent, TParadoxImportRequest& request);

// Runs the import, the progress dialog showing the table and rows. True when the company
// was imported; otherwise the user was told why (a stop included) and nothing was written.
bool RunParadoxImport(QWidget* parent, const TParadoxImportRequest& request);

} // namespace pelmaris
