#pragma once
// A form with a data grid over a real table in a temporary directory.

#include "platform/core/Exceptions.h"
#include "platform/db/Table.h"
#include "platform/ui/Application.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"
#include "support/DbFixture.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace uitest {

struct TestRow {
    QString cod;
    double cant;
};

class GridFixture : public ::testing::Test {
protected:
    // A table "Reteta" (Cod string 8, primary key; Cant float; Den string 30), opened.
    void OpenTable(const std::vector<TestRow>& rows, const QString& name = QStringLiteral("Reteta.DB"))
    {
        table = std::make_unique<fw::TTable>();
        table->SetDatabaseName(dir.Path());
        table->SetTableName(name);
        table->FieldDefs = {{QStringLiteral("Cod"), fw::TFieldType::String, 8, false},
                            {QStringLiteral("Cant"), fw::TFieldType::Float, 0, false},
                            {QStringLiteral("Den"), fw::TFieldType::String, 30, false}};
        table->IndexDefs = {{QString(), QStringLiteral("Cod"), fw::TIndexOption::Primary}};
        table->CreateTable();
        table->Open();
        for (const TestRow& r : rows)
            table->AppendRecord({r.cod, r.cant, QStringLiteral("den ") + r.cod});
        table->First();
        source.SetDataSet(table.get());
    }

    // The form shown and active, the grid focused.
    void ShowGrid()
    {
        auto* layout = new QVBoxLayout(&form);
        grid = new fw::TDBGridNormal(&form);
        other = new QLineEdit(&form);
        layout->addWidget(grid);
        layout->addWidget(other);
        grid->SetDataSource(&source);
        form.resize(500, 300);
        application.SetMainForm(&form);
        form.show();
        QApplication::setActiveWindow(&form);
        grid->setFocus();
    }

    // The form shown and active with an edit of one field, focused, and `other` below it.
    fw::TDBEdit* ShowFieldEdit(const QString& field = QStringLiteral("Cant"))
    {
        auto* layout = new QVBoxLayout(&form);
        auto* edit = new fw::TDBEdit(&form);
        other = new QLineEdit(&form);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->SetDataSource(&source);
        edit->SetDataField(field);
        application.SetMainForm(&form);
        form.show();
        QApplication::setActiveWindow(&form);
        edit->setFocus();
        return edit;
    }

    QWidget* Focus() const { return QApplication::focusWidget(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Focus(), key, modifiers); }
    // Each key to whichever control has the focus then (the first one may open a cell editor).
    void Type(const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(Focus(), c.toLatin1());
    }
    QString Cod() const { return table->FieldByName(QStringLiteral("Cod"))->AsString(); }
    double Cant() const { return table->FieldByName(QStringLiteral("Cant"))->AsFloat(); }
    int CurrentRow() const { return grid->currentIndex().row(); }
    void SelectColumn(const QString& field) { grid->SetSelectedField(table->FieldByName(field)); }
    void ClickRow(int row)
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, grid->SelectedIndex()));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    testsupport::TempDir dir;
    fw::TMessageRecorder messages;
    fw::TApplication application;
    std::unique_ptr<fw::TTable> table;
    fw::TDataSource source;
    fw::TForm form;
    fw::TDBGridNormal* grid = nullptr;
    QLineEdit* other = nullptr;
};

} // namespace uitest
