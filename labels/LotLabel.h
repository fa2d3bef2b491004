#pragma once

// What a finished lot's label says, read from the company: the article from the catalog,
// the lot from its receipt lines and its stock, the company's name, and the GS1 elements
// its barcodes carry. Everything that would make a wrong label is refused here, before
// anything is drawn.

#include "labels/Gs1.h"
#include "platform/core/Exceptions.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace corvanel {

struct TProductionContext;

// The label cannot be made as asked; the message says why and what to do.
class ELabelRefused final : public fw::Exception {
public:
    using Exception::Exception;
};

struct TLotLabel {
    QString Company;
    QString Group;
    QString Code;
    QString Name;
    QString Unit;
    QString Lot;
    QDate Produced; // the lot's entry date
    QDate UseBy;    // none for an article without a shelf life
    double Quantity = 0;
    std::vector<gs1::TElement> Elements;
};

// Whether an article in this unit of measure is sold by weight, and so carries its net
// weight in kg (3102): "kg" and "g", however written.
bool SoldByWeight(const QString& unit);
// The quantity in kg of a quantity in such a unit.
double Kilograms(double quantity, const QString& unit);

// The label of the lot of article group/code. Its net quantity is `quantity` when given (one
// package of the lot), else what the lot's receipt lines brought in (what its stock holds
// when it has no receipt line). ELabelRefused for an article or lot the company does not
// have; gs1::EInvalid for a barcode, lot or weight GS1 does not allow; EDatabaseError when
// the company cannot be read.
TLotLabel ReadLotLabel(TProductionContext& context, const QString& group, const QString& code, const QString& lot,
                       std::optional<double> quantity = std::nullopt);

// The label of given data, the GS1 elements made and checked (gs1::EInvalid).
void MakeElements(TLotLabel& label, const QString& barcode);

} // namespace corvanel
