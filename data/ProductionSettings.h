#pragma once

// The production settings: three one-character code prefixes that tell raw-material
// warehouses, raw-material articles and semi-finished articles apart. They are kept in
// the company's shared settings file KRBDEF.INI, section "Productie", found through the
// host's last database directory.

#include <QChar>
#include <QString>

namespace corvanel {

struct TProductionSettings {
    // First character of the codes of raw-material warehouses ("IndGest"), of raw-material
    // articles ("IndCod") and of semi-finished articles ("IndSemi").
    QChar RawWarehousePrefix = QLatin1Char('_');
    QChar RawMaterialPrefix = QLatin1Char('.');
    QChar SemiFinishedPrefix = QLatin1Char(';');

    // The directory of the settings file as last loaded or saved, ending in a separator.
    QString Directory;
    // The company directory the host handed over last; used when it recorded none.
    QString HandedOverDirectory;
    // Set by a program that works on one company it was given (the command-line tool):
    // the settings file is that company's, whatever the host recorded last.
    QString FixedDirectory;

    // Reloads Directory and the three prefixes; a missing file, section or key (or a key
    // with an empty value) keeps the prefix as it was. EInOutError when the file is there
    // but cannot be read.
    void Load();
    // Reloads Directory and writes the three prefixes, touching nothing else of the file.
    void Save();
};

// True when the code starts with the prefix; an empty code starts with nothing.
bool StartsWithPrefix(const QString& code, QChar prefix);

} // namespace corvanel
