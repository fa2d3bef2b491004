#pragma once

// "Urmarire lot": the user types or picks an article and a lot (Ctrl+Enter picks from the
// catalog and from the lots the article has), chooses forward or backward, and sees the
// lot followed as a tree with the totals per customer or supplier; prints it or exports
// it as CSV.

#include "platform/ui/Form.h"
#include "recall/LotRecall.h"

#include <memory>
#include <optional>

class QLayout;
class QTreeWidgetItem;

namespace corvanel {

struct TProductionContext;

class TRecallForm final : public fw::TForm {
public:
    // A child window of the host's main window, which frees itself when closed.
    TRecallForm(TProductionContext& context, QWidget* owner);
    ~TRecallForm() override;

private:
    struct Ui;
    void buildControls();
    QLayout* makeLotChoice();
    QWidget* makeResults();
    QLayout* makeButtons();

    // Follows the lot typed in the direction chosen and shows what was found; a lot that
    // does not exist is told, a database error shown with the add-on's words. A GS1 string
    // a scanner typed in the lot box is first read into the article (by its GTIN) and the lot.
    void followLot();
    // The print settings, then the report previewed or printed.
    void printRecall();
    // Asks for a file and writes the CSV there.
    void exportCsv();
    // A recall drill of the lot typed: the operator asked for, the lot followed, balanced and
    // its report printed, each step timed, and the drill kept on record.
    void runDrill();
    // The consumption document of the current row reversed (after the question), and the
    // lot followed again.
    void reverseCurrentConsumption();
    // Ctrl+Enter: the catalog in the article's boxes, the article's lots in the lot box;
    // Enter in the lot box: the search; the scanner's group separator kept in the lot box.
    void takeLotKeys(QChar& key);
    void pickArticle();
    void pickLot();
    void showRecall();
    void showArticleName();
    // The scanned GS1 string in the lot box put into the article's and lot's boxes; false,
    // after saying why, when it cannot be read.
    bool takeScannedLot();
    void addItems(QTreeWidgetItem* parent, const TRecallNode& node, int depth);
    void enableButtons();
    // Wider, as far as the room allows, until the columns shown need no sideways scrolling.
    void widenToColumns();
    TRecallDirection direction() const;

    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
    std::optional<TRecall> recall_;
};

} // namespace corvanel
