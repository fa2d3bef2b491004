#include "host/MainForm.h"

#include "platform/ui/Guard.h"
#include "platform/ui/Menus.h"

#include <QAction>
#include <QChildEvent>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace pelmaris {

namespace {

// Group index of what must stay last: the end of "&Sistem" and the windows menu.
constexpr int kLast = 9;
// Size of the main window where the screen has room for more.
const QSize kPreferredMain(1280, 800);
// A child window cascaded further than leaves it this much room starts again at the top.
const QSize kLeastRoom(360, 240);
const char* const kPlacedProperty = "pelmarisPlaced";
// A window the cascade had to cut: the size it was cut to, and its own.
const char* const kCutProperty = "pelmarisCutSize";
const char* const kOwnSizeProperty = "pelmarisOwnSize";

QMenu* AddTopMenu(QMainWindow* window, const QString& caption, int groupIndex)
{
    auto* menu = new QMenu(caption, window);
    fw::SetGroupIndex(menu->menuAction(), groupIndex);
    window->menuBar()->addMenu(menu);
    return menu;
}

} // namespace

QRect CascadedPlace(const QSize& area, const QRect& previous, const QSize& wanted, int step, const QSize& minimum)
{
    QPoint at = previous.isNull() ? QPoint(0, 0) : previous.topLeft() + QPoint(step, step);
    const QSize least = minimum.boundedTo(wanted);
    if (at.x() < 0 || at.y() < 0 || at.x() + least.width() > area.width() || at.y() + least.height() > area.height())
        at = QPoint(0, 0);
    const QSize room(std::max(area.width() - at.x(), 1), std::max(area.height() - at.y(), 1));
    return QRect(at, wanted.boundedTo(room));
}

QList<QRect> TiledPlaces(const QSize& area, const QList<QSize>& minimums)
{
    QList<QRect> places;
    const int count = int(minimums.size());
    if (count == 0)
        return places;
    const int columns = int(std::ceil(std::sqrt(double(count))));
    const int rows = (count + columns - 1) / columns;
    for (int i = 0; i < count; ++i) {
        const int row = i / columns;
        // The last row shares the whole width among the windows left for it.
        const int inRow = row == rows - 1 ? count - row * columns : columns;
        const int column = i % columns;
        const QPoint at(area.width() * column / inRow, area.height() * row / rows);
        const QPoint end(area.width() * (column + 1) / inRow, area.height() * (row + 1) / rows);
        const QSize size = QSize(end.x() - at.x(), end.y() - at.y()).expandedTo(minimums.at(i)).boundedTo(area);
        const QPoint inside(std::max(0, std::min(at.x(), area.width() - size.width())),
                            std::max(0, std::min(at.y(), area.height() - size.height())));
        places << QRect(inside, size);
    }
    return places;
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Pelmaris"));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("DocumentArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->viewport()->installEventFilter(this);
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this,
            fw::GuardedSlot(this, [this](QMdiSubWindow* w) { mergeActiveWindowMenu(w); }));

    makeSystemMenu();
    makeDataMenus();
    makeWindowMenu();
    makeStatusLine();
    SetCompany(QString(), QString());
}

