#include "host/Host.h"

#include "host/Browsers.h"
#include "host/Company.h"
#include "host/CompanyMove.h"
#include "host/CompanyCheck.h"
#include "host/DemoTool.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "host/MasterForms.h"
#include "host/ServerCompanyDlg.h"
#include "platform/config/FileLock.h"
#include "platform/config/Paths.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/MessageDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace pelmaris {

TPelmarisHost::TPelmarisHost(THostOptions options) : options_(std::move(options))
{
    AskDirectory = [this] {
        return QFileDialog::getExistingDirectory(mainForm_.get(), QStringLiteral("Alegeti directorul firmei"),
                                                 companyDir_);
    };
    AskServerCompany = [this](QString& directory, fw::TServerDatabase& server) {
        TServerCompanyDlg dialog(mainForm_.get());
        if (dialog.ShowModal() != fw::TModalResult::OK)
            return false;
        directory = dialog.Directory();
        server = dialog.Server();
        return true;
    };
    AskImport = [this](TParadoxImportRequest& request) { return AskParadoxImport(mainForm_.get(), request); };
}

TPelmarisHost::~TPelmarisHost() { Shutdown(); }

void TPelmarisHost::Start()
{
    iniFile_ = options_.IniFile.isEmpty() ? fw::HostIniFileName() : options_.IniFile;
    // A settings file that is there but cannot be read is said once the main window exists;
    // the add-on, which reads it too and is chosen by it, is then not loaded.
    QString settingsError;
    try {
        const QString netDir = EnsureHostIni(iniFile_);
        if (!netDir.isEmpty())
            fw::TSession::Default()->SetNetFileDir(netDir);
    } catch (const fw::EInOutError& e) {
        settingsError = e.Message();
    }

    application_ = std::make_unique<fw::TApplication>();
    application_->SetTitle(QStringLiteral("Pelmaris"));
    application_->OnException = [this](fw::TApplication*, const std::exception& e) { ReportError(e); };
    screen_ = std::make_unique<fw::TScreen>();
    mainForm_ = std::make_unique<TMainForm>();
    application_->SetMainForm(mainForm_.get());
    application_->OnHint = [this](fw::TApplication* app) { mainForm_->ShowHint(app->Hint()); };

    mainForm_->OnOpenCompany = [this] {
        const QString dir = AskDirectory();
        if (!dir.isEmpty())
            OpenCompany(dir);
    };
    mainForm_->OnNewServerCompany = [this] {
        QString dir;
        fw::TServerDatabase server;
        if (AskServerCompany && AskServerCompany(dir, server))
            CreateServerCompany(dir, server);
    };
    mainForm_->OnDemoCompany = [this] { OpenDemoCompany(false); };
    mainForm_->OnImportParadox = [this] {
        TParadoxImportRequest request;
        if (AskImport && AskImport(request) && RunParadoxImport(mainForm_.get(), request))
            OpenCompany(request.To, false);
    };
    mainForm_->OnCheckCompany = [this] {
        if (companyDir_.isEmpty())
            return;
        const fw::TIntegrityReport report = CheckCompany(mainForm_.get(), companyDir_);
        if (!report.Ok && !report.Stopped)
            ForgetAsLastCompany(companyDir_);
    };
    fw::SetDamagedDatabaseHandler([this](const QString& file) { DatabaseDamaged(file); });
    mainForm_->OnDocIn = [this] { ShowDocIn(); };
    mainForm_->OnDocOut = [this] { ShowDocOut(); };
    mainForm_->OnStock = [this] { ShowStock(); };
    mainForm_->OnCatalog = [this] { ShowCatalog(); };
    mainForm_->OnClasses = [this] { ShowClasses(); };
    mainForm_->OnWarehouses = [this] { ShowWarehouses(); };
    mainForm_->OnSuppliers = [this] { ShowSuppliers(); };
    mainForm_->OnCurrencies = [this] { ShowCurrencies(); };

    if (!settingsError.isEmpty())
        fw::MessageDlg(options_.LoadAddOn ? settingsError + QStringLiteral("\rModulul suplimentar nu a fost incarcat.") : settingsError,
                       fw::TMsgDlgType::Error);
    else if (options_.LoadAddOn)
        LoadAddOn();
}

