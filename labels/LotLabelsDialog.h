#pragma once

// "Etichete lot": the labels of a finished lot chosen by article and lot (typed, or read by
// a scanner as a GS1 string), checked as they are typed, then printed or saved as a PDF.

#include "labels/LabelSheet.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace corvanel {

struct TProductionContext;

class TLotLabelsDialog final : public QDialog {
    Q_OBJECT
public:
    TLotLabelsDialog(TProductionContext& context, QWidget* parent);

    // The labels as chosen written to the file; false, after saying why, when they cannot
    // be made or written.
    bool saveTo(const QString& fileName);

private:
    void buildControls();
    // A GS1 string in the lot box is read into the article and the lot.
    void takeScannedLot();
    // What the codes will hold, or why no label can be made, shown under the choices.
    void checkLabel();
    void savePdf();
    void printLabels();
    // The labels as chosen; none (and the reason shown) when they cannot be made.
    std::optional<fw::TReportDocument> labels();
    std::optional<double> quantity() const;

    TProductionContext& context_;
    QLineEdit* group_;
    QLineEdit* article_;
    QLineEdit* lot_;
    QLineEdit* quantity_;
    QSpinBox* copies_;
    QComboBox* size_;
    QLabel* check_;
    QDialogButtonBox* buttons_;
    QPushButton* print_;
    QPushButton* save_;
};

// Shows the dialog, modal, over the owner.
void ExecuteLotLabels(TProductionContext& context, QWidget* owner);

} // namespace corvanel
