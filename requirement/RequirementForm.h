#pragma once

// The technical requirement of an incoming document: the raw materials its products
// consumed, against the stock, corrected by the user and turned into a consumption
// document. The work itself is in Requirement.h; this is its window.

#include <QMdiSubWindow> // until the form header includes it itself

#include <QDate>

#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Form.h"

class QFrame;
class QLabel;
class QPushButton;

namespace fw {
class TDBNavigator;
}

namespace corvanel {

class TLotPreviewPanel;
struct TProductionContext;

class TRequirementForm final : public fw::TForm {
public:
    // Prepares the requirement of the context's receipt; a database error is shown and
    // leaves the form unprepared, to be freed without being shown.
    TRequirementForm(TProductionContext& context, QWidget* owner);
    ~TRequirementForm() override;

    QFrame* HeaderPanel;
    QLabel* TitleLabel;
    QLabel* NumberCaption;
    QLabel* NumberLabel;
    QLabel* DateCaption;
    QLabel* DateLabel;
    QLabel* CustomerCaption;
    fw::TDBGridNormal* AgentsGrid;
    fw::TDBNavigator* RequirementNavigator;
    QPushButton* GenerateButton; // "Genereaza document iesire "
    QPushButton* CancelButton;      // "&Renunta"
    fw::TDBGridNormal* RequirementGrid;
    TLotPreviewPanel* LotPreview; // the lots the current row would be drawn from

    // True when the preparation succeeded and the form can be shown.
    bool Prepared() const { return prepared_; }

    void FormCreate();
    void FormClose(fw::TCloseAction& action);
    void RequirementGridDrawColumnCell(fw::TDBGridNormal* grid, const QRect& rect, int dataCol, fw::TColumn* column,
                                   fw::TGridDrawState state);
    void RequirementGridKeyDown(int& key);
    void RequirementGridKeyPress(QChar& key);
    void RequirementGridDblClick();
    void GenerateButtonClick();
    // Shows under the grid what generation would draw for the current row.
    void ShowLotPreview();

private:
    void BuildHeader();
    void BuildGrid();
    void FitToGrid();
    // The catalog shortcut applies in the columns that name the material.
    bool MaterialColumnSelected() const;
    void PickMaterial();
    // Closes the tables and deletes the working table, once.
    void ReleaseData();

    TProductionContext& context_;
    bool prepared_ = false;
    QDate lotsDay_; // the receipt's date, which lots expire against
    bool released_ = false;
};

} // namespace corvanel
