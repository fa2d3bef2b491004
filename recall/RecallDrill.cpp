#include "recall/RecallDrill.h"

#include "data/FieldByName.h"
#include "platform/core/Csv.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "recall/MassBalance.h"

#include <QElapsedTimer>
#include <QTimeZone>
#include <set>

namespace corvanel {

namespace {

QString DirectionText(TRecallDirection direction)
{
    return direction == TRecallDirection::Forward ? QStringLiteral("inainte") : QStringLiteral("inapoi");
}

void Count(const std::vector<TRecallNode>& nodes, int depth, std::set<TLotKey>& lots, std::set<QString>& customers)
{
    for (const TRecallNode& n : nodes) {
        if (n.Kind == TRecallKind::Lot && depth > 0)
            lots.insert(n.Lot);
        if (n.Kind == TRecallKind::Shipment)
            customers.insert(n.Document.Partner);
        Count(n.Children, depth + 1, lots, customers);
    }
}

const QStringList kInsert{
    QStringLiteral("INSERT INTO Exercitii (Inceput, Lot, Cod_grupa, Cod_articol, Directie, Operator, Cautare, Arbore,"),
    QStringLiteral(" Bilant, Raport, Total, Loturi, Clienti, Diferenta) VALUES (:Inceput, :Lot, :Grupa, :Cod, :Directie,"),
    QStringLiteral(" :Operator, :Cautare, :Arbore, :Bilant, :Raport, :Total, :Loturi, :Clienti, :Diferenta)")};
// The start as kept: UTC to the millisecond, 23 characters.
const QString kStartFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

const QStringList kSelect{QStringLiteral("SELECT * FROM Exercitii ORDER BY Inceput DESC, Lot")};

bool HasTable(fw::TSession* session, const QString& database)
{
    fw::TTable table;
    table.SetSession(session);
    table.SetDatabaseName(database);
    table.SetTableName(fw::ExercitiiDB);
    return table.Exists();
}

} // namespace

QString DrillTitle() { return QStringLiteral("Exercitiu de retragere"); }

bool RunDrill(TLotWalk& walk, TDrill& drill, TRecall& recall, const std::function<void(const TRecall&)>& report)
{
    drill.Start = QDateTime::currentDateTimeUtc();
    QElapsedTimer clock;
    clock.start();
    const std::vector<TLotKey> lots = walk.FindLots(drill.Lot, drill.Group, drill.Article);
    drill.Search = clock.restart();
    if (lots.empty())
        return false;
    recall = walk.Follow(lots, drill.Direction);
    drill.Tree = clock.restart();
    walk.Balance(recall);
    drill.Balance = clock.restart();
    std::set<TLotKey> reached;
    std::set<QString> customers;
    Count(recall.Roots, 0, reached, customers);
    drill.Lots = int(reached.size());
    drill.Customers = int(customers.size());
    drill.Difference = 0;
    for (const TLotBalance& b : recall.Balances)
        for (const TRecallNode& root : recall.Roots)
            if (root.Lot == b.Lot)
                drill.Difference += b.Difference();
    // The report tells the steps before it; its own time and the total are on record.
    recall.Drill = DrillLines(drill);
    report(recall);
    drill.Report = clock.restart();
    return true;
}

QStringList DrillLines(const TDrill& drill)
{
    QStringList lines{
        QStringLiteral("Operator: %1; inceput %2 UTC; lotul %3, %4")
            .arg(drill.Operator, drill.Start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), drill.Lot,
                 DirectionText(drill.Direction)),
        QStringLiteral("Cautare: %1 ms; arbore: %2 ms; bilant: %3 ms").arg(drill.Search).arg(drill.Tree).arg(drill.Balance)};
    if (drill.Report > 0)
        lines << QStringLiteral("Raport: %1 ms; total: %2 ms").arg(drill.Report).arg(drill.Total());
    lines << QStringLiteral("Loturi atinse: %1; clienti atinsi: %2; diferenta bilantului: %3")
                 .arg(drill.Lots)
                 .arg(drill.Customers)
                 .arg(fw::CsvNumber(drill.Difference));
    return lines;
}

