// The DLL's version resource, read back as Explorer reads it: the numbers, and
// the texts in Japanese and English, which must say what BKC_OnPlugInInfo says
// and carry the version that project() declares, the one the package is named by.

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "devhost/plugin.h"
#include "devhost/text.h"

namespace {

using namespace devhost;

constexpr wchar_t kJapaneseBlock[] = L"041103a4";
constexpr wchar_t kEnglishBlock[] = L"040904b0";
constexpr wchar_t kDescription[] = L"ダブルクリックでメールをエディタから開けるようにするプラグインです。";
// Given by CMake from the release notes' latest entry, apart from the
// project's version, which the DLL's comes from.
constexpr char kAnnouncedVersion[] = KESTRANO_ANNOUNCED_VERSION;

// "1.6" as the resource's four numbers: 1, 6, 0, 0.
std::array<WORD, 4> VersionNumbers(const char* text) {
    std::array<unsigned, 4> parts{};
    std::sscanf(text, "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    return {static_cast<WORD>(parts[0]), static_cast<WORD>(parts[1]), static_cast<WORD>(parts[2]),
            static_cast<WORD>(parts[3])};
}

std::wstring PluginPath() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Kestrano.dll";
}

class VersionResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(PluginPath().c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version resource, error " << ::GetLastError();
        data_.resize(size);
        ASSERT_TRUE(::GetFileVersionInfoW(PluginPath().c_str(), 0, size, data_.data()));
    }

    template <typename T>
    const T* Query(const std::wstring& path, UINT* length = nullptr) {
        void* value = nullptr;
        UINT size = 0;
        if (!::VerQueryValueW(data_.data(), path.c_str(), &value, &size)) return nullptr;
        if (length) *length = size;
        return static_cast<const T*>(value);
    }

    std::optional<std::wstring> String(const wchar_t* block, const wchar_t* name) {
        UINT length = 0;
        const wchar_t* text = Query<wchar_t>(std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name, &length);
        if (!text) return std::nullopt;
        return std::wstring(text, wcsnlen(text, length));
    }

    std::vector<unsigned char> data_;
};

TEST_F(VersionResourceTest, FileAndProductVersionAreTheProjectVersion) {
    const auto* fixed = Query<VS_FIXEDFILEINFO>(L"\\");
    ASSERT_NE(fixed, nullptr);
    const auto numbers = VersionNumbers(kAnnouncedVersion);
    ASSERT_NE(numbers, (std::array<WORD, 4>{})) << kAnnouncedVersion;
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(numbers[1], numbers[0])));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(numbers[3], numbers[2])));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileFlags & VS_FF_DEBUG, 0u);
}

TEST_F(VersionResourceTest, OffersJapaneseFirstThenEnglish) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    UINT length = 0;
    const auto* translations = Query<Translation>(L"\\VarFileInfo\\Translation", &length);
    ASSERT_NE(translations, nullptr);
    ASSERT_EQ(length, 2 * sizeof(Translation));
    EXPECT_EQ(translations[0].language, 0x0411);
    EXPECT_EQ(translations[0].codePage, 932);
    EXPECT_EQ(translations[1].language, 0x0409);
    EXPECT_EQ(translations[1].codePage, 1200);
}

TEST_F(VersionResourceTest, JapaneseBlockNamesThePluginItsVendorAndWhatItDoes) {
    EXPECT_EQ(String(kJapaneseBlock, L"ProductName"), L"Kestrano");
    EXPECT_EQ(String(kJapaneseBlock, L"CompanyName"), L"Brenvolt");
    EXPECT_EQ(String(kJapaneseBlock, L"FileVersion"), FromAnsi(kAnnouncedVersion));
    EXPECT_EQ(String(kJapaneseBlock, L"ProductVersion"), FromAnsi(kAnnouncedVersion));
    EXPECT_EQ(String(kJapaneseBlock, L"OriginalFilename"), L"Kestrano.dll");
    EXPECT_EQ(String(kJapaneseBlock, L"FileDescription"), kDescription);
}

TEST_F(VersionResourceTest, EnglishBlockNamesTheSame) {
    EXPECT_EQ(String(kEnglishBlock, L"ProductName"), L"Kestrano");
    EXPECT_EQ(String(kEnglishBlock, L"CompanyName"), L"Brenvolt");
    EXPECT_EQ(String(kEnglishBlock, L"FileVersion"), FromAnsi(kAnnouncedVersion));
    EXPECT_EQ(String(kEnglishBlock, L"ProductVersion"), FromAnsi(kAnnouncedVersion));
    const auto description = String(kEnglishBlock, L"FileDescription");
    ASSERT_TRUE(description.has_value());
    EXPECT_NE(description->find(L"external editor"), std::wstring::npos) << ToUtf8(*description);
}

TEST_F(VersionResourceTest, SaysWhatThePluginTellsTheHost) {
    ASSERT_TRUE(LoadPlugin());
    const PluginDescription info = DescribePlugin();
    UnloadPlugin();
    EXPECT_EQ(info.version, kAnnouncedVersion);
    EXPECT_EQ(String(kJapaneseBlock, L"ProductName"), FromAnsi(info.name));
    EXPECT_EQ(String(kJapaneseBlock, L"CompanyName"), FromAnsi(info.vendor));
    EXPECT_EQ(String(kJapaneseBlock, L"FileVersion"), FromAnsi(info.version));
    EXPECT_EQ(String(kJapaneseBlock, L"FileDescription"), Decode(info.description, kJapaneseCodePage));
}

}  // namespace
