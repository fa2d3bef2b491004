#pragma once

// The pre-renderer between a report's band model and its page model (internal to the report).

#include "platform/report/Report.h"

#include <functional>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace fw {

// Walks the data once and lays the bands out on pages. A band is evaluated first (its
// events run once, memo lines are known, so is its height), then placed: on the current
// page when it fits, else on a new one.
class TReportGenerator {
public:
    explicit TReportGenerator(TReport& report, std::function<bool(const TReportPage&)> pageDone = {})
        : r_(report), pageDone_(std::move(pageDone))
    {
    }
    TReportDocument Run();

private:
    // A band evaluated for printing, in band coordinates.
    struct TOutput {
        double Height = 0;
        int Page = 0; // the page number its texts were computed for
        std::vector<TPageText> Texts;
        std::vector<TPageLine> Lines;
        std::vector<TPageRect> Rects;
        std::vector<TPagePicture> Pictures;
        std::vector<std::pair<size_t, const TReportSystemData*>> PageNumbers;
        std::vector<TReportSum*> Sums;

        // Empty again, keeping the room of its lists for the next band.
        void Clear()
        {
            Height = 0;
            Page = 0;
            Texts.clear();
            Lines.clear();
            Rects.clear();
            Pictures.clear();
            PageNumbers.clear();
            Sums.clear();
        }
    };

    bool Present(TReportBand* band) const { return band->Enabled && !band->IsEmpty(); }
    TPageFont FontOf(const TReportElement& element) const;
    double LineHeight(const TPageFont& font);
    double DesignHeight(TReportBand* band);
    QString TextOf(TReportElement* element) const;
    // A field's handle in a data source, looked up at its first use in a run.
    static int Handle(TReportData* data, const QString& field, int& handle);
    QVariant BreakValue(TReportGroup* group) const;
    void ForEachBand(const std::function<void(TReportBand*)>& visit);
    QString SystemText(const TReportSystemData* element, int page) const;
    static void AddFrame(TOutput& out, const QRectF& box, TFrameSides sides, double width);
    void AddShape(TOutput& out, const TReportShape* shape, double width, double bandHeight) const;
    bool Evaluate(TReportBand* band, TOutput& out);
    void Place(TOutput& out, double top);

    void StartPage();
    void FinishPage(bool last);
    void NewPage();
    void PrintBand(TReportBand* band);
    static double SplitPoint(const TOutput& out, double room);
    static TOutput SplitOff(TOutput& out, double cut);
    void PrintHeaders(int from);
    void PrintFooters(int downTo);
    void CollectSums(TReportBand* band);

    TReportPage& Page() { return doc_.Pages.back(); }
    void HandOver(TReportPage& page);

    TReport& r_;
    std::function<bool(const TReportPage&)> pageDone_;
    TReportDocument doc_;
    double y_ = 0;
    double bodyTop_ = 0; // below the page header
    double bodyBottom_ = 0;
    bool pageHasBody_ = false;
    std::vector<TReportSum*> sums_;
    std::map<std::tuple<double, bool, bool>, double> lineHeights_;
    // The bands being evaluated, reused from band to band: a report evaluates tens of
    // thousands, and new lists for each were a good part of its time. The page's header and
    // footer have one of their own, as they are evaluated while a body band waits to be placed.
    TOutput band_;
    TOutput pageBand_;
    std::vector<std::pair<const TReportShape*, double>> shapes_;
    TReportPage spare_; // the lists of the page handed over last, for the next one

};

} // namespace fw
