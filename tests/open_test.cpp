// Opening the current mail in the external editor: the file named after the
// subject, its bytes, the one argument the editor gets, and the context-menu
// entry that offers it. Real files, in a folder whose path holds a space, under
// the Japanese code page.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "devhost/editor_record.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/session.h"
#include "devhost/text.h"
#include "editor_feature/open_in_editor.h"
#include "win32/unique.h"

namespace {

using namespace devhost;
using kestrano::MakeUniqueFileName;
using kestrano::SanitizeFileName;
using kestrano::UniqueFile;
using kestrano::WideText;

// Generous: where x86 code is emulated, one editor start takes minutes.
constexpr DWORD kEditorTimeoutMs = 10 * 60 * 1000;

std::string ReadFileBytes(const std::wstring& path) {
    const UniqueFile file{::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) return "<unreadable>";
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file{
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The loaded plug-in's import slot for kernel32!function: what its calls go
// through. Null when it imports no such function.
void** PluginImportSlot(const char* function) {
    auto* const base = reinterpret_cast<BYTE*>(ThePlugin().module);
    if (!base) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name;
         ++dll) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + dll->Name), "KERNEL32.dll") != 0) continue;
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
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

// A stand-in for one of the plug-in's kernel32 imports while it lives: the
// DLL the session loaded calls it instead. The plug-in's code linked into this
// program is left alone; the host's commands run in the DLL.
class PluginImportReplaced {
public:
    template <typename Function>
    PluginImportReplaced(const char* function, Function* standIn) : slot_(PluginImportSlot(function)) {
        if (slot_) original_ = Store(reinterpret_cast<void*>(standIn));
    }
    ~PluginImportReplaced() {
        if (slot_) Store(original_);
    }
    PluginImportReplaced(const PluginImportReplaced&) = delete;
    PluginImportReplaced& operator=(const PluginImportReplaced&) = delete;

    bool active() const { return slot_ != nullptr; }

private:
    void* Store(void* value) {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        void* const previous = std::exchange(*slot_, value);
        ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
        return previous;
    }

    void** slot_;
    void* original_ = nullptr;
};

// The plug-in's one write, as a full disk or a quota makes it.
int writeCalls = 0;

BOOL WINAPI FailingWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    ++writeCalls;
    if (written) *written = 0;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Writes the first half and reports that, as a write that ran out of room does.
BOOL WINAPI HalfWriteFile(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    ++writeCalls;
    return ::WriteFile(file, bytes, size / 2, written, overlapped);
}

class OpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), kJapaneseCodePage) << "needs a Japanese system locale (code page 932)";
        ASSERT_TRUE(WatchLaunches());
        folder_ = MakeScratchFolder(L"kestrano open");
        records_ = MakeScratchFolder(L"kestrano editor");
        ASSERT_FALSE(folder_.empty());
        ASSERT_FALSE(records_.empty());
        // Launched editors inherit this and write their records there.
        ::SetEnvironmentVariableW(kEditorRecordVariable, records_.c_str());
        ASSERT_TRUE(OpenSession());
        TheHost().tempFolder = ToAnsi(folder_);
        ASSERT_TRUE(SetExternalEditor(RecordingEditorPath()));
        launchesBefore_ = LaunchesStarted();
    }

    void TearDown() override {
        EXPECT_EQ(TheHost().textsHandedOut, 0) << "text from BKA_GetText was not given back";
        // A failed test may have started an editor on a device, which never ends.
        if (HasFailure()) EndLaunches();
        // An editor still running would hold the files being removed.
        EXPECT_TRUE(WaitForLaunchesToEnd(kEditorTimeoutMs));
        DeleteSetting(L"ExtTextEditor");
        CloseSession();
        RemoveScratchFolder(folder_);
        RemoveScratchFolder(records_);
    }

    // The user's way: the host builds the mail list's context menu and the
    // user chooses its first entry.
    void OpenFromContextMenu(const std::string& subject, const std::optional<std::string>& text) {
        TheHost().mails = {Mail{.id = "<1@example.jp>", .folder = kInboxFolder, .subject = subject, .text = text}};
        TheHost().currentMail = 0;
        const HMENU menu = BuildMailListContextMenu();
        const int entry = static_cast<int>(::GetMenuItemID(menu, 0));
        ::DestroyMenu(menu);
        ChooseCommand(entry);
    }

    std::vector<std::wstring> FileNames() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW((folder_ + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string Contents(const std::wstring& name) const { return ReadFileBytes(folder_ + name); }

    // Known at once: a launch returns only when the editor's process exists.
    size_t Launches() const { return LaunchesStarted() - launchesBefore_; }

    // The editors' own account, once they have all finished.
    std::vector<EditorLaunch> EditorRecords() const {
        EXPECT_TRUE(WaitForLaunchesToEnd(kEditorTimeoutMs));
        return ReadEditorLaunches(records_);
    }

    std::wstring folder_;
    std::wstring records_;
    size_t launchesBefore_ = 0;
};

TEST(SanitizeFileNameTest, ReservedMarksAndControlCharactersBecomeUnderscores) {
    std::wstring name =
        L"Re: Q3/Q4 plan? \"v2\" <draft> a\\b*c|d\te\x01"
        L"f\x1F"
        L"g";
    SanitizeFileName(name);
    EXPECT_EQ(name, L"Re_ Q3_Q4 plan_ _v2_ _draft_ a_b_c_d_e_f_g");
}

TEST(SanitizeFileNameTest, EveryOtherCharacterIsKept) {
    std::wstring all;
    for (wchar_t c = 1; c != 0; ++c) all.push_back(c);
    std::wstring cleaned = all;
    SanitizeFileName(cleaned);
    ASSERT_EQ(cleaned.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const wchar_t c = all[i];
        const bool forbidden = c < 0x20 || std::wstring_view{L"\\/:*?\"<>|"}.find(c) != std::wstring_view::npos;
        EXPECT_EQ(cleaned[i], forbidden ? L'_' : c) << "U+" << std::hex << static_cast<unsigned>(c);
    }
}

TEST(WideTextTest, TextsBeyondTheLongestPathWindowsTakesAreRefusedNotCut) {
    // Cut short, a path would name another file than the one meant.
    WideText text;
    ASSERT_TRUE(text.Append(std::wstring(WideText::kMaxLength - 1, L'x')));
    EXPECT_FALSE(text.Append(L"yz"));
    EXPECT_EQ(text.view().size(), WideText::kMaxLength - 1);
    EXPECT_TRUE(text.Append(L"y"));
    EXPECT_FALSE(text.AppendAnsi("z"));
    EXPECT_EQ(text.view().back(), L'y');
}

TEST_F(OpenTest, EntryHeadsTheContextMenuAboveASeparatorAndTheHostsItems) {
    for (int build = 0; build < 2; ++build) {  // every menu the host builds gets it
        const HMENU menu = BuildMailListContextMenu();
        ASSERT_EQ(::GetMenuItemCount(menu), 6);
        const RegisteredCommand* command = FindCommand(static_cast<int>(::GetMenuItemID(menu, 0)));
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(Decode(command->comment, kJapaneseCodePage), L"外部エディタで開く");
        EXPECT_EQ(command->target, 1);
        EXPECT_EQ(command->state, nullptr);
        EXPECT_EQ(MenuText(menu, 0), L"外部エディタで開く(&X)");
        EXPECT_TRUE(::GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ(MenuText(menu, 2), L"開く(&O)");
        EXPECT_EQ(MenuText(menu, 5), L"削除(&D)");
        ::DestroyMenu(menu);
    }
}

TEST_F(OpenTest, WritesTheTextByteForByteAndStartsTheEditorOnTheQuotedPath) {
    // CRLF and bare LF, Japanese, stray high bytes, and no line end at the end.
    const std::string text = "From: a@example.jp\r\n\r\n" +
                             Encode(L"表計算ソフトの機能について\r\n二行目\n", kJapaneseCodePage) +
                             "\x01\x7F\x80\xFF last line";
    OpenFromContextMenu("Minutes: Q3/Q4 review?", text);

    const std::wstring name = L"Minutes_ Q3_Q4 review_";
    ASSERT_EQ(FileNames(), std::vector<std::wstring>{name});
    EXPECT_EQ(Contents(name), text);
    EXPECT_EQ(TheHost().textsFreed, 1);
    ASSERT_EQ(Launches(), 1u);

    const auto records = EditorRecords();
    ASSERT_EQ(records.size(), 1u);
    const EditorLaunch& launch = records[0];
    const std::wstring path = folder_ + name;
    // One argument, quoted whole though the path holds spaces.
    EXPECT_TRUE(launch.commandLine.ends_with(L" \"" + path + L"\"")) << ToUtf8(launch.commandLine);
    ASSERT_EQ(launch.arguments.size(), 2u) << ToUtf8(launch.commandLine);
    EXPECT_EQ(launch.arguments[1], path);
    EXPECT_TRUE(launch.fileRead);
    EXPECT_EQ(launch.content, text);
}

TEST_F(OpenTest, JapaneseSubjectKeepsCharactersWhoseTrailByteIsABackslash) {
    // 表, ソ and 能 each end in byte 0x5C; cleaning bytes would cut them in two.
    const std::wstring subject = L"表ソ能の件";
    ASSERT_NE(Encode(subject, kJapaneseCodePage).find('\\'), std::string::npos);
    OpenFromContextMenu(Encode(subject, kJapaneseCodePage), "body");

    ASSERT_EQ(FileNames(), std::vector<std::wstring>{subject});
    EXPECT_EQ(Contents(subject), "body");
    ASSERT_EQ(Launches(), 1u);
    const auto records = EditorRecords();
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].arguments.size(), 2u);
    EXPECT_EQ(records[0].arguments[1], folder_ + subject);
    EXPECT_EQ(records[0].content, "body");
}

