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

TServerDatabase TServerDatabase::FromConnectionString(const QString& text)
{
    TServerDatabase server;
    int i = 0;
    const int n = int(text.size());
    while (i < n) {
        while (i < n && text.at(i).isSpace())
            ++i;
        const int eq = int(text.indexOf(QLatin1Char('='), i));
        if (eq < 0)
            break;
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && text.at(i) == QLatin1Char('\'')) {
            for (++i; i < n && text.at(i) != QLatin1Char('\''); ++i) {
                if (text.at(i) == QLatin1Char('\\') && i + 1 < n)
                    ++i;
                value += text.at(i);
            }
            ++i;
        } else {
            while (i < n && !text.at(i).isSpace())
                value += text.at(i++);
        }
        if (key == QLatin1String("host"))
            server.Host = value;
        else if (key == QLatin1String("port"))
            server.Port = value.toInt();
        else if (key == QLatin1String("dbname"))
            server.Database = value;
        else if (key == QLatin1String("user"))
            server.User = value;
        else if (key == QLatin1String("schema"))
            server.Schema = value;
    }
    return server;
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
