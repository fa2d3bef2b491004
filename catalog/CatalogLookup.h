#pragma once

// The catalog lookup: choosing an article of the host's catalog, browsed by material class
// and group, with in-place editing of articles and the indexing of a group's prices.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

#include <QString>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTimer;

namespace fw {
class TDataSource;
class TDBGridNormal;
class TField;
class TMainMenu;
class TMenuItem;
class TTable;
} // namespace fw

namespace corvanel {

class TLookupLayoutFile;
struct TProductionContext;

// Shows the lookup positioned on group/article; true when the user confirmed a choice,
// which is then written into group and article (left as they were otherwise).
bool ExecuteCatalogLookup(TProductionContext& context, QWidget* owner, QString& group, QString& article);

// An account symbol "999(9).99(9).99(9)": at most 10 characters before the first dot and
// at most two analytic parts of at most 20 characters each. The characters themselves are
// not examined; an empty text is valid.
bool IsValidAccountSymbol(const QString& text);

class TCatalogLookupForm final : public fw::TForm {
public:
    // Opens the tables. When they cannot be opened the error is shown and the silent abort
    // thrown: there is no form.
    TCatalogLookupForm(TProductionContext& context, QWidget* owner);
    ~TCatalogLookupForm() override;

    // The help topic of the window; there is no help viewer to show it yet.
    static constexpr int HelpContext = 120;

    // Datasets, all on TVELDA.
    fw::TTable* ClassTable; // material classes
    fw::TTable* GroupTable;      // the groups of the current class
    fw::TTable* ArticleTable;    // the articles of the current group
    fw::TTable* CurrencyTable;        // currencies, searched by code
    fw::TDataSource* ClassSource;
    fw::TDataSource* GroupSource;
    fw::TDataSource* ArticleSource;

    fw::TDBGridNormal* ClassGrid;
    fw::TDBGridNormal* GroupGrid;
    fw::TDBGridNormal* ArticleGrid;
    QLabel* OrderLabel;
    QComboBox* OrderCombo; // display order of the articles
    QLabel* SearchLabel;
    QLineEdit* SearchEdit;    // incremental search in the current order
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;
    QPushButton* EditBtn;     // down while edit mode is on

    QMenuBar* MenuBar;
    fw::TMainMenu* Menu;
    fw::TMenuItem* DocumentMenu;           // "&Document", shown only in edit mode
    fw::TMenuItem* IndexPricesItem; // "Indexeaza &preturile"

    QTimer* RefreshTimer; // brings in other users' changes while the form is open

    // Edit mode: the articles (and the group grid) can be edited; choosing is off.
    bool EditMode() const;

    // Brings a group into view: its class, then the group. Unknown groups change nothing.
    void ShowGroup(const QString& group);
    // Orders the articles by code and goes to this one of the current group, if it is there.
    void ShowArticle(const QString& article);

    // Handlers.
    void OrderComboChange();
    void SearchEditChange();
    void EditBtnClick();
    void ArticleNewRecord();
    void ArticleBeforePost();
    void ArticleAccountValidate(fw::TField* sender);
    void ArticleCurrencyValidate(fw::TField* sender);
    void ArticleGridKeyDown(int& key);
    void ArticleGridDblClick();
    void GroupGridKeyDown(int& key);
    // Walks the articles of the current group inverting the catalog grid's mark of each.
    void GroupGridDblClick();
    void IndexPricesClick();
    // Re-reads the groups, articles and currencies that are not being edited.
    void RefreshTables();
    void FormCloseQuery(bool& canClose);
    void FormClose(fw::TCloseAction& action);

protected:
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    void BuildDataSets();
    void FormCreate();
    void SetEditMode(bool on);
    // The timer's and re-activation's refresh: a failure is reported once, not at every tick.
    void AutoRefresh();

    TProductionContext& context_;
    std::unique_ptr<TLookupLayoutFile> layoutFile_; // null when the layouts cannot be kept
    bool deactivated_ = false;
    bool refreshFailed_ = false;
};

} // namespace corvanel