void TMainForm::makeSystemMenu()
{
    sistem_ = AddTopMenu(this, QStringLiteral("&Sistem"), 0);
    AddCommand(sistem_, QStringLiteral("&Deschide firma..."), QStringLiteral("Deschide baza de date a unei firme"),
               &OnOpenCompany, false);
    AddCommand(sistem_, QStringLiteral("Firma noua pe &server..."),
               QStringLiteral("Creeaza o firma noua intr-o baza de date PostgreSQL, pentru mai multe statii de lucru"),
               &OnNewServerCompany, false);
    AddCommand(sistem_, QStringLiteral("Im&porta firma Paradox..."),
               QStringLiteral("Aduce o firma din directorul de tabele Paradox al programului vechi"), &OnImportParadox, false);
    AddCommand(sistem_, QStringLiteral("&Firma demonstrativa"),
               QStringLiteral("Deschide firma demonstrativa (o creeaza daca nu exista)"), &OnDemoCompany, false);
    AddCommand(sistem_, QStringLiteral("&Verificare firma"),
               QStringLiteral("Verifica integritatea bazei de date a firmei deschise"), &OnCheckCompany);
    QAction* line = sistem_->addSeparator();
    fw::SetGroupIndex(line, kLast);
    QAction* exit = sistem_->addAction(QStringLiteral("&Iesire"));
    exit->setStatusTip(QStringLiteral("Inchide programul"));
    fw::SetGroupIndex(exit, kLast);
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void TMainForm::makeDataMenus()
{
    nomenclatoare_ = AddTopMenu(this, QStringLiteral("&Nomenclatoare"), 1);
    AddCommand(nomenclatoare_, QStringLiteral("&Clase si grupe de articole"),
               QStringLiteral("Clasele de materiale si grupele de articole ale fiecareia"), &OnClasses);
    AddCommand(nomenclatoare_, QStringLiteral("&Articole"), QStringLiteral("Catalogul de articole, pe grupe"),
               &OnCatalog);
    AddCommand(nomenclatoare_, QStringLiteral("&Gestiuni"), QStringLiteral("Gestiunile (depozitele) firmei"),
               &OnWarehouses);
    AddCommand(nomenclatoare_, QStringLiteral("&Furnizori"), QStringLiteral("Furnizorii firmei"), &OnSuppliers);
    AddCommand(nomenclatoare_, QStringLiteral("&Valute"), QStringLiteral("Valutele si cursul lor"), &OnCurrencies);

    operatii_ = AddTopMenu(this, QStringLiteral("&Operatii"), 1);
    AddCommand(operatii_, QStringLiteral("Documente de &intrare"),
               QStringLiteral("Receptii: antetele documentelor de intrare si liniile lor"), &OnDocIn);
    AddCommand(operatii_, QStringLiteral("Documente de i&esire"),
               QStringLiteral("Documentele de iesire si liniile lor"), &OnDocOut);

    rapoarte_ = AddTopMenu(this, QStringLiteral("&Rapoarte"), 2);
    AddCommand(rapoarte_, QStringLiteral("&Stoc"), QStringLiteral("Stocul pe loturi, pe gestiuni si articole"),
               &OnStock);
}

void TMainForm::makeWindowMenu()
{
    fereastra_ = AddTopMenu(this, QStringLiteral("&Fereastra"), kLast);
    connect(fereastra_->addAction(QStringLiteral("&Cascada")), &QAction::triggered, this,
            fw::GuardedSlot(this, [this] { cascadeWindows(); }));
    connect(fereastra_->addAction(QStringLiteral("&Alaturate")), &QAction::triggered, this,
            fw::GuardedSlot(this, [this] { tileWindows(); }));
    connect(fereastra_->addAction(QStringLiteral("&Inchide tot")), &QAction::triggered, this,
            fw::GuardedSlot(this, [this] { CloseChildWindows(); }));
    fereastra_->addSeparator();
    connect(fereastra_, &QMenu::aboutToShow, this, [this] { listOpenWindows(); });
}

void TMainForm::makeStatusLine()
{
    companyLabel_ = new QLabel(this);
    companyLabel_->setObjectName(QStringLiteral("CompanyLabel"));
    addOnLabel_ = new QLabel(this);
    addOnLabel_->setObjectName(QStringLiteral("AddOnLabel"));
    statusBar()->addPermanentWidget(companyLabel_);
    statusBar()->addPermanentWidget(addOnLabel_);
}

TMainForm::~TMainForm()
{
    mdiArea_->viewport()->removeEventFilter(this);
    // The child windows go first, while the menus they may have merged still exist.
    mdiArea_->closeAllSubWindows();
    for (QMdiSubWindow* w : mdiArea_->subWindowList())
        delete w;
}

QAction* TMainForm::AddCommand(QMenu* menu, const QString& caption, const QString& hint,
                               std::function<void()>* command, bool needsCompany)
{
    QAction* action = menu->addAction(caption);
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this, fw::GuardedSlot(this, [command] {
                if (*command)
                    (*command)();
            }));
    if (needsCompany)
        companyActions_.push_back(action);
    return action;
}

