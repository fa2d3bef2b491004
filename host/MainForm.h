#pragma once

#include "platform/ui/Menus.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace pelmaris {

// The host's main window: the document area for the child windows, the menu bar into
// which the add-on's menus are merged, and a status line with the hint of the menu
// item under the mouse, the open company and the add-on's name.
//
// Group indexes of the host's own menus: "&Sistem" 0, "&Nomenclatoare" and "&Operatii"
// 1, "&Rapoarte" 2, "&Fereastra" 9, so that a menu the add-on brings with group index 1
// ("&Document") stands after the documents and the windows menu stays last. Inside the
// menus the host's commands have group index 0, except the end of "&Sistem" (a line and
// "&Iesire"), which has 9: whatever the add-on merges there (group index 5) comes before.
class TMainForm final : public QMainWindow {
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    QMdiArea* MdiArea() const { return mdiArea_; }
    QMenu* SistemMenu() const { return sistem_; }
    QMenu* NomenclatoareMenu() const { return nomenclatoare_; }
    QMenu* OperatiiMenu() const { return operatii_; }
    QMenu* RapoarteMenu() const { return rapoarte_; }
    QMenu* FereastraMenu() const { return fereastra_; }

    // Commands of the host's menus, run under the event-loop guard.
    std::function<void()> OnOpenCompany;
    std::function<void()> OnNewServerCompany;
    std::function<void()> OnImportParadox;
    std::function<void()> OnDemoCompany;
    std::function<void()> OnCheckCompany;
    std::function<void()> OnClasses;
    std::function<void()> OnCatalog;
    std::function<void()> OnWarehouses;
    std::function<void()> OnSuppliers;
    std::function<void()> OnCurrencies;
    std::function<void()> OnDocIn;
    std::function<void()> OnDocOut;
    std::function<void()> OnStock;

    // The status line. A company open enables the commands that work on one (the host's
    // and those merged from the add-on); none open disables them. `note` stands after the company's name (how it is open).
    void SetCompany(const QString& name, const QString& directory, const QString& note = {});
    void SetAddOnName(const QString& name);
    void ShowHint(const QString& hint);
    QString CompanyText() const;
    QString AddOnText() const;

    // Sizes the window to the available area of its screen and shows it maximized.
    void ShowOnScreen();

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, const QString& caption, const QString& hint, std::function<void()>* command,
                        bool needsCompany = true);
    void makeSystemMenu();
    // "&Nomenclatoare", "&Operatii" and "&Rapoarte".
    void makeDataMenus();
    void makeWindowMenu();
    void makeStatusLine();
    // The menu of the window that became active merged in, that of the one left taken out.
    void mergeActiveWindowMenu(QMdiSubWindow* window);
    void Merge(fw::TMenuItem* menu);
    void Unmerge();
    void EnableCompanyCommands(bool enabled);
    void EnableMergedItems(fw::TMenuItem* menu, bool enabled);
    // Places a child window shown for the first time inside the document area.
    void placeNewWindow(QMdiSubWindow* window);
    void cascadeWindows();
    void tileWindows();
    // The open windows listed at the end of "&Fereastra", the active one checked.
    void listOpenWindows();

    QMdiArea* mdiArea_;
    QMenu* sistem_;
    QMenu* nomenclatoare_;
    QMenu* operatii_;
    QMenu* rapoarte_;
    QMenu* fereastra_;
    QLabel* companyLabel_;
    QLabel* addOnLabel_;
    std::vector<QAction*> companyActions_;
    std::vector<QAction*> windowList_;
    std::vector<QPointer<fw::TMenuItem>> mergedForGood_;
    // Items of merged menus that the host disabled for want of a company (and only
    // those: an item the add-on disabled itself stays as the add-on left it).
    std::vector<QPointer<fw::TMenuItem>> heldItems_;
    bool companyOpen_ = false;
    std::map<QWidget*, QPointer<fw::TMenuItem>> windowMenus_;
    QPointer<fw::TMenuItem> merged_;
};

// Where a child window shown for the first time goes in a document area of `area`
// size: one title bar below and to the right of `previous` (the active window's frame,
// null when there is none), back in the top left corner when the window would not have
// at least `minimum` of room there, and never larger than what remains of the area.
QRect CascadedPlace(const QSize& area, const QRect& previous, const QSize& wanted, int step, const QSize& minimum);

// The places of windows side by side in a document area of `area` size, one per entry
// of `minimums`, in rows of about as many windows as there are rows. A window that needs
// more than its share keeps its minimum and is moved back inside the area, over its
// neighbour, rather than pushed out of sight.
QList<QRect> TiledPlaces(const QSize& area, const QList<QSize>& minimums);

} // namespace pelmaris
