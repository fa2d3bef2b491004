#include "host/AddOn.h"

#include "platform/boundary/HostString.h"
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QEvent>

#include <dlfcn.h>

namespace pelmaris {

// The entry points as the add-on exports them, with C linkage.
extern "C" {
using TInitAddOnDLL = void (*)(fw::TScreen*, fw::TApplication*);
using TClearAddOnDLL = void (*)();
using TQvxAddOnGetName = void (*)(char**);
using TQvxAddOnAddTables = void (*)(fw::DEF_TABLE_LIST*);
using TQvxAddOnMainForm = fw::TMenuItem* (*)(QObject*);
using TQvxAddOnChangeDB = void (*)(const char*);
using TQvxAddOnDocInForm = fw::TMenuItem* (*)(QObject*, fw::TDataSet*);
using TQvxAddOnLotUsable = int (*)(const char*, const char*, const char*, char**, char**);
}

struct TAddOnLibrary::Entries {
    TInitAddOnDLL InitAddOnDLL = nullptr;
    TClearAddOnDLL ClearAddOnDLL = nullptr;
    TQvxAddOnGetName QvxAddOnGetName = nullptr;
    TQvxAddOnAddTables QvxAddOnAddTables = nullptr;
    TQvxAddOnMainForm QvxAddOnMainForm = nullptr;
    TQvxAddOnChangeDB QvxAddOnChangeDB = nullptr;
    TQvxAddOnDocInForm QvxAddOnDocInForm = nullptr;
    TQvxAddOnLotUsable QvxAddOnLotUsable = nullptr; // optional: an older add-on lacks it
};

namespace {

void Tell(const QString& text) { fw::MessageDlg(text, fw::TMsgDlgType::Error, fw::TMsgDlgButtons::OK); }

} // namespace

TAddOnLibrary::TAddOnLibrary() = default;

TAddOnLibrary::~TAddOnLibrary() { Unload(); }

bool TAddOnLibrary::Load(const QString& fileName)
{
    Unload();
    fileName_ = fileName;
    handle_ = dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        Tell(QStringLiteral("Modulul suplimentar nu a putut fi incarcat:\r%1\r%2\rProgramul continua fara el.")
                 .arg(QDir::toNativeSeparators(fileName), QString::fromLocal8Bit(why ? why : "")));
        return false;
    }
    auto entries = std::make_unique<Entries>();
    QStringList missing;
    auto resolve = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(handle_, name));
        if (!slot)
            missing << QString::fromLatin1(name);
    };
    resolve(entries->InitAddOnDLL, "InitAddOnDLL");
    resolve(entries->ClearAddOnDLL, "ClearAddOnDLL");
    resolve(entries->QvxAddOnGetName, "QvxAddOnGetName");
    resolve(entries->QvxAddOnAddTables, "QvxAddOnAddTables");
    resolve(entries->QvxAddOnMainForm, "QvxAddOnMainForm");
    resolve(entries->QvxAddOnChangeDB, "QvxAddOnChangeDB");
    resolve(entries->QvxAddOnDocInForm, "QvxAddOnDocInForm");
    if (!missing.isEmpty()) {
        dlclose(handle_);
        handle_ = nullptr;
        Tell(QStringLiteral("Modulul suplimentar %1 nu contine functia %2.\rProgramul continua fara el.")
                 .arg(QDir::toNativeSeparators(fileName), missing.join(QStringLiteral(", "))));
        return false;
    }
    // An add-on made before the host asked about lots still loads: the host then ships
    // any lot, as it did.
    entries->QvxAddOnLotUsable = reinterpret_cast<TQvxAddOnLotUsable>(dlsym(handle_, "QvxAddOnLotUsable"));
    entries_ = std::move(entries);
    return true;
}

QString TAddOnLibrary::CallQuietly(const char* entryPoint, const std::function<void()>& call)
{
    QString what;
    try {
        call();
        return QString();
    } catch (const std::exception& e) {
        what = fw::ExceptionMessage(e);
    } catch (...) {
        what = QStringLiteral("Eroare necunoscuta");
    }
    return QStringLiteral("Eroare in modulul suplimentar, la apelul %1:\r%2").arg(QString::fromLatin1(entryPoint), what);
}

bool TAddOnLibrary::Call(const char* entryPoint, const std::function<void()>& call)
{
    if (!entries_)
        return false;
    const QString report = CallQuietly(entryPoint, call);
    if (report.isEmpty())
        return true;
    Tell(report);
    return false;
}