TEST_F(OpenTest, EmptySubjectNamesTheFileNoSubject) {
    DeleteSetting(L"ExtTextEditor");  // only the name matters here
    OpenFromContextMenu("", "text");
    EXPECT_EQ(FileNames(), std::vector<std::wstring>{L"(no subject)"});
    EXPECT_EQ(Contents(L"(no subject)"), "text");
}

TEST_F(OpenTest, TakesTheFirstFreeSuffixAndNeverOverwritesEarlierFiles) {
    DeleteSetting(L"ExtTextEditor");
    ASSERT_TRUE(WriteFileBytes(folder_ + L"Report", "first"));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"Report(1)", "second"));

    OpenFromContextMenu("Report", "third");
    OpenFromContextMenu("Report", "fourth");

    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"Report", L"Report(1)", L"Report(2)", L"Report(3)"}));
    EXPECT_EQ(Contents(L"Report"), "first");
    EXPECT_EQ(Contents(L"Report(1)"), "second");
    EXPECT_EQ(Contents(L"Report(2)"), "third");
    EXPECT_EQ(Contents(L"Report(3)"), "fourth");
}

// A name is taken however it is taken: the editor still holds an earlier copy
// (writing to it, and sharing writing or nothing), the copy is read-only, or a
// folder bears the name. The mail goes to the next name; the earlier copy
// stays byte for byte as it was.
TEST_F(OpenTest, NameTakenInAnyFormIsPassedOverAndNeverOverwritten) {
    DeleteSetting(L"ExtTextEditor");  // only the files matter here
    const std::string earlier = "earlier copy, edited by hand";
    struct Holder {
        const wchar_t* subject;
        DWORD share;
    };
    for (const Holder holder : {Holder{L"Held sharing writing", FILE_SHARE_WRITE}, Holder{L"Held shut", 0}}) {
        SCOPED_TRACE(ToUtf8(holder.subject));
        const std::wstring path = folder_ + holder.subject;
        ASSERT_TRUE(WriteFileBytes(path, earlier));
        {
            // The editor writes to its copy and lets no one read it meanwhile.
            const UniqueFile held{::CreateFileW(path.c_str(), GENERIC_WRITE, holder.share, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr)};
            ASSERT_TRUE(held);
            OpenFromContextMenu(ToAnsi(holder.subject), "the mail");
        }
        EXPECT_EQ(Contents(holder.subject), earlier);
        EXPECT_EQ(Contents(std::wstring(holder.subject) + L"(1)"), "the mail");
    }

    ASSERT_TRUE(WriteFileBytes(folder_ + L"Read-only", earlier));
    ASSERT_TRUE(::SetFileAttributesW((folder_ + L"Read-only").c_str(), FILE_ATTRIBUTE_READONLY));
    OpenFromContextMenu("Read-only", "the mail");
    EXPECT_EQ(Contents(L"Read-only"), earlier);
    EXPECT_EQ(Contents(L"Read-only(1)"), "the mail");

    const std::wstring subfolder = folder_ + L"Minutes";
    ASSERT_TRUE(::CreateDirectoryW(subfolder.c_str(), nullptr));
    OpenFromContextMenu("Minutes", "the mail");
    EXPECT_EQ(Contents(L"Minutes(1)"), "the mail");
    EXPECT_TRUE(::RemoveDirectoryW(subfolder.c_str())) << "the folder is no longer empty";

    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"Held sharing writing", L"Held sharing writing(1)", L"Held shut",
                                                      L"Held shut(1)", L"Minutes(1)", L"Read-only", L"Read-only(1)"}));
}

TEST_F(OpenTest, NullTextLeavesAnEmptyFileAndStartsNothing) {
    OpenFromContextMenu("No text", std::nullopt);
    ASSERT_EQ(FileNames(), std::vector<std::wstring>{L"No text"});
    EXPECT_EQ(Contents(L"No text"), "");
    EXPECT_EQ(Launches(), 0u);
}

