#include "catalog/Ixprice.h"

#include "platform/ui/Beep.h"

#include "data/Queries.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/ui/MessageDlg.h"
#include "shell/DLLAddOn.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

#include <memory>

namespace corvanel {

TIndexPriceForm::TIndexPriceForm(QWidget* owner) : fw::TForm(owner)
{
    setObjectName(QStringLiteral("IndexPriceForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    SetPosition(fw::TPosition::ScreenCenter);
    setCursor(Qt::WaitCursor);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    Panel1->setPalette(pal);
    Label1 = new QLabel(QStringLiteral("Indexez preturile..."), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    const int side = 24;
    Image1->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(side, side));
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(Label1, 1);
    row->addWidget(Image1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel1);
    setFixedSize(QSize(303, 42).expandedTo(sizeHint()));

    Q = NewIndexPricesQuery(this);

    Show();
}

std::optional<double> IndexFactor(double percentage)
{
    if (percentage < -100) {
        fw::MessageDlg(QStringLiteral("Coeficientul nu poate fi mai mic de -100% !"), fw::TMsgDlgType::Warning,
                       fw::TMsgDlgButtons::OK);
        return std::nullopt;
    }
    return percentage / 100 + 1;
}

fw::TQuery* NewIndexPricesQuery(QObject* owner)
{
    auto* q = new fw::TQuery(owner);
    q->setObjectName(QStringLiteral("Q"));
    q->SetSession(AddOnSession());
    q->SetDatabaseName(TVELDA);
    q->SetSQL(IndexPricesSql());
    return q;
}

int UpdateGroupPrices(fw::TQuery& update, const QString& groupCode, double factor)
{
    try {
        update.ParamByName(QStringLiteral("Group"))->SetAsString(groupCode);
        update.ParamByName(QStringLiteral("Coef"))->SetAsFloat(factor);
        fw::TTransaction transaction(update.Session()->ConnectionFor(TVELDA));
        update.ExecSQL();
        transaction.Commit();
        return update.RowsAffected();
    } catch (const fw::EDatabaseError& error) {
        throw fw::EDatabaseError(DbAccessErrorText(error.Message()));
    }
}

QString PricesIndexedText(const QString& groupCode)
{
    return QStringLiteral("Preturile de vînzare pentru grupa \"%1\" au fost actualizate cu succes!").arg(groupCode);
}

void IndexGroupPrices(QWidget* owner, const QString& groupCode, double factor)
{
    // Removed on every path, failures included.
    const std::unique_ptr<TIndexPriceForm> form(new TIndexPriceForm(owner));
    form->repaint();
    {
        fw::THourGlass wait(Screen);
        UpdateGroupPrices(*form->Q, groupCode, factor);
    }
    fw::MessageBeep(fw::TBeep::Information);
    fw::MessageDlg(PricesIndexedText(groupCode), fw::TMsgDlgType::Information, fw::TMsgDlgButtons::OK);
}

} // namespace corvanel
