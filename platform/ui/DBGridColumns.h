#pragma once

// A data grid's columns: which field each shows and how (see DBGridNormal.h for the grid).

#include <QColor>
#include <QString>
#include <Qt>
#include <optional>

namespace fw {

class TDBGridNormal;
class TField;

// One column of a grid: the field it shows (by name), its title (the field's display
// label when empty), width in pixels (a width from the field when negative), background
// colour (the grid's when invalid) and alignment (the field's when unset).
class TColumn final {
public:
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name);
    // The field of the grid's dataset with that name; null when closed or absent.
    TField* Field() const;
    QString Title() const;
    void SetTitle(const QString& title);
    int Width() const;
    void SetWidth(int pixels);
    const QColor& Color() const { return color_; }
    void SetColor(const QColor& color);
    Qt::Alignment Alignment() const;
    void SetAlignment(Qt::Alignment alignment);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    int Index() const;
    TDBGridNormal* Grid() const { return grid_; }

    // The usual colour of read-only figure columns (the face of a button).
    static QColor ButtonFace();

private:
    friend class TDBGridNormal;
    explicit TColumn(TDBGridNormal* grid) : grid_(grid) {}
    TDBGridNormal* grid_;
    QString fieldName_;
    QString title_;
    int width_ = -1;
    QColor color_;
    std::optional<Qt::Alignment> alignment_;
    bool readOnly_ = false;
};

} // namespace fw
