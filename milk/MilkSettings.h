#pragma once

// The milk intake's settings, kept in the company's KRBDEF.INI, section "Lapte": which
// article, warehouse and density a delivery takes, and how a farmer's milk is paid (a
// base price at a reference fat and protein, a bonus or deduction per 0.1 point of each,
// deductions by class of germs and of somatic cells). Numbers are written with "." in the
// file whatever the locale, so that every workstation reads the same price.

#include <QString>
#include <vector>

namespace corvanel {

// A class of germs or cells: a mean above `Above` takes `Deduction` off each unit paid.
struct TMilkClass {
    double Above = 0;
    double Deduction = 0;
};

struct TMilkSettings {
    QString Group;     // "Grupa": the raw milk's article group
    QString Article;   // "Articol": its code
    QString Warehouse; // "Gestiune": where deliveries and tanks are received
    double Density = 1.029; // "Densitate", kg/l, where a delivery gives none
    double BasePrice = 0;   // "PretBaza", lei per unit paid
    bool PricePerLitre = false; // "UnitatePret": "kg" or "l"
    double ReferenceFat = 3.7;     // "GrasimeReferinta", %
    double ReferenceProtein = 3.2; // "ProteinaReferinta", %
    double FatBonus = 0;     // "BonusGrasime": lei per unit for each 0.1 point above (below: deducted)
    double ProteinBonus = 0; // "BonusProteina"
    std::vector<TMilkClass> GermClasses; // "ClaseNTG": "100000:0.05;300000:0.10"
    std::vector<TMilkClass> CellClasses; // "ClaseNCS"

    // From `directory`'s KRBDEF.INI; a key that is missing keeps its default. All or
    // nothing: EInOutError naming the file, the key and what it may hold for a value the
    // add-on cannot read (a price is never guessed).
    void Load(const QString& directory);
    // Writes every key of the section, touching nothing else of the file.
    void Save(const QString& directory) const;
};

// Classes as the file writes them, and back (none for an empty text; nothing when the text
// cannot be read or its limits do not rise).
QString ClassesText(const std::vector<TMilkClass>& classes);
bool ReadClasses(const QString& text, std::vector<TMilkClass>& classes);
// The deduction per unit of a mean (none: no class applies); a mean at a class's limit
// stays in the class below.
double ClassDeduction(const std::vector<TMilkClass>& classes, double mean);

} // namespace corvanel
