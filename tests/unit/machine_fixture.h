#pragma once

#include <gtest/gtest.h>

#include "platform_double.h"

// Every test starts on a fresh fake machine with unopened console streams.
struct MachineTest : testing::Test {
    void SetUp() override { fake::Reset(); }
    void TearDown() override { fake::Reset(); }
};
