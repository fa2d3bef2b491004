#pragma once

// How many records the cursor reads at a time (internal to the dataset layer).
namespace fw::blocks {

// Rows are read in blocks; the first is small so that opening stays cheap, and a walk in
// one direction reads ever larger ones, up to kMaxBlock, so that a long walk costs few
// statements.
constexpr int kFirstBlock = 64;
constexpr int kBlock = 256;
constexpr int kMaxBlock = 2048;
// After a key search the cursor usually looks only at the rows of that key and the one
// after them: the next block is small (on a server, rows read to decide a write are
// locked, and those of other keys are not to be).
constexpr int kSearchBlock = 4;
// Records the cursor keeps around itself on long walks.
constexpr int kMaxWindow = 4096;

} // namespace fw::blocks
