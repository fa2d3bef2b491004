#pragma once

// "Urmarire lot": the user types or picks an article and a lot (Ctrl+Enter picks from the
// catalog and from the lots the article has), chooses forward or backward, and sees the
// lot followed as a tree with the totals per customer or supplier; prints it or exports
// it as CSV.

#include "platform/ui/Form.h"
#include "recall/LotRecall.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvanel {

struct TProductionContext;

class TRecallForm final : public fw::TForm {
public:
    // A child window of the host's main window, which frees itself when closed.
    TRecallForm(TProductionContext& context, QWidget* owner);
    ~TRecallForm() override;

    QLineEdit* GroupEdit;
    QLineEdit* ArticleEdit;
    QLabel* ArticleNameLabel;
    QLineEdit* LotEdit;
    QRadioButton* ForwardRadio;
    QRadioButton* BackwardRadio;
    QPushButton* SearchButton;
    QTreeWidget* RecallTree;
    QLabel* TotalsLabel;
    QTreeWidget* TotalsTree;
    QLabel* InspectionLabel;
    QPlainTextEdit* InspectionText; // the customers to call, one step back and forward, the balance
    QPushButton* PrintButton;
    QPushButton* CsvButton;
    QPushButton* ReverseButton;
    QPushButton* DrillButton;
    QPushButton* DrillsButton;
    QPushButton* CloseButton;

    // Follows the lot typed in the direction chosen and shows what was found; a lot that
    // does not exist is told, a database error shown with the add-on's words. A GS1 string
    // a scanner typed in the lot box is first read into the article (by its GTIN) and the lot.
    void SearchButtonClick();
    // The print settings, then the report previewed or printed.
    void PrintButtonClick();
    // Asks for a file and writes the CSV there.
    void CsvButtonClick();
    // A recall drill of the lot typed: the operator asked for, the lot followed, balanced and
    // its report printed, each step timed, and the drill kept on record.
    void DrillButtonClick();
    // The consumption document of the current row reversed (after the question), and the
    // lot followed again.
    void ReverseButtonClick();
    // Ctrl+Enter: the catalog in the article's boxes, the article's lots in the lot box;
    // Enter in the lot box: the search.
    void FormKeyPress(QChar& key);

    // What is shown, once something was followed.
    const std::optional<TRecall>& Recall() const { return recall_; }

private:
    void BuildControls();
    void ShowRecall();
    void ShowArticleName();
    // The scanned GS1 string in the lot box put into the article's and lot's boxes; false,
    // after saying why, when it cannot be read.
    bool TakeScannedLot();
    void AddItems(QTreeWidgetItem* parent, const TRecallNode& node, int depth);
    void UpdateButtons();
    // Wider, as far as the room allows, until the columns shown need no sideways scrolling.
    void widenToColumns();

    TProductionContext& context_;
    std::optional<TRecall> recall_;
};

} // namespace corvanel
