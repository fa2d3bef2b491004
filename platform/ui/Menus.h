#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace fw {

// One command of a menu, or a submenu when it has items of its own. The caption may
// carry "&" accelerators; the caption "-" makes a separator. The group index places the
// item when menus are merged (lower first; equal indexes keep their order). Clicks run
// OnClick under the event-loop guard.
class TMenuItem : public QObject {
public:
    explicit TMenuItem(QObject* owner = nullptr);
    ~TMenuItem() override;

    // Adds an item at the end of this one's items and returns it (owned by this item).
    TMenuItem* Add(const QString& name, const QString& caption, int groupIndex = 0,
                   std::function<void(TMenuItem*)> onClick = {});
    // Adds a separator.
    TMenuItem* AddSeparator(const QString& name, int groupIndex = 0) { return Add(name, QStringLiteral("-"), groupIndex); }

    QString Name() const { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool IsLine() const { return caption_ == QLatin1String("-"); }

    TMenuItem* Parent() const { return parent_; }
    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(size_t(index)); }
    // The item of that name here or anywhere below; null when none.
    TMenuItem* Find(const QString& name) const;

    std::function<void(TMenuItem*)> OnClick;
    // Runs OnClick as a click would (only when the item is enabled). Errors propagate.
    void Click();

    // The Qt action standing for this item in every Qt menu it is merged into.
    QAction* Action();
    // The Qt menu of this item's own items (created on first use).
    QMenu* SubMenu();

private:
    void ItemDestroyed(TMenuItem* item);

    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
    QString caption_;
    QString hint_;
    int groupIndex_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    QAction* action_ = nullptr; // child of this item
    std::unique_ptr<QMenu> subMenu_;
};

// The root of a menu a module hands to a host: its items are the top-level menus.
class TMainMenu final : public TMenuItem {
public:
    using TMenuItem::TMenuItem;
};

// A context menu, e.g. of a grid (see AttachPopupMenu).
class TPopupMenu final : public TMenuItem {
public:
    using TMenuItem::TMenuItem;
    // Runs OnPopup, then shows the menu at a point of the screen without waiting.
    void Popup(const QPoint& globalPosition);
    std::function<void(TPopupMenu*)> OnPopup;
};

// Merges the items of `menu` into a Qt menu bar or menu (`target`): each goes before the
// first entry whose group index is greater than its own. An item with items of its own
// whose caption (without "&") equals an existing submenu of the target is merged into
// that submenu instead of being added beside it. Actions the host creates itself take
// part with SetGroupIndex (0 by default). Items destroyed later vanish from the target.
void MergeMenu(QWidget* target, TMenuItem* menu);
// Takes out of `target` what MergeMenu(target, menu) put there.
void UnmergeMenu(QWidget* target, TMenuItem* menu);
void SetGroupIndex(QAction* action, int index);
int GroupIndex(const QAction* action);

// Shows `menu` when the user asks `widget` for its context menu.
void AttachPopupMenu(QWidget* widget, TPopupMenu* menu);

} // namespace fw
