#include "quality/Certificate.h"

#include "data/LabResults.h"
#include "recall/LotRecall.h"
#include "recall/RecallOutput.h"

#include <functional>
#include <set>

namespace corvanel {

namespace {

// The norm of a listed result (its minimum, maximum and word expected, as listed).
QString NormText(const QString& minimum, const QString& maximum, const QString& expected)
{
    if (!expected.isEmpty())
        return expected;
    if (!minimum.isEmpty() && !maximum.isEmpty())
        return minimum + QStringLiteral(" - ") + maximum;
    if (!minimum.isEmpty())
        return QStringLiteral(">= ") + minimum;
    if (!maximum.isEmpty())
        return QStringLiteral("<= ") + maximum;
    return QStringLiteral("fara norma");
}

TCertificateLot LotOf(fw::Connection& engine, const TRecallNode& node, const QString& supplier)
{
    TCertificateLot lot;
    lot.Lot = {node.Lot.Group, node.Lot.Article, node.Lot.Lot};
    lot.Name = node.Name;
    lot.Supplier = supplier;
    lot.Standing = node.Standing.Reason.isEmpty() ? node.Standing.State
                                                  : node.Standing.State + QStringLiteral(": ") + node.Standing.Reason;
    // The columns of LabResultColumns: parameter 3, value 4, unit 5, norm 6-8, verdict 9, date 10.
    for (const QStringList& r : ListLabResults(engine, lot.Lot)) {
        const TLabParameter* parameter = FindLabParameter(r[3]);
        lot.Results.push_back({parameter ? parameter->Name : r[3], r[4], r[5], NormText(r[6], r[7], r[8]),
                               r[9] == QLatin1String("da") ? QStringLiteral("conform") : QStringLiteral("neconform"), r[10]});
    }
    return lot;
}

// The lots one step back: those of level 1, wherever the tree holds them.
void MaterialsUnder(const std::vector<TRecallNode>& nodes, const std::function<void(const TRecallNode&)>& take)
{
    for (const TRecallNode& node : nodes) {
        if (node.Kind == TRecallKind::Lot && node.Level == 1) {
            take(node);
            continue;
        }
        if (node.Level < 1)
            MaterialsUnder(node.Children, take);
    }
}

} // namespace

TCertificate ReadCertificate(TLotWalk& walk, fw::Connection& engine, const TLotKey& lot)
{
    const TRecall recall = walk.Follow({lot}, TRecallDirection::Backward);
    TCertificate certificate;
    const TRecallNode& root = recall.Roots.front();
    certificate.Product = LotOf(engine, root, QString());
    std::set<TLotKey> met;
    MaterialsUnder(root.Children, [&](const TRecallNode& node) {
        if (!met.insert(node.Lot).second)
            return;
        certificate.Materials.push_back(LotOf(engine, node, PartnerOf(node, 1)));
    });
    return certificate;
}

} // namespace corvanel
