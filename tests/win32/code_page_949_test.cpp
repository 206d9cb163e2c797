// The same lengths as natively (iconv), here from WideCharToMultiByte(949):
// the program and torvacheck on Linux measure every limit alike.
#include "base/code_page_949.h"

#include <gtest/gtest.h>

#include "platform/win32/dialog/file_dialog.h"
#include "tests/support/code_page_949_cases.h"
#include "tests/support/code_page_949_length_test.h"

namespace torva {
namespace {

using testing::Repeated;

struct FieldCase {
    const char* name;
    std::string path;
    std::string fileName;
    bool fits;
};

class OpenFileFields : public ::testing::TestWithParam<FieldCase> {};

// The dialog's 260-byte path and 64-byte name, in code page 949 bytes.
TEST_P(OpenFileFields, HoldCodePageBytes) {
    EXPECT_EQ(win::FitsOpenFileFields(GetParam().path, GetParam().fileName), GetParam().fits);
}

const std::string kDir = "C:\\maps\\";

INSTANTIATE_TEST_SUITE_P(
    Limits, OpenFileFields,
    ::testing::Values(
        // 30 syllables are 60 bytes (90 in UTF-8).
        FieldCase{"Name63", kDir + Repeated("맵", 30) + ".w3", Repeated("맵", 30) + ".w3", true},
        FieldCase{"Name64", kDir + Repeated("맵", 30) + ".w3x", Repeated("맵", 30) + ".w3x", false},
        FieldCase{"Path259", "C:\\" + Repeated("폴", 124) + "\\abc.w3x", "abc.w3x", true},
        FieldCase{"Path260", "C:\\" + Repeated("폴", 124) + "\\abcd.w3x", "abcd.w3x", false},
        FieldCase{"ThaiName63", kDir + Repeated("ไ", 21), Repeated("ไ", 21), true},
        FieldCase{"ThaiName64", kDir + Repeated("ไ", 21) + "a", Repeated("ไ", 21) + "a", false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace torva
