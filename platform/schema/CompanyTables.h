#pragma once

// The tables of a company database, described once: name, fields in their stored order
// with types and widths, keys and indexes. The host creates a company from these
// descriptions, the add-on declares its datasets' fields from them, the demo company and
// the test fixtures build their tables from them. A field added or widened is changed
// here and nowhere else.

#include "platform/db/Table.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace fw {

class TDataSet;

// The file names of the company's tables, as the host and the add-on name them (the SQL
// table is the name without ".DB"), and of the files beside them.
inline const QString MaterialeDB = QStringLiteral("Materiale.db"); // material classes
inline const QString GrupDB = QStringLiteral("Grup.DB");           // article groups
inline const QString CatalogDB = QStringLiteral("CATALOG.DB");     // articles
inline const QString GestDB = QStringLiteral("Gest.db");           // warehouses
inline const QString FurnDB = QStringLiteral("Furn.db");           // suppliers
inline const QString ValutaDB = QStringLiteral("VALUTA.DB");       // currencies
inline const QString FirmDataDB = QStringLiteral("FIRMDATA.DB");   // the company's own data
inline const QString UserDB = QStringLiteral("USER.DB");           // users (agents)
inline const QString CounterDB = QStringLiteral("COUNTER.DB");     // the document counters
inline const QString DocInDB = QStringLiteral("Doc_in.DB");        // incoming documents
inline const QString ItemInDB = QStringLiteral("Item_in.DB");      // their lines
inline const QString DocOutDB = QStringLiteral("Doc_out.DB");      // outgoing documents
inline const QString ItemOutDB = QStringLiteral("Item_out.DB");    // their lines
inline const QString StocDB = QStringLiteral("Stoc.DB");           // stock lots
inline const QString RetetaDB = QStringLiteral("Reteta.DB");       // production recipes (the add-on's)
inline const QString GenealogieDB = QStringLiteral("Genealogie.DB"); // what consumption lines fed (the add-on's)
inline const QString StornariDB = QStringLiteral("Stornari.DB");     // reversed consumption documents (the add-on's)
inline const QString ExercitiiDB = QStringLiteral("Exercitii.DB");   // recall drills on record (the add-on's)
inline const QString StareLotDB = QStringLiteral("StareLot.DB");     // each lot's standing (the add-on's)
inline const QString IstoricStareLotDB = QStringLiteral("IstoricStareLot.DB"); // every change of it (the add-on's)
inline const QString NormeCalitateDB = QStringLiteral("NormeCalitate.DB");       // quality norms (the add-on's)
inline const QString AnalizeLotDB = QStringLiteral("AnalizeLot.DB");             // laboratory results (the add-on's)
inline const QString EliberareObligatorieDB = QStringLiteral("EliberareObligatorie.DB"); // articles whose new lots wait for a release (the add-on's)
inline const QString LivrariLapteDB = QStringLiteral("LivrariLapte.DB");         // farmers' milk deliveries (the add-on's)
// The requirement's working table, in the user's private directory.
inline const QString TempDB = QStringLiteral("temp.DB");
// The company's shared settings file, beside its tables.
inline const QString CompanySettingsFile = QStringLiteral("KRBDEF.INI");

// The layout of one table: its file name, its fields in stored order and its indexes (the
// unnamed primary one first when it has a key).
struct TTableLayout {
    QString Name;
    std::vector<TFieldDef> Fields;
    std::vector<TIndexDef> Indexes;

    // The field of that name (case-insensitive); null when the table has none.
    const TFieldDef* FindField(const QString& name) const;
    // The same, EDatabaseError when the table has no such field.
    const TFieldDef& Field(const QString& name) const;
    // The names of the fields, in stored order.
    QStringList FieldNames() const;
};

// Width a string field gets when its definition does not state one.
inline constexpr int DefaultStringWidth = 20;

// The host's own tables, as every company directory holds them.
const std::vector<TTableLayout>& HostTables();
// The production recipe table, the add-on's own, which the add-on hands over to the host
// (so the host creates it with the company).
const TTableLayout& RecipeTable();
// The genealogy of consumption documents, the add-on's own, which the add-on creates when
// a company lacks it: for each consumption line, the receipt lines it fed and how much, and
// the stock lot it drew on as that lot stood.
const TTableLayout& GenealogyTable();
// The consumption documents reversed, the add-on's own, which it creates when a company
// lacks it: each with the document that reversed it and the day.
const TTableLayout& ReversalTable();
// The recall drills, the add-on's own, which it creates when a company lacks it: each with
// the lot, the direction, the operator, the time each step took and what it found.
const TTableLayout& DrillTable();
// The standing of lots whose standing was ever set (a lot without a row is released): the
// add-on's own, created when a company lacks it. Keyed by the lot (group, article, lot
// name), so that it outlives the lot's stock rows: a lot emptied and put back by a
// reversal keeps it.
const TTableLayout& LotStatusTable();
// Every change of a lot's standing, with who made it, when and why, in the order made:
// the add-on's own, written with the change and never changed afterwards.
const TTableLayout& LotStatusHistoryTable();
// The quality norms, the add-on's own: per article (or, without an article, per group) and
// laboratory parameter, a minimum, a maximum or the value expected.
const TTableLayout& QualityNormTable();
// The laboratory results of lots, the add-on's own, each with the verdict given against
// the norm in force when it was recorded.
const TTableLayout& LabResultTable();
// The articles whose new lots must be released before use, the add-on's own: a lot of
// such an article that entered from the day the setting was turned on and has no standing
// of its own waits ("In asteptare"), so nothing is written at receipt.
const TTableLayout& ReleaseRequiredTable();
// The farmers' milk deliveries, the add-on's own: each is a receipt line of raw milk with
// its own lot, and here keeps what the receipt line cannot (litres and kilograms, density,
// temperature, sample) and the tank receipt it was emptied into (none: still apart).
const TTableLayout& MilkDeliveryTable();
// The tables the add-on owns and creates where a company lacks them (the recipes come
// with the company from the host).
const std::vector<const TTableLayout*>& AddOnOwnTables();
// A table of any of these by file name (case-insensitive); null when there is none.
const TTableLayout* FindCompanyTable(const QString& name);
// The same, EDatabaseError when there is no such table.
const TTableLayout& CompanyTable(const QString& name);

// Declares a table's data fields on a dataset: the named ones in the order named, or all
// of them in stored order when no name is given. EDatabaseError for a name the table lacks.
void DeclareFields(TDataSet& dataSet, const TTableLayout& table, const QStringList& names = {});

// Creates a table from its description in a company database (replacing one of that name).
void CreateCompanyTable(const QString& database, const TTableLayout& table, TSession* session = nullptr);

// Creates, in an open company database, the secondary indexes of the given tables that are
// missing (an index on the same leading fields counts as present). A table that does not
// exist is left alone. Returns false when the database could not be changed (read only);
// queries then still work, only slower.
bool EnsureIndexes(const QString& database, const QStringList& tables, TSession* session = nullptr);

} // namespace fw
