// Every test program starts and ends with no settings key, as on a machine
// where the host never ran: the tests write odd values on purpose, and the
// demo, run later in the same prefix, must not inherit them.

#include <gtest/gtest.h>

#include "devhost/host_registry.h"

namespace {

class FreshSettings : public ::testing::Environment {
public:
    void SetUp() override { devhost::DeleteSettingsKey(); }
    void TearDown() override { devhost::DeleteSettingsKey(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new FreshSettings);

}  // namespace
