// The length table as a test, compiled into the native and the Win32 unit
// tests alike: include once, inside no namespace.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/code_page_949.h"
#include "tests/support/code_page_949_cases.h"

namespace torva::testing {

class CodePage949 : public ::testing::TestWithParam<CodePage949Case> {};

TEST_P(CodePage949, CountsAlikeOnEveryPlatform) {
    EXPECT_EQ(CodePage949Length(GetParam().text), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(Texts, CodePage949, ::testing::ValuesIn(kCodePage949Cases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace torva::testing
