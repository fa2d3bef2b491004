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

struct TStockLot {
    fw::TBookmark Row = fw::kNoBookmark; // its row in the stock table
    QString Warehouse;
    QString Lot;
    double Quantity = 0;
    QDate Entry;  // invalid: not recorded
    QDate Expiry; // invalid: neither its own expiry date nor a shelf life (and entry date) to count it from
    // Read for a draw only: the lot's stored values of DrawnLotFields, which the line
    // drawing on it and its genealogy copy as they stand.
    QVariantList Stored;
};

// The stock row's fields a consumption copies from a lot it draws on, and its quantity.
inline constexpr std::array<const char*, 10> DrawnLotFields{"Cod_grupa",    "Cod_articol",    "Lot",
                                                           "Cod_gestiune", "Pret_achizitie", "Agent",
                                                           "Contor_in",    "Contor_secundar_in",
                                                           "Data_intrare", "Cantitate"};
// Where a field stands among DrawnLotFields.
int DrawnLotIndex(const char* field);
// A lot's stored value of one of DrawnLotFields (the lot read for a draw).
const QVariant& StoredValue(const TStockLot& lot, const char* field);

// A date as the engine gave it: a date, or ISO text (SQLite); invalid when none.
QDate StoredDate(const QVariant& stored);

// The day a lot expires: its own expiry date where it has one (`own`, the supplier's date
// typed at receipt), else `days` after it entered on `entry`, counted in whole days (a
// fraction of a day is dropped: 1.5 days is 1); none without either. TLotRule::ExpiryCondition
// is the same rule for the engine.
QDate ExpiryDate(const QDate& entry, double days, const QDate& own = {});
// A lot is expired on the days after its expiry; on the expiry day itself it is still used.
bool Expired(const TStockLot& lot, const QDate& day);
// A lot that entered after `day` (a valid one) did not exist for a document of that day: it
// is neither drawn nor counted for it. A lot without an entry date counts as it always did.
bool EnteredAfter(const TStockLot& lot, const QDate& day);
// Not expired on `day`, but expiring on it or within `days` after it.
bool ExpiresSoon(const TStockLot& lot, const QDate& day, int days);

// Orders lots given in the table's order (ties keep it).
void OrderLots(std::vector<TStockLot>& lots, TLotOrder order);

// Quantities closer than this are the same: a lot left with less is empty, and lots short
// of a quantity by less still give it.
inline constexpr double QuantityTolerance = 0.000001;

// One lot drawn on.
struct TLotTake {
    size_t Lot = 0;      // its index among the lots planned on
    double Quantity = 0; // taken from it: the quantity of the consumption line
    double Left = 0;     // what it keeps
    bool Removed = false; // its stock row is deleted
};

// A lot that is not usable, with its standing and the reason given for it.
struct THeldLot {
    TStockLot Lot;
    QString State;
    QString Reason;
};

// How `quantity` is drawn from lots in their order: a first lot that covers it gives it
// alone (a lot left within 0.000001 of nothing is removed); otherwise the lots with a
// positive quantity are drawn on in turn until it is covered (a lot emptied exactly is
// removed). What the lots cannot give is left undrawn.
std::vector<TLotTake> PlanDraw(const std::vector<TStockLot>& lots, double quantity);

// The lots of a material (group and code) that a consumption may draw on, in the settings'
// order: those the stock rule counts, less the expired ones when the settings leave them
// out and those entered after its day (kept apart, in table order): TStockLedger::MaterialLots.
struct TMaterialLots {
    std::vector<TStockLot> Lots;
    double ExpiredLeftOut = 0; // the quantity of the expired lots left out
    std::vector<TStockLot> EnteredLater; // counted by the stock rule, but entered after `day`
    std::vector<THeldLot> Held; // counted by the stock rule, but not usable: never drawn
};

// A material a consumption asks about (group and code), and the quantity it draws.
struct TMaterialDraw {
    QString Group;
    QString Code;
    double Quantity = 0;
};

// What a consumption may draw from a material: the lots TStockLedger::MaterialLots keeps,
// summed by the engine rather than read one by one (TStockLedger::Totals).
struct TLotTotals {
    double OnHand = 0;   // their sum
    double Drawable = 0; // their positive quantities
    bool Found = false;  // there is at least one
};

// Each catalog row of the materials, found by group and code as MaterialCondition finds
// them, many materials to a statement: the row's first column is the index of its
// material, `columns` (of the catalog, named as t) follow.
void ForEachCatalogRow(fw::Connection& engine, const QString& columns, const std::vector<TMaterialDraw>& materials,
                       const std::function<void(size_t, const fw::NativeRow&)>& row);

// What a consumption decides a material's row on (TStockLedger::Stock), under the same
// lock as the totals. A material none of whose lots is below nothing and whose leading lots
// cover its quantity (or that needs none) is Covered: it is no shortage, and Lots are
// those lots, as TStockLedger::ToDraw reads them. For any other the engine's sums are in Totals; a
// material without a lot below nothing that needs some quantity has its lots Read anyway
// (all of them, when they do not cover it).
struct TMaterialStock {
    bool Covered = false;
    bool Read = false; // Lots are what TStockLedger::ToDraw gives
    std::vector<TStockLot> Lots;
    TLotTotals Totals;
};

} // namespace corvanel
