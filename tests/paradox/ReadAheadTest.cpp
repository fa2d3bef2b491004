// Rows handed from the reading thread to the writing one: in order, whole, a failure after
// the rows before it, and a taker that stops leaves no thread behind.
#include "paradox/ReadAhead.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace paradox;

namespace {

// A chunk of `rows` rows, the first holding `first`, each one value.
TRowChunk Chunk(int first, int rows)
{
    TRowChunk chunk;
    for (int i = 0; i < rows; ++i)
        chunk.Rows.push_back({first + i});
    chunk.Read = rows;
    return chunk;
}

struct TTaken {
    std::vector<int> Values;
    qint64 Read = 0;
    QString Failure;
};

TTaken TakeAll(TReadAhead& ahead)
{
    TTaken taken;
    try {
        for (TRowChunk chunk; ahead.Take(chunk);) {
            for (const QVariantList& row : chunk.Rows)
                taken.Values.push_back(row.at(0).toInt());
            taken.Read += chunk.Read;
        }
    } catch (const fw::Exception& e) {
        taken.Failure = e.Message();
    }
    return taken;
}

} // namespace

TEST(ReadAhead, HandsOverEveryChunkInOrderThenWhatTheProducerThrew)
{
    struct TCase {
        const char* Name;
        int Chunks;     // of three rows each
        bool Fails;     // after them
        size_t Depth;   // chunks that may wait
    };
    const TCase cases[] = {
        {"none", 0, false, 4},
        {"one", 1, false, 4},
        {"more than may wait", 9, false, 2},
        {"a failure after them", 5, true, 1},
        {"a failure at once", 0, true, 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TReadAhead ahead(
            [&](const TReadAhead::TPut& put) {
                for (int i = 0; i < c.Chunks; ++i)
                    if (!put(Chunk(3 * i, 3)))
                        return;
                if (c.Fails)
                    throw fw::Exception(QStringLiteral("fisier deteriorat"));
            },
            c.Depth);
        const TTaken taken = TakeAll(ahead);
        ASSERT_EQ(taken.Values.size(), size_t(3 * c.Chunks));
        for (size_t i = 0; i < taken.Values.size(); ++i)
            EXPECT_EQ(taken.Values[i], int(i));
        EXPECT_EQ(taken.Read, 3 * c.Chunks);
        EXPECT_EQ(taken.Failure, c.Fails ? QStringLiteral("fisier deteriorat") : QString());
    }
}

// The writer gives up (a key violation, a stop) with the reader waiting on a full queue:
// the reader is told, returns, and is waited for.
TEST(ReadAhead, ATakerThatStopsEndsTheProducer)
{
    std::atomic<int> put{0};
    std::atomic<bool> returned{false};
    {
        TReadAhead ahead(
            [&](const TReadAhead::TPut& hand) {
                for (int i = 0; i < 1000 && hand(Chunk(i, 1)); ++i)
                    ++put;
                returned = true;
            },
            2);
        TRowChunk first;
        ASSERT_TRUE(ahead.Take(first));
        EXPECT_EQ(first.Rows.at(0).at(0).toInt(), 0);
    }
    EXPECT_TRUE(returned);
    // The one taken, two waiting, at most one more handed over while the first was taken.
    EXPECT_LE(put.load(), 4);
}
