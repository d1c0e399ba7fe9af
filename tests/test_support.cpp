#include "tests/test_support.h"

#include <array>
#include <string_view>
#include <utility>

#include "devhost/plugin.h"

namespace test_support {

namespace {

constexpr int kSides = 4;

std::array<WNDPROC, kSides> replaced{};
std::vector<Arrival> arrivals;
size_t (*arrivalStamp)() = nullptr;
bool probeAtLastMessage = false;

// Every property the plug-in sets on a window has a name that starts so.
constexpr std::wstring_view kPluginPropertyPrefix = L"Kestrano.";

BOOL CALLBACK CountPluginProperty(HWND, LPWSTR name, HANDLE, ULONG_PTR count) {
    // A property set by atom has no name to read: its "name" is the atom.
    const bool named = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
    if (named && std::wstring_view{name}.starts_with(kPluginPropertyPrefix)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

template <int Side>
LRESULT CALLBACK HostSide(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const size_t stamp = arrivalStamp ? arrivalStamp() : 0;
    const int properties = PluginPropertiesOf(window);
    if (message == WM_NCDESTROY && probeAtLastMessage) ::SendMessageW(window, kProbeMessage, 0, 0);
    LRESULT result = ::CallWindowProcW(replaced[Side], window, message, wParam, lParam);
    if (message == kProbeMessage) result = kProbeAnswer;
    arrivals.push_back({window, Side, message, wParam, lParam, result, stamp, properties});
    return result;
}

constexpr std::array<WNDPROC, kSides> kHostSides{&HostSide<0>, &HostSide<1>, &HostSide<2>, &HostSide<3>};

}  // namespace

int PluginPropertiesOf(HWND window) {
    int count = 0;
    ::EnumPropsExW(window, &CountPluginProperty, reinterpret_cast<LPARAM>(&count));
    return count;
}

void SendProbeAtLastMessage(bool send) { probeAtLastMessage = send; }

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

void** PluginImportSlot(const char* dll, const char* function) {
    auto* const base = reinterpret_cast<BYTE*>(devhost::ThePlugin().module);
    if (!base) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* from = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); from->Name;
         ++from) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + from->Name), dll) != 0) continue;
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + from->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + from->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::string_view{reinterpret_cast<const char*>(byName->Name)} == function) {
                return reinterpret_cast<void**>(&slot->u1.Function);
            }
        }
    }
    return nullptr;
}

void* PluginImportReplaced::Store(void* value) {
    DWORD protection = 0;
    ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
    void* const previous = std::exchange(*slot_, value);
    ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    return previous;
}

}  // namespace test_support
