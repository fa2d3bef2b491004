#pragma once

// The stock table as the add-on and the tool see it: every statement on it is written here.
// Which lots count for production is one condition (TStockLedger::Lots), so that the
// requirement's figures, the preview, the draw and the writers can never disagree on it;
// a new rule on lots goes there and nowhere else.

#include "data/LotStatus.h"
#include "data/ProductionSettings.h"
#include "data/StockLots.h"
#include "platform/db/Connection.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace fw {
class TTable;
} // namespace fw

namespace corvanel {

// Which lots count and in what order they are drawn: what the ledger needs of the settings
// and of the document, nothing more.
struct TLotRule {
    QChar RawWarehousePrefix;
    QChar RawMaterialPrefix;
    QChar SemiFinishedPrefix;
    TLotOrder Order = TLotOrder::Table;
    bool DrawExpired = true;
    QDate Day; // of the document the lots are judged for; invalid: every lot, whenever it entered
    bool LotStates = false; // the company keeps lots' standings: only released lots count
    bool ReleaseKept = false; // it keeps the articles whose new lots wait for a release
    bool OwnExpiry = false; // its stock keeps lots' own expiry dates (Data_expirare)
    bool StockTotals = false; // the engine keeps each article's total per warehouse (StocTotal)
    // SQLite: the partial index on the lots with an own expiry date, as stored (empty:
    // none), to which the question which articles have any is put by name (without
    // statistics the engine would scan every lot through the covering index instead).
    QString OwnDatesIndex{};

    static TLotRule Of(const TProductionSettings& settings, const QDate& day);
    // The stock rule: a lot counts for production when it lies in a raw-material warehouse
    // and holds a raw material, or holds a semi-finished product (wherever it lies).
    bool Counts(const QString& warehouse, const QString& article) const;
    // The same rule for the lots of `article` as a condition on Cod_gestiune (its values
    // appended to `values`), to narrow what the engine reads; empty where the rule keeps
    // every warehouse or where the prefix is half of a character (Counts still decides).
    // `summed`: for a statement that sums the lots, a range of codes the index answers.
    // `column`: the warehouse's column as the statement names it.
    QString CountedWarehouses(const QString& article, QVariantList& values, bool summed = false,
                              const QString& column = QStringLiteral("Cod_gestiune")) const;
    // The day before which a lot of that shelf life is expired and left out: none when the
    // settings draw expired lots, without a day or without a shelf life.
    std::optional<QDate> ExpiredBefore(double shelfLife) const;
    // ExpiryDate as a condition on a stock row: the lot is expired on the rule's day
    // (`expired`), or it is not; its values appended to `values`. Empty where no lot is
    // left out as expired (the settings draw them, no day, or neither a shelf life nor
    // `ownDates`). `ownDates`: some of the material's lots have their own expiry date; without
    // them the condition is the entry date alone, a range of the index on article and entry
    // date (of a lot with an entry date: the caller says what an undated one is).
    QString ExpiryCondition(double shelfLife, bool ownDates, bool expired, QVariantList& values) const;
};

// Which of a material's counted lots a statement asks for.
enum class TLotsAsked {
    Drawable,        // those a document of the rule's day may draw on
    DrawableDated,   // of those, the ones with an entry date
    DrawableUndated, // of those, the ones without
    ExpiredToo,      // those that existed on the rule's day, expired or not
    Any              // every lot the stock rule counts, whenever it entered
};

// A material's figures as the requirement shows them.
struct TStockFigures {
    double OnHand = 0;  // what may be drawn
    double Expired = 0; // the expired lots left out of it
};

class TStockLedger {
public:
    // `stock` is the dataset that names a lot whose quantity is no number (the user reads
    // the row as the stock table shows it); statements go straight to `engine`.
    TStockLedger(fw::Connection& engine, fw::TTable& stock, TLotRule rule);

    const TLotRule& Rule() const { return rule_; }

    // The one condition "this lot counts" for a material of that shelf life, bound in
    // `values`. The dated lots are a range of the index on article and entry date. `held`
    // are the material's lots that are not usable (Held), left out unless every lot is
    // asked for. `summed`: the statement sums the lots rather than reading them in order
    // (TLotRule::CountedWarehouses).
    // `ownDates`: some of the material's lots have their own expiry date (OwnDates).
    QString Lots(const TMaterialDraw& material, double shelfLife, bool ownDates, QVariantList& values, TLotsAsked asked,
                 const QHash<QString, TLotStanding>& held, bool summed = false) const;
    // Whether each material has a lot with its own expiry date: one statement by the stock's
    // partial index on them (none where the stock keeps no such date).
    std::vector<bool> OwnDates(const std::vector<TMaterialDraw>& materials) const;
    // The lots of each material that are not usable (none where the company keeps no
    // standings): read once per statement batch, inside the caller's transaction.
    std::vector<QHash<QString, TLotStanding>> Held(const std::vector<TMaterialDraw>& materials) const;

    // Each material's shelf life (0: none) where the rule's day asks about expired lots.
    std::vector<double> ShelfLives(const std::vector<TMaterialDraw>& materials) const;

