#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace fw {

// The host's per-user settings, the place where the host records the company directory
// it used last and the add-on looks it up. It stands for the registry key
// "Software\Vendrako\Pelmaris" of the current user and is kept in QSettings' native
// format for organisation "Vendrako", application "Pelmaris": on Linux the file
// $XDG_CONFIG_HOME/Vendrako/Pelmaris.conf (~/.config when unset). Every call opens the
// store afresh, so a value the host has just written is what the add-on reads. Values
// are strings; unlike registry value names these names are case-sensitive, so both
// sides use the constants below.
class TSettingsStore final {
public:
    static constexpr QLatin1String Organisation{"Vendrako"};
    static constexpr QLatin1String Application{"Pelmaris"};
    // The host's last company directory.
    static constexpr QLatin1String LastDatabaseDir{"LastDatabaseDir"};

    TSettingsStore() : TSettingsStore(Organisation, Application) {}
    TSettingsStore(QString organisation, QString application);

    // Makes sure the store exists, creating an empty one when it is missing, as opening
    // the key with creation allowed does. False when it cannot be created (a folder the
    // user may not write): that is no error for a reader, who then finds every value
    // missing; only a write reports it.
    bool Create();
    bool Exists() const;

    // The value, or an empty string when it is missing.
    QString ReadString(const QString& name) const;
    bool ValueExists(const QString& name) const;
    // Stores the value at once; EInOutError "Unable to write to <store>" when it cannot.
    void WriteString(const QString& name, const QString& value);

    // Where the store lives (a file path on Linux).
    QString FileName() const;

private:
    std::unique_ptr<QSettings> Open() const;

    QString organisation_;
    QString application_;
};

} // namespace fw
