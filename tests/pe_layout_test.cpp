// Kestrano.dll as the mail client's loader sees it, read from the file beside
// this program: the sixteen exports under their ordinals, imports from
// Windows' own DLLs only, no TLS directory, whose callbacks would run at
// every thread start and end in the host's process, ASLR and DEP asked for,
// and no link time. Prints the file's size.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The machine and optional-header kind this program is built for: the
// plug-in must match it, or this process could not load it.
#ifdef _WIN64
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
#else
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
#endif

// What the host may rely on: every BKC_* name under its fixed ordinal.
const std::map<std::string, WORD> kExports = {
    {"BKC_OnStart", 1},        {"BKC_OnExit", 2},        {"BKC_OnMenuInit", 3},    {"BKC_OnOpenFolder", 4},
    {"BKC_OnOpenMail", 5},     {"BKC_OnEveryMinute", 6}, {"BKC_OnOpenCompose", 7}, {"BKC_OnOutgoing", 8},
    {"BKC_OnKeyDispatch", 9},  {"BKC_OnRetrieve", 10},   {"BKC_OnSend", 11},       {"BKC_OnFinishRetrieve", 12},
    {"BKC_OnPlugInSetup", 13}, {"BKC_OnPlugInInfo", 14}, {"BKC_OnDragDrop", 15},   {"BKC_OnBeforeFilter2", 16},
};

// Windows' own DLLs, present on every machine the mail client runs on.
// Not msvcrt: it belongs to Windows itself, and is not meant for programs.
const std::set<std::string> kSystemDlls = {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "SHELL32.DLL"};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::wstring PluginPath() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Kestrano.dll";
}

// A PE file read whole, with bounds-checked access by relative virtual address.
class PeFile {
public:
    explicit PeFile(const std::wstring& path) {
        std::ifstream file(path.c_str(), std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        const auto* signature = At<DWORD>(static_cast<size_t>(dos->e_lfanew));
        if (!signature || *signature != IMAGE_NT_SIGNATURE) return;
        file_ = At<IMAGE_FILE_HEADER>(static_cast<size_t>(dos->e_lfanew) + sizeof(DWORD));
        if (!file_) return;
        const size_t optional = static_cast<size_t>(dos->e_lfanew) + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
        const auto* magic = At<WORD>(optional);
        if (!magic) return;
        magic_ = *magic;
        if (magic_ == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            if (const auto* header = At<IMAGE_OPTIONAL_HEADER32>(optional)) {
                directories_.assign(header->DataDirectory, header->DataDirectory + header->NumberOfRvaAndSizes);
                dllCharacteristics_ = header->DllCharacteristics;
            }
        } else if (magic_ == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            if (const auto* header = At<IMAGE_OPTIONAL_HEADER64>(optional)) {
                directories_.assign(header->DataDirectory, header->DataDirectory + header->NumberOfRvaAndSizes);
                dllCharacteristics_ = header->DllCharacteristics;
            }
        }
        const size_t sections = optional + file_->SizeOfOptionalHeader;
        for (WORD i = 0; i < file_->NumberOfSections; ++i) {
            if (const auto* section = At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER))) {
                sections_.push_back(*section);
            }
        }
    }

    size_t size() const { return bytes_.size(); }
    WORD machine() const { return file_ ? file_->Machine : 0; }
    WORD magic() const { return magic_; }
    DWORD linkTime() const { return file_ ? file_->TimeDateStamp : 0; }
    WORD dllCharacteristics() const { return dllCharacteristics_; }
    bool is64() const { return magic_ == IMAGE_NT_OPTIONAL_HDR64_MAGIC; }

    // An absent directory reads as empty, as the loader treats it.
    IMAGE_DATA_DIRECTORY Directory(size_t index) const {
        return index < directories_.size() ? directories_[index] : IMAGE_DATA_DIRECTORY{};
    }

    // count items at rva, or null when they do not lie in the file.
    template <typename T>
    const T* AtRva(DWORD rva, size_t count = 1) const {
        for (const IMAGE_SECTION_HEADER& section : sections_) {
            const DWORD extent = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < extent) {
                return At<T>(section.PointerToRawData + (rva - section.VirtualAddress), count);
            }
        }
        return nullptr;
    }

    // The NUL-terminated text at rva, or "" when it runs off the file.
    std::string TextAt(DWORD rva) const {
        const char* start = AtRva<char>(rva);
        if (!start) return "";
        const char* end = bytes_.data() + bytes_.size();
        const char* nul = std::find(start, end, '\0');
        return nul == end ? "" : std::string(start, nul);
    }

private:
    template <typename T>
    const T* At(size_t offset, size_t count = 1) const {
        if (offset > bytes_.size() || count > (bytes_.size() - offset) / sizeof(T)) return nullptr;
        return reinterpret_cast<const T*>(bytes_.data() + offset);
    }

    std::vector<char> bytes_;
    const IMAGE_FILE_HEADER* file_ = nullptr;
    WORD magic_ = 0;
    WORD dllCharacteristics_ = 0;
    std::vector<IMAGE_DATA_DIRECTORY> directories_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

