// A host that loads the plug-in once per version string given on its command
// line, as VERSION=loaded or VERSION=refused, and says how each load went.
// Exit code 0 when every load went as expected.

#include <cstdio>
#include <cstring>
#include <string>

#include "devhost/host_state.h"
#include "devhost/plugin.h"
#include "devhost/user_registry.h"

int main(int argc, char** argv) {
    const devhost::ScratchUserRegistry registry;
    if (!registry) {
        std::fprintf(stderr, "could not redirect HKEY_CURRENT_USER to a scratch key\n");
        return 1;
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string expectation = argv[i];
        const size_t split = expectation.find('=');
        devhost::TheHost().version = expectation.substr(0, split);
        const bool loaded = devhost::LoadPlugin();
        devhost::UnloadPlugin();
        const std::string outcome = loaded ? "loaded" : "refused";
        const bool asExpected = split != std::string::npos && expectation.substr(split + 1) == outcome;
        std::printf("%s version \"%s\": %s\n", asExpected ? "ok  " : "FAIL", devhost::TheHost().version.c_str(),
                    outcome.c_str());
        failures += asExpected ? 0 : 1;
    }
    return failures == 0 && argc > 1 ? 0 : 1;
}
