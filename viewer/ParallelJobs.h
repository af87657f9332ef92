// Runs many independent jobs on a few threads while the calling thread reports progress.
#pragma once

#include <functional>

// Processors this process may run on; at least 1.
int ProcessorCount();

// Runs job(i) for every i in 0 .. count - 1 on up to `threads` threads, so that no more than
// that many jobs are in flight at once; with one thread they run on the calling thread, in
// order. Meanwhile the calling thread calls progress(finished jobs) every few tens of
// milliseconds and once at the end. Every worker has ended when it returns; an exception a job
// throws is thrown again from here once all have ended.
void RunParallelJobs(int count, int threads, const std::function<void(int)>& job,
                     const std::function<void(int)>& progress);
