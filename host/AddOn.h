#pragma once

#include "platform/boundary/TableDefs.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QObject;

namespace fw {
class TApplication;
class TDataSet;
class TMenuItem;
class TScreen;
} // namespace fw

namespace pelmaris {

// Why a lot may not leave the stock: its standing's name and the reason given for it.
struct TLotRefusal {
    QString State;
    QString Reason;
};

// The add-on library and its seven entry points. Load resolves them all or keeps
// nothing (and the optional QvxAddOnLotUsable where the library has it); each call runs one entry point and reports what goes wrong in a message box
// (the add-on catches nothing at its entry points), so the host carries on without what
// that call would have given. The order in which the host calls them is the host's
// business (see TPelmarisHost); this class only makes each call safe.
class TAddOnLibrary final {
public:
    TAddOnLibrary();
    ~TAddOnLibrary();
    TAddOnLibrary(const TAddOnLibrary&) = delete;
    TAddOnLibrary& operator=(const TAddOnLibrary&) = delete;

    // Loads the library and resolves the entry points. A library that cannot be loaded
    // or lacks one of them is reported and left unloaded; false then.
    bool Load(const QString& fileName);
    bool Loaded() const { return entries_ != nullptr; }
    const QString& FileName() const { return fileName_; }

    // InitAddOnDLL: false (and the library unloaded again) when it failed.
    bool Init(fw::TScreen* screen, fw::TApplication* application);
    // QvxAddOnGetName: the display name, copied out of the add-on's string (which is
    // released at once); empty when the call failed.
    QString GetName();
    // QvxAddOnAddTables: the definitions the add-on wrote into a fresh list, read back
    // and freed again. Whatever was written before a failure is still read and freed.
    std::vector<fw::TTableDefinition> AddTables();
    // QvxAddOnMainForm: the add-on's main menu, owned by the add-on's module that the
    // owner now owns; null when the call failed.
    fw::TMenuItem* MainForm(QObject* owner);
    // QvxAddOnChangeDB, with the directory as a host string released after the call.
    bool ChangeDB(const QString& directory);
    // QvxAddOnDocInForm: the add-on's document menu, or null.
    fw::TMenuItem* DocInForm(QObject* window, fw::TDataSet* dataSet);
    // QvxAddOnLotUsable: why the lot may not leave the stock, none when it may or when no
    // add-on (or one without that entry point, or without a company) judges it. Asked
    // inside the host's writing transaction, so nothing is shown: what the add-on throws
    // comes back as fw::Exception with the message the other calls would show, for the
    // caller to show once the transaction is rolled back.
    std::optional<TLotRefusal> LotRefusal(const QString& group, const QString& code, const QString& lot);
    // ClearAddOnDLL, once after a successful Init; later calls do nothing.
    void Clear();
    // Clears if needed and unloads the library. Every object the add-on made must be
    // gone by then (the caller destroys the owner of its menus first).
    void Unload();

private:
    struct Entries;
    // Runs one entry point; an exception is reported with the entry point's name.
    bool Call(const char* entryPoint, const std::function<void()>& call);
    // The same, the report given back rather than shown: empty when the call succeeded.
    QString CallQuietly(const char* entryPoint, const std::function<void()>& call);

    // A handle of the dynamic loader's own: it counts each opening, so the library stays
    // as long as any holder of it does (QLibrary shares one handle among its instances).
    void* handle_ = nullptr;
    QString fileName_;
    std::unique_ptr<Entries> entries_;
    bool initialised_ = false;
};

// Where the host looks for the add-on: the path in the host's INI file (section
// "AddOns", key "Production") when there is one, else libCorvanel.so next to the program.
QString AddOnFileName(const QString& hostIniFile);

} // namespace pelmaris
