#include "platform/ui/Menus.h"

#include "platform/ui/Application.h"
#include "platform/ui/Guard.h"

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <QWidget>

namespace fw {

namespace {

const char* const kGroupIndexProperty = "fwGroupIndex";

QString WithoutAccelerators(QString caption)
{
    // "&&" is a literal ampersand and stays one.
    caption.replace(QLatin1String("&&"), QString(QChar(0xFFFF)));
    caption.remove(QLatin1Char('&'));
    caption.replace(QChar(0xFFFF), QLatin1Char('&'));
    return caption;
}

void InsertByGroup(QWidget* target, QAction* action)
{
    const int group = GroupIndex(action);
    QAction* before = nullptr;
    for (QAction* existing : target->actions()) {
        if (existing != action && GroupIndex(existing) > group) {
            before = existing;
            break;
        }
    }
    target->insertAction(before, action);
}

// The submenu of `target` that an item with items of its own merges into, if any.
QMenu* MatchingSubMenu(QWidget* target, TMenuItem* item)
{
    if (item->Count() == 0)
        return nullptr;
    const QString caption = WithoutAccelerators(item->Caption());
    for (QAction* existing : target->actions()) {
        if (existing->menu() && existing != item->Action() && WithoutAccelerators(existing->text()) == caption)
            return existing->menu();
    }
    return nullptr;
}

} // namespace

TMenuItem::TMenuItem(QObject* owner) : QObject(owner) {}

TMenuItem::~TMenuItem()
{
    // The action first: it refers to the submenu and is shown in the host's menus.
    delete action_;
    action_ = nullptr;
    subMenu_.reset();
}

TMenuItem* TMenuItem::Add(const QString& name, const QString& caption, int groupIndex,
                          std::function<void(TMenuItem*)> onClick)
{
    auto* item = new TMenuItem(this);
    item->parent_ = this;
    item->setObjectName(name);
    item->caption_ = caption;
    item->groupIndex_ = groupIndex;
    item->OnClick = std::move(onClick);
    items_.push_back(item);
    connect(item, &QObject::destroyed, this, [this, item] { ItemDestroyed(item); });
    if (subMenu_)
        InsertByGroup(subMenu_.get(), item->Action());
    if (action_ && !action_->menu())
        action_->setMenu(SubMenu());
    return item;
}

void TMenuItem::ItemDestroyed(TMenuItem* item) { std::erase(items_, item); }

void TMenuItem::SetCaption(const QString& caption)
{
    caption_ = caption;
    if (action_) {
        // A separator shows no text: some styles draw it as a section title.
        action_->setText(IsLine() ? QString() : caption);
        action_->setSeparator(IsLine());
    }
    if (subMenu_)
        subMenu_->setTitle(caption);
}

void TMenuItem::SetHint(const QString& hint)
{
    hint_ = hint;
    if (action_)
        action_->setStatusTip(hint);
}

void TMenuItem::SetGroupIndex(int index)
{
    groupIndex_ = index;
    if (action_)
        fw::SetGroupIndex(action_, index);
}

void TMenuItem::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (action_)
        action_->setEnabled(enabled);
}

void TMenuItem::SetVisible(bool visible)
{
    visible_ = visible;
    if (action_)
        action_->setVisible(visible);
}

TMenuItem* TMenuItem::Find(const QString& name) const
{
    for (TMenuItem* item : items_) {
        if (item->Name() == name)
            return item;
        if (TMenuItem* found = item->Find(name))
            return found;
    }
    return nullptr;
}

void TMenuItem::Click()
{
    if (enabled_ && OnClick)
        OnClick(this);
}

QAction* TMenuItem::Action()
{
    if (action_)
        return action_;
    action_ = new QAction(IsLine() ? QString() : caption_, this);
    action_->setObjectName(objectName());
    action_->setSeparator(IsLine());
    action_->setStatusTip(hint_);
    action_->setEnabled(enabled_);
    action_->setVisible(visible_);
    fw::SetGroupIndex(action_, groupIndex_);
    if (!items_.empty())
        action_->setMenu(SubMenu());
    connect(action_, &QAction::triggered, this, GuardedSlot(action_, [this] { Click(); }));
    connect(action_, &QAction::hovered, this, GuardedSlot(action_, [this] {
                if (TApplication* application = TApplication::Find(action_))
                    application->SetHint(hint_);
            }));
    return action_;
}

QMenu* TMenuItem::SubMenu()
{
    if (subMenu_)
        return subMenu_.get();
    subMenu_ = std::make_unique<QMenu>(caption_);
    subMenu_->setObjectName(objectName());
    for (TMenuItem* item : items_)
        InsertByGroup(subMenu_.get(), item->Action());
    return subMenu_.get();
}

void TPopupMenu::Popup(const QPoint& globalPosition)
{
    if (OnPopup)
        OnPopup(this);
    SubMenu()->popup(globalPosition);
}

void MergeMenu(QWidget* target, TMenuItem* menu)
{
    for (int i = 0; i < menu->Count(); ++i) {
        TMenuItem* item = menu->Items(i);
        if (QMenu* existing = MatchingSubMenu(target, item))
            MergeMenu(existing, item);
        else
            InsertByGroup(target, item->Action());
    }
}

void UnmergeMenu(QWidget* target, TMenuItem* menu)
{
    for (int i = 0; i < menu->Count(); ++i) {
        TMenuItem* item = menu->Items(i);
        if (QMenu* existing = MatchingSubMenu(target, item))
            UnmergeMenu(existing, item);
        else
            target->removeAction(item->Action());
    }
}

void SetGroupIndex(QAction* action, int index) { action->setProperty(kGroupIndexProperty, index); }

int GroupIndex(const QAction* action) { return action->property(kGroupIndexProperty).toInt(); }

void AttachPopupMenu(QWidget* widget, TPopupMenu* menu)
{
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget, &QWidget::customContextMenuRequested, menu,
                     GuardedSlot(widget, [widget, menu](const QPoint& position) {
                         menu->Popup(widget->mapToGlobal(position));
                     }));
}

} // namespace fw
