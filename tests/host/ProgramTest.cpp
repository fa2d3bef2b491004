// The program as started from a shell: its help without a display, and Qt's own texts
// in Romanian.
#include "BuiltFiles.h"
#include "TempDir.h"
#include "host/QtRomanian.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(Program, HelpIsRomanianAndNeedsNoDisplay)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A windowing system that is not there: starting it would abort the program.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(environment);
    program.start(QString::fromUtf8(built::kPelmarisFile), {QStringLiteral("--help")});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    const QString help = QString::fromUtf8(program.readAllStandardOutput());
    for (const char* expected : {"Utilizare:", "Optiuni:", "Afiseaza ajutorul", "--demo", "Argumente:", "director"})
        EXPECT_TRUE(help.contains(QString::fromLatin1(expected))) << expected << "\n" << help.toStdString();
}

TEST(Program, StandardButtonsSpeakRomanian)
{
    auto* texts = new pelmaris::TRomanianQtTexts(qApp);
    QCoreApplication::installTranslator(texts);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Da"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("&Nu"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Renunta"));
    box.setIcon(QMessageBox::Question);
    box.setText(QStringLiteral("Stergeti inregistrarea?"));
    box.grab().save(testsupport::LookDir() + QStringLiteral("/host-mesaj.png"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Cauta in:"));
    // What the catalogue lacks stays as Qt has it.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "No such text"), QStringLiteral("No such text"));
    QCoreApplication::removeTranslator(texts);
    delete texts;
}
