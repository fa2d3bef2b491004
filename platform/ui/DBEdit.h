#pragma once

#include "platform/db/DataSet.h"

#include <QLineEdit>
#include <functional>
#include <memory>

namespace fw {

class TEditDataLink;

// A single-line edit bound to one field of a data source. It shows the field's text
// (its display text while it has no focus); typing starts an edit of the record (when
// the data source allows AutoEdit). The typed text is written into the field when the
// edit loses the focus to another control and whenever the dataset collects pending
// edits (before a post). A value the field refuses keeps the focus in the edit with the
// typed text, the field unchanged. Escape puts the field's value back.
class TDBEdit final : public QLineEdit {
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    const QString& DataField() const { return dataField_; }
    void SetDataField(const QString& name);
    // The bound field; null while the dataset is closed or has no such field.
    TField* Field() const;

    // Text typed and not yet written into the field.
    bool Modified() const { return dirty_; }
    // Writes the typed text into the field now; errors propagate.
    void UpdateRecord();

    // Runs after the typed value was written, when the focus moved to another control.
    std::function<void(TDBEdit*)> OnExit;
    std::function<void(TDBEdit*)> OnEnter;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TEditDataLink;
    void LoadText();
    void TextEdited();

    std::unique_ptr<TEditDataLink> link_;
    QString dataField_;
    bool dirty_ = false;
};

} // namespace fw
