#pragma once

// The columns of a report's table: fixed widths, and one flexible column that takes what the
// page leaves, never narrower than its minimum.

#include <algorithm>
#include <span>
#include <vector>

namespace corvanel {

// The left edge of every column, then the right edge of the last; a width of 0 marks the
// flexible column.
inline std::vector<double> ColumnEdges(std::span<const double> widths, double contentWidth, double minFlexible)
{
    double fixed = 0;
    for (double w : widths)
        fixed += w;
    std::vector<double> edges;
    double x = 0;
    for (double w : widths) {
        edges.push_back(x);
        x += w > 0 ? w : std::max(minFlexible, contentWidth - fixed);
    }
    edges.push_back(x);
    return edges;
}

} // namespace corvanel
