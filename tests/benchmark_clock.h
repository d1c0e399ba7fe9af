#pragma once
// Timing shared by the benchmark programs.

#include <windows.h>

#include <algorithm>
#include <vector>

namespace benchmark_clock {

// The performance counter in nanoseconds.
inline double NowNs() {
    static const double ticksPerNs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e9;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerNs;
}

inline double NowMs() { return NowNs() / 1e6; }

// Fewer rounds than this, as the suite runs each benchmark to see that it
// still works, are too few for a median to judge a target by.
inline constexpr int kRoundsToJudgeTarget = 11;

// What a run of so many rounds says of its target.
inline const char* TargetVerdict(int rounds, bool met) {
    if (rounds < kRoundsToJudgeTarget) return "not judged, too few rounds";
    return met ? "met" : "missed";
}

// Only a judged target that was missed fails the run.
inline bool TargetMissed(int rounds, bool met) { return rounds >= kRoundsToJudgeTarget && !met; }

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace benchmark_clock
