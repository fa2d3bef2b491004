#pragma once

// The question of price indexing: by how many percent the sale prices of a group change.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

#include <memory>

namespace corvanel {

class TPercentageDlg final : public fw::TForm {
public:
    explicit TPercentageDlg(QWidget* owner);
    ~TPercentageDlg() override;

    // Puts the group's name into the question.
    void SetGroupName(const QString& groupName);
    // The percentage typed, as the box reads it: 5 shows as 5.00%.
    double percentage() const;

private:
    struct Ui;
    void fitToQuestion();

    std::unique_ptr<Ui> ui_;
};

// Asks for the percentage by which the prices of the named group change; false when the
// user cancelled.
bool AskPercentage(QWidget* owner, const QString& groupName, double& percentage);

} // namespace corvanel
