#include "tests/test_support.h"

#include <array>

namespace test_support {

namespace {

constexpr int kSides = 4;

std::array<WNDPROC, kSides> replaced{};
std::vector<Arrival> arrivals;
size_t (*arrivalStamp)() = nullptr;

template <int Side>
LRESULT CALLBACK HostSide(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const size_t stamp = arrivalStamp ? arrivalStamp() : 0;
    LRESULT result = ::CallWindowProcW(replaced[Side], window, message, wParam, lParam);
    if (message == kProbeMessage) result = kProbeAnswer;
    arrivals.push_back({window, Side, message, wParam, lParam, result, stamp});
    return result;
}

constexpr std::array<WNDPROC, kSides> kHostSides{&HostSide<0>, &HostSide<1>, &HostSide<2>, &HostSide<3>};

}  // namespace

WNDPROC ProcedureOf(HWND window) { return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)); }

size_t CountFiles(const std::wstring& folder) {
    size_t count = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return count;
}

bool PutHostSide(HWND window, int side) {
    if (!window || side < 0 || side >= kSides) return false;
    replaced[static_cast<size_t>(side)] = ProcedureOf(window);
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kHostSides[static_cast<size_t>(side)]));
    return ProcedureOf(window) == kHostSides[static_cast<size_t>(side)];
}

const std::vector<Arrival>& Arrivals() { return arrivals; }

std::vector<Arrival> ArrivalsOf(UINT message) {
    std::vector<Arrival> found;
    for (const Arrival& arrival : arrivals) {
        if (arrival.message == message) found.push_back(arrival);
    }
    return found;
}

std::vector<Arrival> ArrivalsOf(HWND window, UINT message) {
    std::vector<Arrival> found;
    for (const Arrival& arrival : ArrivalsOf(message)) {
        if (arrival.window == window) found.push_back(arrival);
    }
    return found;
}

void ForgetArrivals() { arrivals.clear(); }

void SetArrivalStamp(size_t (*stamp)()) { arrivalStamp = stamp; }

}  // namespace test_support
