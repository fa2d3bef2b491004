#pragma once

// Rows read and made ready on a thread of their own while the caller writes the ones
// before: reading a table and writing it into the engine each take about half of an
// import's processor time, so on two cores the one no longer waits for the other.

#include <QVariantList>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace paradox {

// Rows as they are to be written, and how many rows of the file were read for them (rows
// with a fault are read and not written).
struct TRowChunk {
    std::vector<QVariantList> Rows;
    qint64 Read = 0;
};

class TReadAhead final {
public:
    // Hands a chunk over; false once the taker has stopped, when the producer returns.
    using TPut = std::function<bool(TRowChunk&&)>;
    // `produce` runs at once on a thread of its own, handing its chunks to the TPut it is
    // given; at most `depth` chunks wait to be taken.
    explicit TReadAhead(std::function<void(const TPut&)> produce, size_t depth = 4);
    // Stops the producer at its next chunk and waits for it: whatever it touched is the
    // caller's again.
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    // The next chunk; false when the producer has returned and every chunk was taken.
    // What the producer threw is thrown here, once the chunks before it are taken.
    bool Take(TRowChunk& chunk);

private:
    bool Put(TRowChunk&& chunk);

    std::mutex guard_;
    std::condition_variable changed_;
    std::deque<TRowChunk> waiting_;
    size_t depth_;
    bool finished_ = false;
    bool stopped_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace paradox
