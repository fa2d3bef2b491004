#pragma once

// The databases and fixed queries of the production add-on (its tables are named beside
// their descriptions, in platform/schema/CompanyTables.h). The SQL lines are kept exactly
// as the system stores them; the dataset layer adapts them to the engine.

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace corvanel {

// Database names.
inline const QString KRBPROD = QStringLiteral("KRBPROD");   // the current company database (ProductionDatabase)
inline const QString KRB_PRIV = QStringLiteral("KRB_PRIV"); // the user's private directory
inline const QString TVELDA = QStringLiteral("TVELDA");     // the host's own alias of the company database

// The fields each dataset of the add-on declares, in its order. Types and widths come from
// the company tables' one description (platform/schema/CompanyTables.h).
// The recipe dataset: Cod_Grupa, Cod, Cod_MatPrim, Cant_MatPrim (a recipe paste appends
// rows by position in this order).
const QStringList& RetetaFields();
// The stock lot as the add-on reads and writes it: Cantitate .. Agent, and the receipt
// line it came from with its date (Contor_in, Contor_secundar_in, Data_intrare).
const QStringList& StocFields();

// The condition that finds a material's rows by its group and code columns, as a key
// search finds them: empty text is no value, so an empty group matches the rows without
// one. `values` gets what it binds, the group's first.
QString MaterialCondition(const char* groupColumn, const char* codeColumn, const QString& group, const QString& code,
                          QVariantList& values);

// Fixed queries, line by line.
// Raw-material quantities of the lines of one incoming document (parameter Contor, float).
const QStringList& RequirementTermsSql();
// The products of one incoming document (parameter Contor, float) that have a recipe but no
// yield in their catalog row, so that nothing of them can be counted: group, code, name.
const QStringList& NoYieldProductsSql();
// The consumption documents tied to a receipt by its number and date (:Numar, :Data).
const QStringList& ConsumptionDocumentsSql();
// One outgoing document's number and date by its counter (:Contor).
const QStringList& ConsumptionDocumentSql();
// One outgoing document's type, number and date by its counter (:Contor).
const QStringList& OutgoingDocumentSql();
// The consumption documents of one number (:Numar): counter, number, date.
const QStringList& ConsumptionDocumentsNumberedSql();
// The lines of one outgoing document (:Contor), every field in stored order, in line order.
const QStringList& OutgoingLinesSql();
// The stock rows one consumption document (:Contor) drew on, as its genealogy keeps them:
// the line, then the stock row's fields under their own names, in line order.
const QStringList& DrawnLotsSql();
// The values the terms of one incoming document (parameter Contor, float) are computed
// from that are stored as something other than a number (text another program wrote in a
// number column): per receipt line and recipe row, the line's number, its group and
// product, the material's group and code, then each of the line's quantity, the recipe's
// quantity and the product's yield as "<stored text>" where it is no number, else null.
const QStringList& UnreadableTermValuesSql();
// The same summed per material, from the working table (no parameters).
const QStringList& RequirementSumSql();
// The distinct quantities of the working table's terms, and the rewriting of one value
// (parameters Term, float or null, and Rounded, float) when they are rounded.
const QStringList& TempTermValuesSql();
const QStringList& RoundTempTermSql();
// Removes the empty terms of temp.DB (products without yield).
const QStringList& DropEmptyTempTermsSql();
// All rows of one product's recipe (parameter From, string).
const QStringList& RecipeRowsSql();
// Stock of one material by warehouse (parameters Grupa and Cod, strings), as a fixed query
// of the requirement's figures (TStockLedger::Figures runs the same sums under the lots'
// condition, and defines these): the stock rule is applied to the warehouses. Expirat is the part of it that entered before
// the date Intrat (the lots expired by then).
const QStringList& StockByWarehouseSql();
// The same without Expirat (nor Intrat), when no lot can count as expired: the engine sums
// one column of the covering index per lot rather than two and a date comparison.
const QStringList& UnexpiredStockByWarehouseSql();
// The shelf life in days of one article (parameters Grupa and Cod, strings).
const QStringList& ShelfLifeSql();
// Warehouse and supplier lists of the pickers.
const QStringList& WarehouseListSql();
const QStringList& SupplierListSql();
// The lines of one incoming document (parameter Contor, float) in their order: the line's
// number and its quantity as a number (text another program wrote counts as the engine
// computes it).
const QStringList& ReceiptLinesSql();
// The unrounded requirement terms of one incoming document (parameter Contor, float), each
// with the line it comes from: line number, material group and code, term. The same terms
// as RequirementTermsSql.
const QStringList& ReceiptLineTermsSql();
// Price indexing of one group (parameters Coef, float, and Group, string).
const QStringList& IndexPricesSql();
// The largest sale price of one group, as a magnitude (parameter Group, string).
const QStringList& LargestGroupPriceSql();

} // namespace corvanel
