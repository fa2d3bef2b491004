#pragma once

// How a consumption line is shared among the lines of the receipt it was drawn for: what
// the consumption document records as it is written, and what is estimated for documents
// written before it kept that record.

#include <QString>
#include <map>
#include <utility>
#include <vector>

namespace fw {
class TSession;
}

namespace corvanel {

// Shares a quantity in proportion to weights (none negative, some positive), in whole
// millionths of its unit: the shares add up exactly to the quantity rounded to millionths.
// Each share first takes the millionths its proportion holds whole; the millionths left
// over go one each to the shares whose proportion lost most to that rounding, the earlier
// of equal ones first. A quantity too large to count in millionths is shared in plain
// proportion. Weights that give nothing to share by give shares of 0.
std::vector<double> ShareOut(double quantity, const std::vector<double>& weights);

// The lines of one or more receipts and what each asks of each material by its recipe.
class TReceiptWeights {
public:
    struct TLine {
        double Receipt = 0; // Contor of the incoming document
        double Line = 0;    // its Contor_secundar
        double Quantity = 0;
    };
    // A line and its part of a material's quantity.
    struct TShare {
        size_t Line = 0; // index into Lines()
        double Quantity = 0;
    };

    TReceiptWeights() = default;
    // Reads the lines of the receipts, in the order given and then by line, and their
    // recipe terms (line quantity x recipe quantity of that group and material / the
    // product's yield, unrounded), on a database of the session. EDatabaseError when they
    // cannot be read.
    TReceiptWeights(fw::TSession* session, const QString& database, const std::vector<double>& receipts);

    const std::vector<TLine>& Lines() const { return lines_; }

    // What each line weighs in a material: its recipe term; when no recipe of the lines
    // asks for the material (a material the user typed), or every term is 0, the line's
    // quantity; when every quantity is 0 too, the lines weigh alike. Negative weights
    // count as 0: a line that returns goods takes nothing in.
    std::vector<double> Weights(const QString& group, const QString& code) const;
    // A quantity of the material shared by those weights (ShareOut), lines whose weight
    // is 0 left out. Empty when there are no lines.
    std::vector<TShare> Shares(const QString& group, const QString& code, double quantity) const;

private:
    std::vector<TLine> lines_;
    // Per material (group, code), the term of each line.
    std::map<std::pair<QString, QString>, std::vector<double>> terms_;
};

} // namespace corvanel