bool TAddOnLibrary::Init(fw::TScreen* screen, fw::TApplication* application)
{
    initialised_ = Call("InitAddOnDLL", [&] { entries_->InitAddOnDLL(screen, application); });
    if (!initialised_ && entries_) {
        // Half initialised is not a state to work in: give the add-on back its own
        // objects if it got that far, and do without it.
        Call("ClearAddOnDLL", [&] { entries_->ClearAddOnDLL(); });
        Unload();
    }
    return initialised_;
}

QString TAddOnLibrary::GetName()
{
    fw::THostString name;
    if (!Call("QvxAddOnGetName", [&] { entries_->QvxAddOnGetName(name.Address()); }))
        return QString();
    // Copied now: the add-on's name may be a constant inside the library.
    return name.ToQString();
}

std::vector<fw::TTableDefinition> TAddOnLibrary::AddTables()
{
    std::vector<fw::TTableDefinition> definitions;
    if (!entries_)
        return definitions;
    auto list = std::make_unique<fw::DEF_TABLE_LIST>();
    Call("QvxAddOnAddTables", [&] { entries_->QvxAddOnAddTables(list.get()); });
    if (list->Count < 0 || list->Count > fw::MaxTableDefs) {
        // Nothing in such a list can be trusted, not even to free it.
        Tell(QStringLiteral("Modulul suplimentar a intors o lista de tabele invalida (%1 intrari).").arg(list->Count));
        return definitions;
    }
    for (int i = 0; i < list->Count; ++i) {
        fw::DEF_TABLE& entry = list->Tables[i];
        try {
            definitions.push_back(fw::ReadTableDef(entry));
            fw::FreeTableDef(entry);
        } catch (const std::exception& e) {
            Tell(QStringLiteral("Definitia tabelei nr. %1 a modulului suplimentar este invalida:\r%2")
                     .arg(i + 1)
                     .arg(fw::ExceptionMessage(e)));
        }
    }
    list->Count = 0;
    return definitions;
}

fw::TMenuItem* TAddOnLibrary::MainForm(QObject* owner)
{
    fw::TMenuItem* menu = nullptr;
    Call("QvxAddOnMainForm", [&] { menu = entries_->QvxAddOnMainForm(owner); });
    return menu;
}

bool TAddOnLibrary::ChangeDB(const QString& directory)
{
    const fw::THostString dir(directory);
    return Call("QvxAddOnChangeDB", [&] { entries_->QvxAddOnChangeDB(dir.Get()); });
}

fw::TMenuItem* TAddOnLibrary::DocInForm(QObject* window, fw::TDataSet* dataSet)
{
    fw::TMenuItem* menu = nullptr;
    Call("QvxAddOnDocInForm", [&] { menu = entries_->QvxAddOnDocInForm(window, dataSet); });
    return menu;
}

std::optional<TLotRefusal> TAddOnLibrary::LotRefusal(const QString& group, const QString& code, const QString& lot)
{
    if (!entries_ || !entries_->QvxAddOnLotUsable || !initialised_)
        return std::nullopt;
    const fw::THostString g(group), c(code), l(lot);
    fw::THostString state, reason;
    int usable = 1;
    const QString report = CallQuietly("QvxAddOnLotUsable", [&] {
        usable = entries_->QvxAddOnLotUsable(g.Get(), c.Get(), l.Get(), state.Address(), reason.Address());
    });
    if (!report.isEmpty())
        throw fw::Exception(report);
    if (usable != 0)
        return std::nullopt;
    return TLotRefusal{state.ToQString(), reason.ToQString()};
}

void TAddOnLibrary::Clear()
{
    if (!initialised_)
        return;
    initialised_ = false;
    Call("ClearAddOnDLL", [&] { entries_->ClearAddOnDLL(); });
}

void TAddOnLibrary::Unload()
{
    if (!entries_)
        return;
    // Objects the add-on has scheduled for deletion run its code when they go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Clear();
    entries_.reset();
    dlclose(handle_);
    handle_ = nullptr;
}

QString AddOnFileName(const QString& hostIniFile)
{
    const QString configured =
        fw::TIniFile(hostIniFile).ReadString(QStringLiteral("AddOns"), QStringLiteral("Production"), QString());
    // A relative path is taken from the program's folder, as the default is. Built, the
    // add-on lies beside the program; installed, in the program's library folder.
    const QDir programDir(QCoreApplication::applicationDirPath());
    if (!configured.isEmpty())
        return programDir.filePath(configured);
    const QString beside = programDir.filePath(QStringLiteral("libCorvanel.so"));
    const QString installed = programDir.filePath(QStringLiteral("../lib/pelmaris/libCorvanel.so"));
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? QDir::cleanPath(installed) : beside;
}

} // namespace pelmaris
