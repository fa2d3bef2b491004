#pragma once

#include "host/DataForm.h"

namespace fw {
class TQuery;
}

namespace pelmaris {

class TReceiptBinding;
class TReversalMarks;

// "Documente de intrare": the headers of the incoming documents over the lines of the
// current one, both editable. A user enters a receipt here: a new header takes the next
// counter, each saved line puts its lot into stock (see TReceiptBinding).
class TDocInForm final : public TDataForm {
public:
    explicit TDocInForm(QWidget* owner);
    ~TDocInForm() override;

    fw::TTable* Headers() const { return headers_; }
    fw::TTable* Lines() const { return lines_; }
    fw::TDataSource* HeaderSource() const { return headerSource_; }
    fw::TDataSource* LineSource() const { return lineSource_; }
    fw::TDBGridNormal* HeaderGrid() const { return Grids().at(0); }
    fw::TDBGridNormal* LineGrid() const { return Grids().at(1); }
    fw::TDBNavigator* HeaderNavigator() const { return headerNavigator_; }
    fw::TDBNavigator* LineNavigator() const { return lineNavigator_; }

private:
    // "BMC" and the counters of the consumption documents written for a receipt.
    QString ConsumptionOf(const fw::TDataSet* header) const;

    fw::TTable* headers_;
    fw::TTable* lines_;
    fw::TDataSource* headerSource_;
    fw::TDataSource* lineSource_;
    fw::TDBNavigator* headerNavigator_;
    fw::TDBNavigator* lineNavigator_;
    TReceiptBinding* binding_;
    fw::TQuery* consumption_;
    TReversalMarks* reversals_;
};

} // namespace pelmaris