TEST_F(OpenTest, EmptyTextGivesAnEmptyFileAndStillStartsTheEditor) {
    OpenFromContextMenu("Empty", "");
    ASSERT_EQ(FileNames(), std::vector<std::wstring>{L"Empty"});
    EXPECT_EQ(Contents(L"Empty"), "");
    EXPECT_EQ(TheHost().textsFreed, 1);
    ASSERT_EQ(Launches(), 1u);
    const auto records = EditorRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].fileRead);
    EXPECT_EQ(records[0].content, "");
}

// The editor would show what the write left as if it were the mail. The file
// stays, as every file the plug-in writes does, and the text goes back.
TEST_F(OpenTest, FailedWriteLeavesTheFileAndStartsNothing) {
    writeCalls = 0;
    {
        const PluginImportReplaced diskFull{"WriteFile", &FailingWriteFile};
        ASSERT_TRUE(diskFull.active());
        OpenFromContextMenu("Disk full", "the whole mail");
    }
    EXPECT_EQ(writeCalls, 1);
    ASSERT_EQ(FileNames(), std::vector<std::wstring>{L"Disk full"});
    EXPECT_EQ(Contents(L"Disk full"), "");
    EXPECT_EQ(TheHost().textsFreed, 1);
    EXPECT_EQ(Launches(), 0u);
}

TEST_F(OpenTest, WriteCutShortLeavesThePartAndStartsNothing) {
    writeCalls = 0;
    {
        const PluginImportReplaced quota{"WriteFile", &HalfWriteFile};
        ASSERT_TRUE(quota.active());
        OpenFromContextMenu("Quota", "0123456789");
    }
    EXPECT_EQ(writeCalls, 1);
    ASSERT_EQ(FileNames(), std::vector<std::wstring>{L"Quota"});
    EXPECT_EQ(Contents(L"Quota"), "01234");
    EXPECT_EQ(TheHost().textsFreed, 1);
    EXPECT_EQ(Launches(), 0u);
}

TEST_F(OpenTest, WithoutAnEditorTheFileIsWrittenAndNothingStarts) {
    DeleteSetting(L"ExtTextEditor");
    OpenFromContextMenu("Absent", "a");
    ASSERT_TRUE(SetExternalEditor(L""));
    OpenFromContextMenu("Empty value", "b");

    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"Absent", L"Empty value"}));
    EXPECT_EQ(Contents(L"Absent"), "a");
    EXPECT_EQ(Contents(L"Empty value"), "b");
    EXPECT_EQ(Launches(), 0u);
}

TEST_F(OpenTest, NameTooLongForTheSystemWritesAndStartsNothing) {
    // 259 bytes, the most the subject buffer holds: beyond the 255 characters
    // a name in a folder may have.
    OpenFromContextMenu(std::string(259, 'L'), "text");
    EXPECT_EQ(FileNames(), std::vector<std::wstring>{});
    EXPECT_EQ(Launches(), 0u);
}

TEST_F(OpenTest, SubjectFillingTheWholeBufferIsReadWithinIt) {
    // The host leaves no terminator; what the plug-in can read is 259 bytes,
    // too long a name, so the command ends quietly rather than reading on.
    TheHost().fillWholeHeaderBuffer = true;
    OpenFromContextMenu("Budget", "text");
    EXPECT_EQ(FileNames(), std::vector<std::wstring>{});
    EXPECT_EQ(Launches(), 0u);
}

TEST_F(OpenTest, DeviceNamesWriteAndStartNothing) {
    // The device opens under every suffix: the search must stop at once.
    WideText chosen;
    EXPECT_FALSE(MakeUniqueFileName(folder_ + L"NUL", chosen));
    EXPECT_EQ(FileNames(), std::vector<std::wstring>{});

    for (const char* subject : {"CON", "NUL.txt", "Aux. parts list", "COM1"}) {
        SCOPED_TRACE(subject);
        // Which names are devices differs between systems and machines (the
        // ports they have): a name created here as a plain file is skipped.
        const std::wstring probe = folder_ + FromAnsi(subject);
        const HANDLE plain =
            ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (plain != INVALID_HANDLE_VALUE) {
            const bool disk = ::GetFileType(plain) == FILE_TYPE_DISK;
            ::CloseHandle(plain);
            if (disk) {
                ::DeleteFileW(probe.c_str());
                continue;
            }
        }
        OpenFromContextMenu(subject, "text");
        EXPECT_EQ(FileNames(), std::vector<std::wstring>{});
        EXPECT_EQ(Launches(), 0u);
    }
}

}  // namespace