void TPelmarisHost::LoadAddOn()
{
    const QString file = options_.AddOnFile.isEmpty() ? AddOnFileName(iniFile_) : options_.AddOnFile;
    if (!addOn_.Load(file) || !addOn_.Init(screen_.get(), application_.get()))
        return;
    addOnName_ = addOn_.GetName();
    mainForm_->SetAddOnName(addOnName_);
    for (const fw::TTableDefinition& definition : addOn_.AddTables()) {
        try {
            addOnTables_.push_back(LayoutFromDefinition(definition));
        } catch (const fw::EDatabaseError& e) {
            fw::MessageDlg(QStringLiteral("Tabela <%1> a modulului suplimentar nu poate fi creata:\r%2")
                               .arg(definition.Name, e.Message()),
                           fw::TMsgDlgType::Error);
        }
    }
    addOnMenu_ = addOn_.MainForm(mainForm_.get());
    if (addOnMenu_)
        mainForm_->MergeMenu(addOnMenu_);
}

void TPelmarisHost::Shutdown()
{
    fw::SetDamagedDatabaseHandler({});
    // The main window owns the add-on's menus module: it goes first, with everything the
    // add-on hung on it, then the add-on gets its own objects back and is unloaded.
    if (mainForm_) {
        mainForm_->CloseChildWindows();
        mainForm_.reset();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    addOn_.Unload();
    companyDb_.reset();
    companyHold_.reset();
}

void TPelmarisHost::ReportError(const std::exception& error)
{
    // Said by the damaged-database handler, in words the user can act on.
    if (dynamic_cast<const fw::EDatabaseDamaged*>(&error))
        return;
    if (const auto* db = dynamic_cast<const fw::EDatabaseError*>(&error))
        fw::MessageDlg(DatabaseErrorText(db->Message()), fw::TMsgDlgType::Error);
    else
        application_->ShowException(error);
}

bool TPelmarisHost::OpenCompany(const QString& directory, bool confirmNew)
{
    const QString dir = QDir::cleanPath(QDir(directory).absolutePath());
    const QString shown = QDir::toNativeSeparators(dir);
    if (const QString problem = CompanyDirectoryProblem(dir); !problem.isEmpty()) {
        fw::MessageDlg(problem, fw::TMsgDlgType::Warning);
        return false;
    }
    if (!IsCompanyDirectory(dir) && confirmNew
        && fw::MessageDlg(QStringLiteral("Directorul <%1> nu contine o firma.\rCreati o firma noua in acest director?")
                              .arg(shown),
                          fw::TMsgDlgType::Confirmation, fw::TMsgDlgButtons::YesNo)
               != fw::TModalResult::Yes)
        return false;
    if (!mainForm_->CloseChildWindows())
        return false;
    damageShown_ = false;
    lastDamageMessage_.invalidate();
    openingDir_ = dir;
    // A directory that turns out to hold no company keeps no lock file of ours.
    const QString lockFile = QDir(dir).filePath(CompanyLockFile);
    const bool lockFileWasThere = QFileInfo::exists(lockFile);
    const auto refuse = [&](const QString& message, bool show = true) {
        if (!lockFileWasThere)
            QFile::remove(lockFile);
        if (show)
            fw::MessageDlg(message, fw::TMsgDlgType::Error);
        return false;
    };
    std::unique_ptr<fw::TFileLock> hold;
    std::shared_ptr<fw::Connection> db;
    try {
        fw::THourGlass wait(screen_.get());
        // A move onto a server cut short is finished (or dropped) before anything is read.
        SettleInterruptedMove(dir);
        // Held before anything is read, so that nobody remakes the company meanwhile.
        hold = HoldCompany(dir);
        db = OpenCompanyDatabase(dir, !IsCompanyDirectory(dir));
        if (!db->ReadOnly())
            PrepareCompanyDatabase(dir, addOnTables_);
        SetCompanyAliases(dir);
        openingDir_.clear();
    } catch (const fw::EDatabaseError& e) {
        openingDir_.clear();
        if (damagePending_) {
            ReportDamage();
            return refuse(QString(), false);
        }
        return refuse(DatabaseErrorText(e.Message()));
    } catch (const fw::EInOutError& e) {
        openingDir_.clear();
        return refuse(e.Message());
    }
    companyDb_ = std::move(db);
    companyHold_ = std::move(hold);
    companyDir_ = dir;
    companyReadOnly_ = companyDb_->ReadOnly();
    try {
        if (!damagePending_)
            fw::TSettingsStore().WriteString(fw::TSettingsStore::LastDatabaseDir, dir);
    } catch (const fw::EInOutError& e) {
        // The company is open all the same; only the next start will not find it.
        fw::MessageDlg(QStringLiteral("Directorul firmei nu a putut fi memorat:\r%1").arg(e.Message()),
                       fw::TMsgDlgType::Warning);
    }
    if (addOn_.Loaded())
        addOn_.ChangeDB(dir);
    mainForm_->SetCompany(CompanyName(dir), dir, companyReadOnly_ ? ReadOnlyCompanyText : QString());
    return true;
}

bool TPelmarisHost::CreateServerCompany(const QString& directory, const fw::TServerDatabase& server)
{
    const QString dir = QDir::cleanPath(QDir(directory).absolutePath());
    const QString shown = QDir::toNativeSeparators(dir);
    if (IsCompanyDirectory(dir)) {
        fw::MessageDlg(QStringLiteral("Directorul <%1> contine deja o firma.").arg(shown), fw::TMsgDlgType::Warning);
        return false;
    }
    if (!mainForm_->CloseChildWindows())
        return false;
    const bool madeDirectory = !QFileInfo(dir).isDir();
    try {
        fw::THourGlass wait(screen_.get());
        if (madeDirectory && !QDir().mkpath(dir))
            throw fw::EInOutError(QStringLiteral("Nu pot crea directorul %1").arg(shown));
        server.Write(dir);
        // The tables are made before the company is opened as any other.
        const std::shared_ptr<fw::Connection> db = OpenCompanyDatabase(dir, true);
        if (!db->ReadOnly())
            PrepareCompanyDatabase(dir, addOnTables_);
    } catch (const std::exception& e) {
        // The directory does not name a server it could not use.
        QFile::remove(QDir(dir).filePath(fw::TServerDatabase::FileName()));
        if (madeDirectory)
            QDir().rmdir(dir);
        const auto* db = dynamic_cast<const fw::EDatabaseError*>(&e);
        fw::MessageDlg(db ? DatabaseErrorText(db->Message()) : fw::ExceptionMessage(e), fw::TMsgDlgType::Error);
        return false;
    }
    return OpenCompany(dir, false);
}

bool TPelmarisHost::OpenDemoCompany(bool recreate)
{
    const QString dir = DemoCompanyDir();
    if (recreate || !IsCompanyDirectory(dir)) {
        if (!mainForm_->CloseChildWindows())
            return false;
        try {
            fw::THourGlass wait(screen_.get());
            const QString tool = options_.DemoTool.isEmpty() ? DemoToolFile() : options_.DemoTool;
            switch (RemakeDemoCompany(dir, tool)) {
            case TDemoOutcome::Made:
                break;
            case TDemoOutcome::InUse:
                mainForm_->ShowHint(DemoInUseText);
                break;
            case TDemoOutcome::MadeWithoutProduction:
                mainForm_->ShowHint(DemoWithoutProductionText(tool));
                break;
            }
        } catch (const std::exception& e) {
            fw::MessageDlg(QStringLiteral("Firma demonstrativa nu a putut fi creata:\r%1").arg(fw::ExceptionMessage(e)),
                           fw::TMsgDlgType::Error);
            return false;
        }
    }
    return OpenCompany(dir, false);
}

bool TPelmarisHost::OpenStartupCompany(const QString& argument)
{
    if (!argument.isEmpty())
        return OpenCompany(argument);
    const QString last = fw::TSettingsStore().ReadString(fw::TSettingsStore::LastDatabaseDir);
    if (!last.isEmpty() && IsCompanyDirectory(last))
        return OpenCompany(last, false);
    const QString picked = AskDirectory ? AskDirectory() : QString();
    return !picked.isEmpty() && OpenCompany(picked);
}

void TPelmarisHost::DatabaseDamaged(const QString& file)
{
    // Once per failing action; and not again and again while windows that keep reading
    // the damaged pages repaint behind the message.
    if (damagePending_ || (lastDamageMessage_.isValid() && lastDamageMessage_.elapsed() < 5000))
        return;
    damagePending_ = true;
    // Known from the connection, else the company being opened or the open one.
    const QString directory = !openingDir_.isEmpty() ? openingDir_ : companyDir_;
    damagedFile_ = !file.isEmpty() ? file : CompanyDatabaseFile(directory);
    // Not in the middle of the read that failed: its own error goes its way first.
    QTimer::singleShot(0, mainForm_.get(), [this] {
        if (damagePending_)
            ReportDamage();
    });
}

void TPelmarisHost::ReportDamage()
{
    damagePending_ = false;
    damageShown_ = true;
    ForgetAsLastCompany(QFileInfo(damagedFile_).absolutePath());
    fw::MessageDlg(DamagedCompanyText(damagedFile_), fw::TMsgDlgType::Error);
    lastDamageMessage_.start();
}

void TPelmarisHost::ForgetAsLastCompany(const QString& directory)
{
    try {
        fw::TSettingsStore store;
        const QString last = store.ReadString(fw::TSettingsStore::LastDatabaseDir);
        auto same = [](const QString& a, const QString& b) {
            const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
            return ca.isEmpty() || cb.isEmpty() ? QDir::cleanPath(a) == QDir::cleanPath(b) : ca == cb;
        };
        if (!last.isEmpty() && same(last, directory))
            store.WriteString(fw::TSettingsStore::LastDatabaseDir, QString());
    } catch (const fw::EInOutError&) {
        // The store cannot be written: the next start finds the company damaged again.
    }
}

template <typename Form>
Form* TPelmarisHost::ShowSingle(QPointer<TDataForm>& slot)
{
    if (companyDir_.isEmpty()) {
        fw::MessageDlg(QStringLiteral("Deschideti mai intai o firma!"), fw::TMsgDlgType::Warning);
        return nullptr;
    }
    if (slot) {
        slot->BringToFront();
        return static_cast<Form*>(slot.data());
    }
    auto form = std::make_unique<Form>(mainForm_.get());
    if (!form->OpenData())
        return nullptr;
    if (companyReadOnly_) {
        // Nothing can be saved: the windows offer no change to begin with.
        for (fw::TDBGridNormal* grid : form->Grids())
            grid->SetReadOnly(true);
        // The navigator has no meta-object of its own, so widgets are told apart by type.
        for (QWidget* child : form->template findChildren<QWidget*>()) {
            if (auto* navigator = dynamic_cast<fw::TDBNavigator*>(child))
                navigator->SetVisibleButtons({fw::TNavigateBtn::First, fw::TNavigateBtn::Prior, fw::TNavigateBtn::Next,
                                              fw::TNavigateBtn::Last, fw::TNavigateBtn::Refresh});
        }
    }
    slot = form.get();
    form->ShowFitted();
    return form.release(); // owned by the main window now, freed when closed
}

TDocInForm* TPelmarisHost::ShowDocIn()
{
    const bool existed = docIn_ != nullptr;
    TDocInForm* form = ShowSingle<TDocInForm>(docIn_);
    if (form && !existed && addOn_.Loaded())
        mainForm_->SetWindowMenu(form, addOn_.DocInForm(form, form->Headers()));
    return form;
}

TDataForm* TPelmarisHost::ShowDocOut()
{
    TDocOutForm* form = ShowSingle<TDocOutForm>(docOut_);
    if (!form)
        return nullptr;
    // The add-on judges the lots when it can; without it any lot leaves, as it always did.
    form->SetLotCheck([this](const QString& group, const QString& code, const QString& lot) {
        return addOn_.LotRefusal(group, code, lot);
    });
    form->NewLineButton()->setVisible(!companyReadOnly_);
    return form;
}

TDataForm* TPelmarisHost::ShowStock() { return ShowSingle<TStockForm>(stock_); }

TDataForm* TPelmarisHost::ShowCatalog() { return ShowSingle<TCatalogForm>(catalog_); }

TDataForm* TPelmarisHost::ShowClasses() { return ShowSingle<TClassesForm>(classes_); }

TDataForm* TPelmarisHost::ShowWarehouses() { return ShowSingle<TWarehousesForm>(warehouses_); }

TDataForm* TPelmarisHost::ShowSuppliers() { return ShowSingle<TSuppliersForm>(suppliers_); }

TDataForm* TPelmarisHost::ShowCurrencies() { return ShowSingle<TCurrenciesForm>(currencies_); }

} // namespace pelmaris
