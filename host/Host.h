#pragma once

#include "host/AddOn.h"
#include "host/CompanyImport.h"
#include "host/Schema.h"
#include "platform/db/ServerDatabase.h"
#include "platform/ui/Menus.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace fw {
class Connection;
class TApplication;
class TFileLock;
class TScreen;
} // namespace fw

namespace pelmaris {

class TMainForm;
class TDocInForm;
class TDataForm;

struct THostOptions {
    // The host's own settings file; the one next to the program when empty.
    QString IniFile;
    // The add-on library; the one the settings file names, else the one next to the
    // program, when empty.
    QString AddOnFile;
    bool LoadAddOn = true;
    // The program that makes the demo company with its production (DemoTool.h); the one
    // beside the host's program when empty.
    QString DemoTool;
};

// The host program: its application and screen objects, its main window, the add-on and
// the open company. The add-on's entry points are called in the order it relies on:
// InitAddOnDLL, QvxAddOnGetName, QvxAddOnAddTables, QvxAddOnMainForm when the host starts;
// QvxAddOnChangeDB after each company is opened; QvxAddOnDocInForm for each incoming-
// document window; and at the end, after the main window (owner of the add-on's menus
// module) is gone, ClearAddOnDLL and the unloading of the library.
class TPelmarisHost final {
public:
    explicit TPelmarisHost(THostOptions options = {});
    ~TPelmarisHost();
    TPelmarisHost(const TPelmarisHost&) = delete;
    TPelmarisHost& operator=(const TPelmarisHost&) = delete;

    // Reads the host's settings file, creates the main window and loads the add-on.
    // Opens no company.
    void Start();
    // Destroys the main window, then lets the add-on go. Also done by the destructor.
    void Shutdown();

    // Opens a company directory: its missing tables are created (a directory that holds
    // no company yet only when the user agrees, unless `confirmNew` is false), the
    // aliases point at it, it becomes the last directory used, and the add-on is told.
    // The windows of the previous company are closed first. A file that is not a
    // company's is refused untouched; a company the user may only read opens read-only
    // (its missing tables are not made) and the status line says so. The host holds the
    // company lock while the company is open. False when it was not opened (the user was
    // told why).
    bool OpenCompany(const QString& directory, bool confirmNew = true);
    // Opens the demo company, creating it first when it is missing or `recreate` is set;
    // a demo that another program (or this one) has open is opened as it is.
    bool OpenDemoCompany(bool recreate);
    // The company a start opens: the one given, else the last one used, else the one the
    // user picks.
    bool OpenStartupCompany(const QString& argument);
    // The directory the user picks (a directory dialog unless replaced).
    std::function<QString()> AskDirectory;
    // Makes a new company whose tables live in a server's database: the directory (made
    // when missing; it must hold no company yet) gets the connection file, the tables are
    // created in the database (its schema made when missing; a schema holding tables that
    // are not a company's is refused untouched; one that holds a company already is
    // opened as it is, which is how another workstation joins it), and the company is
    // opened. On a failure the user is told, and the directory is left without the
    // connection file. False when it was not made.
    bool CreateServerCompany(const QString& directory, const fw::TServerDatabase& server);
    // Where and on which server the user wants a new company (TServerCompanyDlg unless
    // replaced); false when he gave up.
    std::function<bool(QString& directory, fw::TServerDatabase& server)> AskServerCompany;
    // Where from and where to a company is imported (AskParadoxImport unless replaced);
    // false when he gave up. The imported company is opened.
    std::function<bool(TParadoxImportRequest& request)> AskImport;

    // The windows of the menus; each exists at most once and comes to the front when
    // asked for again. Null when no company is open or its tables cannot be read.
    TDocInForm* ShowDocIn();
    TDataForm* ShowDocOut();
    TDataForm* ShowStock();
    TDataForm* ShowCatalog();
    TDataForm* ShowClasses();
    TDataForm* ShowWarehouses();
    TDataForm* ShowSuppliers();
    TDataForm* ShowCurrencies();

    TMainForm* MainForm() const { return mainForm_.get(); }
    fw::TApplication* Application() const { return application_.get(); }
    fw::TScreen* Screen() const { return screen_.get(); }
    TAddOnLibrary& AddOn() { return addOn_; }
    const QString& AddOnName() const { return addOnName_; }
    // The add-on's tables, as created in every company.
    const std::vector<TTableLayout>& AddOnTables() const { return addOnTables_; }
    fw::TMenuItem* AddOnMainMenu() const { return addOnMenu_; }
    const QString& CompanyDir() const { return companyDir_; }
    bool CompanyReadOnly() const { return companyReadOnly_; }
    const QString& IniFile() const { return iniFile_; }

    // Whether the engine has found the open company's database damaged.
    bool CompanyDamaged() const { return damageShown_; }

private:
    void LoadAddOn();
    // The engine found a database damaged: said as soon as control is back in the event
    // loop (or at once by a failed opening), and the company is no longer the one the
    // next start opens.
    void DatabaseDamaged(const QString& file);
    void ReportDamage();
    void ForgetAsLastCompany(const QString& directory);
    void ReportError(const std::exception& error);
    template <typename Form>
    Form* ShowSingle(QPointer<TDataForm>& slot);

    THostOptions options_;
    QString iniFile_;
    std::unique_ptr<fw::TApplication> application_;
    std::unique_ptr<fw::TScreen> screen_;
    TAddOnLibrary addOn_;
    std::unique_ptr<TMainForm> mainForm_;
    QString addOnName_;
    std::vector<TTableLayout> addOnTables_;
    QPointer<fw::TMenuItem> addOnMenu_;
    QString companyDir_;
    QString openingDir_;
    QString damagedFile_;
    bool damagePending_ = false;
    bool damageShown_ = false;
    QElapsedTimer lastDamageMessage_;
    bool companyReadOnly_ = false;
    // What the open company is held by: the company lock, and its database while the
    // host's windows and the add-on come and go.
    std::unique_ptr<fw::TFileLock> companyHold_;
    std::shared_ptr<fw::Connection> companyDb_;
    QPointer<TDataForm> docIn_, docOut_, stock_, catalog_, classes_, warehouses_, suppliers_, currencies_;
};

} // namespace pelmaris
