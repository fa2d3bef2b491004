#pragma once

// The technical requirement of an incoming document: the raw materials its products
// consumed, against the stock, corrected by the user and turned into a consumption
// document. The work itself is in Requirement.h; this is its window.

#include <QMdiSubWindow> // until the form header includes it itself

#include <QDate>
#include <memory>

#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Form.h"

namespace corvanel {

struct TProductionContext;

class TRequirementForm final : public fw::TForm {
public:
    // Prepares the requirement of the context's receipt; a database error is shown and
    // leaves the form unprepared, to be freed without being shown.
    TRequirementForm(TProductionContext& context, QWidget* owner);
    ~TRequirementForm() override;

    // True when the preparation succeeded and the form can be shown.
    bool Prepared() const { return prepared_; }

private:
    struct Ui;
    void makeHeader();
    void makeGrid();
    void fitToGrid();
    void prepare();
    void drawNegativeStockRed(fw::TDBGridNormal* grid, const QRect& rect, int dataCol, fw::TColumn* column,
                              fw::TGridDrawState state);
    // The editor is always open in the grid: Escape only cancels a cell's edit.
    void keepEscapeInTheCell(int& key);
    // The catalog shortcut applies in the columns that name the material.
    bool materialColumnSelected() const;
    void pickMaterial();
    void generateConsumption();
    // Shows under the grid what generation would draw for the current row.
    void showLotPreview();
    // Closes the tables and deletes the working table, once.
    void releaseData();

    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
    bool prepared_ = false;
    QDate lotsDay_; // the receipt's date, which lots expire against
    bool released_ = false;
};

} // namespace corvanel
