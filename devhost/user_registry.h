#pragma once
// Our programs are guests on the machine that runs them. On a Windows machine
// with the mail client installed, HKEY_CURRENT_USER\Software\RimArts\B2\Settings
// holds the user's own settings; the development host and the tests write odd
// values there on purpose. So every program of ours but the plug-in points
// HKEY_CURRENT_USER, for its whole process, at a key of its own before it
// touches the registry. The plug-in does not know: its RegOpenKeyExA on
// HKEY_CURRENT_USER lands in that key like every other call in the process.

#include <string>

namespace devhost {

// Names every scratch key, so that a leftover says what it is:
// HKEY_CURRENT_USER\Software\Kestrano scratch (open_test.exe, process 1234).
inline constexpr wchar_t kScratchKeyPrefix[] = L"Kestrano scratch (";
// The interactive development host's own settings, kept between runs so that
// a person's choice of editor persists.
inline constexpr wchar_t kDevelopmentHostKeyPath[] = L"Software\\Kestrano development host";

// Redirects HKEY_CURRENT_USER to a new, empty scratch key named after this
// program and process, after removing the scratch keys of processes that no
// longer run (a crashed run's). False, with nothing redirected, when the key
// cannot be made: the caller must then not go on.
bool RedirectUserRegistryToScratch();

// Redirects HKEY_CURRENT_USER to keyPath under the real HKEY_CURRENT_USER,
// made if absent and kept when the program ends.
bool RedirectUserRegistryTo(const wchar_t* keyPath);

// Gives the process the real HKEY_CURRENT_USER back and removes the scratch
// key, if RedirectUserRegistryToScratch made one.
void EndUserRegistryRedirect();

// The path of the key HKEY_CURRENT_USER stands for now, under the real
// HKEY_CURRENT_USER; empty while not redirected.
const std::wstring& UserRegistryRedirectPath();

// For a program's main: redirects to a scratch key for its lifetime.
class ScratchUserRegistry {
public:
    ScratchUserRegistry() : redirected_(RedirectUserRegistryToScratch()) {}
    ScratchUserRegistry(const ScratchUserRegistry&) = delete;
    ScratchUserRegistry& operator=(const ScratchUserRegistry&) = delete;
    ~ScratchUserRegistry() { EndUserRegistryRedirect(); }
    explicit operator bool() const { return redirected_; }

private:
    bool redirected_;
};

}  // namespace devhost
