#pragma once

#include <QObject>

namespace fw {

class TDataSet;
class TTable;

enum class TBatchMode { Copy, Append };

// Copies the rows of a dataset into a table. In copy mode the destination is dropped and
// created anew with the source's columns and types.
class TBatchMove final : public QObject {
public:
    explicit TBatchMove(QObject* owner = nullptr) : QObject(owner) {}

    TDataSet* Source() const { return source_; }
    void SetSource(TDataSet* source) { source_ = source; }
    TTable* Destination() const { return destination_; }
    void SetDestination(TTable* destination) { destination_ = destination; }
    TBatchMode Mode() const { return mode_; }
    void SetMode(TBatchMode mode) { mode_ = mode; }

    void Execute();
    int MovedCount() const { return moved_; }

private:
    TDataSet* source_ = nullptr;
    TTable* destination_ = nullptr;
    TBatchMode mode_ = TBatchMode::Copy;
    int moved_ = 0;
};

} // namespace fw
