#pragma once
// The tool run as a program, with no display in its environment, and a small dairy for it
// to work on: yogurt and cheese from milk, a starter and a culture, lots in raw-material
// warehouses and one elsewhere, and a receipt of finished goods.

#include "BuiltFiles.h"
#include "Company.h"
#include "DbFixture.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/schema/CompanyTables.h"

#include <QDate>
#include <QProcess>
#include <QProcessEnvironment>
#include <memory>
#include <ostream>
#include <string>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace clitest {

struct TRun {
    int Status = -1;
    QString Out;
    QString Err;
};

inline std::string Said(const TRun& run) { return (run.Out + " | " + run.Err).toStdString(); }

// A program run to its end. DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are taken away:
// the tool must need none of them. `extra` holds NAME=value pairs.
inline TRun RunProgram(const QString& program, const QStringList& args, const QStringList& extra = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& pair : extra)
        environment.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForFinished(60000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

inline TRun Corvanel(const QStringList& args, const QStringList& extra = {})
{
    return RunProgram(QString::fromUtf8(built::kCorvanelFile), args, extra);
}

// Every row of the named tables with its row id: equal dumps, equal data.
inline QStringList Dump(const QString& dir, const QStringList& tables)
{
    QStringList out;
    for (const QString& table : tables) {
        QStringList columns{QStringLiteral("quote(rowid)")};
        for (const QVariant& c : testsupport::RawColumn(dir, "SELECT name FROM pragma_table_info('" + table + "')"))
            columns << "quote(\"" + c.toString() + "\")";
        out << table;
        for (const QVariant& row :
             testsupport::RawColumn(dir, "SELECT " + columns.join(" || '|' || ") + " FROM \"" + table + "\" ORDER BY rowid"))
            out << row.toString();
    }
    return out;
}

inline const QStringList Written{"COUNTER", "Doc_out", "Item_out", "Stoc"};

// The receipt of finished goods is document 1; its requirement: 810 l of milk of the 1,500
// counted, 15 kg of starter of 5 (a shortage), no culture (0.02 rounds to 0).
struct TDairy {
    explicit TDairy(const QString& warehouse = QStringLiteral("PF"))
    {
        c.Add(fw::CounterDB, {{1.0, 4.0}});
        c.Add(fw::UserDB, {{"ADM", "Administrator"}});
        c.Add(fw::GrupDB, {{"MP", "01", "Materii prime", "301"}, {"PF", "02", "Produse finite", "345"},
                          {"SF", "04", "Semifabricate", "341"}});
        c.Add(fw::GestDB, {{warehouse, "Depozit produse finite", "Maria"}});
        c.Add(fw::FurnDB, {{"PROD", "Sectia de productie", "RO1", "Sanpetru", "Str. 1", "0268"}});
        c.Add(fw::FirmDataDB, {{"Lactate SRL", "Sanpetru", "RO1", "J08/1", "0268"}});
        c.Article("02", "IAURT", "Iaurt", 100.0);
        c.Article("02", "BRANZA", "Branza", 100.0);
        c.Article("01", ".LAPTE", "Lapte crud");
        c.Article("01", ".CULTI", "Culturi");
        c.Article("04", ";MAIA", "Maia", 10.0);
        c.RecipeRow("IAURT", ".LAPTE", "01", 13);
        c.RecipeRow("IAURT", ";MAIA", "04", 0.75);
        c.RecipeRow("BRANZA", ".LAPTE", "01", 550);
        c.RecipeRow("BRANZA", ".CULTI", "01", 0.02);
        c.Lot("01", ".LAPTE", "_FRG", 1000, "LC-1");
        c.Lot("01", ".LAPTE", "X1", 1300.25, "LC-X");
        c.Lot("01", ".LAPTE", "_FRG", 500, "LC-2");
        c.Lot("01", ".CULTI", "_MP", 0.1, "CI-1");
        c.Lot("04", ";MAIA", "_FRG", 5, "MA-1");
        c.Add(fw::DocInDB, {{1.0, QDate(2026, 11, 3), 1001.0, "BP", QDate(2026, 11, 3), "PROD"}});
        c.Add(fw::ItemInDB, {{1.0, 1.0, warehouse, "02", "IAURT", "L-01", 2000.0}, {1.0, 2.0, warehouse, "02", "BRANZA", "L-02", 100.0}});
    }
    QString Dir() const { return c.Dir(); }

    testsupport::TestCompany c;
};

// The add-on's data module on a company in this process, in a production context of its own
// that reads that company's settings.
struct TInProcess {
    explicit TInProcess(const QString& dir)
    {
        context.Settings.FixedDirectory = dir;
        dm = std::make_unique<corvanel::TProductionData>(context, nullptr);
        dm->ConnectTo(dir);
    }
    corvanel::TProductionContext context;
    std::unique_ptr<corvanel::TProductionData> dm;
};

// The text of a PDF as pdftotext lays it out (pages end with a form feed).
inline QString PdfText(const QString& file)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace clitest
