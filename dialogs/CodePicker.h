#pragma once

// What the warehouse and supplier pickers share: a "all" check box, a grid of codes and
// names in which several rows can be chosen, and the code list built from the choice.

#include "platform/ui/Form.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace fw {
class TDataSource;
class TQuery;
} // namespace fw

namespace corvanel {

struct TProductionContext;

class TCodePickerDlg : public fw::TForm {
public:
    ~TCodePickerDlg() override;

    // Empty while the box is ticked; otherwise the codes of the chosen rows, in the order
    // they were chosen.
    QString CodeList();

protected:
    // What tells the two pickers apart.
    struct TSource {
        const char* QueryName;
        const QStringList& Sql; // selects Cod and Denumire
        int CodeSize;
        int NameSize;
        QString AllCaption;     // the check box
        int CodeWidth;          // of the code column; from the field when negative
    };
    // The query runs in the context's session; the hourglass shows on its screen.
    TCodePickerDlg(const TProductionContext& context, QWidget* owner, const TSource& source);

private:
    struct Ui;
    // Ticked: the grid is off. Cleared: the query is opened the first time, then the
    // grid is on. An error opening the query reaches the caller's handler.
    void followAllBox();
    void fitCodeColumn();

    const TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
    fw::TQuery* query_;
    fw::TDataSource* source_;
};

// Creates a picker, shows it modally and releases it on every path. True when it was
// closed with "&Deschide"; only then is `list` written.
template <typename Picker>
bool ExecutePicker(const TProductionContext& context, QWidget* owner, QString& list)
{
    const auto dlg = std::make_unique<Picker>(context, owner);
    if (dlg->ShowModal() != fw::TModalResult::OK)
        return false;
    list = dlg->CodeList();
    return true;
}

} // namespace corvanel
