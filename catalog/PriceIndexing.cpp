#include "catalog/PriceIndexing.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/NumberCheck.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Beep.h"
#include "platform/ui/MessageDlg.h"
#include "platform/ui/UsualColours.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

#include <cmath>
#include <memory>

namespace corvanel {

TPriceIndexingForm::TPriceIndexingForm(fw::TSession* session, QWidget* owner)
    : fw::TForm(owner), update_(NewIndexPricesQuery(session, this))
{
    setObjectName(QStringLiteral("PriceIndexingForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    SetPosition(fw::TPosition::ScreenCenter);
    setCursor(Qt::WaitCursor);

    // A note in the tooltip's colours: the message and a picture of work going on.
    QFrame* panel =
        fw::SunkenPanel(this, palette().color(QPalette::ToolTipBase), palette().color(QPalette::ToolTipText));
    auto* message = new QLabel(QStringLiteral("Indexez preturile..."), panel);
    message->setObjectName(QStringLiteral("MessageLabel"));
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    message->setAlignment(Qt::AlignCenter);
    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("Picture"));
    const int side = 24;
    picture->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(side, side));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(message, 1);
    row->addWidget(picture);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    setFixedSize(QSize(303, 42).expandedTo(sizeHint()));

    Show();
}

std::optional<double> IndexFactor(double percentage)
{
    if (percentage < -100) {
        fw::MessageDlg(msg::PercentageBelowFloor(), fw::TMsgDlgType::Warning,
                       fw::TMsgDlgButtons::OK);
        return std::nullopt;
    }
    if (!(percentage <= kLargestPercentage)) { // NaN too
        fw::MessageDlg(msg::PercentageAboveCeiling(), fw::TMsgDlgType::Warning, fw::TMsgDlgButtons::OK);
        return std::nullopt;
    }
    return percentage / 100 + 1;
}

fw::TQuery* NewIndexPricesQuery(fw::TSession* session, QObject* owner)
{
    auto* q = new fw::TQuery(owner);
    q->setObjectName(QStringLiteral("UpdateQuery"));
    q->SetSession(session);
    q->SetDatabaseName(TVELDA);
    q->SetSQL(IndexPricesSql());
    return q;
}

namespace {

// Read inside the update's transaction; 0 for a group without prices.
double LargestGroupPrice(fw::TSession* session, const QString& groupCode)
{
    fw::TQuery largest;
    largest.SetSession(session);
    largest.SetDatabaseName(TVELDA);
    largest.SetSQL(LargestGroupPriceSql());
    largest.ParamByName(QStringLiteral("Group"))->SetAsString(groupCode);
    largest.Open();
    return largest.Fields(0)->AsFloat();
}

} // namespace

int UpdateGroupPrices(fw::TQuery& update, const QString& groupCode, double factor)
{
    try {
        update.ParamByName(QStringLiteral("Group"))->SetAsString(groupCode);
        update.ParamByName(QStringLiteral("Coef"))->SetAsFloat(factor);
        fw::TTransaction transaction(update.Session()->ConnectionFor(TVELDA));
        // A price that is no number would be multiplied as 0 and written over with it.
        fw::TTable catalog;
        catalog.SetSession(update.Session());
        catalog.SetDatabaseName(TVELDA);
        catalog.SetTableName(fw::CatalogDB);
        fw::RequireNumbers(catalog, QStringLiteral("Pret_vinzare"), QStringLiteral("Grupa = ?"), {groupCode});
        if (!std::isfinite(LargestGroupPrice(update.Session(), groupCode) * factor)) {
            fw::MessageDlg(msg::PricesOutOfRange(groupCode), fw::TMsgDlgType::Warning, fw::TMsgDlgButtons::OK);
            fw::Abort();
        }
        update.ExecSQL();
        transaction.Commit();
        return update.RowsAffected();
    } catch (const fw::EDatabaseError& error) {
        throw fw::EDatabaseError(msg::DatabaseError(error.Message()));
    }
}

void IndexGroupPrices(TProductionContext& context, QWidget* owner, const QString& groupCode, double factor)
{
    // Removed on every path, failures included.
    const std::unique_ptr<TPriceIndexingForm> form(new TPriceIndexingForm(context.Session(), owner));
    form->repaint();
    {
        fw::THourGlass wait(context.Screen);
        UpdateGroupPrices(form->update(), groupCode, factor);
    }
    fw::MessageBeep(fw::TBeep::Information);
    fw::MessageDlg(msg::PricesIndexed(groupCode), fw::TMsgDlgType::Information, fw::TMsgDlgButtons::OK);
}

} // namespace corvanel
