#pragma once

#include "BuiltFiles.h"
#include "DbFixture.h"
#include "host/Host.h"
#include "host/MainForm.h"
#include "platform/print/Printer.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace hosttest {

// The entries of a menu bar or menu as text, separators as "-", hidden ones left out.
inline QStringList Entries(const QWidget* widget)
{
    QStringList texts;
    for (const QAction* a : widget->actions()) {
        if (a->isVisible())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return texts;
}

inline QAction* FindAction(const QWidget* widget, const QString& text)
{
    for (QAction* a : widget->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

inline QMenu* SubMenu(const QWidget* widget, const QString& text)
{
    QAction* a = FindAction(widget, text);
    return a ? a->menu() : nullptr;
}

// The lines the stand-in add-on has logged so far.
// The print dialogs (preview, file) answered by `runner` while it lives.
struct ScriptedPrintDialogs {
    explicit ScriptedPrintDialogs(fw::TModalRunner runner) { fw::SetPrintModalRunner(std::move(runner)); }
    ~ScriptedPrintDialogs() { fw::SetPrintModalRunner({}); }
};

// The text of a PDF file, laid out as printed.
inline QString PdfText(const QString& file)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QStringList ReadLog(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A host started against an add-on library (the stand-in unless told otherwise), with a
// settings file of its own in a temporary folder and the stand-in's log beside it. No
// dialog ever asks for a directory. `failing` names an entry point the stand-in throws in.
class THost {
public:
    explicit THost(const QString& addOnFile = QString::fromUtf8(built::kFakeAddOnFile), const char* failing = nullptr)
        : logFile_(dir_.File(QStringLiteral("addon.log")))
    {
        qputenv("FAKE_ADDON_LOG", logFile_.toLocal8Bit());
        if (failing)
            qputenv("FAKE_ADDON_THROW", failing);
        else
            qunsetenv("FAKE_ADDON_THROW");
        pelmaris::THostOptions options;
        options.IniFile = dir_.File(QStringLiteral("pelmaris.INI"));
        options.AddOnFile = addOnFile;
        host_ = std::make_unique<pelmaris::TPelmarisHost>(options);
        host_->AskDirectory = [] { return QString(); };
        host_->Start();
    }
    ~THost()
    {
        host_.reset();
        qunsetenv("FAKE_ADDON_THROW");
    }

    // The main window shown and the demo company open, as a user starts; false when it did not open.
    bool OpenDemo()
    {
        host_->MainForm()->show();
        return host_->OpenDemoCompany(true);
    }
    // The command `caption` of the main window's menu `menu`; null when there is none.
    QAction* Command(const QString& menu, const QString& caption)
    {
        QMenu* m = SubMenu(host_->MainForm()->menuBar(), menu);
        return m ? FindAction(m, caption) : nullptr;
    }

    // Ends the program as it ends: main window gone, add-on cleared and unloaded.
    void Shutdown() { host_->Shutdown(); }

    pelmaris::TPelmarisHost& operator*() { return *host_; }
    pelmaris::TPelmarisHost* operator->() { return host_.get(); }
    QStringList Log() const { return ReadLog(logFile_); }
    // A fresh folder for a company.
    QString NewDir(const QString& name) { return dir_.SubDir(name); }
    const testsupport::TempDir& Dir() const { return dir_; }

private:
    testsupport::TempDir dir_;
    QString logFile_;
    std::unique_ptr<pelmaris::TPelmarisHost> host_;
};

} // namespace hosttest
