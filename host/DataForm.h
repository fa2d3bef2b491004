#pragma once

#include "platform/ui/DBGridNormal.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/Form.h"

#include <QString>
#include <initializer_list>
#include <vector>

class QBoxLayout;
class QVBoxLayout;

namespace fw {
class TTable;
} // namespace fw

namespace pelmaris {

// A column of a grid: the field, its title (the field's name when empty), its width in
// pixels (from the field's width when negative), and whether the user may not type in it
// (a value the program fills in itself).
struct TColumnSpec {
    const char* Field;
    QString Title = {};
    int Width = -1;
    bool ReadOnly = false;
};

// A child window of the main window over tables of the open company (alias TVELDA):
// the tables it owns, their grids and navigators, and the database error message that
// every failure to read or write shows. It frees itself when it is closed.
class TDataForm : public fw::TForm {
public:
    TDataForm(QWidget* owner, const QString& caption);
    ~TDataForm() override;

    // Opens the tables in the order they were added. A database error is shown and
    // leaves them all closed; false then.
    bool OpenData();
    // Sizes the window to show its grids whole, as far as the main window's document
    // area allows, and shows it there.
    void ShowFitted();

    // The grids, in the order they were added (for tests and screenshots).
    const std::vector<fw::TDBGridNormal*>& Grids() const { return grids_; }
    const std::vector<fw::TDBNavigator*>& Navigators() const { return navigators_; }

protected:
    // A table of the company with fields declared from the host's layout of that table:
    // the named ones, or all of them when none is named.
    fw::TTable* AddTable(const QString& name, const QString& order, bool readOnly,
                         std::initializer_list<const char*> fields = {});
    fw::TDataSource* AddSource(fw::TDataSet* dataSet);
    fw::TDBGridNormal* AddGrid(QBoxLayout* layout, fw::TDataSource* source, bool editable,
                               const std::vector<TColumnSpec>& columns, int stretch = 1);
    fw::TDBNavigator* AddNavigator(QBoxLayout* layout, fw::TDataSource* source, bool editable);
    // Adds a title over a grid.
    void AddCaption(QBoxLayout* layout, const QString& text);
    // Display mask of number fields.
    static void SetDisplayFormat(fw::TDataSet* dataSet, std::initializer_list<const char*> fields, const QString& mask);

    QVBoxLayout* Body() const { return body_; }

private:
    // A row being edited is saved when the window closes; a save that is refused throws,
    // which keeps the window open with the row as it is.
    void saveEditedRows();

    QVBoxLayout* body_;
    std::vector<fw::TTable*> tables_;
    std::vector<fw::TDBGridNormal*> grids_;
    std::vector<fw::TDBNavigator*> navigators_;
};

// The message of a database error: the lead text, a line break and the engine's words.
QString DatabaseErrorText(const QString& engineMessage);

} // namespace pelmaris
