#pragma once

// The data grid. Its parts: the columns (DBGridColumns), what it shows of its dataset
// (DBGridModel), how a cell is drawn and edited (DBGridDelegate), the titles (DBGridHeader).

#include "platform/db/DataSet.h"
#include "platform/ui/DBGridColumns.h"

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QLineEdit;

namespace fw {

class TDBGridNormal;
class TGridModel;
class TGridDataLink;
class TGridDelegate;

enum class TDBGridOption {
    Editing = 0x1,             // cells can be edited in place
    AlwaysShowEditor = 0x2,    // the current cell's editor stays open while the grid has the focus
    Titles = 0x4,              // column titles
    Indicator = 0x8,           // the column left of the rows marking the current one
    ColumnResize = 0x10,       // the user may resize columns
    ColLines = 0x20,
    RowLines = 0x40,
    Tabs = 0x80,               // Tab moves between cells instead of leaving the grid
    RowSelect = 0x100,         // the whole current row is highlighted, not one cell
    AlwaysShowSelection = 0x200, // the highlight stays when the grid loses the focus
    ConfirmDelete = 0x400,     // Ctrl+Delete asks first
    CancelOnExit = 0x800,      // leaving the grid drops a new row nothing was typed into
    MultiSelect = 0x1000,      // Ctrl+click marks several rows (SelectedRows)
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

// The options a new grid has.
constexpr TDBGridOptions DefaultGridOptions()
{
    return TDBGridOptions(TDBGridOption::Editing) | TDBGridOption::Titles | TDBGridOption::Indicator |
           TDBGridOption::ColumnResize | TDBGridOption::ColLines | TDBGridOption::RowLines | TDBGridOption::Tabs |
           TDBGridOption::ConfirmDelete | TDBGridOption::CancelOnExit;
}

// How a cell is being drawn.
struct TGridDrawState {
    bool Selected = false; // highlighted (current cell or row, or a marked row)
    bool Focused = false;  // the current cell of a focused grid
};

// What the default painting of a cell uses. A paint handler may change the font (its
// style) and the font colour for one cell, call DefaultDrawColumnCell and put them back.
struct TGridCanvas {
    QFont Font;
    QColor FontColor;
    QColor BrushColor;
};

// The data grid: a table view over the records of a data source's dataset. The current
// row and the dataset's cursor follow each other. Typing into a cell starts an edit of
// the current record (when the data source allows AutoEdit); leaving the cell assigns the
// field by its text, and a value the field refuses keeps the user in the cell with the
// field unchanged. Leaving a changed row posts it; a refused post keeps the user on the
// row. Down on the last row appends a record, which is dropped again when the user
// leaves it untouched; Insert inserts, Ctrl+Delete deletes, Escape cancels the edit.
// Only the rows on screen are read.
class TDBGridNormal final : public QTableView {
public:
    explicit TDBGridNormal(QWidget* parent = nullptr);
    ~TDBGridNormal() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;

    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions options);
    void SetOption(TDBGridOption option, bool on);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // Columns. Without columns of its own the grid shows one per visible field.
    TColumn* AddColumn(const QString& fieldName, const QString& title = QString(), int width = -1);
    void ClearColumns();
    int ColumnCount() const { return int(columns_.size()); }
    TColumn* Columns(int index) const { return columns_.at(size_t(index)).get(); }
    TColumn* ColumnByFieldName(const QString& name) const;
    bool DefaultColumns() const { return defaultColumns_; }

    // The current column and its field.
    int SelectedIndex() const;
    void SetSelectedIndex(int column);
    TField* SelectedField() const;
    void SetSelectedField(TField* field);

    // Rows marked under MultiSelect, as bookmarks, in the order they were marked.
    const std::vector<TBookmark>& SelectedRows() const { return selectedRows_; }
    bool IsRowSelected(TBookmark bookmark) const;
    void SelectRow(TBookmark bookmark, bool selected);
    void ClearSelectedRows();

    // Painting: OnDrawColumnCell, when set, paints each data cell (the cell's record is
    // the dataset's active one meanwhile); DefaultDrawColumnCell paints it the usual way
    // with Canvas().
    std::function<void(TDBGridNormal*, const QRect& rect, int dataCol, TColumn* column, TGridDrawState state)>
        OnDrawColumnCell;
    TGridCanvas& Canvas() { return canvas_; }
    void DefaultDrawColumnCell(const QRect& rect, int dataCol, TColumn* column, TGridDrawState state);

