// What the driver's scenarios share: the PASS/FAIL lines, text helpers and
// screenshots.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ui_probe.h"

namespace driver {

using probe::Utf8;
using probe::Wide;

class Checks {
public:
    bool Expect(bool ok, const std::string& name, const std::string& detail = "") {
        std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                    detail.c_str());
        std::fflush(stdout);
        if (!ok) ++failures_;
        return ok;
    }
    bool Equal(const std::string& actual, const std::string& expected, const std::string& name) {
        return Expect(actual == expected, name,
                      actual == expected ? "\"" + actual + "\""
                                         : "got \"" + actual + "\", want \"" + expected + "\"");
    }
    bool Equal(long long actual, long long expected, const std::string& name) {
        return Expect(actual == expected, name,
                      actual == expected
                          ? std::to_string(actual)
                          : "got " + std::to_string(actual) + ", want " + std::to_string(expected));
    }
    int Failures() const { return failures_; }

private:
    int failures_ = 0;
};

inline std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

inline std::vector<std::string> Utf8All(const std::vector<std::wstring>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(Utf8(item));
    return out;
}

inline std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < 40; ++i) out += (i ? " | " : "") + items[i];
    if (items.size() > 40) out += " | ...";
    return out;
}

inline std::vector<HWND> ChildrenInOrder(HWND dialog) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        out.push_back(c);
    }
    return out;
}

// A screenshot, when the run asked for them (an empty path: none).
inline void Shot(Checks& checks, const std::wstring& path) {
    if (path.empty()) return;
    Sleep(400);  // let the last change paint
    checks.Expect(probe::SaveScreenshot(path), "screenshot " + Utf8(path));
}

}  // namespace driver
