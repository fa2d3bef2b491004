#include "host/MainForm.h"

#include "platform/ui/Guard.h"
#include "platform/ui/Menus.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace pelmaris {

namespace {

QMenu* AddTopMenu(QMainWindow* window, const QString& caption, int groupIndex)
{
    auto* menu = new QMenu(caption, window);
    fw::SetGroupIndex(menu->menuAction(), groupIndex);
    window->menuBar()->addMenu(menu);
    return menu;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Pelmaris"));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this,
            fw::GuardedSlot(this, [this](QMdiSubWindow* w) { SubWindowActivated(w); }));

    sistem_ = AddTopMenu(this, QStringLiteral("&Sistem"), 0);
    AddCommand(sistem_, QStringLiteral("&Deschide firma..."), QStringLiteral("Deschide baza de date a unei firme"),
               &OnOpenCompany);
    AddCommand(sistem_, QStringLiteral("Firma demonstrativa"),
               QStringLiteral("Deschide firma demonstrativa (o creeaza daca nu exista)"), &OnDemoCompany);
    sistem_->addSeparator();
    QAction* exit = sistem_->addAction(QStringLiteral("&Iesire"));
    exit->setStatusTip(QStringLiteral("Inchide programul"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    documente_ = AddTopMenu(this, QStringLiteral("Documente"), 1);
    AddCommand(documente_, QStringLiteral("Documente de &intrare"),
               QStringLiteral("Receptii: antetele documentelor de intrare si liniile lor"), &OnDocIn);
    AddCommand(documente_, QStringLiteral("Documente de i&esire"),
               QStringLiteral("Documentele de iesire si liniile lor"), &OnDocOut);

    rapoarte_ = AddTopMenu(this, QStringLiteral("Rapoarte"), 2);
    AddCommand(rapoarte_, QStringLiteral("&Stoc"), QStringLiteral("Stocul pe loturi, pe gestiuni si articole"),
               &OnStock);
    AddCommand(rapoarte_, QStringLiteral("&Catalog de articole"), QStringLiteral("Articolele catalogului, pe grupe"),
               &OnCatalog);

    companyLabel_ = new QLabel(this);
    addOnLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(companyLabel_);
    statusBar()->addPermanentWidget(addOnLabel_);
    SetCompany(QString(), QString());
}

TMainForm::~TMainForm()
{
    // The child windows go first, while the menus they may have merged still exist.
    mdiArea_->closeAllSubWindows();
    for (QMdiSubWindow* w : mdiArea_->subWindowList())
        delete w;
}

QAction* TMainForm::AddCommand(QMenu* menu, const QString& caption, const QString& hint,
                               std::function<void()>* command)
{
    QAction* action = menu->addAction(caption);
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this, fw::GuardedSlot(this, [command] {
                if (*command)
                    (*command)();
            }));
    return action;
}

void TMainForm::SetCompany(const QString& name, const QString& directory, const QString& note)
{
    if (directory.isEmpty()) {
        companyLabel_->setText(QStringLiteral("Nicio firma deschisa"));
        setWindowTitle(QStringLiteral("Pelmaris"));
        return;
    }
    const QString shown = name.isEmpty() ? QDir(directory).dirName() : name;
    companyLabel_->setText(note.isEmpty() ? QStringLiteral("Firma: %1").arg(shown)
                                          : QStringLiteral("Firma: %1 (%2)").arg(shown, note));
    companyLabel_->setToolTip(QDir::toNativeSeparators(directory));
    setWindowTitle(QStringLiteral("Pelmaris - %1").arg(shown));
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

void TMainForm::SubWindowActivated(QMdiSubWindow* window)
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
}

void TMainForm::Merge(fw::TMenuItem* menu)
{
    if (merged_ == menu)
        return;
    Unmerge();
    if (!menu)
        return;
    MergeMenu(menu);
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
