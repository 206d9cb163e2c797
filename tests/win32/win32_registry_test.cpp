// The Win32 registry adapter over the real registry: a value's bytes as the
// locator takes them, whatever its type, length or terminating NUL.
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/utf.h"

namespace torva {
namespace {

const wchar_t* const kTestKey = L"Software\\TorvaMapChecker unit tests";

class Win32Registries : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    void Set(DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(
            RegSetValueExW(key, L"InstallPath", 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
    }
    // Text stored without its NUL: RegSetValueExW under Wine would add one.
    void SetWithoutNul(const std::wstring& text) {
        struct CountedText {
            USHORT length, maximumLength;
            PWSTR buffer;
        };
        using SetValue = LONG(WINAPI*)(HANDLE, CountedText*, ULONG, ULONG, const void*, ULONG);
        const auto setValue = reinterpret_cast<SetValue>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey")));
        ASSERT_NE(setValue, nullptr);
        std::wstring name = L"InstallPath";
        CountedText counted{static_cast<USHORT>(name.size() * 2),
                            static_cast<USHORT>(name.size() * 2), name.data()};
        ASSERT_EQ(
            setValue(key, &counted, 0, REG_SZ, text.data(), static_cast<ULONG>(text.size() * 2)),
            0);
    }
    RegistryValue Read() {
        Win32Registry registry;
        EXPECT_TRUE(registry.OpenKey("Software\\TorvaMapChecker unit tests").Ok());
        return registry.ReadValue("InstallPath");
    }
    static std::vector<std::uint8_t> Bytes(const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }

    HKEY key = nullptr;
};

TEST_F(Win32Registries, TextIsUtf8WithOneNul) {
    const std::wstring text = L"C:\\게임\\Warcraft III";
    Set(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    EXPECT_EQ(Read().bytes, Bytes(std::string("C:\\게임\\Warcraft III") + '\0'));
    Set(REG_EXPAND_SZ, L"%GAMES%\\W", 20);
    EXPECT_EQ(Read().bytes, Bytes(std::string("%GAMES%\\W") + '\0'));
}

TEST_F(Win32Registries, TextWithoutItsNulGetsOne) {
    SetWithoutNul(L"E:\\WC3");
    EXPECT_EQ(Read().bytes, Bytes(std::string("E:\\WC3") + '\0'));
}

TEST_F(Win32Registries, OtherTypesAsStored) {
    const DWORD number = 0x005C3A5A;  // the bytes of "Z:\"
    Set(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Read().bytes, Bytes(std::string("Z:\\") + '\0'));
    Set(REG_BINARY, "D:\\W", 4);
    EXPECT_EQ(Read().bytes, Bytes("D:\\W"));
}

TEST_F(Win32Registries, LongValuesAreReadWhole) {
    const std::wstring text(3000, L'p');
    Set(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    const RegistryValue value = Read();
    EXPECT_TRUE(value.status.Ok());
    EXPECT_EQ(value.bytes.size(), 3001u);
}

TEST_F(Win32Registries, MissingKeyAndValueAreNotFound) {
    Win32Registry registry;
    EXPECT_EQ(registry.OpenKey("Software\\TorvaMapChecker unit tests\\none").code, 2);
    EXPECT_EQ(registry.ReadValue("InstallPath").status.code, ERROR_INVALID_HANDLE);
    ASSERT_TRUE(registry.OpenKey("Software\\TorvaMapChecker unit tests").Ok());
    EXPECT_EQ(registry.ReadValue("InstallPath").status.kind, Failure::NotFound);
}

// The machine's key in the view asked for, whichever size the program is:
// the 32-bit view is not the 64-bit one.
TEST(Win32MachineRegistry, EachViewReadsItsOwnKey) {
    const struct {
        REGSAM view;
        RegistryHive hive;
        const char* text;
    } kViews[] = {{KEY_WOW64_32KEY, RegistryHive::Machine32, "C:\\32"},
                  {KEY_WOW64_64KEY, RegistryHive::Machine64, "D:\\64"}};
    for (const auto& v : kViews) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0,
                                  KEY_ALL_ACCESS | v.view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring text = Utf8ToWide(v.text);
        RegSetValueExW(key, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    for (const auto& v : kViews) {
        Win32Registry registry(v.hive);
        ASSERT_TRUE(registry.OpenKey("Software\\TorvaMapChecker unit tests").Ok());
        const RegistryValue value = registry.ReadValue("InstallPath");
        EXPECT_EQ(std::string(value.bytes.begin(), value.bytes.end()), std::string(v.text) + '\0');
    }
    for (const auto& v : kViews) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kTestKey, v.view, 0);
}

}  // namespace
}  // namespace torva
