#include "devhost/plugin.h"

#include <array>

namespace devhost {

namespace {

Plugin plugin;

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
    return std::string(start, length);
}

}  // namespace

bool LoadPlugin(const char* fileName) {
    UnloadPlugin();
    const HMODULE module = ::LoadLibraryA(fileName);
    if (!module) return false;
    plugin.module = module;
    Bind(module, "BKC_OnStart", plugin.OnStart);
    Bind(module, "BKC_OnExit", plugin.OnExit);
    Bind(module, "BKC_OnMenuInit", plugin.OnMenuInit);
    Bind(module, "BKC_OnPlugInInfo", plugin.OnPlugInInfo);
    return true;
}

void UnloadPlugin() {
    if (plugin.module) {
        if (plugin.OnExit) plugin.OnExit();
        ::FreeLibrary(plugin.module);
    }
    plugin = Plugin{};
}

const Plugin& ThePlugin() { return plugin; }

PluginDescription DescribePlugin() {
    std::array<char, kInfoRecordSize> record{};
    if (plugin.OnPlugInInfo) plugin.OnPlugInInfo(record.data());
    return {Field(record, 0), Field(record, kInfoFieldSize), Field(record, 2 * kInfoFieldSize),
            Field(record, 3 * kInfoFieldSize)};
}

}  // namespace devhost