void RecordDrill(fw::TSession* session, const QString& database, const TDrill& drill)
{
    if (!HasTable(session, database))
        fw::CreateCompanyTable(database, fw::DrillTable(), session);
    fw::TQuery q;
    q.SetSession(session);
    q.SetDatabaseName(database);
    q.SetSQL(kInsert);
    const auto text = [&](const char* name, const QString& value) { q.ParamByName(QString::fromLatin1(name))->SetAsString(value); };
    const auto number = [&](const char* name, double value) { q.ParamByName(QString::fromLatin1(name))->SetAsFloat(value); };
    text("Inceput", drill.Start.toUTC().toString(kStartFormat));
    text("Lot", drill.Lot);
    text("Grupa", drill.Group);
    text("Cod", drill.Article);
    text("Directie", DirectionText(drill.Direction));
    text("Operator", drill.Operator);
    number("Cautare", double(drill.Search));
    number("Arbore", double(drill.Tree));
    number("Bilant", double(drill.Balance));
    number("Raport", double(drill.Report));
    number("Total", double(drill.Total()));
    number("Loturi", drill.Lots);
    number("Clienti", drill.Customers);
    number("Diferenta", drill.Difference);
    q.ExecSQL();
}

std::vector<TDrill> ReadDrills(fw::TSession* session, const QString& database)
{
    std::vector<TDrill> drills;
    if (!HasTable(session, database))
        return drills;
    fw::TQuery q;
    q.SetSession(session);
    q.SetDatabaseName(database);
    q.SetSQL(kSelect);
    q.Open();
    for (; !q.Eof(); q.Next()) {
        TDrill d;
        const QDateTime start = QDateTime::fromString(F(&q, "Inceput")->AsString(), kStartFormat);
        d.Start = QDateTime(start.date(), start.time(), QTimeZone::utc());
        d.Lot = F(&q, "Lot")->AsString();
        d.Group = F(&q, "Cod_grupa")->AsString();
        d.Article = F(&q, "Cod_articol")->AsString();
        d.Direction = F(&q, "Directie")->AsString() == DirectionText(TRecallDirection::Backward) ? TRecallDirection::Backward
                                                                                                 : TRecallDirection::Forward;
        d.Operator = F(&q, "Operator")->AsString();
        d.Search = qint64(F(&q, "Cautare")->AsFloat());
        d.Tree = qint64(F(&q, "Arbore")->AsFloat());
        d.Balance = qint64(F(&q, "Bilant")->AsFloat());
        d.Report = qint64(F(&q, "Raport")->AsFloat());
        d.Lots = int(F(&q, "Loturi")->AsFloat());
        d.Customers = int(F(&q, "Clienti")->AsFloat());
        d.Difference = F(&q, "Diferenta")->AsFloat();
        drills.push_back(d);
    }
    return drills;
}

QString DrillsCsv(const std::vector<TDrill>& drills)
{
    QString out = fw::CsvRecord({QStringLiteral("Inceput"), QStringLiteral("Lot"), QStringLiteral("Cod_grupa"),
                                 QStringLiteral("Cod_articol"), QStringLiteral("Directie"), QStringLiteral("Operator"),
                                 QStringLiteral("Cautare"), QStringLiteral("Arbore"), QStringLiteral("Bilant"),
                                 QStringLiteral("Raport"), QStringLiteral("Total"), QStringLiteral("Loturi"),
                                 QStringLiteral("Clienti"), QStringLiteral("Diferenta")});
    for (const TDrill& d : drills)
        out += fw::CsvRecord({d.Start.toUTC().toString(kStartFormat) + QLatin1Char('Z'), d.Lot, d.Group, d.Article, DirectionText(d.Direction),
                              d.Operator, QString::number(d.Search), QString::number(d.Tree), QString::number(d.Balance),
                              QString::number(d.Report), QString::number(d.Total()), QString::number(d.Lots),
                              QString::number(d.Customers), fw::CsvNumber(d.Difference)});
    return out;
}

} // namespace corvanel
