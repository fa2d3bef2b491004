#pragma once

#include "platform/db/ServerDatabase.h"
#include "platform/ui/Form.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pelmaris {

// "Firma noua pe server": where a new company is to live (its directory, which keeps
// the settings file, the company lock and the connection file) and which PostgreSQL
// database holds its tables. The database must exist on the server; its tables are made
// when the company is first opened. The password is never asked for here: the server's
// client takes it from the user's ~/.pgpass or PGPASSWORD.
class TServerCompanyDlg final : public fw::TForm {
public:
    explicit TServerCompanyDlg(QWidget* owner = nullptr);

    QString Directory() const;
    fw::TServerDatabase Server() const;
    // Where the "..." button looks for the directory (a directory dialog unless replaced).
    std::function<QString(const QString& current)> AskDirectory;

    QLineEdit* DirectoryEdit;
    QPushButton* BrowseBtn;
    QLineEdit* HostEdit;
    QLineEdit* PortEdit;
    QLineEdit* DatabaseEdit;
    QLineEdit* UserEdit;
    QLineEdit* SchemaEdit;
    QLabel* PasswordNote;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

private:
    // "&Creeaza": closes with OK only for a directory that holds no company yet and a
    // database named; otherwise says what is missing and stays open.
    void OkBtnClick();
};

} // namespace pelmaris
