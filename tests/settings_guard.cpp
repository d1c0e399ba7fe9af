// Proves that the suite leaves the mail client's own settings alone. Run once
// before every other test and once after all of them, it is the one program
// of ours that looks at the real HKEY_CURRENT_USER\Software\RimArts.
//
//   settings_guard plant FILE     where the key is absent (the build's own Wine
//                                 prefix), makes it with a user's values, as on
//                                 a machine where the mail client lives; then
//                                 as snapshot
//   settings_guard snapshot FILE  records everything under Software\RimArts
//   settings_guard check FILE     fails unless everything there is as recorded,
//                                 byte for byte, with nothing added, and no
//                                 scratch key of a test program is left; then
//                                 removes what plant made
//
// On a real Windows machine only snapshot and check run: they read, and never
// write, the mail client's key.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "devhost/host_registry.h"

namespace {

constexpr wchar_t kClientKey[] = L"Software\\RimArts";
constexpr wchar_t kSettingsKey[] = L"Software\\RimArts\\B2\\Settings";
// Test programs' scratch keys under HKEY_CURRENT_USER\Software begin so.
constexpr wchar_t kScratchKeyPrefix[] = L"Kestrano scratch (";

// A value of the user's own beside the plug-in's: its data says who planted it,
// so that a key planted by a run that never got to check is recognised.
constexpr wchar_t kUserValue[] = L"MainWindowPlacement";
constexpr char kUserValueData[] = "planted by settings_guard \x01\x02\xFF";
constexpr wchar_t kEditorValue[] = L"ExtTextEditor";
constexpr wchar_t kUserEditor[] = L"C:\\Program Files\\An Editor\\editor.exe";

struct Snapshot {
    std::vector<std::wstring> planted;  // keys plant made, outermost first
    // "key path" -> "" for each key, "key path|value name" -> "type:hex bytes" for each value.
    std::map<std::string, std::string> entries;
};

std::string Hex(const void* data, size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<const unsigned char*>(data)[i];
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

// ASCII as it is; anything else in full, as the hex of its UTF-16.
std::string Printable(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        if (c < 0x20 || c >= 0x7F) {
            std::string hex(1, '[');
            hex += Hex(text.data(), text.size() * sizeof(wchar_t));
            hex += ']';
            return hex;
        }
        out += static_cast<char>(c);
    }
    return out;
}

std::wstring Widened(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

void RecordValues(HKEY key, const std::string& path, Snapshot& snapshot) {
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + 1);
        nameLength = static_cast<DWORD>(std::size(name));
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        snapshot.entries[path + "|" + Printable({name, nameLength})] =
            std::to_string(type) + ":" + Hex(data.data(), size);
    }
}

void RecordTree(HKEY parent, const std::wstring& path, Snapshot& snapshot) {
    const auto key = devhost::OpenKey(parent, path.c_str(), KEY_READ);
    if (!key) return;
    snapshot.entries[Printable(path)] = "";
    RecordValues(key.get(), Printable(path), snapshot);
    for (const auto& child : devhost::SubkeysOf(key.get())) RecordTree(parent, path + L"\\" + child, snapshot);
}

Snapshot Take() {
    Snapshot snapshot;
    RecordTree(HKEY_CURRENT_USER, kClientKey, snapshot);
    return snapshot;
}

bool Save(const Snapshot& snapshot, const char* file) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "planted";
    for (const auto& key : snapshot.planted) out << '\t' << Printable(key);
    out << '\n';
    for (const auto& [entry, data] : snapshot.entries) out << entry << '\t' << data << '\n';
    return static_cast<bool>(out);
}

bool Load(const char* file, Snapshot& snapshot) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || !line.starts_with("planted")) return false;
    std::istringstream planted(line.substr(std::strlen("planted")));
    for (std::string key; std::getline(planted, key, '\t');) {
        if (!key.empty()) snapshot.planted.push_back(Widened(key));
    }
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) return false;
        snapshot.entries[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return true;
}

bool SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, size_t size) {
    return ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) ==
           ERROR_SUCCESS;
}

// The keys on the way to the settings key that do not exist yet, outermost first.
std::vector<std::wstring> MissingKeys() {
    std::vector<std::wstring> missing;
    for (const std::wstring path : {L"Software\\RimArts", L"Software\\RimArts\\B2", kSettingsKey}) {
        if (!devhost::OpenKey(HKEY_CURRENT_USER, path.c_str(), KEY_READ)) missing.push_back(path);
    }
    return missing;
}