    // ---- reads for the requirement and its preview
    // The requirement's figures for a material: its lots that existed on the rule's day,
    // less the expired ones when the settings leave them out.
    TStockFigures Figures(const QString& group, const QString& code, double shelfLife) const;
    // The lots of a material as the preview lists them (ReadMaterialLots).
    TMaterialLots MaterialLots(const QString& group, const QString& code, double shelfLife) const;

    // ---- reads for the draw
    // Sums the lots each material may draw on, inside a transaction holding the counter
    // row: every writer of lots takes that row first, so no other changes them until it
    // ends (on SQLite the write transaction alone keeps other writers out). Asked of the
    // engine together; in the order of `materials`.
    std::vector<TLotTotals> Totals(const std::vector<TMaterialDraw>& materials) const;
    // For each material, the lots MaterialLots gives, in the same order, but only as many as
    // PlanDraw of its quantity draws on: the leading ones, read in small blocks (every
    // material's first block together), with their stored values (TStockLot::Stored).
    std::vector<std::vector<TStockLot>> ToDraw(const std::vector<TMaterialDraw>& draws) const;
    // The lots receipt lines brought in (counter, line), as read for a draw, whatever the
    // stock rule: the caller names the lines it empties. In the order asked; none where a
    // line's lot is gone.
    std::vector<std::optional<TStockLot>> LotsOfLines(const std::vector<std::pair<double, double>>& lines) const;
    // What the consumption decides each material's row on (TMaterialStock), under the same
    // lock as Totals.
    std::vector<TMaterialStock> Stock(const std::vector<TMaterialDraw>& materials) const;

    // Raises the stock table's message for the first lot of the material in `warehouse`
    // (empty: none) whose quantity is no number; nothing when there is none.
    void RequireQuantities(const QString& group, const QString& code, const QString& warehouse) const;
    [[noreturn]] void RaiseUnreadableQuantity(qint64 row) const;

    // ---- writes: a lot is written only while it holds what was read (row and quantity)
    // Drawing `take` from `lot`: its row deleted or its quantity set to what is left.
    fw::TStatement Take(const TStockLot& lot, const TLotTake& take) const;
    // A row's quantity set to `now`, guarded by what it stored (`was`).
    fw::TStatement SetQuantity(qint64 row, double now, const QVariant& was) const;
    // A lot made again: `values` of `columns`.
    std::vector<fw::TStatement> Insert(const QStringList& columns, const QVariantList& values) const;
    // The first row holding every field given (null: none), with its quantity: row
    // identity, quantity.
    fw::TStatement FindRow(const std::vector<std::pair<const char*, QVariant>>& fields) const;
    // The datasets on the stock read again after the statements.
    void Touch() const;

    // ---- reads outside production (every lot, whatever the stock rule)
    // Articles (group, code) holding a lot named :Lot.
    static QStringList ArticlesOfLotSql();
    // Of an article (:Grupa unless `group` is empty, then :Cod): per lot, Lot and its
    // quantity Stoc; the number of rows of the lot :Lot (Randuri).
    static QStringList StockOfLotsSql(const QString& group);
    static QStringList LotRowsSql(const QString& group);
    // One lot (:Grupa, :Cod, :Lot): its rows Linii, quantity Cantitate and first entry date
    // Data_intrare; with `ownExpiry`, its earliest own expiry date Data_expirare too.
    static QStringList LotEntrySql(bool ownExpiry);
    // The stock of many lots by warehouse: the statement's head, the condition for one lot
    // (parameters :Grupa#, :Cod# and :Lot#, # the lot's place among those asked; without
    // :Grupa# when `grouped` is false, for a lot of an article without group) and the tail.
    // Columns Cod_grupa, Cod_articol, Lot, Cod_gestiune and Stoc.
    static std::array<QString, 3> LotsStockByWarehouseSql(bool grouped);
    // How many stock rows one lot (group, code, lot name) has.
    static qint64 LotRows(fw::Connection& engine, const QString& group, const QString& code, const QString& lot);
    // The lots with an expiry (an entry date of an article that keeps a shelf life, or,
    // where the stock keeps them, `ownExpiry`, their own expiry date Data_expirare) and
    // quantity above nothing, joined to their catalog row.
    static QStringList LotsWithShelfLifeSql(bool ownExpiry);

private:
    // Figures from the engine's totals: the lots read are only those the day leaves out
    // (entered after it, expired); none where a total holds what the lots must answer for
    // themselves (a quantity that is no number, a lot not usable, an own expiry date).
    std::optional<TStockFigures> FiguresFromTotals(const QString& group, const QString& code, double shelfLife) const;
    fw::Connection& engine_;
    fw::TTable& stock_;
    TLotRule rule_;
};

// The rows each statement of a batch changed (Connection::ForEachRowOf), from the `from`th
// on, each of which writes one lot guarded by what was read of it: EDatabaseError
// (dbmsg::EditChanged) unless every one changed exactly one row.
void RequireEachLotWritten(const std::vector<int>& written, std::size_t from = 0);

} // namespace corvanel
