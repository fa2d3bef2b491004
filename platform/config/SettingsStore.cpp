#include "platform/config/SettingsStore.h"

#include "platform/config/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace fw {

TSettingsStore::TSettingsStore(QString organisation, QString application)
    : organisation_(std::move(organisation)), application_(std::move(application))
{
}

std::unique_ptr<QSettings> TSettingsStore::Open() const
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation_, application_);
}

QString TSettingsStore::FileName() const { return Open()->fileName(); }

bool TSettingsStore::Exists() const { return QFileInfo::exists(FileName()); }

bool TSettingsStore::Create()
{
    if (Exists())
        return true;
    // QSettings writes no file until it holds a value, so the empty store is made by hand.
    const QString fileName = FileName();
    QFile file(fileName);
    return QDir().mkpath(QFileInfo(fileName).absolutePath()) && file.open(QIODevice::WriteOnly | QIODevice::Append);
}

QString TSettingsStore::ReadString(const QString& name) const { return Open()->value(name).toString(); }

bool TSettingsStore::ValueExists(const QString& name) const { return Open()->contains(name); }

void TSettingsStore::WriteString(const QString& name, const QString& value)
{
    const std::unique_ptr<QSettings> settings = Open();
    settings->setValue(name, value);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        RaiseUnableToWrite(settings->fileName());
}

} // namespace fw
