// The connection file of a company on a server (firma.pgsql) and the connection string
// the user types (corvanel migrate --to). Either is refused with the framework's error or
// names a database that, written to a connection file, reads back the same.
#include "FuzzInput.h"
#include "platform/core/Exceptions.h"
#include "platform/db/ServerDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Empty values say nothing (the client's default) and are not written.
std::vector<std::pair<QString, QString>> Said(const fw::TServerDatabase& s)
{
    std::vector<std::pair<QString, QString>> options;
    for (const auto& option : s.Options) {
        if (!option.second.isEmpty())
            options.push_back(option);
    }
    return options;
}

bool Same(const fw::TServerDatabase& a, const fw::TServerDatabase& b)
{
    return a.Host == b.Host && a.Port == b.Port && a.Database == b.Database && a.User == b.User &&
           a.Schema == b.Schema && Said(a) == Said(b);
}

void CheckRoundTrip(const fw::TServerDatabase& server, const QString& dir)
{
    if (server.Database.isEmpty())
        return;
    server.Write(dir);
    const auto again = fw::TServerDatabase::Read(dir);
    FUZZ_CHECK(again && Same(*again, server));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString fileDir = [] {
        QDir(dir.path()).mkdir(QStringLiteral("file"));
        return dir.filePath(QStringLiteral("file"));
    }();
    static const QString copyDir = [] {
        QDir(dir.path()).mkdir(QStringLiteral("copy"));
        return dir.filePath(QStringLiteral("copy"));
    }();

    // A connection string \0 the text of a connection file
    const QList<QByteArray> f = fuzz::Fields(data, size, 1);
    try {
        CheckRoundTrip(fw::TServerDatabase::FromConnectionString(QString::fromUtf8(f[0])), copyDir);
    } catch (const fw::EDatabaseError&) {
    }
    {
        QFile file(QDir(fileDir).filePath(fw::TServerDatabase::FileName()));
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(f[1]) == f[1].size());
    }
    try {
        const auto server = fw::TServerDatabase::Read(fileDir);
        FUZZ_CHECK(server.has_value());
        CheckRoundTrip(*server, copyDir);
    } catch (const fw::EDatabaseError&) {
    }
    return 0;
}
