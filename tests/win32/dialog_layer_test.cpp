// The dialog layer: the message table's dispatch, the modal loop's endings,
// and the list box as the scan's folder lister.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/utf.h"
#include "platform/win32/dialog/dialog.h"
#include "platform/win32/dialog/list_box_lister.h"
#include "platform/win32/win32_directory_lister.h"
#include "win32_test_folder.h"

namespace torva {
namespace {

constexpr int kProbeTemplate = 1;
constexpr int kGoButton = 10;
constexpr int kProbeList = 20;

class ProbeDialog : public win::Dialog {
public:
    ProbeDialog() : win::Dialog(kProbeTemplate) {}
    std::function<void(ProbeDialog&)> whileOpen;
    std::vector<std::string> calls;

protected:
    BOOL OnInitDialog() override {
        win::Dialog::OnInitDialog();
        if (whileOpen) whileOpen(*this);
        return TRUE;
    }
    win::MessageTable Messages() const override;

private:
    void OnGo() { calls.push_back("go"); }
    void OnMouseMove(UINT, int x, int y) {
        calls.push_back("mouse " + std::to_string(x) + "," + std::to_string(y));
    }
    void OnSysCommand(UINT id, LPARAM) { calls.push_back("sys " + std::to_string(id)); }

    static const win::MessageEntry kMessages[];
};

const win::MessageEntry ProbeDialog::kMessages[] = {
    win::OnCommand<&ProbeDialog::OnGo>(BN_CLICKED, kGoButton),
    win::OnMessage<&ProbeDialog::OnMouseMove>(WM_MOUSEMOVE),
    win::OnMessage<&ProbeDialog::OnSysCommand>(WM_SYSCOMMAND),
};

win::MessageTable ProbeDialog::Messages() const { return win::TableOf(kMessages); }

TEST(DialogLayer, TableRowsMatchMessageCodeAndControl) {
    ProbeDialog dialog;
    dialog.whileOpen = [](ProbeDialog& d) {
        const HWND hwnd = d.Handle();
        const auto command = [&](int id, int code) {
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code),
                         reinterpret_cast<LPARAM>(GetDlgItem(hwnd, id)));
        };
        command(kGoButton, BN_CLICKED);
        command(kGoButton, BN_DOUBLECLICKED);                    // another code: no row
        command(kProbeList, BN_CLICKED);                         // another control: no row
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 7));  // signed coordinates
        SendMessageW(hwnd, WM_SYSCOMMAND, 0x0010, 0);
        d.EndDialog(42);
    };
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"go", "mouse -5,7", "sys 16"}));
}

TEST(DialogLayer, QuitRequestEndsTheLoopWithMinusOneAndIsPassedOn) {
    ProbeDialog dialog;
    dialog.whileOpen = [](ProbeDialog&) { PostQuitMessage(3); };
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

TEST(DialogLayer, ListBoxListsThePlainFilesOfTheCurrentFolder) {
    testing::Win32TempFolder folder;
    const std::vector<std::string> files = {
        "CON.w3x", "a.w3x", "a.w3x ", "a.w3x.", "notes", "토르바 ñ 🙂.w3x"};  // in byte order
    for (const std::string& name : files) folder.Write(name, "x");
    CreateDirectoryW(folder.Wide("sub").c_str(), nullptr);
    std::vector<std::string> names;
    ProbeDialog dialog;
    dialog.whileOpen = [&](ProbeDialog& d) {
        win::ListBox box;
        box.Attach(GetDlgItem(d.Handle(), kProbeList));
        win::ListBoxLister lister(box);
        EXPECT_EQ(lister.List(folder.Path() + "\\missing"), std::nullopt);
        names = lister.List(folder.Path()).value_or(std::vector<std::string>{});
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);

    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, files);
}

