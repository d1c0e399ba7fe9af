// Every test program runs with HKEY_CURRENT_USER redirected to a scratch key
// of its own, made empty when the program starts and removed when it ends,
// failed tests or not: the tests write odd values into the mail client's
// settings key on purpose, and on a Windows machine with the mail client
// installed that key holds the user's own settings.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "devhost/user_registry.h"

namespace {

class ScratchRegistry : public ::testing::Environment {
public:
    void SetUp() override {
        if (devhost::RedirectUserRegistryToScratch()) return;
        // Never run against the user's real registry.
        std::fprintf(stderr, "could not redirect HKEY_CURRENT_USER to a scratch key; no test runs\n");
        std::exit(1);
    }
    void TearDown() override { devhost::EndUserRegistryRedirect(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new ScratchRegistry);

}  // namespace
