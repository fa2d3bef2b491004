#pragma once

// The production settings: three one-character code prefixes kept in the company's shared
// settings file KRBDEF.INI, section "Productie", found through the host's last database
// directory.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"
#include "platform/schema/CompanyTables.h"

#include <QChar>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvanel {

// First character of the codes of raw-material warehouses, raw-material articles and
// semi-finished articles.
extern QChar IndGest;
extern QChar IndCod;
extern QChar IndSemi;
// The host's last database directory, ending in a separator once loaded.
extern QString ProdDatabaseDir;
// The directory the host last handed over (used when it recorded no directory of its own).
extern QString ChangeDBDirectory;
// Set by a program that works on one company it was given (the command-line tool): the
// settings file is read in that company's directory, whatever the host recorded last.
extern QString FixedDatabaseDir;

inline const QString ProductionSettingsFile = fw::CompanySettingsFile;
inline const QString ProductionSection = QStringLiteral("Productie");

// Reloads ProdDatabaseDir and the three prefixes; a missing file, section or key (or a
// key with an empty value) keeps the prefix as it was.
void LoadProductionSettings();
// Reloads ProdDatabaseDir and writes the three prefixes, touching nothing else of the file.
void SaveProductionSettings();

// The dialog that shows and changes the three prefixes.
class TProductionSettingsForm final : public fw::TForm {
public:
    explicit TProductionSettingsForm(QWidget* owner);
    ~TProductionSettingsForm() override;

    QFrame* Frame;
    QLabel* WarehouseLabel;
    QLabel* MaterialLabel;
    QLabel* SemiFinishedLabel;
    QLineEdit* WarehousePrefixEdit;
    QLineEdit* MaterialPrefixEdit;
    QLineEdit* SemiFinishedPrefixEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    void FormCreate();
    void OKBtnClick();
    void FormClose(fw::TCloseAction& action);
};

// The open configuration dialog, or null.
extern TProductionSettingsForm* SettingsForm;

// True when the code starts with the prefix; an empty code starts with nothing.
bool StartsWithPrefix(const QString& code, QChar prefix);

} // namespace corvanel
