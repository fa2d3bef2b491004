#include "host/DataForm.h"

#include "host/Company.h"
#include "host/Schema.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Table.h"
#include "platform/ui/MessageDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace pelmaris {

namespace {

// Height of a data window where there is no document area to fill.
constexpr int kMinimumHeight = 480;

} // namespace

QString DatabaseErrorText(const QString& engineMessage)
{
    return QStringLiteral("Eroare de acces la baza de date!\r<%1> !").arg(engineMessage);
}

TDataForm::TDataForm(QWidget* owner, const QString& caption) : fw::TForm(owner)
{
    SetCaption(caption);
    SetFormStyle(fw::TFormStyle::MDIChild);
    SetCloseAction(fw::TCloseAction::Free);
    OnCloseQuery = [this](fw::TForm*, bool&) { saveEditedRows(); };
    body_ = new QVBoxLayout(this);
    body_->setContentsMargins(6, 6, 6, 6);
    body_->setSpacing(4);
}

void TDataForm::saveEditedRows()
{
    // Details before their masters: the reverse of the opening order.
    for (auto it = tables_.rbegin(); it != tables_.rend(); ++it) {
        if ((*it)->Active())
            (*it)->CheckBrowseMode();
    }
}

TDataForm::~TDataForm()
{
    // Details before their masters, lookups last: the reverse of the opening order.
    for (auto it = tables_.rbegin(); it != tables_.rend(); ++it)
        (*it)->Close();
}

fw::TTable* TDataForm::AddTable(const QString& name, const QString& order, bool readOnly,
                                std::initializer_list<const char*> fields)
{
    auto* table = new fw::TTable(this);
    table->setObjectName(QString(name).remove(QLatin1Char('.')));
    table->SetDatabaseName(AliasTVELDA);
    table->SetTableName(name);
    table->SetIndexFieldNames(order);
    table->SetReadOnly(readOnly);
    if (const TTableLayout* layout = FindHostTable(name)) {
        for (const fw::TFieldDef& def : layout->Fields) {
            const bool wanted = fields.size() == 0 || std::any_of(fields.begin(), fields.end(), [&](const char* f) {
                                    return def.Name.compare(QLatin1String(f), Qt::CaseInsensitive) == 0;
                                });
            if (wanted)
                table->AddField(def.Name, def.DataType, def.Size);
        }
    }
    tables_.push_back(table);
    return table;
}

fw::TDataSource* TDataForm::AddSource(fw::TDataSet* dataSet)
{
    auto* source = new fw::TDataSource(this);
    source->SetDataSet(dataSet);
    return source;
}

fw::TDBGridNormal* TDataForm::AddGrid(QBoxLayout* layout, fw::TDataSource* source, bool editable,
                                      const std::vector<TColumnSpec>& columns, int stretch)
{
    auto* grid = new fw::TDBGridNormal(this);
    grid->SetDataSource(source);
    fw::TDBGridOptions options = grid->Options();
    if (!editable) {
        options &= ~fw::TDBGridOptions(fw::TDBGridOption::Editing);
        options |= fw::TDBGridOption::RowSelect;
        options |= fw::TDBGridOption::AlwaysShowSelection;
        grid->SetReadOnly(true);
    }
    grid->SetOptions(options);
    for (const TColumnSpec& c : columns)
        grid->AddColumn(QString::fromLatin1(c.Field), c.Title, c.Width)->SetReadOnly(c.ReadOnly);
    layout->addWidget(grid, stretch);
    grids_.push_back(grid);
    return grid;
}

fw::TDBNavigator* TDataForm::AddNavigator(QBoxLayout* layout, fw::TDataSource* source, bool editable)
{
    auto* navigator = new fw::TDBNavigator(this);
    navigator->SetDataSource(source);
    if (!editable) {
        navigator->SetVisibleButtons({fw::TNavigateBtn::First, fw::TNavigateBtn::Prior, fw::TNavigateBtn::Next,
                                      fw::TNavigateBtn::Last, fw::TNavigateBtn::Refresh});
    }
    layout->addWidget(navigator, 0, Qt::AlignLeft);
    navigators_.push_back(navigator);
    return navigator;
}

void TDataForm::AddCaption(QBoxLayout* layout, const QString& text)
{
    auto* label = new QLabel(text, this);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    layout->addWidget(label);
}

void TDataForm::SetDisplayFormat(fw::TDataSet* dataSet, std::initializer_list<const char*> fields, const QString& mask)
{
    for (const char* f : fields)
        dataSet->FieldByName(QString::fromLatin1(f))->SetDisplayFormat(mask);
}

bool TDataForm::OpenData()
{
    try {
        for (fw::TTable* table : tables_)
            table->Open();
        return true;
    } catch (const fw::EDatabaseError& e) {
        for (auto it = tables_.rbegin(); it != tables_.rend(); ++it)
            (*it)->Close();
        // A damaged file is told as such by the program, in place of the engine's words.
        if (!dynamic_cast<const fw::EDatabaseDamaged*>(&e))
            fw::MessageDlg(DatabaseErrorText(e.Message()), fw::TMsgDlgType::Error);
        return false;
    }
}

void TDataForm::ShowFitted()
{
    // As wide as the widest grid's columns, as tall as the document area: data windows
    // are lists, and a list is read better the more of it shows. The main window then
    // places the window and keeps it inside the area.
    int width = 0;
    for (fw::TDBGridNormal* grid : grids_) {
        int columns = grid->Options().testFlag(fw::TDBGridOption::Indicator)
                          ? std::max(grid->verticalHeader()->sizeHint().width(), 20)
                          : 0;
        for (int i = 0; i < grid->ColumnCount(); ++i)
            columns += grid->Columns(i)->Width();
        columns += 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width() + 2;
        width = std::max(width, columns);
    }
    const QMargins margins = body_->contentsMargins();
    int height = std::max(sizeHint().height(), kMinimumHeight);
    if (auto* main = qobject_cast<QMainWindow*>(Owner())) {
        if (auto* area = qobject_cast<QMdiArea*>(main->centralWidget()))
            height = std::max(height, area->viewport()->height());
    }
    resize(std::max(width + margins.left() + margins.right(), sizeHint().width()), height);
    Show();
}

} // namespace pelmaris
