// Shares the rows of one large drawing call among a few worker threads.
#pragma once

namespace rt {

// Draws rows [y0, y1) of one call; called with disjoint row ranges from several threads at once.
using RowJob = void (*)(const void* context, int y0, int y1);

// Runs the job over rows [y0, y1) in bands on the calling thread and the workers, and returns when
// every row is done, so the call's result is complete before the next call starts.
void run_in_bands(RowJob job, const void* context, int y0, int y1);

}  // namespace rt