void TMainForm::SetCompany(const QString& name, const QString& directory, const QString& note)
{
    EnableCompanyCommands(!directory.isEmpty());
    if (directory.isEmpty()) {
        companyLabel_->setText(QStringLiteral("Nicio firma deschisa"));
        companyLabel_->setToolTip(QString());
        setWindowTitle(QStringLiteral("Pelmaris"));
        return;
    }
    const QString shown = name.isEmpty() ? QDir(directory).dirName() : name;
    companyLabel_->setText(note.isEmpty() ? QStringLiteral("Firma: %1").arg(shown)
                                          : QStringLiteral("Firma: %1 (%2)").arg(shown, note));
    companyLabel_->setToolTip(QDir::toNativeSeparators(directory));
    setWindowTitle(QStringLiteral("Pelmaris - %1").arg(shown));
}

void TMainForm::EnableCompanyCommands(bool enabled)
{
    companyOpen_ = enabled;
    for (QAction* action : companyActions_)
        action->setEnabled(enabled);
    if (enabled) {
        for (const QPointer<fw::TMenuItem>& item : heldItems_) {
            if (item)
                item->SetEnabled(true);
        }
        heldItems_.clear();
    } else {
        for (const QPointer<fw::TMenuItem>& menu : mergedForGood_) {
            if (menu)
                EnableMergedItems(menu, false);
        }
    }
}

void TMainForm::EnableMergedItems(fw::TMenuItem* menu, bool enabled)
{
    // The menus themselves stay usable (they are the host's "&Sistem" and "&Rapoarte"
    // too); their commands are what needs a company.
    for (int i = 0; i < menu->Count(); ++i) {
        fw::TMenuItem* item = menu->Items(i);
        if (item->Count() > 0) {
            EnableMergedItems(item, enabled);
        } else if (!item->IsLine() && !enabled && item->Enabled()) {
            item->SetEnabled(false);
            heldItems_.emplace_back(item);
        }
    }
}

void TMainForm::SetAddOnName(const QString& name)
{
    addOnLabel_->setText(name.isEmpty() ? QString() : QStringLiteral("Modul: %1").arg(name));
    addOnLabel_->setVisible(!name.isEmpty());
}

QString TMainForm::CompanyText() const { return companyLabel_->text(); }

QString TMainForm::AddOnText() const { return addOnLabel_->text(); }

void TMainForm::ShowHint(const QString& hint)
{
    if (hint.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(hint);
}

void TMainForm::ShowOnScreen()
{
    // The normal size first, so that leaving the maximized state gives a window that
    // still fits the screen with its frame.
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        const QSize frame(40, 80); // a title bar and borders of any usual decoration
        const QSize size = kPreferredMain.boundedTo(available.size() - frame);
        QRect normal(QPoint(), size);
        normal.moveCenter(available.center());
        setGeometry(normal);
    }
    showMaximized();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mdiArea_->viewport() && event->type() == QEvent::ChildAdded) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child()))
            sub->installEventFilter(this);
    } else if (event->type() == QEvent::Show) {
        auto* sub = qobject_cast<QMdiSubWindow*>(watched);
        if (sub && sub->mdiArea() == mdiArea_ && !sub->property(kPlacedProperty).toBool()) {
            sub->setProperty(kPlacedProperty, true);
            placeNewWindow(sub);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::placeNewWindow(QMdiSubWindow* window)
{
    // Opened over a maximized window, the area maximizes it too: moved, it would leave
    // the window behind showing through.
    if (window->isMaximized())
        return;
    // The area's own placement puts a new window beside the others, out of sight when
    // there is no room: every window, the add-on's too, is cascaded inside instead.
    QRect previous;
    const QList<QMdiSubWindow*> history = mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.rbegin(); it != history.rend(); ++it) {
        if (*it != window && (*it)->isVisible() && !(*it)->isMinimized() && !(*it)->isMaximized()) {
            previous = (*it)->geometry();
            break;
        }
    }
    const int step = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) + 4;
    const QSize least = kLeastRoom.expandedTo(window->minimumSizeHint());
    window->setGeometry(CascadedPlace(mdiArea_->viewport()->size(), previous, window->size(), step, least));
}

