#pragma once

// The production settings: three one-character code prefixes that tell raw-material
// warehouses, raw-material articles and semi-finished articles apart. They are kept in
// the company's shared settings file KRBDEF.INI, section "Productie", found through the
// host's last database directory. The same section holds the order in which a
// consumption draws on the lots of a material and what it does with expired ones.

#include <QChar>
#include <QString>

namespace corvanel {

// The order a consumption draws on the lots of one material: the stock table's own order;
// first in, first out (entry date); first to expire (expiry date, lots without a shelf life
// after all others, then entry date). Ties keep the table's order.
// The finest the requirement's terms may be counted in.
constexpr int MaxRequirementDecimals = 3;
// The furthest ahead a lot may be marked as expiring soon, in days.
constexpr int MaxExpiringDays = 3650;

enum class TLotOrder { Table, FirstIn, FirstToExpire };

struct TProductionSettings {
    // First character of the codes of raw-material warehouses ("IndGest"), of raw-material
    // articles ("IndCod") and of semi-finished articles ("IndSemi").
    QChar RawWarehousePrefix = QLatin1Char('_');
    QChar RawMaterialPrefix = QLatin1Char('.');
    QChar SemiFinishedPrefix = QLatin1Char(';');

    // "OrdineLoturi": "Tabel", "FIFO" or "FEFO".
    TLotOrder LotOrder = TLotOrder::Table;
    // "LoturiExpirate": "Consuma" (expired lots are drawn like any other) or "Exclude"
    // (they are neither drawn nor counted in the requirement's stock).
    bool DrawExpiredLots = true;
    // "ZileExpirare": a lot expiring within this many days of the document is marked.
    int ExpiringWithinDays = 7;
    // "ZecimaleNecesar": the decimals each term of the requirement is rounded to (0 to 3;
    // 0, whole units, unless a plant counts finer).
    int RequirementDecimals = 0;

    // The directory of the settings file as last loaded or saved, ending in a separator.
    QString Directory;
    // The company directory the host handed over last; used when it recorded none.
    QString HandedOverDirectory;
    // Set by a program that works on one company it was given (the command-line tool):
    // the settings file is that company's, whatever the host recorded last.
    QString FixedDirectory;

    // Reloads Directory, the three prefixes and the lot settings; a missing file, section or
    // key keeps the setting as it was. EInOutError when the file is there but cannot be
    // read (see fw::TIniFile), and when a key of the section is there with a value the
    // add-on does not know (an empty prefix, a lot order or an expired-lots choice it has
    // no name for, a number of days or decimals out of its range), naming the file, the
    // key and the values allowed: a setting is never guessed.
    void Load();
    // Reloads Directory and writes the three prefixes and the lot settings, touching nothing
    // else of the file.
    void Save();
};

// True when the code starts with the prefix; an empty code starts with nothing.
bool StartsWithPrefix(const QString& code, QChar prefix);

} // namespace corvanel
