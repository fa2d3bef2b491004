#pragma once

// A command of the tool: its name, its help, its options and what it runs. Each command is
// a module of its own; Commands.cpp lists them.

#include "host/ToolExitStatus.h"
#include "platform/core/Exceptions.h"

#include <QCommandLineParser>
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace corvanel::cli {

// The statuses the tool exits with (ExitDone, ExitRefused, ...).
using enum pelmaris::TToolExitStatus;

struct TOption {
    QString Name;      // without the leading "--"
    QString ValueName; // empty for a switch
    QString Description;
};

using TArgs = QCommandLineParser;

struct TCommand {
    QString Name;
    QString Summary; // one line in the program's help
    QString Usage;   // what follows "corvanel " on the usage line
    QString Details; // the command's help, after the usage line
    std::vector<TOption> Options;
    // Whether this command line draws text (a PDF): it then needs fonts, which only a
    // GUI application gives; every other command runs on a core application.
    bool (*NeedsFonts)(const QStringList& arguments) = nullptr;
    int (*Run)(const TArgs& args) = nullptr;
    // The name of the one argument that is not an option ("DIR"); empty: none is taken.
    QString Argument = {};
};

// --company DIR, which every command on a company takes.
TOption CompanyOption();
// --from and --to, the first and last day of a period (read by Period below).
TOption FromDayOption();
TOption ToDayOption();
// NeedsFonts of a command that writes a PDF when given --pdf FILE (or --pdf=FILE).
bool GivesPdf(const QStringList& arguments);

// Every command, in the order the help lists them.
const std::vector<const TCommand*>& Commands();

// The command cannot be done as asked (ExitRefused); the message says why.
class ERefused final : public fw::Exception {
public:
    using Exception::Exception;
};

// The company is open in another program (ExitInUse); the message says so.
class EInUse final : public fw::Exception {
public:
    using Exception::Exception;
};

// Option values, checked: ERefused naming the option when missing or malformed.
QString Required(const TArgs& args, const QString& option);
// A number written with a decimal point, whatever the locale.
double Number(const TArgs& args, const QString& option);
// A date written YYYY-MM-DD.
QDate IsoDate(const TArgs& args, const QString& option);
// The period of --from and --to (both YYYY-MM-DD, both days included); ERefused when it
// starts after it ends.
struct TPeriod {
    QDate From;
    QDate To;
};
TPeriod Period(const TArgs& args);
// Where a report goes: text on standard output unless one of --csv, --xlsx FILE and
// --pdf FILE asks otherwise; ERefused when more than one is given.
struct TOutput {
    enum TKind { Text, Csv, Xlsx, Pdf } Kind = Text;
    QString File; // for Xlsx and Pdf
};
TOutput ChosenOutput(const TArgs& args);
// What a report reads, its database errors in the reports' words (msg::ReportDatabaseError).
[[noreturn]] void RethrowInReportWords(const fw::EDatabaseError& error);
template <class TRead>
auto ReadForReport(TRead read) -> decltype(read())
{
    try {
        return read();
    } catch (const fw::EDatabaseError& e) {
        RethrowInReportWords(e);
    }
}
// A list written A,B,C (empty items skipped); empty when the option is not given.
QStringList List(const TArgs& args, const QString& option);

} // namespace corvanel::cli
