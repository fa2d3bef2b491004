#pragma once

// A modal choice of one row of a read-only table: a line saying what is chosen, the rows,
// and the dialog's OK and "Renunta". The pickers that choose a lot or a document are this
// dialog with their own columns and captions.

#include "platform/ui/DialogButtons.h"
#include "platform/ui/Form.h"

#include <QSize>
#include <QStringList>
#include <memory>
#include <vector>

namespace fw {

struct TRowChoice {
    QString Name;    // the dialog's object name
    QString Caption;
    QString Prompt;  // the line above the table; none when empty
    QString GridName;
    QStringList Headings;
    std::vector<QStringList> Rows;  // the cells' texts, a list per row
    QList<int> RightAligned;        // the columns of numbers
    int Current = 0;                // the row current when the dialog opens (the last: Rows.size() - 1)
    QString OkCaption;              // with its "&" accelerator
    bool OkIsDefault = true;        // false where choosing writes: Enter then means "Renunta"
    bool DoubleClickChooses = false;
    QSize Size;
};

class TRowChoiceDlg final : public TForm {
public:
    TRowChoiceDlg(const TRowChoice& choice, QWidget* owner);
    ~TRowChoiceDlg() override;

    // The current row; -1 when there is none.
    int chosenRow() const;

private:
    struct Ui;
    std::unique_ptr<Ui> ui_;
};

} // namespace fw
