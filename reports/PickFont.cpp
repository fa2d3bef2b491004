#include "reports/PickFont.h"

#include "platform/core/Exceptions.h"

#include <QPrinter>
#include <cmath>

namespace corvanel {

namespace {
constexpr int kMaxFaceName = 60;
constexpr double kPickSize = 10; // points
} // namespace

QString NearestFont(const std::vector<fw::TPrinterFont>& fonts, double targetWidth)
{
    QString best;
    double bestWidth = 0;
    for (const fw::TPrinterFont& font : fonts) {
        if (std::abs(font.AverageCharWidth - targetWidth) < std::abs(bestWidth - targetWidth)) {
            best = font.Family;
            bestWidth = font.AverageCharWidth;
        }
        if (bestWidth == targetWidth)
            break;
    }
    return best.left(kMaxFaceName);
}

QString PickFont(int cpi)
{
    fw::TPrinter& printer = fw::Printer();
    if (!printer.Device().isValid() || printer.DpiX() <= 0 || cpi <= 0)
        fw::Abort();
    const double target = double(printer.DpiX()) / cpi;
    std::vector<fw::TPrinterFont> fixed;
    try {
        for (const fw::TPrinterFont& font : printer.Fonts(kPickSize))
            if (font.FixedPitch)
                fixed.push_back(font);
    } catch (const std::exception&) {
        // A printer whose fonts cannot be listed leaves the choice to what was listed.
    }
    return NearestFont(fixed, target);
}

} // namespace corvanel