// Values a user of the mail client might have: a setting of the client's own,
// an editor, and the plug-in's switches set away from their defaults.
bool PlantUserSettings() {
    const auto key = devhost::CreateKey(HKEY_CURRENT_USER, kSettingsKey);
    const DWORD off = 0;
    const DWORD on = 1;
    return key && SetValue(key.get(), kUserValue, REG_BINARY, kUserValueData, sizeof kUserValueData) &&
           SetValue(key.get(), kEditorValue, REG_SZ, kUserEditor, sizeof kUserEditor) &&
           SetValue(key.get(), devhost::kDoubleClickValue, REG_DWORD, &off, sizeof off) &&
           SetValue(key.get(), devhost::kUnreadDoubleClickValue, REG_DWORD, &on, sizeof on);
}

// The key holds the user value exactly as this program plants it: a run that
// planted and never checked (killed, or its check never ran) left it.
bool PlantedEarlier() {
    const auto key = devhost::OpenKey(HKEY_CURRENT_USER, kSettingsKey, KEY_READ);
    char data[sizeof kUserValueData] = {};
    DWORD size = sizeof data;
    return key &&
           ::RegQueryValueExW(key.get(), kUserValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) ==
               ERROR_SUCCESS &&
           size == sizeof data && std::memcmp(data, kUserValueData, size) == 0;
}

void RemovePlanted(const std::vector<std::wstring>& keys) {
    if (keys.empty()) return;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, keys.front().c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, keys.front().c_str());
}

std::vector<std::wstring> LeftoverScratchKeys() {
    std::vector<std::wstring> leftovers;
    const auto software = devhost::OpenKey(HKEY_CURRENT_USER, L"Software", KEY_READ);
    if (!software) return leftovers;
    for (const auto& name : devhost::SubkeysOf(software.get())) {
        if (name.starts_with(kScratchKeyPrefix)) leftovers.push_back(name);
    }
    return leftovers;
}

int Plant(const char* file) {
    Snapshot before;
    if (PlantedEarlier()) {
        // Left by a run whose check never came: what it made is removed this time.
        before.planted = {kSettingsKey};
    } else if (!devhost::OpenKey(HKEY_CURRENT_USER, kSettingsKey, KEY_READ)) {
        before.planted = MissingKeys();
        if (!PlantUserSettings()) {
            RemovePlanted(before.planted);
            std::printf("could not plant the user's settings\n");
            return 1;
        }
    }
    before.entries = Take().entries;
    std::printf("%s the mail client's key: %zu keys and values recorded\n",
                before.planted.empty() ? "found" : "planted a user's values in", before.entries.size());
    return Save(before, file) ? 0 : 1;
}

int Record(const char* file) {
    Snapshot before = Take();
    std::printf("recorded %zu keys and values of the mail client's key\n", before.entries.size());
    return Save(before, file) ? 0 : 1;
}

int Check(const char* file) {
    Snapshot before;
    if (!Load(file, before)) {
        std::printf("no record of the settings before the tests in %s\n", file);
        return 1;
    }
    const Snapshot after = Take();
    int differences = 0;
    for (const auto& [entry, data] : before.entries) {
        const auto found = after.entries.find(entry);
        if (found == after.entries.end()) {
            std::printf("GONE     %s\n", entry.c_str());
            ++differences;
        } else if (found->second != data) {
            std::printf("CHANGED  %s: %s -> %s\n", entry.c_str(), data.c_str(), found->second.c_str());
            ++differences;
        }
    }
    for (const auto& [entry, data] : after.entries) {
        if (!before.entries.contains(entry)) {
            std::printf("ADDED    %s = %s\n", entry.c_str(), data.c_str());
            ++differences;
        }
    }
    for (const auto& leftover : LeftoverScratchKeys()) {
        std::printf("LEFT     HKEY_CURRENT_USER\\Software\\%s\n", Printable(leftover).c_str());
        ++differences;
    }
    RemovePlanted(before.planted);
    std::printf("%zu keys and values of the mail client's key checked: %s\n", before.entries.size(),
                differences == 0 ? "all as they were, nothing added, no scratch key left" : "CHANGED");
    return differences == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "plant") == 0) return Plant(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "snapshot") == 0) return Record(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return Check(argv[2]);
    std::fprintf(stderr, "usage: settings_guard plant|snapshot|check FILE\n");
    return 64;
}
