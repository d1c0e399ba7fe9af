// What the plug-in's window hooks cost the messages the host's windows handle
// all day. For each hooked window, the same message is sent to three windows
// of the same class side by side: the plug-in's hooked one, a twin that keeps
// the host's own procedure, and a twin subclassed by the least a subclass can
// be. The subclassing mechanism itself costs the difference between the last
// two; only what the plug-in adds above it is its own.
//
//   hook_benchmark [rounds] [calls per round]
// With fewer than 11 rounds the target is reported, not judged: the exit code
// then says only whether the benchmark still works.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "devhost/host_state.h"
#include "devhost/session.h"
#include "devhost/user_registry.h"
#include "tests/benchmark_clock.h"

namespace {

using namespace devhost;

constexpr double kTarget = 1.05;  // the plug-in's hook against the least subclass

// The least subclass: one comparison, then the previous procedure. One slot
// per window, as the plug-in keeps one previous procedure per hooked window.
template <int Slot>
struct MinimalSubclass {
    static inline WNDPROC previous = nullptr;
    static inline int watched = 0;  // printed at the end, so the comparison stays

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_LBUTTONDBLCLK) watched = watched + 1;
        return ::CallWindowProcA(previous, window, message, wParam, lParam);
    }

    static void Install(HWND window) {
        previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    }
};

// A window of the same class, styles, parent and size as model, with the
// class's own procedure.
HWND MakeTwin(HWND model) {
    wchar_t className[256] = {};
    ::GetClassNameW(model, className, static_cast<int>(std::size(className)));
    RECT bounds;
    ::GetWindowRect(model, &bounds);
    const HWND parent = ::GetParent(model);
    if (parent) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(model, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(model, GWL_EXSTYLE));
    return ::CreateWindowExW(exStyle, className, L"", style, bounds.left, bounds.top, bounds.right - bounds.left,
                             bounds.bottom - bounds.top, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

using benchmark_clock::Median;
double Now() { return benchmark_clock::NowNs(); }

// Nanoseconds per call of calls sends of message to window.
double TimeSends(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int calls) {
    const double start = Now();
    for (int i = 0; i < calls; ++i) ::SendMessageW(window, message, wParam, lParam);
    return (Now() - start) / calls;
}

struct Row {
    const char* name;
    double unhooked, minimal, plugin;                     // median ns per call
    double minimalRatio, pluginRatio, pluginOverMinimal;  // medians of the per-round ratios
};

// Rounds interleave the three windows, in a rotating order, so that drift in
// the machine's speed falls on all three alike; ratios are taken per round.
Row Measure(const char* name, HWND hooked, HWND unhooked, HWND minimal, UINT message, int rounds, int calls) {
    const HWND windows[] = {unhooked, minimal, hooked};
    const LPARAM point = MAKELPARAM(30, 30);
    for (const HWND window : windows) TimeSends(window, message, 0, point, calls);  // warm up
    std::vector<double> times[3], minimalRatios, pluginRatios, pluginOverMinimal;
    for (int round = 0; round < rounds; ++round) {
        double t[3];
        for (int k = 0; k < 3; ++k) {
            const int w = (round + k) % 3;
            t[w] = TimeSends(windows[w], message, 0, point, calls);
        }
        for (int w = 0; w < 3; ++w) times[w].push_back(t[w]);
        minimalRatios.push_back(t[1] / t[0]);
        pluginRatios.push_back(t[2] / t[0]);
        pluginOverMinimal.push_back(t[2] / t[1]);
    }
    return {name,
            Median(times[0]),
            Median(times[1]),
            Median(times[2]),
            Median(minimalRatios),
            Median(pluginRatios),
            Median(pluginOverMinimal)};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 51;
    const int calls = argc > 2 ? std::atoi(argv[2]) : 20000;
    if (rounds < 1 || calls < 1) {
        std::fprintf(stderr, "usage: hook_benchmark [rounds] [calls per round]\n");
        return 2;
    }
    const devhost::ScratchUserRegistry registry;
    if (!registry) {
        std::fprintf(stderr, "could not redirect HKEY_CURRENT_USER to a scratch key\n");
        return 1;
    }
    // Fewer interruptions; Wine may ignore either.
    ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    ::SetThreadAffinityMask(::GetCurrentThread(), 1);

    // The host with the plug-in loaded and started: both windows carry its hooks.
    if (!OpenSession()) {
        std::fprintf(stderr, "the host's session could not be opened (error %lu)\n", ::GetLastError());
        return 1;
    }
    Host& host = TheHost();
    const HWND listPlain = MakeTwin(host.mailList);
    const HWND listMinimal = MakeTwin(host.mailList);
    const HWND mainPlain = MakeTwin(host.mainWindow);
    const HWND mainMinimal = MakeTwin(host.mainWindow);
    if (!listPlain || !listMinimal || !mainPlain || !mainMinimal) {
        std::fprintf(stderr, "the twin windows could not be made\n");
        return 1;
    }
    MinimalSubclass<0>::Install(listMinimal);
    MinimalSubclass<1>::Install(mainMinimal);

    // Mouse movement is what a window sees most; WM_NULL is the bare cost of a send.
    const Row rows[] = {
        Measure("mail list, WM_MOUSEMOVE", host.mailList, listPlain, listMinimal, WM_MOUSEMOVE, rounds, calls),
        Measure("mail list, WM_NULL", host.mailList, listPlain, listMinimal, WM_NULL, rounds, calls),
        Measure("main window, WM_MOUSEMOVE", host.mainWindow, mainPlain, mainMinimal, WM_MOUSEMOVE, rounds, calls),
        Measure("main window, WM_NULL", host.mainWindow, mainPlain, mainMinimal, WM_NULL, rounds, calls),
    };

    std::printf("%d-bit, SendMessageW, %d rounds of %d calls per window; medians\n",
                static_cast<int>(sizeof(void*) * 8), rounds, calls);
    std::printf("%-28s %10s %10s %10s %14s %14s %14s\n", "window, message", "plain ns", "least ns", "plug-in ns",
                "least/plain", "plug-in/plain", "plug-in/least");
    bool met = true;
    for (const Row& row : rows) {
        std::printf("%-28s %10.1f %10.1f %10.1f %14.3f %14.3f %14.3f\n", row.name, row.unhooked, row.minimal,
                    row.plugin, row.minimalRatio, row.pluginRatio, row.pluginOverMinimal);
        met = met && row.pluginOverMinimal <= kTarget;
    }
    std::printf("target: plug-in/least <= %.2f: %s\n", kTarget, benchmark_clock::TargetVerdict(rounds, met));
    std::printf("(double-clicks seen by the least subclasses: %d)\n",
                MinimalSubclass<0>::watched + MinimalSubclass<1>::watched);

    ::DestroyWindow(listPlain);
    ::DestroyWindow(listMinimal);
    ::DestroyWindow(mainPlain);
    ::DestroyWindow(mainMinimal);
    CloseSession();
    return benchmark_clock::TargetMissed(rounds, met) ? 3 : 0;
}