// The dialog shows the folder in the order its list box's own LB_DIR gives:
// pinned against the platform's LB_DIR, over names that byte order, a
// case-blind order and a word sort (blanks, hyphens, apostrophes, digits,
// Hangul, an ignorable soft hyphen) each put otherwise.
TEST(DialogLayer, TheListingKeepsTheOrderOfTheListBoxsOwnDirectoryListing) {
    testing::Win32TempFolder folder;
    const std::vector<std::string> files = {"TORVA_A32.w3x",
                                            "TORVA A32.w3x",
                                            "TORVA-A32.w3x",
                                            "TORVA'A32.w3x",
                                            "TORVAA32.w3x",
                                            "torva_a19fast.w3x",
                                            "TORVA_A19fast (1).w3x",
                                            "TORVA_A5.w3x",
                                            "TORVA_A10.w3x",
                                            "10.w3x",
                                            "9.w3x",
                                            "_x.w3x",
                                            "~x.w3x",
                                            "x.",
                                            "x ",
                                            "ab.w3x",
                                            "a\xC2\xAD"
                                            "b.w3x",
                                            "토르바 A05.w3x",
                                            "맵.w3x",
                                            "ñ.w3x",
                                            "🙂.w3x",
                                            "CON.w3x",
                                            "Zeta",
                                            "alpha"};
    for (const std::string& name : files) folder.Write(name, "x");
    std::vector<std::string> byDir, listed, shown;
    ProbeDialog dialog;
    dialog.whileOpen = [&](ProbeDialog& d) {
        win::ListBox box;
        box.Attach(GetDlgItem(d.Handle(), kProbeList));
        SetCurrentDirectoryW(Utf8ToWide(folder.Path()).c_str());
        box.Send(LB_DIR, DDL_READWRITE, reinterpret_cast<LPARAM>(L"*.*"));
        for (int i = 0; i < box.Count(); ++i) byDir.push_back(box.Text(i));
        box.ResetContent();

        win::ListBoxLister lister;
        lister.OrderAs(box);
        listed = lister.List(folder.Path()).value_or(std::vector<std::string>{});
        // Shown twice: the box holds the listing once, in its order, each
        // name as the folder gave it.
        box.AddString("left over");
        box.ReplaceItems(listed);
        box.ReplaceItems(listed);
        for (int i = 0; i < box.Count(); ++i) shown.push_back(box.Text(i));
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);

    EXPECT_EQ(byDir.size(), files.size());
    EXPECT_EQ(listed, byDir);
    EXPECT_EQ(shown, byDir);
}

// Names the box's comparison finds equal (here by case alone, which a Unix
// folder under Wine can hold) take the place its binary search meets first,
// not the place a stable sort would give them.
TEST(DialogLayer, EqualNamesTakeThePlaceTheListBoxsSearchGivesThem) {
    const struct {
        std::vector<std::wstring> names;
        std::vector<std::size_t> order;
    } kCases[] = {
        {{}, {}},
        {{L"b", L"a", L"c"}, {1, 0, 2}},
        {{L"b", L"a", L"B", L"c"}, {1, 2, 0, 3}},
        {{L"B", L"b", L"b"}, {1, 2, 0}},
        {{L"x", L"y", L"X", L"Y", L"x"}, {2, 4, 0, 3, 1}},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(win::ListBoxDirOrder(c.names, LOCALE_INVARIANT), c.order)
            << WideToUtf8(c.names.empty() ? L"" : c.names.front()) << " (" << c.names.size()
            << " names)";
    }
}

// The dialog and torvacheck.exe list by one rule, Windows' for LB_DIR with
// the mask 0: hidden and system files are left out (Wine's LB_DIR keeps
// them), read-only and archived ones are listed; so is no temporary file of
// an overwriting copy.
TEST(DialogLayer, TheListBoxAndTorvacheckListTheSameFiles) {
    testing::Win32TempFolder folder;
    const struct {
        const char* name;
        DWORD attributes;
    } kFiles[] = {
        {"archived.w3x", FILE_ATTRIBUTE_ARCHIVE},
        {"hidden.w3x", FILE_ATTRIBUTE_HIDDEN},
        {"plain.w3x", FILE_ATTRIBUTE_NORMAL},
        {"read-only.w3x", FILE_ATTRIBUTE_READONLY},
        {"system.w3x", FILE_ATTRIBUTE_SYSTEM},
        {"system-read-only.w3x", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
        // An overwriting copy's temporary file left by a run that died: no map.
        {"~torva-copy-4242-0.tmp", FILE_ATTRIBUTE_NORMAL},
        {"~torva-copy-notes.txt", FILE_ATTRIBUTE_NORMAL},
    };
    for (const auto& file : kFiles) {
        folder.Write(file.name, "x");
        ASSERT_TRUE(SetFileAttributesW(folder.Wide(file.name).c_str(), file.attributes));
    }
    const std::vector<std::string> expected = {"archived.w3x", "plain.w3x", "read-only.w3x",
                                               "~torva-copy-notes.txt"};

    std::vector<std::string> inListBox;
    ProbeDialog dialog;
    dialog.whileOpen = [&](ProbeDialog& d) {
        win::ListBox box;
        box.Attach(GetDlgItem(d.Handle(), kProbeList));
        win::ListBoxLister lister(box);
        inListBox = lister.List(folder.Path()).value_or(std::vector<std::string>{});
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);
    std::sort(inListBox.begin(), inListBox.end());
    EXPECT_EQ(inListBox, expected);

    Win32DirectoryLister cliLister;
    EXPECT_EQ(cliLister.List(folder.Path()), expected);
}

}  // namespace
}  // namespace torva
