#include "devhost/settings_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>

#include <array>
#include <string>
#include <vector>

#include "devhost/host_registry.h"
#include "devhost/host_state.h"

namespace devhost {

namespace {

constexpr int kEditorPathLabel = 1474;
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;

struct Page {
    const wchar_t* title;
    const wchar_t* note;
};

constexpr std::array<Page, 5> kPages{{
    {L"基本", L"開発用ホストの基本設定です。"},
    {L"受信", L"受信の設定はありません。"},
    {L"送信", L"送信の設定はありません。"},
    {kEditorPageTitle, L"外部エディタ:"},
    {L"詳細", L"詳細な設定はありません。"},
}};

// A dialog template built in memory: the host carries no resource script.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* title, WORD controls) {
        AddDword(DS_SETFONT | DS_CONTROL | WS_CHILD | WS_CAPTION);
        AddDword(0);
        words_.push_back(controls);
        for (const WORD value : {0, 0, 220, 120}) words_.push_back(value);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        AddString(title);
        words_.push_back(9);
        AddString(L"MS UI Gothic");
    }

    void AddControl(WORD classAtom, WORD id, DWORD style, const wchar_t* text, RECT at) {
        if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
        AddDword(style | WS_CHILD | WS_VISIBLE);
        AddDword(0);
        for (const LONG value : {at.left, at.top, at.right, at.bottom}) words_.push_back(static_cast<WORD>(value));
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(classAtom);
        AddString(text);
        words_.push_back(0);  // no creation data
    }

    [[nodiscard]] const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void AddDword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void AddString(const wchar_t* text) {
        for (; *text; ++text) words_.push_back(static_cast<WORD>(*text));
        words_.push_back(0);
    }

    std::vector<WORD> words_;
};

std::vector<DialogTemplate>& Templates() {
    static std::vector<DialogTemplate> templates = [] {
        std::vector<DialogTemplate> built;
        for (const Page& page : kPages) {
            const bool editor = page.title == kEditorPageTitle;
            DialogTemplate& dialog = built.emplace_back(page.title, editor ? 3 : 1);
            dialog.AddControl(kStaticClass, 0xFFFF, SS_LEFT, page.note, {10, 10, 200, 12});
            if (editor) {
                dialog.AddControl(kStaticClass, kEditorPathLabel, SS_LEFT | SS_PATHELLIPSIS, L"", {10, 26, 200, 12});
                dialog.AddControl(kButtonClass, kChooseEditorButton, BS_PUSHBUTTON | WS_TABSTOP, L"参照(&B)...",
                                  {10, 44, 60, 14});
            }
        }
        return built;
    }();
    return templates;
}

void ShowEditorPath(HWND page) {
    const auto editor = ReadSettingRaw(L"ExtTextEditor");
    std::wstring path;
    if (editor && editor->type == REG_SZ) {
        path.assign(reinterpret_cast<const wchar_t*>(editor->bytes.data()), editor->bytes.size() / sizeof(wchar_t));
        path.resize(wcsnlen(path.c_str(), path.size()));
    }
    ::SetDlgItemTextW(page, kEditorPathLabel, path.empty() ? L"(未設定)" : path.c_str());
}

void ChooseEditor(HWND page) {
    std::array<wchar_t, MAX_PATH> file{};
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = page;
    open.lpstrFilter = L"プログラム (*.exe)\0*.exe\0すべてのファイル (*.*)\0*.*\0";
    open.lpstrFile = file.data();
    open.nMaxFile = static_cast<DWORD>(file.size());
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (::GetOpenFileNameW(&open)) {
        SetExternalEditor(file.data());
        ShowEditorPath(page);
    }
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            // The page window carries its title, as the mail client's pages do.
            const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
            ::SetWindowTextW(page, sheetPage->pszTitle);
            if (::GetDlgItem(page, kEditorPathLabel)) ShowEditorPath(page);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kChooseEditorButton && HIWORD(wParam) == BN_CLICKED) {
                ++TheHost().editorButtonClicks;
                if (TheHost().interactive) ChooseEditor(page);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// Wine's property sheet takes the focus, and with it the activation, before it
// sets its caption; the mail client's dialog has its title from the start,
// which the plug-in relies on when the main window's activation changes.
LRESULT CALLBACK TitleBeforeActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (window != TheHost().mainWindow && ::GetAncestor(window, GA_ROOT) == window) {
            ::SetWindowTextW(window, kSettingsDialogTitle);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

HWND OpenSettingsDialog(HWND owner) {
    Host& host = TheHost();
    if (host.settingsDialog && ::IsWindow(host.settingsDialog)) {
        ::SetActiveWindow(host.settingsDialog);
        return host.settingsDialog;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES;
    ::InitCommonControlsEx(&controls);
    std::vector<PROPSHEETPAGEW> pages;
    for (size_t i = 0; i < kPages.size(); ++i) {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        page.pResource = Templates()[i].get();
        page.pfnDlgProc = PageProc;
        const bool editor = kPages[i].title == kEditorPageTitle;
        page.pszTitle = editor && !host.editorPageTitle.empty() ? host.editorPageTitle.c_str() : kPages[i].title;
        pages.push_back(page);
    }
    PROPSHEETHEADERW sheet{};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
    sheet.hwndParent = owner;
    sheet.pszCaption = kSettingsDialogTitle;
    sheet.nPages = static_cast<UINT>(pages.size());
    sheet.ppsp = pages.data();
    const HHOOK hook = ::SetWindowsHookExW(WH_CBT, TitleBeforeActivation, nullptr, ::GetCurrentThreadId());
    host.settingsDialog = reinterpret_cast<HWND>(::PropertySheetW(&sheet));
    if (hook) ::UnhookWindowsHookEx(hook);
    return host.settingsDialog;
}

void CloseSettingsDialog() {
    Host& host = TheHost();
    if (host.settingsDialog && ::IsWindow(host.settingsDialog)) ::DestroyWindow(host.settingsDialog);
    host.settingsDialog = nullptr;
}

bool IsSettingsDialogMessage(MSG* message) {
    const HWND dialog = TheHost().settingsDialog;
    if (!dialog || !::IsWindow(dialog)) return false;
    if (!PropSheet_IsDialogMessage(dialog, message)) return false;
    // OK or Cancel ends a modeless sheet by leaving it without a page.
    if (!PropSheet_GetCurrentPageHwnd(dialog)) CloseSettingsDialog();
    return true;
}

int SettingsDialogPage() {
    const HWND dialog = TheHost().settingsDialog;
    if (!dialog || !::IsWindow(dialog)) return -1;
    return static_cast<int>(
        ::SendMessageW(dialog, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(PropSheet_GetCurrentPageHwnd(dialog)), 0));
}

}  // namespace devhost
