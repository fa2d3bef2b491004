#include "platform/schema/StockTotals.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"

namespace fw {

namespace {

const QString kTotals = QStringLiteral("StocTotal");

// A quantity the total takes: a finite number. The others (text, a number beyond the
// largest) are counted apart, and the figures of their article are summed from the lots,
// which say what is wrong with them; null is nothing.
QString Summable(const QString& q)
{
    return QStringLiteral("(%1 + 0 = %1 AND abs(%1) <= 1.7976931348623157e308)").arg(q);
}

// What a lot (`row`: NEW or OLD) adds to its article's total in its warehouse. The sum is
// kept with its rounding error beside it (compensated summation), so that a total changed
// by a million writes still equals the sum of its lots but for the last digit, and a total
// whose lots are all gone is 0 again.
QString Added(const QString& row, bool removed)
{
    const QString q = row + QStringLiteral(".Cantitate");
    const QString x = QStringLiteral("(CASE WHEN %1 THEN %2 ELSE 0 END)").arg(Summable(q), removed ? QStringLiteral("-") + q : q);
    const QString nan = QStringLiteral("(CASE WHEN %1 THEN 0 WHEN %2 IS NULL THEN 0 ELSE 1 END)").arg(Summable(q), q);
    const QString own = QStringLiteral("(CASE WHEN %1.Data_expirare IS NOT NULL THEN 1 ELSE 0 END)").arg(row);
    const QString step = removed ? QStringLiteral("-") : QStringLiteral("+");
    // Neumaier: the part of x (or of the sum) that the new sum could not hold.
    const QString error = QStringLiteral("(CASE WHEN abs(Cantitate) >= abs(%1) THEN (Cantitate - (Cantitate + %1)) + %1 "
                                         "ELSE (%1 - (Cantitate + %1)) + Cantitate END)")
                              .arg(x);
    const QString emptied = removed ? QStringLiteral("Loturi = 1") : QStringLiteral("0 = 1");
    return QStringLiteral("UPDATE StocTotal SET Cantitate = CASE WHEN %1 THEN 0 ELSE Cantitate + %2 END, "
                          "Corectie = CASE WHEN %1 THEN 0 ELSE Corectie + %3 END, Loturi = Loturi %4 1, "
                          "Nenumerice = Nenumerice %4 %5, Proprii = Proprii %4 %6 "
                          "WHERE Cod_grupa = %7.Cod_grupa AND Cod_articol = %7.Cod_articol "
                          "AND Cod_gestiune = coalesce(%7.Cod_gestiune, '')")
        .arg(emptied, x, error, step, nan, own, row);
}

// The article's row in its warehouse, made empty where it is not there yet.
QString RowMade(const QString& row, const QString& where)
{
    return QStringLiteral("INSERT INTO StocTotal (Cod_grupa, Cod_articol, Cod_gestiune, Cantitate, Corectie, Loturi, "
                          "Nenumerice, Proprii) SELECT %1.Cod_grupa, %1.Cod_articol, coalesce(%1.Cod_gestiune, ''), 0, 0, 0, 0, 0 "
                          "WHERE %2 ON CONFLICT (Cod_grupa, Cod_articol, Cod_gestiune) DO NOTHING")
        .arg(row, where);
}

const QString kKeyed = QStringLiteral("NEW.Cod_grupa IS NOT NULL AND NEW.Cod_articol IS NOT NULL");
const QString kWatched = QStringLiteral("Cantitate, Cod_grupa, Cod_articol, Cod_gestiune, Data_expirare");

// SQLite: a trigger per kind of write.
const QStringList& SqliteTriggers()
{
    static const QStringList names{QStringLiteral("StocTotal_adaugat"), QStringLiteral("StocTotal_modificat"),
                                   QStringLiteral("StocTotal_sters")};
    return names;
}

QStringList SqliteScript()
{
    const QStringList& n = SqliteTriggers();
    return {QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON Stoc BEGIN %2; %3; END").arg(n[0], RowMade("NEW", kKeyed), Added("NEW", false)),
            QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF %2 ON Stoc BEGIN %3; %4; %5; END")
                .arg(n[1], kWatched, Added("OLD", true), RowMade("NEW", kKeyed), Added("NEW", false)),
            QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON Stoc BEGIN %2; END").arg(n[2], Added("OLD", true))};
}

// The server: one function for the three.
const QString kPgTrigger = QStringLiteral("stoctotal_scris");

QStringList PgScript()
{
    return {QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $body$ BEGIN "
                           "IF TG_OP <> 'INSERT' THEN %2; END IF; "
                           "IF TG_OP <> 'DELETE' THEN %3; %4; END IF; RETURN NULL; END $body$")
                .arg(kPgTrigger, Added("OLD", true), RowMade("NEW", kKeyed), Added("NEW", false)),
            QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR DELETE OR UPDATE OF %2 ON Stoc FOR EACH ROW EXECUTE PROCEDURE %1()")
                .arg(kPgTrigger, kWatched)};
}

bool TriggersPresent(Connection& conn)
{
    qint64 found = 0;
    if (conn.Engine() == TEngine::SQLite) {
        QVariantList names;
        for (const QString& name : SqliteTriggers())
            names << name;
        conn.ForEachRow(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'Stoc' COLLATE NOCASE "
                                       "AND name IN (?, ?, ?)"),
                        names, [&](const NativeRow& row) { found = row.Int(0); });
        return found == SqliteTriggers().size();
    }
    conn.ForEachRow(QStringLiteral("SELECT COUNT(*) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
                                   "WHERE t.tgname = ? AND c.relname = 'stoc' AND c.relnamespace = current_schema()::regnamespace"),
                    {kPgTrigger}, [&](const NativeRow& row) { found = row.Int(0); });
    return found == 1;
}

void MakeTotals(Connection& conn)
{
    if (conn.StoredTableName(kTotals).isEmpty()) {
        const auto text = [](const char* name) { return TColumnDef{QLatin1String(name), QStringLiteral("VARCHAR(30)"), true}; };
        // No constraint on the sums: a write of a lot must never fail for its total (one
        // that overflowed is null, or not finite, and its figures are summed from the lots).
        const auto number = [](const char* name) { return TColumnDef{QLatin1String(name), QStringLiteral("DOUBLE"), false}; };
        conn.CreateTable(kTotals,
                         {text("Cod_grupa"), text("Cod_articol"), text("Cod_gestiune"), number("Cantitate"),
                          number("Corectie"), {QStringLiteral("Loturi"), QStringLiteral("INTEGER"), true},
                          {QStringLiteral("Nenumerice"), QStringLiteral("INTEGER"), true},
                          {QStringLiteral("Proprii"), QStringLiteral("INTEGER"), true}},
                         {QStringLiteral("Cod_grupa"), QStringLiteral("Cod_articol"), QStringLiteral("Cod_gestiune")});
    }
    // Whatever it held was kept by triggers since lost: counted again from the lots.
    conn.Exec(QStringLiteral("DELETE FROM StocTotal"));
    const QStringList script = conn.Engine() == TEngine::SQLite ? SqliteScript() : PgScript();
    if (conn.Engine() == TEngine::SQLite)
        for (const QString& name : SqliteTriggers())
            conn.Exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(name));
    for (const QString& sql : script)
        conn.Exec(sql);
    conn.Exec(QStringLiteral("INSERT INTO StocTotal (Cod_grupa, Cod_articol, Cod_gestiune, Cantitate, Corectie, "
                                   "Loturi, Nenumerice, Proprii) SELECT Cod_grupa, Cod_articol, coalesce(Cod_gestiune, ''), "
                                   "coalesce(SUM(CASE WHEN %1 THEN Cantitate END), 0), 0, COUNT(*), "
                                   "SUM(CASE WHEN %1 THEN 0 WHEN Cantitate IS NULL THEN 0 ELSE 1 END), "
                                   "SUM(CASE WHEN Data_expirare IS NOT NULL THEN 1 ELSE 0 END) "
                                   "FROM Stoc WHERE Cod_grupa IS NOT NULL AND Cod_articol IS NOT NULL "
                                   "GROUP BY Cod_grupa, Cod_articol, coalesce(Cod_gestiune, '')")
                        .arg(Summable(QStringLiteral("Cantitate"))));
}

} // namespace

