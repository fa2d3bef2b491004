#include "host/PendingTransaction.h"

#include "platform/db/Database.h"

#include <QTimer>

namespace pelmaris {

TPendingTransaction::TPendingTransaction(QObject* owner) : QObject(owner) {}

TPendingTransaction::~TPendingTransaction() { Rollback(); }

void TPendingTransaction::Begin(std::shared_ptr<fw::Connection> connection)
{
    Rollback();
    pending_ = std::make_unique<fw::TTransaction>(std::move(connection));
    const quint64 serial = ++serial_;
    QTimer::singleShot(0, this, [this, serial] {
        if (serial == serial_)
            Rollback();
    });
}

void TPendingTransaction::Commit()
{
    if (!pending_)
        return;
    // Taken out first: a failed commit rolls back when the guard goes.
    std::unique_ptr<fw::TTransaction> tx = std::move(pending_);
    tx->Commit();
}

void TPendingTransaction::Rollback() { pending_.reset(); }

} // namespace pelmaris
