#include "host/Screenshots.h"

#include "host/DataForm.h"
#include "host/DocInForm.h"
#include "host/Host.h"
#include "host/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <functional>

namespace pelmaris {

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

QStringList SaveScreenshots(TPelmarisHost& host, const QString& directory)
{
    QStringList written;
    QDir().mkpath(directory);
    auto save = [&](QWidget* widget, const QString& name) {
        Settle();
        const QString file = QDir(directory).filePath(name + QStringLiteral(".png"));
        if (widget && widget->grab().save(file))
            written << file;
    };
    TMainForm* main = host.MainForm();
    save(main, QStringLiteral("main"));
    // Each menu of the bar, opened under its title.
    for (QAction* action : main->menuBar()->actions()) {
        QMenu* menu = action->menu();
        if (!menu || !action->isVisible())
            continue;
        menu->popup(main->mapToGlobal(main->menuBar()->actionGeometry(action).bottomLeft()));
        QString name = action->text();
        name.remove(QLatin1Char('&'));
        save(menu, QStringLiteral("menu-") + name.toLower());
        menu->hide();
    }
    const std::pair<std::function<TDataForm*()>, QString> windows[] = {
        {[&]() -> TDataForm* { return host.ShowDocIn(); }, QStringLiteral("documente-intrare")},
        {[&] { return host.ShowDocOut(); }, QStringLiteral("documente-iesire")},
        {[&] { return host.ShowStock(); }, QStringLiteral("stoc")},
        {[&] { return host.ShowCatalog(); }, QStringLiteral("catalog")},
        {[&] { return host.ShowClasses(); }, QStringLiteral("clase-grupe")},
        {[&] { return host.ShowWarehouses(); }, QStringLiteral("gestiuni")},
        {[&] { return host.ShowSuppliers(); }, QStringLiteral("furnizori")},
        {[&] { return host.ShowCurrencies(); }, QStringLiteral("valute")},
    };
    for (const auto& [show, name] : windows) {
        TDataForm* form = show();
        if (!form)
            continue;
        save(main, name);
        form->Close();
    }
    Settle();
    return written;
}

} // namespace pelmaris
