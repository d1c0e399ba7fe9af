#include "host/host_api.h"

namespace kestrano {

constinit HostApi hostApi{};

namespace {

template <typename Entry>
bool Resolve(HMODULE host, LPCSTR name, Entry& entry) noexcept {
    // Through the generic function pointer type: GetProcAddress knows no signatures.
    using AnyFunction = void (*)();
    entry = reinterpret_cast<Entry>(reinterpret_cast<AnyFunction>(::GetProcAddress(host, name)));
    return entry != nullptr;
}

// Lookups in the host's documented order; the first missing one stops binding.
bool ResolveRequired(HMODULE host, HostApi& api) noexcept {
    return Resolve(host, "BKA_GetVersion", api.GetVersion) && Resolve(host, "BKA_Command", api.Command) &&
           Resolve(host, "BKA_GetWindowHandles", api.GetWindowHandles) &&
           Resolve(host, "BKA_RegisterCommand", api.RegisterCommand) &&
           Resolve(host, "BKA_RegisterUICallback", api.RegisterUICallback) &&
           Resolve(host, "BKA_GetDataFolder", api.GetDataFolder) &&
           Resolve(host, "BKA_GetTempFolder", api.GetTempFolder) &&
           Resolve(host, "BKA_GetTempFileName", api.GetTempFileName) &&
           Resolve(host, "BKA_GetCurrentMailBox", api.GetCurrentMailBox) &&
           Resolve(host, "BKA_SetCurrentMailBox", api.SetCurrentMailBox) &&
           Resolve(host, "BKA_GetCurrentFolder", api.GetCurrentFolder) &&
           Resolve(host, "BKA_SetCurrentFolder", api.SetCurrentFolder) &&
           Resolve(host, "BKA_GetFolderDisplayName", api.GetFolderDisplayName) &&
           Resolve(host, "BKA_SetMessageText", api.SetMessageText) &&
           Resolve(host, "BKA_GetCurrentMail", api.GetCurrentMail) &&
           Resolve(host, "BKA_SetCurrentMail", api.SetCurrentMail) &&
           Resolve(host, "BKA_GetNextMail", api.GetNextMail) && Resolve(host, "BKA_SetSel", api.SetSel) &&
           Resolve(host, "BKA_AppendMessage", api.AppendMessage) &&
           Resolve(host, "BKA_MoveSelectedMessages", api.MoveSelectedMessages) &&
           Resolve(host, "BKA_GetStatus", api.GetStatus) && Resolve(host, "BKA_ComposeMail", api.ComposeMail) &&
           Resolve(host, "BKA_GetCharSet", api.GetCharSet) && Resolve(host, "BKA_GetSource", api.GetSource) &&
           Resolve(host, "BKA_SetSource", api.SetSource) && Resolve(host, "BKA_GetHeader", api.GetHeader) &&
           Resolve(host, "BKA_GetText", api.GetText) && Resolve(host, "BKA_SetText", api.SetText) &&
           Resolve(host, "BKA_GetSpecifiedHeader", api.GetSpecifiedHeader) &&
           Resolve(host, "BKA_SetSpecifiedHeader", api.SetSpecifiedHeader) &&
           Resolve(host, "BKA_CompGetCharSet", api.CompGetCharSet) &&
           Resolve(host, "BKA_CompGetSource", api.CompGetSource) &&
           Resolve(host, "BKA_CompSetSource", api.CompSetSource) &&
           Resolve(host, "BKA_CompGetHeader", api.CompGetHeader) &&
           Resolve(host, "BKA_CompGetSpecifiedHeader", api.CompGetSpecifiedHeader) &&
           Resolve(host, "BKA_CompSetSpecifiedHeader", api.CompSetSpecifiedHeader) &&
           Resolve(host, "BKA_CompGetText", api.CompGetText) && Resolve(host, "BKA_CompSetText", api.CompSetText) &&
           Resolve(host, "BKA_CompAttachFile", api.CompAttachFile) && Resolve(host, "BKA_Alloc", api.Alloc) &&
           Resolve(host, "BKA_ReAlloc", api.ReAlloc) && Resolve(host, "BKA_Free", api.Free) &&
           Resolve(host, "BKA_ISO_2022_JP", api.ISO_2022_JP) && Resolve(host, "BKA_ISO_2022_KR", api.ISO_2022_KR) &&
           Resolve(host, "BKA_HZ_GB2312", api.HZ_GB2312) && Resolve(host, "BKA_ISO_8859_2", api.ISO_8859_2) &&
           Resolve(host, "BKA_EUC_JP", api.EUC_JP) && Resolve(host, "BKA_UTF_7", api.UTF_7) &&
           Resolve(host, "BKA_UTF_8", api.UTF_8) && Resolve(host, "BKA_B64Convert", api.B64Convert) &&
           Resolve(host, "BKA_QPConvert", api.QPConvert) && Resolve(host, "BKA_MIMEHeader", api.MIMEHeader) &&
           Resolve(host, "BKA_SerializeRcpts", api.SerializeRcpts) && Resolve(host, "BKA_Connect", api.Connect);
}

// Entry points that older hosts lack; stored whatever the lookup gives.
void ResolveOptional(HMODULE host, HostApi& api) noexcept {
    Resolve(host, "BKA_SetStatus", api.SetStatus);
    Resolve(host, "BKA_NextUnread", api.NextUnread);
    Resolve(host, "BKA_ProcessMail", api.ProcessMail);
    Resolve(host, "BKA_GetSize", api.GetSize);
}

// Hosts before 2.00.06 predate BKA_SetStatus; from that version on, the
// interface this plug-in was written for includes it. Version strings are
// compared as the host's own plug-ins always have: locale-aware, and only
// when short enough to be of the "2.00.06" form.
bool PassesVersionGate(const HostApi& api) noexcept {
    const LPCSTR version = api.GetVersion();
    // cppcheck-suppress lstrlenACalled ; the DLL has no C runtime: KERNEL32's is its strlen
    const bool older = ::lstrlenA(version) <= 7 && ::lstrcmpA(version, kFirstVersionWithSetStatus) < 0;
    return older || api.SetStatus != nullptr;
}

}  // namespace

bool BindHostApi() noexcept {
    if (hostApi.module) return true;
    const HMODULE host = ::GetModuleHandleA(nullptr);
    if (!host) return false;
    if (!ResolveRequired(host, hostApi)) return false;
    ResolveOptional(host, hostApi);
    if (!PassesVersionGate(hostApi)) return false;
    hostApi.module = host;
    return true;
}

}  // namespace kestrano
