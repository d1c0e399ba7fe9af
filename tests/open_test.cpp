// Opening the current mail in the external editor: the file named after the
// subject, its bytes, the one argument the editor gets, and the context-menu
// entry that offers it. Real files, in a folder whose path holds a space, under
// the Japanese code page.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "companions/recording_editor/editor_record.h"
#include "devhost/host_registry.h"
#include "devhost/host_state.h"
#include "devhost/host_windows.h"
#include "devhost/plugin.h"
#include "devhost/session.h"
#include "devhost/text.h"
#include "editor_feature/open_in_editor.h"
#include "tests/test_support.h"
#include "win32/unique.h"

namespace {

using namespace companions;
using namespace devhost;
using kestrano::MakeUniqueFileName;
using kestrano::SanitizeFileName;
using kestrano::UniqueFile;
using kestrano::WideText;
using test_support::PluginImportReplaced;

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

// What the plug-in does with files, seen through its imports: every
// CreateFileW in order, the handles it holds open, and names made taken
// without a file on the disk, so that a search through all 100,000 names
// costs no more than the calls.
struct FileWatch {
    struct Call {
        std::wstring name;
        DWORD disposition;
    };
    std::vector<Call> calls;
    std::set<HANDLE> open;
    size_t opened = 0;
    std::wstring takenPrefix;  // CREATE_NEW of a name that starts so answers "exists"...
    std::wstring freeName;     // ...but for this one