void TMainForm::cascadeWindows()
{
    // The area's own cascade gives every window one size of its choosing, smaller at each
    // use: here each keeps its size, cut to the area only where it does not fit, and gets
    // it back at the next cascade when it was cut.
    const QSize area = mdiArea_->viewport()->size();
    QMdiSubWindow* const active = mdiArea_->activeSubWindow();
    QRect previous;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isVisible() || window->isMinimized())
            continue;
        if (window->isMaximized())
            window->showNormal();
        QSize wanted = window->size();
        if (window->property(kCutProperty).toSize() == wanted)
            wanted = window->property(kOwnSizeProperty).toSize();
        const int step = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) + 4;
        const QRect place = CascadedPlace(area, previous, wanted, step, kLeastRoom.expandedTo(window->minimumSizeHint()));
        window->setGeometry(place);
        window->setProperty(kCutProperty, place.size() != wanted ? QVariant(window->size()) : QVariant());
        window->setProperty(kOwnSizeProperty, place.size() != wanted ? QVariant(wanted) : QVariant());
        window->raise();
        previous = window->geometry();
    }
    if (active)
        mdiArea_->setActiveSubWindow(active);
}

void TMainForm::tileWindows()
{
    // The area's own tiling grows the tiles to the windows' minimum sizes and lays them
    // past its edge when the main window is small: here every one stays inside.
    std::vector<QMdiSubWindow*> windows;
    QList<QSize> minimums;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isVisible() || window->isMinimized())
            continue;
        if (window->isMaximized())
            window->showNormal();
        windows.push_back(window);
        minimums << window->minimumSizeHint().expandedTo(window->minimumSize());
    }
    const QList<QRect> places = TiledPlaces(mdiArea_->viewport()->size(), minimums);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i]->setGeometry(places.at(qsizetype(i)));
        windows[i]->setProperty(kCutProperty, QVariant());
        windows[i]->setProperty(kOwnSizeProperty, QVariant());
    }
}

void TMainForm::listOpenWindows()
{
    for (QAction* action : windowList_)
        delete action;
    windowList_.clear();
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows.at(i);
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        QAction* action = fereastra_->addAction(QStringLiteral("%1 %2").arg(number, window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == mdiArea_->activeSubWindow());
        QPointer<QMdiSubWindow> target = window;
        connect(action, &QAction::triggered, this, [this, target] {
            if (!target)
                return;
            if (target->isMinimized())
                target->showNormal();
            mdiArea_->setActiveSubWindow(target);
        });
        windowList_.push_back(action);
    }
}

void TMainForm::SetWindowMenu(QWidget* form, fw::TMenuItem* menu)
{
    if (!form)
        return;
    if (!windowMenus_.contains(form)) {
        connect(form, &QObject::destroyed, this, [this, form] {
            auto it = windowMenus_.find(form);
            if (it == windowMenus_.end())
                return;
            if (merged_ && merged_ == it->second)
                Unmerge();
            windowMenus_.erase(it);
        });
    }
    windowMenus_[form] = menu;
    if (QMdiSubWindow* active = mdiArea_->activeSubWindow(); active && active->widget() == form)
        Merge(menu);
}

void TMainForm::mergeActiveWindowMenu(QMdiSubWindow* window)
{
    // No active child while a dialog or another program has the focus: the menus stay
    // as they were, so that a command of a merged menu does not lose its menu meanwhile.
    if (!window) {
        if (mdiArea_->subWindowList().isEmpty())
            Unmerge();
        return;
    }
    auto it = windowMenus_.find(window->widget());
    if (it == windowMenus_.end() || !it->second) {
        Unmerge();
        return;
    }
    Merge(it->second);
}

void TMainForm::MergeMenu(fw::TMenuItem* menu)
{
    fw::MergeMenu(menuBar(), menu);
    mergedForGood_.emplace_back(menu);
    if (!companyOpen_)
        EnableMergedItems(menu, false);
}

void TMainForm::Merge(fw::TMenuItem* menu)
{
    if (merged_ == menu)
        return;
    Unmerge();
    if (!menu)
        return;
    fw::MergeMenu(menuBar(), menu);
    merged_ = menu;
}

void TMainForm::Unmerge()
{
    if (merged_)
        fw::UnmergeMenu(menuBar(), merged_);
    merged_ = nullptr;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A child window with a change it cannot save keeps the program open.
    if (!CloseChildWindows())
        event->ignore();
    else
        QMainWindow::closeEvent(event);
}

bool TMainForm::CloseChildWindows()
{
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
        if (!w->close())
            return false;
    }
    // Forms that free themselves on close go at the next turn of the event loop; what
    // refers to them must not wait that long.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
}

} // namespace pelmaris
