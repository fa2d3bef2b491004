// The main() of every test executable: an offscreen application, and a process whose
// settings, runtime files and current directory live in a temporary folder of its own.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    return RUN_ALL_TESTS();
}
