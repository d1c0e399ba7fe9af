#pragma once
// What several test programs need beside the development host: a look at a
// window's procedure, and procedures put under the plug-ins that stand for the
// host's own and note what reaches them.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace test_support {

WNDPROC ProcedureOf(HWND window);

// The files (not folders) directly in folder, which ends with a backslash.
size_t CountFiles(const std::wstring& folder);

// The host's own procedures answer nothing in particular to this message; the
// host-side procedures answer kProbeAnswer, which must come back unchanged
// through every procedure above them.
inline constexpr UINT kProbeMessage = WM_APP + 0x203;
inline constexpr LRESULT kProbeAnswer = 0x7E57;

struct Arrival {
    HWND window;
    int side;  // which host-side procedure it reached (PutHostSide's side)
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    size_t stamp;    // ArrivalStamp() when the message arrived
    int properties;  // PluginPropertiesOf(window) as the message arrived
};

// How many of the window's properties are the plug-in's (by their names).
int PluginPropertiesOf(HWND window);

// Replaces window's procedure with host-side procedure number side (0 to 3),
// a function of its own for each side, so that a message handed to another
// window's procedure shows. Call it before the plug-ins hook the window.
bool PutHostSide(HWND window, int side);

// While on, a host-side procedure that gets WM_NCDESTROY first sends its
// window kProbeMessage, as a host may send its window messages while it
// cleans up after it.
void SendProbeAtLastMessage(bool send);

// Every message that reached a host-side procedure since ForgetArrivals.
const std::vector<Arrival>& Arrivals();
std::vector<Arrival> ArrivalsOf(UINT message);
std::vector<Arrival> ArrivalsOf(HWND window, UINT message);
void ForgetArrivals();

// Noted with each arrival, for example how many editors had started by then.
void SetArrivalStamp(size_t (*stamp)());

// The loaded plug-in's import slot for dll!function (dll as "KERNEL32.dll"):
// what its calls go through. Null when it imports no such function.
void** PluginImportSlot(const char* dll, const char* function);

// A stand-in for one of the plug-in's imports while it lives: the DLL the
// session loaded calls it instead. The plug-in's code linked into the test
// program is left alone; the host's commands run in the DLL.
class PluginImportReplaced {
public:
    template <typename Function>
    PluginImportReplaced(const char* dll, const char* function, Function* standIn)
        : slot_(PluginImportSlot(dll, function)) {
        if (slot_) original_ = Store(reinterpret_cast<void*>(standIn));
    }
    ~PluginImportReplaced() {
        if (slot_) Store(original_);
    }
    PluginImportReplaced(const PluginImportReplaced&) = delete;
    PluginImportReplaced& operator=(const PluginImportReplaced&) = delete;

    bool active() const { return slot_ != nullptr; }

private:
    void* Store(void* value);

    void** slot_;
    void* original_ = nullptr;
};

}  // namespace test_support
