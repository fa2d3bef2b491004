#pragma once

#include "platform/db/DataSet.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>

class QToolButton;

namespace fw {

class TNavigatorLink;

enum class TNavigateBtn { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
constexpr int kNavigateBtnCount = 10;

// A row of buttons that move through and edit the dataset of a data source. Each button
// is enabled only when its action makes sense in the dataset's present state (post and
// cancel only while editing, first and prior not on the first record, ...). The buttons
// take no focus, so a grid keeps its cell editor while one is clicked.
class TDBNavigator final : public QWidget {
public:
    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;

    // May change at any time (one navigator serving two grids in turn).
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);

    void SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons);
    void SetButtonVisible(TNavigateBtn button, bool visible);
    bool ButtonVisible(TNavigateBtn button) const;
    bool ButtonEnabled(TNavigateBtn button) const;
    QToolButton* Button(TNavigateBtn button) const { return buttons_[size_t(button)]; }

    // One hint per button, in button order; a shorter list replaces the first ones.
    QStringList Hints() const;
    void SetHints(const QStringList& hints);

    // Whether Delete asks "Stergeti inregistrarea?" first (it does by default).
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool confirm) { confirmDelete_ = confirm; }

    // Does what a click on the button does; errors propagate (a click runs it guarded).
    void BtnClick(TNavigateBtn button);
    // Runs before a button's action (may abort it) and after it.
    std::function<void(TDBNavigator*, TNavigateBtn)> BeforeAction;
    std::function<void(TDBNavigator*, TNavigateBtn)> OnClick;

private:
    friend class TNavigatorLink;
    void UpdateButtons();

    std::unique_ptr<TNavigatorLink> link_;
    std::array<QToolButton*, kNavigateBtnCount> buttons_{};
    bool confirmDelete_ = true;
};

} // namespace fw
