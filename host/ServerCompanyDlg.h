#pragma once

#include "platform/db/ServerDatabase.h"
#include "platform/ui/Form.h"

#include <functional>
#include <memory>

namespace pelmaris {

// "Firma noua pe server": where a new company is to live (its directory, which keeps
// the settings file, the company lock and the connection file) and which PostgreSQL
// database holds its tables. The database must exist on the server; its tables are made
// when the company is first opened. The password is never asked for here: the server's
// client takes it from the user's ~/.pgpass or PGPASSWORD.
class TServerCompanyDlg final : public fw::TForm {
public:
    explicit TServerCompanyDlg(QWidget* owner = nullptr);
    ~TServerCompanyDlg() override;

    QString Directory() const;
    fw::TServerDatabase Server() const;
    // Where the "..." button looks for the directory (a directory dialog unless replaced).
    std::function<QString(const QString& current)> AskDirectory;

    // "&Creeaza": closes with OK only for a directory that holds no company yet and a
    // database named; otherwise says what is missing and stays open.
    void accept() override;

private:
    struct Ui;
    void browseForDirectory();

    std::unique_ptr<Ui> ui_;
};

} // namespace pelmaris
