#include "platform/db/ServerDatabase.h"

#include "platform/config/AtomicFile.h"
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFileInfo>

namespace fw {

namespace {
const QString kSection = QStringLiteral("PostgreSQL");
} // namespace

QString TServerDatabase::FileName() { return QStringLiteral("firma.pgsql"); }

std::optional<TServerDatabase> TServerDatabase::Read(const QString& directory)
{
    const QString file = QDir(directory).filePath(FileName());
    const QFileInfo info(file);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile() || !info.isReadable())
        throw EDatabaseError(QStringLiteral("Fisierul de conectare <%1> nu poate fi citit.").arg(QDir::toNativeSeparators(file)));
    const TIniFile ini(file);
    TServerDatabase server;
    server.Host = ini.ReadString(kSection, QStringLiteral("host"), QString());
    server.Port = ini.ReadInteger(kSection, QStringLiteral("port"), 0);
    server.Database = ini.ReadString(kSection, QStringLiteral("database"), QString());
    server.User = ini.ReadString(kSection, QStringLiteral("user"), QString());
    server.Schema = ini.ReadString(kSection, QStringLiteral("schema"), QString());
    if (server.Database.isEmpty())
        throw EDatabaseError(QStringLiteral("Fisierul de conectare <%1> nu numeste baza de date (database=).")
                                 .arg(QDir::toNativeSeparators(file)));
    return server;
}

void TServerDatabase::Write(const QString& directory) const
{
    QByteArray text = "[" + kSection.toUtf8() + "]\n";
    auto line = [&](const char* key, const QString& value) {
        if (!value.isEmpty())
            text += QByteArray(key) + '=' + value.toUtf8() + '\n';
    };
    line("host", Host);
    line("port", Port > 0 ? QString::number(Port) : QString());
    line("database", Database);
    line("user", User);
    line("schema", Schema);
    const QString file = QDir(directory).filePath(FileName());
    if (!SaveFileAtomically(file, text))
        RaiseUnableToWrite(file);
}

QString TServerDatabase::SchemaName() const { return Schema.isEmpty() ? QStringLiteral("public") : Schema.toLower(); }

QString TServerDatabase::Describe() const
{
    QString where = Host.isEmpty() ? QStringLiteral("localhost") : Host;
    if (Port > 0)
        where += QLatin1Char(':') + QString::number(Port);
    where += QLatin1Char('/') + Database;
    if (!Schema.isEmpty())
        where += QLatin1Char('.') + SchemaName();
    return where;
}

} // namespace fw
