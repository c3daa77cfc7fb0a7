#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

// Hostile inputs are measured one by one in a child process, so that each
// figure is that input's own: the wall time, and the peak resident memory of
// a process that did nothing else (every allocation counts, the libraries'
// included). A regression shows as a figure that grows, not as a failure.

struct THostileOutcome {
    double Seconds = 0;
    double PeakMiB = 0;
    bool Finished = false;  // the work returned (or threw) in the child
};

// Runs work in a child; the child is killed after limitSeconds.
inline THostileOutcome RunHostileInput(const std::function<void()>& work, unsigned limitSeconds = 300) {
    THostileOutcome outcome;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        alarm(limitSeconds);
        try {
            work();
        } catch (...) {
        }
        _exit(0);
    }
    if (child < 0)
        return outcome;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0)
        return outcome;
    outcome.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.PeakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    outcome.Finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

// One benchmark per input, run once: its time is the child's wall time, and
// the counters give the peak memory and whether it finished in time.
inline void RegisterHostileInput(const std::string& name, std::function<void()> work) {
    benchmark::RegisterBenchmark(name.c_str(),
                                 [work = std::move(work)](benchmark::State& state) {
                                     for (auto _ : state) {
                                         const THostileOutcome outcome = RunHostileInput(work);
                                         state.SetIterationTime(outcome.Seconds);
                                         state.counters["peak_MiB"] = outcome.PeakMiB;
                                         state.counters["finished"] = outcome.Finished ? 1 : 0;
                                     }
                                 })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}