bool StockTotalsKept(Connection& conn)
{
    try {
        return !conn.StoredTableName(kTotals).isEmpty() && TriggersPresent(conn);
    } catch (const EDatabaseError&) {
        return false;
    }
}

bool EnsureStockTotals(const std::shared_ptr<Connection>& conn)
{
    try {
        if (conn->StoredTableName(QStringLiteral("Stoc")).isEmpty())
            return false;
        bool dated = false;
        for (const ColumnInfo& c : conn->Columns(conn->StoredTableName(QStringLiteral("Stoc"))))
            dated = dated || c.name.compare(QLatin1String("Data_expirare"), Qt::CaseInsensitive) == 0;
        if (!dated)
            return false;
        if (TriggersPresent(*conn))
            return true;
        // Made while no lot can be written (SQLite's write lock; on the server a lock that
        // lets readers in and holds writers back), and asked again under it: another
        // workstation may have made them meanwhile.
        TTransaction tx(conn);
        if (conn->Engine() == TEngine::PostgreSQL)
            conn->Exec(QStringLiteral("LOCK TABLE Stoc IN SHARE ROW EXCLUSIVE MODE"));
        if (!TriggersPresent(*conn))
            MakeTotals(*conn);
        tx.Commit();
        conn->Touch();
        return true;
    } catch (const EDatabaseError&) {
        // A company the user may only read: its figures sum the lots.
        return false;
    }
}

} // namespace fw
