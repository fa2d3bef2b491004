#include "data/Genealogy.h"

#include "data/Queries.h"
#include "platform/db/Query.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace corvanel {

namespace {

constexpr double kUnitsPerQuantity = 1e6;
// Beyond this many millionths a double no longer counts every one of them.
constexpr double kCountableUnits = 9e15;

std::vector<double> Positive(std::vector<double> weights)
{
    for (double& w : weights)
        w = std::isfinite(w) && w > 0 ? w : 0.0;
    return weights;
}

double Sum(const std::vector<double>& values) { return std::accumulate(values.begin(), values.end(), 0.0); }

} // namespace

std::vector<double> ShareOut(double quantity, const std::vector<double>& weights)
{
    const size_t n = weights.size();
    std::vector<double> shares(n, 0.0);
    const double total = Sum(weights);
    if (n == 0 || !(total > 0) || !std::isfinite(total))
        return shares;
    const double units = std::round(std::abs(quantity) * kUnitsPerQuantity);
    if (!(units < kCountableUnits)) {
        for (size_t i = 0; i < n; ++i)
            shares[i] = quantity * (weights[i] / total);
        return shares;
    }
    std::vector<double> whole(n), lost(n);
    double given = 0;
    for (size_t i = 0; i < n; ++i) {
        const double exact = units * (weights[i] / total);
        whole[i] = std::floor(exact);
        lost[i] = exact - whole[i];
        given += whole[i];
    }
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return lost[a] > lost[b]; });
    // What is left is fewer millionths than there are shares; the arithmetic of the
    // proportions may make it one more, or one less, than the exact figure.
    auto left = static_cast<long long>(units - given);
    for (size_t k = 0; left > 0; k = (k + 1) % n, --left)
        whole[order[k]] += 1;
    for (size_t k = n; left < 0 && k-- > 0;) {
        if (whole[order[k]] >= 1) {
            whole[order[k]] -= 1;
            ++left;
        }
    }
    const double sign = quantity < 0 ? -1.0 : 1.0;
    for (size_t i = 0; i < n; ++i)
        shares[i] = sign * whole[i] / kUnitsPerQuantity;
    return shares;
}

TReceiptWeights::TReceiptWeights(fw::TSession* session, const QString& database, const std::vector<double>& receipts)
{
    const auto query = [&](const QStringList& sql) {
        auto q = std::make_unique<fw::TQuery>();
        q->SetSession(session);
        q->SetDatabaseName(database);
        q->SetSQL(sql);
        return q;
    };
    const auto lines = query(ReceiptLinesSql());
    const auto terms = query(ReceiptLineTermsSql());
    for (double receipt : receipts) {
        lines->Close();
        lines->ParamByName(QStringLiteral("Contor"))->SetAsFloat(receipt);
        lines->Open();
        std::map<double, size_t> byNumber;
        for (; !lines->Eof(); lines->Next()) {
            byNumber.emplace(lines->Fields(0)->AsFloat(), lines_.size());
            lines_.push_back({receipt, lines->Fields(0)->AsFloat(), lines->Fields(1)->AsFloat()});
        }
        terms->Close();
        terms->ParamByName(QStringLiteral("Contor"))->SetAsFloat(receipt);
        terms->Open();
        for (; !terms->Eof(); terms->Next()) {
            const auto line = byNumber.find(terms->Fields(0)->AsFloat());
            if (line == byNumber.end())
                continue;
            std::vector<double>& byLine = terms_[{terms->Fields(1)->AsString(), terms->Fields(2)->AsString()}];
            // A term without yield is null: it asks for nothing.
            byLine.resize(std::max(byLine.size(), line->second + 1), 0.0);
            byLine[line->second] += terms->Fields(3)->AsFloat();
        }
    }
    for (auto& [material, byLine] : terms_)
        byLine.resize(lines_.size(), 0.0);
}

std::vector<double> TReceiptWeights::Weights(const QString& group, const QString& code) const
{
    if (const auto found = terms_.find({group, code}); found != terms_.end()) {
        std::vector<double> weights = Positive(found->second);
        if (Sum(weights) > 0)
            return weights;
    }
    std::vector<double> weights;
    for (const TLine& line : lines_)
        weights.push_back(line.Quantity);
    weights = Positive(std::move(weights));
    if (Sum(weights) > 0)
        return weights;
    return std::vector<double>(lines_.size(), 1.0);
}

std::vector<TReceiptWeights::TShare> TReceiptWeights::Shares(const QString& group, const QString& code,
                                                             double quantity) const
{
    const std::vector<double> weights = Weights(group, code);
    const std::vector<double> shares = ShareOut(quantity, weights);
    std::vector<TShare> out;
    for (size_t i = 0; i < shares.size(); ++i)
        if (weights[i] > 0)
            out.push_back({i, shares[i]});
    return out;
}

} // namespace corvanel