// Every imported DLL with the names taken from it, as the file lists them.
std::map<std::string, std::set<std::string>> Imports(const PeFile& pe) {
    std::map<std::string, std::set<std::string>> imports;
    const IMAGE_DATA_DIRECTORY directory = pe.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (DWORD at = directory.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = pe.AtRva<IMAGE_IMPORT_DESCRIPTOR>(at);
        if (!descriptor || descriptor->Name == 0) break;
        std::set<std::string>& names = imports[Upper(pe.TextAt(descriptor->Name))];
        const DWORD lookup = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        const size_t thunkSize = pe.is64() ? sizeof(ULONGLONG) : sizeof(DWORD);
        for (DWORD thunk = lookup;; thunk += static_cast<DWORD>(thunkSize)) {
            ULONGLONG entry = 0;
            if (pe.is64()) {
                const auto* value = pe.AtRva<ULONGLONG>(thunk);
                if (!value) break;
                entry = *value;
            } else {
                const auto* value = pe.AtRva<DWORD>(thunk);
                if (!value) break;
                entry = *value;
            }
            if (entry == 0) break;
            const ULONGLONG byOrdinal = pe.is64() ? IMAGE_ORDINAL_FLAG64 : IMAGE_ORDINAL_FLAG32;
            // By name: a hint word, then the name; by ordinal: only the number.
            if (entry & byOrdinal) {
                names.insert("ordinal " + std::to_string(entry & 0xFFFF));
            } else {
                names.insert(pe.TextAt(static_cast<DWORD>(entry) + sizeof(WORD)));
            }
        }
    }
    return imports;
}

class PeLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(pe_.size(), 0u) << "cannot read Kestrano.dll beside the test";
        ASSERT_EQ(pe_.magic(), kOptionalMagic);
        ASSERT_EQ(pe_.machine(), kMachine);
    }

    PeFile pe_{PluginPath()};
};

TEST_F(PeLayoutTest, ExportsTheSixteenCallbacksUnderTheirOrdinals) {
    const IMAGE_DATA_DIRECTORY directory = pe_.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    const auto* exports = pe_.AtRva<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress);
    ASSERT_NE(exports, nullptr);
    EXPECT_EQ(pe_.TextAt(exports->Name), "Kestrano.dll");
    EXPECT_EQ(exports->Base, 1u);
    ASSERT_EQ(exports->NumberOfFunctions, kExports.size());
    ASSERT_EQ(exports->NumberOfNames, kExports.size());

    const auto* names = pe_.AtRva<DWORD>(exports->AddressOfNames, exports->NumberOfNames);
    const auto* indices = pe_.AtRva<WORD>(exports->AddressOfNameOrdinals, exports->NumberOfNames);
    const auto* functions = pe_.AtRva<DWORD>(exports->AddressOfFunctions, exports->NumberOfFunctions);
    ASSERT_TRUE(names && indices && functions);
    std::map<std::string, WORD> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        const std::string name = pe_.TextAt(names[i]);
        ASSERT_LT(indices[i], exports->NumberOfFunctions) << name;
        found[name] = static_cast<WORD>(indices[i] + exports->Base);
        // Code in the DLL itself: not empty, and not forwarded elsewhere.
        const DWORD address = functions[indices[i]];
        EXPECT_NE(address, 0u) << name;
        EXPECT_FALSE(address >= directory.VirtualAddress && address - directory.VirtualAddress < directory.Size)
            << name << " is forwarded";
    }
    EXPECT_EQ(found, kExports);
}

TEST_F(PeLayoutTest, ImportsFromWindowsOwnDllsOnly) {
    const auto imports = Imports(pe_);
    ASSERT_TRUE(imports.count("KERNEL32.DLL")) << "no import table read";
    for (const auto& [dll, names] : imports) {
        EXPECT_TRUE(kSystemDlls.count(dll)) << dll;
        EXPECT_FALSE(names.empty()) << dll;
    }
    const std::set<std::string>& kernel = imports.at("KERNEL32.DLL");
    // What a thread library brings along.
    for (const char* name : {"TlsAlloc", "TlsGetValue", "TlsSetValue", "TlsFree"}) {
        EXPECT_FALSE(kernel.count(name)) << name;
    }
    // The host's threads are no business of the plug-in's.
    EXPECT_TRUE(kernel.count("DisableThreadLibraryCalls"));
    // Nothing loaded later behind the loader's back either.
    const IMAGE_DATA_DIRECTORY delayed = pe_.Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
    EXPECT_EQ(delayed.VirtualAddress, 0u);
    EXPECT_EQ(delayed.Size, 0u);
}

// In the mail client's process the DLL lands at an address of Windows'
// choosing, and its data never runs as code.
TEST_F(PeLayoutTest, AsksForAslrAndDep) {
    EXPECT_TRUE(pe_.dllCharacteristics() & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(pe_.dllCharacteristics() & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    // Moving it needs its relocations.
    EXPECT_NE(pe_.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
}

// A build time in the headers would make every build's DLL different.
TEST_F(PeLayoutTest, CarriesNoLinkTime) {
    EXPECT_EQ(pe_.linkTime(), 0u);
    const auto* exports = pe_.AtRva<IMAGE_EXPORT_DIRECTORY>(pe_.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    ASSERT_NE(exports, nullptr);
    EXPECT_EQ(exports->TimeDateStamp, 0u);
}

TEST_F(PeLayoutTest, HasNoTlsDirectory) {
    const IMAGE_DATA_DIRECTORY tls = pe_.Directory(IMAGE_DIRECTORY_ENTRY_TLS);
    EXPECT_EQ(tls.VirtualAddress, 0u);
    EXPECT_EQ(tls.Size, 0u);
}

TEST_F(PeLayoutTest, StrippedItFitsIn32KB) {
    std::printf("Kestrano.dll: %zu bytes (%s)\n", pe_.size(), pe_.is64() ? "PE32+" : "PE32");
#ifndef KESTRANO_STRIPPED_DLL
    GTEST_SKIP() << "this build's DLL keeps its symbols";
#endif
    EXPECT_LE(pe_.size(), 32u * 1024u);
}

}  // namespace
