#pragma once

#include "host/DataForm.h"
#include "host/OutgoingLedger.h"

class QLabel;
class QPushButton;

namespace pelmaris {

// "Stoc": the stock lots by group and article, with their value and the total value.
class TStockForm final : public TDataForm {
public:
    explicit TStockForm(QWidget* owner);
    fw::TTable* Stock() const { return stock_; }
    QString TotalText() const;

private:
    void UpdateTotal();
    fw::TTable* stock_;
    QLabel* total_;
};

// "Documente de iesire": the outgoing documents over the lines of the current one, and a
// line entered by hand (TDocOutLineDialog) on the current document or a new one.
class TDocOutForm final : public TDataForm {
public:
    explicit TDocOutForm(QWidget* owner);
    fw::TTable* Headers() const { return headers_; }
    fw::TTable* Lines() const { return lines_; }
    QPushButton* NewLineButton() const { return newLine_; }
    // Who judges whether a lot may leave (the add-on, where it judges lots).
    void SetLotCheck(TLotCheck check) { lotCheck_ = std::move(check); }
    // The document `contor` shown with its lines, read again.
    void ShowDocument(double contor);

private:
    void enterLine();

    fw::TTable* headers_;
    fw::TTable* lines_;
    QPushButton* newLine_;
    TLotCheck lotCheck_;
};

} // namespace pelmaris
