#pragma once

#include "host/DataForm.h"

class QLabel;

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

// "Documente de iesire": the outgoing documents over the lines of the current one.
class TDocOutForm final : public TDataForm {
public:
    explicit TDocOutForm(QWidget* owner);
    fw::TTable* Headers() const { return headers_; }
    fw::TTable* Lines() const { return lines_; }

private:
    fw::TTable* headers_;
    fw::TTable* lines_;
};

} // namespace pelmaris
