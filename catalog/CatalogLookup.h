#pragma once

// The catalog lookup: choosing an article of the host's catalog, browsed by material class
// and group, with in-place editing of articles and the indexing of a group's prices.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

#include <QString>
#include <memory>

class QLayout;

namespace fw {
class TDataSource;
class TField;
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

    // Edit mode: the articles (and the group grid) can be edited; choosing is off.
    bool EditMode() const;

    // Brings a group into view: its class, then the group. Unknown groups change nothing.
    void ShowGroup(const QString& group);
    // Orders the articles by code and goes to this one of the current group, if it is there.
    void ShowArticle(const QString& article);
    // The group and the article the current rows show.
    QString CurrentGroup() const;
    QString CurrentArticle() const;
    // Re-reads the groups, articles and currencies that are not being edited.
    void RefreshTables();

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Ui;
    void buildDataSets();
    void buildControls();
    QLayout* makeSideColumn();
    void makeMenu();
    void openTables();
    void setEditMode(bool on);
    void toggleEditMode();
    void applyArticleOrder();
    void searchArticles();
    void fillNewArticle();
    void checkArticle();
    void checkAccount(fw::TField* account);
    void checkCurrency(fw::TField* currency);
    // Space marks the article and moves on, outside edit mode.
    void markArticleWithSpace(int& key);
    // Walks the articles of the current group inverting the catalog grid's mark of each.
    void invertGroupMarks();
    void indexGroupPrices();
    // The timer's and re-activation's refresh: a failure is reported once, not at every tick.
    void refreshQuietly();
    void saveEditedArticle(bool& canClose);
    void keepLayouts(fw::TCloseAction& action);

    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
    // Datasets, all on TVELDA.
    fw::TTable* classes_ = nullptr;    // material classes
    fw::TTable* groups_ = nullptr;     // the groups of the current class
    fw::TTable* articles_ = nullptr;   // the articles of the current group
    fw::TTable* currencies_ = nullptr; // searched by code
    fw::TDataSource* classSource_ = nullptr;
    fw::TDataSource* groupSource_ = nullptr;
    fw::TDataSource* articleSource_ = nullptr;
    std::unique_ptr<TLookupLayoutFile> layoutFile_; // null when the layouts cannot be kept
    bool deactivated_ = false;
    bool refreshFailed_ = false;
};

} // namespace corvanel
