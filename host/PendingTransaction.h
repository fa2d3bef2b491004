#pragma once

#include <QObject>
#include <memory>

namespace fw {
class Connection;
class TTransaction;
} // namespace fw

namespace pelmaris {

// A transaction that spans a dataset's own write: begun in a Before event (where the
// checks read what the write depends on), committed by the After event. Should the
// dataset's write fail, no After event comes; the transaction is then rolled back as
// soon as control is back in the event loop, or at the latest by the next Begin, a
// Rollback or the end of this object.
class TPendingTransaction final : public QObject {
public:
    explicit TPendingTransaction(QObject* owner = nullptr);
    ~TPendingTransaction() override;

    void Begin(std::shared_ptr<fw::Connection> connection);
    void Commit();
    void Rollback();
    bool Pending() const { return pending_ != nullptr; }

private:
    std::unique_ptr<fw::TTransaction> pending_;
    quint64 serial_ = 0;
};

} // namespace pelmaris
