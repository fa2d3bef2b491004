#include "paradox/ReadAhead.h"

#include "paradox/ImportMessages.h"
#include "platform/core/Exceptions.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace paradox {

TReadAhead::TReadAhead(std::function<void(const TPut&)> produce, size_t depth) : depth_(std::max<size_t>(depth, 1))
{
    try {
        thread_ = std::thread([this, produce = std::move(produce)] {
            std::exception_ptr failure;
            try {
                produce([this](TRowChunk&& chunk) { return Put(std::move(chunk)); });
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard<std::mutex> lock(guard_);
            failure_ = failure;
            finished_ = true;
            changed_.notify_all();
        });
    } catch (const std::system_error&) {
        // The system has no thread to give (its limit, its memory): said as the import's failure,
        // which takes away what was written before it.
        throw fw::Exception(msg::NoReadingThread());
    }
}

TReadAhead::~TReadAhead()
{
    {
        const std::lock_guard<std::mutex> lock(guard_);
        stopped_ = true;
        changed_.notify_all();
    }
    thread_.join();
}

bool TReadAhead::Put(TRowChunk&& chunk)
{
    std::unique_lock<std::mutex> lock(guard_);
    changed_.wait(lock, [this] { return stopped_ || waiting_.size() < depth_; });
    if (stopped_)
        return false;
    waiting_.push_back(std::move(chunk));
    changed_.notify_all();
    return true;
}

bool TReadAhead::Take(TRowChunk& chunk)
{
    std::unique_lock<std::mutex> lock(guard_);
    changed_.wait(lock, [this] { return finished_ || !waiting_.empty(); });
    if (waiting_.empty()) {
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
        return false;
    }
    chunk = std::move(waiting_.front());
    waiting_.pop_front();
    // The producer is woken once half the queue is free, not for every chunk taken: on a
    // machine busy with other work each waking waits for a core.
    if (waiting_.size() <= depth_ / 2)
        changed_.notify_all();
    return true;
}

} // namespace paradox
