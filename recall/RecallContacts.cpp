#include "recall/RecallContacts.h"

#include "platform/core/Readable.h"
#include "recall/MassBalance.h"
#include "recall/RecallDrill.h"
#include "recall/RecallOutput.h"

#include <functional>
#include <set>

namespace corvanel {

namespace {

void Visit(const std::vector<TRecallNode>& nodes, int depth, const std::function<void(const TRecallNode&, int)>& visit)
{
    for (const TRecallNode& node : nodes) {
        visit(node, depth);
        Visit(node.Children, depth + 1, visit);
    }
}

QString Partner(const TRecallDocument& d, bool opening)
{
    if (d.Partner.isEmpty())
        return opening ? OpeningStockPartner() : QStringLiteral("-");
    QStringList parts{d.PartnerName};
    if (!d.FiscalCode.isEmpty())
        parts << QStringLiteral("CF %1").arg(d.FiscalCode);
    if (!d.Address.isEmpty())
        parts << d.Address;
    if (!d.Phone.isEmpty())
        parts << QStringLiteral("tel. %1").arg(d.Phone);
    return parts.join(QStringLiteral(", "));
}

QString Document(const TRecallDocument& d, const fw::TFormatSettings& formats)
{
    const QString text = DocumentText(d, formats);
    return d.Date.isValid() ? QStringLiteral("%1 din %2").arg(text, fw::DateText(d.Date, formats)) : text;
}

QString Product(const TRecallNode& n)
{
    QString text = QStringLiteral("%1/%2 %3").arg(n.Lot.Group, n.Lot.Article, n.Name).trimmed();
    if (!n.Description.isEmpty())
        text += QStringLiteral(" (%1)").arg(n.Description);
    return text;
}

} // namespace

std::vector<TInspectionLine> StepBack(const TRecall& recall)
{
    std::vector<TInspectionLine> lines;
    if (recall.Direction == TRecallDirection::Forward) {
        for (const TRecallNode& root : recall.Roots)
            for (const TRecallNode& n : root.Children)
                if (n.Kind == TRecallKind::Receipt)
                    lines.push_back({&n, n.Quantity});
        return lines;
    }
    Visit(recall.Roots, 0, [&](const TRecallNode& n, int depth) {
        if (n.Kind == TRecallKind::Lot && depth > 0 && n.Children.empty() && !n.Repeated && !n.Cycle)
            lines.push_back({&n, n.Received});
    });
    return lines;
}

std::vector<TInspectionLine> StepForward(const TRecall& recall)
{
    std::vector<TInspectionLine> lines;
    if (recall.Direction == TRecallDirection::Forward)
        Visit(recall.Roots, 0, [&](const TRecallNode& n, int) {
            if (n.Kind == TRecallKind::Shipment)
                lines.push_back({&n, n.Quantity});
        });
    return lines;
}

TInspectionSection CustomersToCall(const TRecall& recall)
{
    TInspectionSection section{QStringLiteral("Clienti de anuntat"), {}};
    std::set<QString> seen;
    for (const TInspectionLine& l : StepForward(recall)) {
        const TRecallDocument& d = l.Node->Document;
        if (!seen.insert(d.Partner).second)
            continue;
        section.Lines << QStringLiteral("%1: %2")
                             .arg(d.PartnerName.isEmpty() ? QStringLiteral("-") : d.PartnerName,
                                  d.Phone.isEmpty() ? QStringLiteral("fara telefon") : QStringLiteral("tel. %1").arg(d.Phone));
    }
    return section;
}

std::vector<TInspectionSection> InspectionSections(const TRecall& recall, const fw::TFormatSettings& formats)
{
    const auto line = [&](const TInspectionLine& l, bool back) {
        const TRecallNode& n = *l.Node;
        return QStringLiteral("%1; %2; %3; %4 %5; lot %6")
            .arg(Partner(n.Document, back), Document(n.Document, formats), Product(n),
                 fw::QuantityToStr(l.Quantity, formats), n.Unit, n.Lot.Lot);
    };
    TInspectionSection back{QStringLiteral("Un pas inapoi (furnizori)"), {}};
    for (const TInspectionLine& l : StepBack(recall))
        back.Lines << line(l, true);
    TInspectionSection forward{QStringLiteral("Un pas inainte (clienti)"), {}};
    for (const TInspectionLine& l : StepForward(recall))
        forward.Lines << line(l, false);
    std::vector<TInspectionSection> sections;
    if (!recall.Drill.isEmpty())
        sections.push_back({DrillTitle(), recall.Drill});
    for (TInspectionSection* s : {&back, &forward})
        if (!s->Lines.isEmpty())
            sections.push_back(std::move(*s));
    if (!recall.Balances.empty())
        sections.push_back({BalanceTitle(), BalanceText(recall.Balances, formats)});
    return sections;
}

QString SectionsText(const std::vector<TInspectionSection>& sections)
{
    QString out;
    for (const TInspectionSection& s : sections)
        if (!s.Lines.isEmpty())
            out += s.Title + QStringLiteral(":\n  ") + s.Lines.join(QStringLiteral("\n  ")) + QLatin1Char('\n');
    return out;
}

} // namespace corvanel
