#pragma once

// How many records the cursor reads at a time (internal to the dataset layer).
namespace fw::blocks {

// Rows are read in blocks; the first is small so that opening stays cheap.
constexpr int kFirstBlock = 64;
constexpr int kBlock = 256;
// Records the cursor keeps around itself on long walks.
constexpr int kMaxWindow = 4096;

} // namespace fw::blocks
