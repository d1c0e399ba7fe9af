#include "devhost/plugin.h"

#include <array>
#include <vector>

namespace devhost {

namespace {

Plugin plugin;
Plugin neighbour;
Plugin pluginCopy;
// The loaded plug-ins in the order they were loaded, which is the order the
// host starts them in.
std::vector<const Plugin*> loadOrder;

template <typename Entry>
void Bind(HMODULE module, LPCSTR name, Entry& entry) {
    using AnyFunction = void (*)();
    entry = reinterpret_cast<Entry>(reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)));
}

// The host's own copy of the fixed record layout: four ANSI fields at 0, 80,
// 160 and 240, in a buffer larger than the plug-in may use.
constexpr size_t kInfoFieldSize = 80;
constexpr size_t kInfoRecordSize = 512;

std::string Field(const std::array<char, kInfoRecordSize>& record, size_t offset) {
    const char* start = record.data() + offset;
    size_t length = 0;
    while (offset + length < record.size() && start[length] != '\0') ++length;
    return {start, length};
}

void Unload(Plugin& loaded) {
    std::erase(loadOrder, &loaded);
    if (loaded.module) {
        if (loaded.OnExit) loaded.OnExit();
        ::FreeLibrary(loaded.module);
    }
    loaded = Plugin{};
}

bool Load(const char* fileName, Plugin& loaded) {
    Unload(loaded);
    const HMODULE module = ::LoadLibraryA(fileName);
    if (!module) return false;
    loaded.module = module;
    loadOrder.push_back(&loaded);
    Bind(module, "BKC_OnStart", loaded.OnStart);
    Bind(module, "BKC_OnExit", loaded.OnExit);
    Bind(module, "BKC_OnMenuInit", loaded.OnMenuInit);
    Bind(module, "BKC_OnPlugInInfo", loaded.OnPlugInInfo);
    return true;
}

void Start(const Plugin& loaded) {
    if (loaded.OnStart) loaded.OnStart();
}

}  // namespace

bool LoadPlugin(const char* fileName) { return Load(fileName, plugin); }

void UnloadPlugin() { Unload(plugin); }

const Plugin& ThePlugin() { return plugin; }

bool LoadPluginCopy() { return Load(kPluginCopyFileName, pluginCopy); }

void UnloadPluginCopy() { Unload(pluginCopy); }

bool LoadNeighbour() { return Load(kNeighbourFileName, neighbour); }

void UnloadNeighbour() { Unload(neighbour); }

int NeighbourMessagesSeen(HWND window, UINT message) {
    int(WINAPI * seen)(HWND, UINT) = nullptr;
    if (neighbour.module) Bind(neighbour.module, "NeighbourMessagesSeen", seen);
    return seen ? seen(window, message) : 0;
}

void UnhookNeighbour(HWND window) {
    void(WINAPI * unhook)(HWND) = nullptr;
    if (neighbour.module) Bind(neighbour.module, "NeighbourUnhook", unhook);
    if (unhook) unhook(window);
}

void NeighbourKeepsRegisteredMessages() {
    void(WINAPI * keep)() = nullptr;
    if (neighbour.module) Bind(neighbour.module, "NeighbourKeepRegisteredMessages", keep);
    if (keep) keep();
}

void StartPlugins() {
    for (const Plugin* loaded : loadOrder) Start(*loaded);
}

PluginDescription DescribePlugin() {
    std::array<char, kInfoRecordSize> record{};
    if (plugin.OnPlugInInfo) plugin.OnPlugInInfo(record.data());
    return {Field(record, 0), Field(record, kInfoFieldSize), Field(record, 2 * kInfoFieldSize),
            Field(record, 3 * kInfoFieldSize)};
}

}  // namespace devhost