    // Keys reach OnKeyDown (the key code; 0 consumes it) and then OnKeyPress (the
    // character; 0 consumes it; Ctrl+Enter is 10) before the grid acts on them, also
    // while a cell editor is open.
    std::function<void(TDBGridNormal*, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void(TDBGridNormal*, QChar& key)> OnKeyPress;
    std::function<void(TDBGridNormal*)> OnDblClick;
    // The focus comes into the grid from elsewhere / leaves it.
    std::function<void(TDBGridNormal*)> OnEnter;
    std::function<void(TDBGridNormal*)> OnExit;

    // The editor of the current cell while it is open.
    QLineEdit* InplaceEditor() const;
    // Writes a pending cell edit into its field; false when the field refused it.
    bool CommitEdit();

    // The item view's type-ahead would move the cursor by the texts on screen; a data grid
    // moves only as its dataset does, and leaves typed letters to its handlers and window.
    void keyboardSearch(const QString&) override {}

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TColumn;
    friend class TGridModel;
    friend class TGridDataLink;
    friend class TGridDelegate;

    // A grid action on its dataset: link notifications wait until it ends, so that the
    // view is not reset under its own feet.
    class Acting;

    void ApplyOptions();
    void ColumnsChanged();
    void BuildDefaultColumns();
    void ApplyColumnWidths();
    int DefaultWidth(const TColumn* column) const;

    // From the data link.
    void LinkChanged();
    void LinkRecordChanged(TField* field);
    void LinkUpdateData();
    void Refresh();
    void SyncCurrentRow();
    int FirstEditableColumn() const;

    bool CanEditCell(const QModelIndex& index) const;
    bool CanAppend() const;
    void ShowEditorIfWanted();
    void LoadEditor();
    TField* EditorField() const;
    // The cell's text into its field; a refusal names the column by its title.
    void AssignEditorText(TField* field, const QString& text);
    void EditorTextEdited();
    // The keypad's decimal key in a number column, made to type the locale's decimal mark.
    std::unique_ptr<QKeyEvent> NumberKey(const QKeyEvent* event, int column) const;
    bool HandleKey(QKeyEvent* event);
    bool DoKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void CancelEdit();
    void DeleteRecord();
    void FocusChanged(QWidget* old, QWidget* now);
    bool Contains(const QWidget* widget) const;
    // Marks the record under the cursor: toggles it, or makes it the only mark.
    void MarkCurrentRow(bool toggle);
    void PaintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    // Reports an error met while Qt paints or asks for data, once until the data changes.
    void ReportPaintError(std::exception_ptr error);
    QString IndicatorText(int row) const;

    std::unique_ptr<TGridDataLink> link_;
    TGridModel* model_;
    TGridDelegate* delegate_;
    std::vector<std::unique_ptr<TColumn>> columns_;
    bool defaultColumns_ = true;
    TDBGridOptions options_ = DefaultGridOptions();
    bool readOnly_ = false;
    TGridCanvas canvas_;
    QPainter* painter_ = nullptr;

    int acting_ = 0;
    bool pendingRefresh_ = false;
    bool syncing_ = false;
    bool inserting_ = false;  // the dataset was inserting when the grid last followed it
    int targetColumn_ = -1;   // the column the user clicked, while the cursor moves there
    bool commitFailed_ = false;
    // A refusal's message box takes the focus from the cell, which would commit it again
    // and stack a second box on the first.
    bool committing_ = false;
    bool editorDirty_ = false;
    bool focused_ = false;
    bool forwardingKey_ = false; // a key the grid already offered to its handlers
    bool paintErrorReported_ = false;
    bool applyingWidths_ = false;
    bool resetting_ = false; // the model is being reset: no cell editor opens meanwhile
    QPointer<QLineEdit> editor_;
    int editorColumn_ = -1;
    const QEvent* lastKeyEvent_ = nullptr;
    std::vector<TBookmark> selectedRows_;
    std::map<int, TBookmark> markedDisplayRows_; // where marks are painted
};

} // namespace fw
