#include "platform/db/ServerDatabase.h"

#include "platform/config/AtomicFile.h"
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <libpq-fe.h>
#include <map>

namespace fw {

namespace {

const QString kSection = QStringLiteral("PostgreSQL");
// The program's own keyword beside the client's.
const QString kSchema = QStringLiteral("schema");

// The keywords the client library knows, and those of them that hold a password.
struct TClientKeywords {
    QSet<QString> known;
    QSet<QString> secret;
};

const TClientKeywords& ClientKeywords()
{
    static const TClientKeywords keywords = [] {
        TClientKeywords k;
        PQconninfoOption* options = PQconndefaults();
        for (const PQconninfoOption* o = options; o && o->keyword; ++o) {
            k.known.insert(QString::fromLatin1(o->keyword));
            if (o->dispchar && o->dispchar[0] == '*')
                k.secret.insert(QString::fromLatin1(o->keyword));
        }
        PQconninfoFree(options);
        return k;
    }();
    return keywords;
}

bool IsInteger(const QString& value)
{
    bool ok = false;
    value.toLongLong(&ok);
    return ok && !value.startsWith(QLatin1Char('+'));
}

// What is wrong with a value for its keyword; empty when nothing is. The client would
// refuse these only once it connects, or (a port) take what comes before the garbage.
QString ValueProblem(const QString& key, const QString& value)
{
    static const std::map<QString, QStringList> choices{
        {QStringLiteral("sslmode"),
         {QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"), QStringLiteral("require"),
          QStringLiteral("verify-ca"), QStringLiteral("verify-full")}},
        {QStringLiteral("gssencmode"), {QStringLiteral("disable"), QStringLiteral("prefer"), QStringLiteral("require")}},
        {QStringLiteral("channel_binding"), {QStringLiteral("disable"), QStringLiteral("prefer"), QStringLiteral("require")}},
        {QStringLiteral("target_session_attrs"),
         {QStringLiteral("any"), QStringLiteral("read-write"), QStringLiteral("read-only"), QStringLiteral("primary"),
          QStringLiteral("standby"), QStringLiteral("prefer-standby")}},
        {QStringLiteral("ssl_min_protocol_version"),
         {QStringLiteral("TLSv1"), QStringLiteral("TLSv1.1"), QStringLiteral("TLSv1.2"), QStringLiteral("TLSv1.3")}},
        {QStringLiteral("ssl_max_protocol_version"),
         {QStringLiteral("TLSv1"), QStringLiteral("TLSv1.1"), QStringLiteral("TLSv1.2"), QStringLiteral("TLSv1.3")}},
        {QStringLiteral("sslcompression"), {QStringLiteral("0"), QStringLiteral("1")}},
        {QStringLiteral("sslsni"), {QStringLiteral("0"), QStringLiteral("1")}},
    };
    static const QSet<QString> integers{QStringLiteral("connect_timeout"), QStringLiteral("keepalives"),
                                        QStringLiteral("keepalives_idle"), QStringLiteral("keepalives_interval"),
                                        QStringLiteral("keepalives_count"), QStringLiteral("tcp_user_timeout")};
    // The program hands the keywords to the client separated by ";" (as QtSql takes them).
    for (const QChar c : value)
        if (c == QLatin1Char(';') || c.category() == QChar::Other_Control)
            return dbmsg::ConnectionValueCharacter(key);
    if (key == QLatin1String("port")) {
        const int port = IsInteger(value) ? value.toInt() : 0;
        if (port < 1 || port > 65535)
            return dbmsg::ConnectionValueInvalid(key, value, dbmsg::ConnectionExpectsPort());
    } else if (integers.contains(key)) {
        if (!IsInteger(value))
            return dbmsg::ConnectionValueInvalid(key, value, dbmsg::ConnectionExpectsInteger());
    } else if (const auto c = choices.find(key); c != choices.end()) {
        if (!c->second.contains(value))
            return dbmsg::ConnectionValueInvalid(key, value, dbmsg::ConnectionExpectsOneOf(c->second));
    }
    return QString();
}

// Takes one keyword into `server`; what is wrong with it, else empty. `seen` holds the
// keywords taken so far.
QString Assign(TServerDatabase& server, const QString& key, const QString& value, QSet<QString>& seen)
{
    if (seen.contains(key))
        return dbmsg::ConnectionKeywordRepeated(key);
    seen.insert(key);
    if (key == kSchema) {
        server.Schema = value;
        return QString();
    }
    const TClientKeywords& keywords = ClientKeywords();
    if (keywords.secret.contains(key))
        return dbmsg::ConnectionPassword(key);
    if (!keywords.known.contains(key))
        return dbmsg::ConnectionKeywordUnknown(key);
    if (QString problem = ValueProblem(key, value); !problem.isEmpty())
        return problem;
    if (key == QLatin1String("host"))
        server.Host = value;
    else if (key == QLatin1String("port"))
        server.Port = value.toInt();
    else if (key == QLatin1String("dbname"))
        server.Database = value;
    else if (key == QLatin1String("user"))
        server.User = value;
    else
        server.Options.emplace_back(key, value);
    return QString();
}

// A value as the connection file keeps it: the settings file reads a value without the
// blanks at its ends or the double quotes around it, unless it is quoted.
QByteArray FileValue(const QString& value)
{
    const bool quote = value.trimmed() != value || (value.size() >= 2 && value.startsWith(QLatin1Char('"')));
    return quote ? '"' + value.toUtf8() + '"' : value.toUtf8();
}

} // namespace

QString TServerDatabase::FileName() { return QStringLiteral("firma.pgsql"); }

std::optional<TServerDatabase> TServerDatabase::Read(const QString& directory)
{
    const QString file = QDir(directory).filePath(FileName());
    const QFileInfo info(file);
    // A link to nothing is a connection file that cannot be read, not a company on no server.
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    if (!info.isFile() || !info.isReadable())
        throw EDatabaseError(dbmsg::ConnectionFileUnreadable(file));
    const TIniFile ini(file);
    TServerDatabase server;
    QSet<QString> seen;
    try {
        // Every entry as often as it occurs: a keyword given twice is refused, as in a
        // connection string, rather than the first one taken unseen.
        for (const QString& key : ini.ReadSectionEntries(kSection)) {
            // The file names the database "database" (the client's "dbname" is taken too).
            QString keyword = key.toLower();
            if (keyword == QLatin1String("database"))
                keyword = QStringLiteral("dbname");
            const QString problem = Assign(server, keyword, ini.ReadString(kSection, key, QString()), seen);
            if (!problem.isEmpty())
                throw EDatabaseError(dbmsg::ConnectionFileInvalid(file, problem));
        }
    } catch (const EInOutError&) {
        throw EDatabaseError(dbmsg::ConnectionFileUnreadable(file));
    }
    if (server.Database.isEmpty())
        throw EDatabaseError(dbmsg::ConnectionFileWithoutDatabase(file));
    return server;
}

void TServerDatabase::Write(const QString& directory) const
{
    QByteArray text = "[" + kSection.toUtf8() + "]\n";
    auto line = [&](const QString& key, const QString& value) {
        if (!value.isEmpty())
            text += key.toUtf8() + '=' + FileValue(value) + '\n';
    };
    line(QStringLiteral("host"), Host);
    line(QStringLiteral("port"), Port > 0 ? QString::number(Port) : QString());
    line(QStringLiteral("database"), Database);
    line(QStringLiteral("user"), User);
    line(kSchema, Schema);
    for (const auto& [key, value] : Options)
        line(key, value);
    const QString file = QDir(directory).filePath(FileName());
    if (!SaveFileAtomically(file, text))
        RaiseUnableToWrite(file);
}

TServerDatabase TServerDatabase::FromConnectionString(const QString& text)
{
    // The client's own syntax: keyword = value pairs apart by blanks; a value in single
    // quotes may hold blanks; a backslash takes the next character as it is.
    TServerDatabase server;
    QSet<QString> seen;
    auto refuse = [](const QString& problem) { return EDatabaseError(dbmsg::ConnectionStringInvalid(problem)); };
    int i = 0;
    const int n = int(text.size());
    while (true) {
        while (i < n && text.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        const int start = i;
        while (i < n && text.at(i) != QLatin1Char('=') && !text.at(i).isSpace())
            ++i;
        const QString key = text.mid(start, i - start);
        while (i < n && text.at(i).isSpace())
            ++i;
        if (key.isEmpty() || i >= n || text.at(i) != QLatin1Char('=')) {
            // The word that should have been "key=value" ("=x" for one without its key).
            int end = key.isEmpty() ? start + 1 : start + int(key.size());
            while (key.isEmpty() && end < n && !text.at(end).isSpace())
                ++end;
            throw refuse(dbmsg::ConnectionNotKeyValue(text.mid(start, end - start)));
        }
        ++i;
        while (i < n && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && text.at(i) == QLatin1Char('\'')) {
            bool closed = false;
            for (++i; i < n; ++i) {
                if (text.at(i) == QLatin1Char('\'')) {
                    closed = true;
                    ++i;
                    break;
                }
                if (text.at(i) == QLatin1Char('\\') && i + 1 < n)
                    ++i;
                value += text.at(i);
            }
            if (!closed)
                throw refuse(dbmsg::ConnectionOpenQuote(key));
        } else {
            for (; i < n && !text.at(i).isSpace(); ++i) {
                if (text.at(i) == QLatin1Char('\\') && i + 1 < n)
                    ++i;
                value += text.at(i);
            }
        }
        if (const QString problem = Assign(server, key, value, seen); !problem.isEmpty())
            throw refuse(problem);
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

std::vector<std::pair<QString, QString>> TServerDatabase::Parameters() const
{
    std::vector<std::pair<QString, QString>> out;
    auto add = [&](const QString& key, const QString& value) {
        if (!value.isEmpty())
            out.emplace_back(key, value);
    };
    add(QStringLiteral("host"), Host);
    add(QStringLiteral("port"), Port > 0 ? QString::number(Port) : QString());
    add(QStringLiteral("dbname"), Database);
    add(QStringLiteral("user"), User);
    for (const auto& option : Options)
        out.push_back(option);
    return out;
}

} // namespace fw
