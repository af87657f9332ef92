#include "ParallelJobs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sched.h>
#include <thread>
#include <vector>

namespace {

// Often enough for a progress bar to move smoothly, rarely enough to cost nothing.
constexpr std::chrono::milliseconds kProgressInterval{50};

} // namespace

int ProcessorCount()
{
    // The affinity mask, unlike the machine's count, honours taskset and container limits.
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

void RunParallelJobs(int count, int threads, const std::function<void(int)>& job,
                     const std::function<void(int)>& progress)
{
    const int workers = std::min(count, threads);
    if (workers <= 1) {
        for (int i = 0; i < count; ++i) {
            job(i);
            if (progress) progress(i + 1);
        }
        return;
    }

    std::atomic<int> next{0};
    std::atomic<int> finished{0};
    std::mutex mutex;
    std::condition_variable allDone;
    int running = workers;
    std::exception_ptr failure;
    {
        std::vector<std::jthread> pool;
        pool.reserve(std::size_t(workers));
        for (int w = 0; w < workers; ++w)
            pool.emplace_back([&] {
                try {
                    for (int i; (i = next++) < count; ++finished) job(i);
                } catch (...) {
                    const std::lock_guard lock(mutex);
                    if (!failure) failure = std::current_exception();
                    // The other workers stop after their current job.
                    next = count;
                }
                const std::lock_guard lock(mutex);
                if (--running == 0) allDone.notify_one();
            });
        std::unique_lock lock(mutex);
        while (!allDone.wait_for(lock, kProgressInterval, [&] { return running == 0; }))
            if (progress) {
                lock.unlock();
                progress(finished);
                lock.lock();
            }
    }
    if (failure) std::rethrow_exception(failure);
    if (progress) progress(finished);
}
