#pragma once

// The question of price indexing: by how many percent the sale prices of a group change.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

class QDoubleSpinBox;
class QFrame;
class QLabel;
class QPushButton;

namespace corvanel {

class TPercentageDlg final : public fw::TForm {
public:
    explicit TPercentageDlg(QWidget* owner);

    // The text of Question with the group name in place of %s.
    static QString MessageFormat();
    // Puts the group's name into the question.
    void SetGroupName(const QString& groupName);

    QFrame* Frame;
    QLabel* Question;
    QDoubleSpinBox* PercentageEdit; // the percentage itself: 5 shows as 5.00%
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void FitToQuestion();
};

// Asks for the percentage by which the prices of the named group change; false when the
// user cancelled.
bool AskPercentage(QWidget* owner, const QString& groupName, double& percentage);

} // namespace corvanel