    std::vector<std::wstring> NamesCreated() const {
        std::vector<std::wstring> names;
        for (const Call& call : calls) {
            if (call.disposition == CREATE_NEW) names.push_back(call.name);
        }
        return names;
    }
};
FileWatch files;

HANDLE WINAPI WatchedCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD flags, HANDLE model) {
    files.calls.push_back({name, disposition});
    const std::wstring_view wanted{name};
    if (disposition == CREATE_NEW && !files.takenPrefix.empty() && wanted.starts_with(files.takenPrefix) &&
        wanted != files.freeName) {
        // Either answer means the name exists.
        ::SetLastError(files.calls.size() % 2 ? ERROR_FILE_EXISTS : ERROR_ALREADY_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = ::CreateFileW(name, access, share, security, disposition, flags, model);
    if (file != INVALID_HANDLE_VALUE) {
        files.open.insert(file);
        ++files.opened;
    }
    return file;
}

BOOL WINAPI WatchedCloseHandle(HANDLE handle) {
    files.open.erase(handle);
    return ::CloseHandle(handle);
}

// The plug-in's files watched while it lives.
class FilesWatched {
public:
    FilesWatched() { files = FileWatch{}; }
    bool active() const { return create_.active() && close_.active(); }

private:
    PluginImportReplaced create_{"KERNEL32.dll", "CreateFileW", &WatchedCreateFileW};
    PluginImportReplaced close_{"KERNEL32.dll", "CloseHandle", &WatchedCloseHandle};
};

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
        ChooseTheOpenEntry();
    }

    static void ChooseTheOpenEntry() {
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

TEST(WideTextTest, TextCutAndAppendedToEndsWhereItsCharactersEnd) {
    WideText text;
    ASSERT_TRUE(text.Append(L"Report(10)"));
    text.Truncate(6);
    ASSERT_TRUE(text.Append(L"(9"));
    EXPECT_STREQ(text.c_str(), L"Report(9");
    text.Truncate(6);
    ASSERT_TRUE(text.AppendAnsi("("));
    EXPECT_STREQ(text.c_str(), L"Report(");
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
    EXPECT_EQ(launch.showCommand, SW_SHOWNORMAL);
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

    {
        const FilesWatched watched;
        ASSERT_TRUE(watched.active());
        OpenFromContextMenu("Report", "third");
    }
    // One try at each name, and one look whether the subject is a device.
    const std::wstring base = folder_ + L"Report";
    ASSERT_EQ(files.calls.size(), 4u);
    EXPECT_EQ(files.NamesCreated(), (std::vector<std::wstring>{base, base + L"(1)", base + L"(2)"}));
    EXPECT_EQ(files.calls[1].name, base);
    EXPECT_EQ(files.calls[1].disposition, static_cast<DWORD>(OPEN_EXISTING));
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

// The last name tried is "(99999)": taken too, nothing is written, and no
// name beyond it is tried. Names are made taken through the plug-in's imports.
TEST_F(OpenTest, NameSearchEndsAtSuffix99999) {
    DeleteSetting(L"ExtTextEditor");  // only the names matter here
    const std::wstring base = folder_ + L"Busy";
    {
        const FilesWatched watched;
        ASSERT_TRUE(watched.active());
        files.takenPrefix = base;
        files.freeName = base + L"(99999)";
        OpenFromContextMenu("Busy", "the mail");
    }
    EXPECT_EQ(FileNames(), std::vector<std::wstring>{L"Busy(99999)"});
    EXPECT_EQ(Contents(L"Busy(99999)"), "the mail");

    TheHost().calls.clear();
    {
        const FilesWatched watched;
        files.takenPrefix = base;
        OpenFromContextMenu("Busy", "another mail");
    }
    const std::vector<std::wstring> tried = files.NamesCreated();
    EXPECT_EQ(tried.size(), 100000u);
    ASSERT_FALSE(tried.empty());
    EXPECT_EQ(tried.back(), base + L"(99999)");
    EXPECT_EQ(FileNames(), std::vector<std::wstring>{L"Busy(99999)"});
    EXPECT_EQ(Contents(L"Busy(99999)"), "the mail");
    EXPECT_EQ(std::count(TheHost().calls.begin(), TheHost().calls.end(), "BKA_GetText"), 0);
}

// An empty folder: the host has no current mail, and answers null or an empty
// identifier. There is nothing to write, least of all an empty "(no subject)".
TEST_F(OpenTest, WithoutACurrentMailNothingIsWrittenOrStarted) {
    for (const bool emptyId : {false, true}) {
        SCOPED_TRACE(emptyId ? "empty identifier" : "null");
        TheHost().mails.clear();
        TheHost().currentMail = -1;
        TheHost().emptyIdWithoutMail = emptyId;
        TheHost().calls.clear();
        ChooseTheOpenEntry();
        EXPECT_EQ(FileNames(), std::vector<std::wstring>{});
        EXPECT_EQ(Launches(), 0u);
        EXPECT_EQ(std::count(TheHost().calls.begin(), TheHost().calls.end(), "BKA_GetText"), 0);
    }
}

// Over every way an open ends, each file the plug-in opened is closed again:
// an editor holding the copy, or a name taken, must not meet a handle of ours.
TEST_F(OpenTest, EveryFileItOpensIsClosedWhateverTheEnd) {
    ASSERT_TRUE(WriteFileBytes(folder_ + L"Taken", "earlier"));
    {
        const FilesWatched watched;
        ASSERT_TRUE(watched.active());
        OpenFromContextMenu("Opened", "text");
        OpenFromContextMenu("Taken", "text");
        OpenFromContextMenu("No text", std::nullopt);
        OpenFromContextMenu("NUL", "text");
        OpenFromContextMenu(std::string(259, 'L'), "text");
        {
            const PluginImportReplaced diskFull{"KERNEL32.dll", "WriteFile", &FailingWriteFile};
            ASSERT_TRUE(diskFull.active());
            OpenFromContextMenu("Disk full", "text");
        }
        DeleteSetting(L"ExtTextEditor");
        OpenFromContextMenu("No editor", "text");
    }
    EXPECT_GE(files.opened, 6u);
    EXPECT_TRUE(files.open.empty()) << files.open.size() << " of " << files.opened << " files left open";
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
        const PluginImportReplaced diskFull{"KERNEL32.dll", "WriteFile", &FailingWriteFile};
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
        const PluginImportReplaced quota{"KERNEL32.dll", "WriteFile", &HalfWriteFile};
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

// The subject's bytes that name the file: the name the plug-in first tries to
// create. Whether that can be made is the file system's say: Windows takes
// 255 characters, Linux under Wine 255 bytes of UTF-8, fewer than 259 here.
TEST_F(OpenTest, LongestSubjectNamesTheFileWhole) {
    // 259 bytes, as many as the host is asked for, in 130 characters.
    const std::wstring subject = L"A" + std::wstring(129, L'あ');
    ASSERT_EQ(Encode(subject, kJapaneseCodePage).size(), 259u);
    {
        const FilesWatched watched;
        ASSERT_TRUE(watched.active());
        OpenFromContextMenu(Encode(subject, kJapaneseCodePage), "text");
    }
    ASSERT_FALSE(files.NamesCreated().empty());
    EXPECT_EQ(files.NamesCreated().front(), folder_ + subject);
}

TEST_F(OpenTest, SubjectFillingTheWholeBufferIsReadWithinIt) {
    // The host fills all 260 bytes and leaves no terminator: the name is the
    // first 259, up to "あA", and nothing of the "B" that follows in byte 260.
    TheHost().fillWholeHeaderBuffer = true;
    {
        const FilesWatched watched;
        ASSERT_TRUE(watched.active());
        OpenFromContextMenu(Encode(L"あAB", kJapaneseCodePage), "text");
    }
    std::wstring name;
    for (int i = 0; i < 64; ++i) name += L"あAB";
    name += L"あA";
    ASSERT_FALSE(files.NamesCreated().empty());
    EXPECT_EQ(files.NamesCreated().front(), folder_ + name);
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
