#pragma once

#include "platform/ui/Menus.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace pelmaris {

// The host's main window: the document area for the child windows, the menu bar into
// which the add-on's menus are merged, and a status line with the hint of the menu
// item under the mouse, the open company and the add-on's name.
//
// Group indexes of the host's own menus: "&Sistem" 0, "Documente" 1, "Rapoarte" 2, so
// that a menu the add-on brings with group index 1 ("&Document") stands beside the
// documents; the host's own commands inside the menus have group index 0.
class TMainForm final : public QMainWindow {
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    QMdiArea* MdiArea() const { return mdiArea_; }
    QMenu* SistemMenu() const { return sistem_; }
    QMenu* DocumenteMenu() const { return documente_; }
    QMenu* RapoarteMenu() const { return rapoarte_; }

    // Commands of the host's menus, run under the event-loop guard.
    std::function<void()> OnOpenCompany;
    std::function<void()> OnDemoCompany;
    std::function<void()> OnDocIn;
    std::function<void()> OnDocOut;
    std::function<void()> OnStock;
    std::function<void()> OnCatalog;

    // The status line. `note` stands after the company's name (how it is open).
    void SetCompany(const QString& name, const QString& directory, const QString& note = {});
    void SetAddOnName(const QString& name);
    void ShowHint(const QString& hint);
    QString CompanyText() const;
    QString AddOnText() const;

    // Merges a menu the add-on handed over into the menu bar for good.
    void MergeMenu(fw::TMenuItem* menu);

    // While the child window holding `form` is the active one, `menu` is merged into the
    // menu bar; it is taken out when another child window becomes active or the form
    // goes. A window of the document area being left for a dialog changes nothing.
    void SetWindowMenu(QWidget* form, fw::TMenuItem* menu);
    bool WindowMenuMerged() const { return merged_ != nullptr; }

    // Closes every child window; false when one of them refused.
    bool CloseChildWindows();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, const QString& caption, const QString& hint, std::function<void()>* command);
    void SubWindowActivated(QMdiSubWindow* window);
    void Merge(fw::TMenuItem* menu);
    void Unmerge();

    QMdiArea* mdiArea_;
    QMenu* sistem_;
    QMenu* documente_;
    QMenu* rapoarte_;
    QLabel* companyLabel_;
    QLabel* addOnLabel_;
    std::map<QWidget*, QPointer<fw::TMenuItem>> windowMenus_;
    QPointer<fw::TMenuItem> merged_;
};

} // namespace pelmaris
