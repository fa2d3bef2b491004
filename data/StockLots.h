#pragma once

// The lots of one material as a consumption sees them: which of them count, the order they
// are drawn in and what each one gives. The consumption document and the requirement's
// preview of it both plan with these, so that what is shown is what is written.

#include "data/ProductionSettings.h"
#include "platform/db/DataSet.h"

#include <QDate>
#include <QVariantList>
#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace fw {
class Connection;
class NativeRow;
} // namespace fw

namespace corvanel {

class TProductionData;

struct TStockLot {
    fw::TBookmark Row = fw::kNoBookmark; // its row in the stock table
    QString Warehouse;
    QString Lot;
    double Quantity = 0;
    QDate Entry;  // invalid: not recorded
    QDate Expiry; // invalid: no shelf life (or no entry date to count it from)
    // Read for a draw only: the lot's stored values of DrawnLotFields, which the line
    // drawing on it and its genealogy copy as they stand.
    QVariantList Stored;
};

// The stock row's fields a consumption copies from a lot it draws on, and its quantity.
inline constexpr std::array<const char*, 10> DrawnLotFields{"Cod_grupa",    "Cod_articol",    "Lot",
                                                           "Cod_gestiune", "Pret_achizitie", "Agent",
                                                           "Contor_in",    "Contor_secundar_in",
                                                           "Data_intrare", "Cantitate"};
// A lot's stored value of one of DrawnLotFields (the lot read for a draw).
const QVariant& StoredValue(const TStockLot& lot, const char* field);

// The day a lot that entered on `entry` expires, `days` later; none without a positive
// shelf life or an entry date.
QDate ExpiryDate(const QDate& entry, double days);
// A lot is expired on the days after its expiry; on the expiry day itself it is still used.
bool Expired(const TStockLot& lot, const QDate& day);
// A lot that entered after `day` (a valid one) did not exist for a document of that day: it
// is neither drawn nor counted for it. A lot without an entry date counts as it always did.
bool EnteredAfter(const TStockLot& lot, const QDate& day);
// Not expired on `day`, but expiring on it or within `days` after it.
bool ExpiresSoon(const TStockLot& lot, const QDate& day, int days);

// Raises the stock table's message for the first lot of the material in `warehouse` (as
// read; empty: none) whose quantity is no number; nothing when there is none.
void RequireLotQuantities(TProductionData& dm, const QString& group, const QString& code, const QString& warehouse);

// Orders lots given in the table's order (ties keep it).
void OrderLots(std::vector<TStockLot>& lots, TLotOrder order);

// One lot drawn on.
struct TLotTake {
    size_t Lot = 0;      // its index among the lots planned on
    double Quantity = 0; // taken from it: the quantity of the consumption line
    double Left = 0;     // what it keeps
    bool Removed = false; // its stock row is deleted
};

// How `quantity` is drawn from lots in their order: a first lot that covers it gives it
// alone (a lot left within 0.000001 of nothing is removed); otherwise the lots with a
// positive quantity are drawn on in turn until it is covered (a lot emptied exactly is
// removed). What the lots cannot give is left undrawn.
std::vector<TLotTake> PlanDraw(const std::vector<TStockLot>& lots, double quantity);

// The lots of a material (group and code) that a consumption dated `day` may draw on, in
// the settings' order: those the stock rule counts, less the expired ones when the
// settings leave them out and those entered after `day` (kept apart, in table order). Read through the data module's stock table, which is left
// somewhere among them. The shelf life is read only where it matters: for an order by
// expiry, for leaving expired lots out, or when `withExpiry` asks for it.
struct TMaterialLots {
    std::vector<TStockLot> Lots;
    double ExpiredLeftOut = 0; // the quantity of the expired lots left out
    std::vector<TStockLot> EnteredLater; // counted by the stock rule, but entered after `day`
};
TMaterialLots ReadMaterialLots(TProductionData& dm, const QString& group, const QString& code, const QDate& day,
                               bool withExpiry = false);

// A material a consumption asks about (group and code), and the quantity it draws.
struct TMaterialDraw {
    QString Group;
    QString Code;
    double Quantity = 0;
};

// What a consumption dated `day` may draw from a material: the lots ReadMaterialLots keeps,
// summed by the engine rather than read one by one.
struct TLotTotals {
    double OnHand = 0;   // their sum
    double Drawable = 0; // their positive quantities
    bool Found = false;  // there is at least one
};
// Sums the lots each material may draw on, inside a transaction holding the counter row:
// every writer of lots takes that row first, so no other changes them until it ends (on
// SQLite the write transaction alone keeps other writers out). Asked of the engine
// together; in the order of `materials`.
std::vector<TLotTotals> MaterialLotTotals(TProductionData& dm, const std::vector<TMaterialDraw>& materials,
                                          const QDate& day);
// For each material, the lots ReadMaterialLots gives, in the same order, but only as many
// as PlanDraw of its quantity draws on: the leading ones, read in small blocks (every
// material's first block together), with their stored values (TStockLot::Stored).
std::vector<std::vector<TStockLot>> LotsToDraw(TProductionData& dm, const std::vector<TMaterialDraw>& draws,
                                               const QDate& day);

// Each catalog row of the materials, found by group and code as MaterialCondition finds
// them, many materials to a statement: the row's first column is the index of its
// material, `columns` (of the catalog, named as t) follow.
void ForEachCatalogRow(fw::Connection& engine, const QString& columns, const std::vector<TMaterialDraw>& materials,
                       const std::function<void(size_t, const fw::NativeRow&)>& row);

// What a consumption dated `day` decides a material's row on, under the same lock as
// MaterialLotTotals. A material none of whose lots is below nothing and whose leading lots
// cover its quantity (or that needs none) is Covered: it is no shortage, and Lots are
// those lots, as LotsToDraw reads them. For any other the engine's sums are in Totals; a
// material without a lot below nothing that needs some quantity has its lots Read anyway
// (all of them, when they do not cover it).
struct TMaterialStock {
    bool Covered = false;
    bool Read = false; // Lots are what LotsToDraw gives
    std::vector<TStockLot> Lots;
    TLotTotals Totals;
};
std::vector<TMaterialStock> ReadMaterialStock(TProductionData& dm, const std::vector<TMaterialDraw>& materials,
                                              const QDate& day);

} // namespace corvanel
