// The main() of every test executable: an offscreen application, and a process whose
// settings, runtime files and current directory live in a temporary folder of its own.
#include "Engine.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/corvanel-test-XXXXXX"));
    if (!sandbox.isValid())
        return 2;
    const QString root = sandbox.path();
    for (const char* sub : {"config", "runtime", "data", "cwd"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
    QFile::setPermissions(root + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir::setCurrent(root + QStringLiteral("/cwd"));

    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // A run on a server that is not there says so once and skips every test, rather than
    // failing them all or passing them unseen.
    class TNoServer final : public ::testing::Environment {
    public:
        void SetUp() override { GTEST_SKIP() << "PostgreSQL tests skipped: " << testsupport::ServerUnavailable().toStdString(); }
    };
    if (testsupport::OnServer() && !testsupport::ServerUnavailable().isEmpty()) {
        std::printf("PostgreSQL tests skipped: %s\n", qPrintable(testsupport::ServerUnavailable()));
        ::testing::AddGlobalTestEnvironment(new TNoServer);
    }
    return RUN_ALL_TESTS();
}
