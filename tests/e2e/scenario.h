// What the end-to-end tests share beyond the driver: expectations that wait for the program, the
// texts it shows, and the files and registry entries the tests look at.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include "driver.h"

namespace kalvex {
// Failures name a control by its number.
inline void PrintTo(ControlId id, std::ostream* out) { *out << ToInt(id); }
}  // namespace kalvex

namespace e2e {

using namespace driver;
using C = ControlId;

inline const std::string kCompleted = "Process completed";
// Screens in confirmation mode: kvx_good's version block (copies of it included), and none.
inline const std::string kVersion =
    "confirmation [Company Name:  Kalvex Test Components\r\nProduct Version:  2.5.0.1] please verify";
inline const std::string kNoVersion = "confirmation [(No Product Version available for this file)]";
inline const std::string kExited = "exit code 0";
inline const std::string kClasses = "Software\\Classes\\CLSID\\";

// Asks `seen` for up to 5 s until it gives `want`; what it gives then.
template <typename Seen, typename Want>
auto Soon(const Seen& seen, const Want& want) {
    WaitFor([&] { return seen() == want; }, 5000);
    return seen();
}

// Every control in place, and the window's title, frame and client size (layout_test.cpp).
void ExpectLayout(const Kalvex& app);

inline std::string Upper(std::string text) { return ::CharUpperA(&text[0]) != nullptr ? text : ""; }
inline std::string Component(const std::string& name) { return g_situation.exeDir + "\\" + name; }
// The 32-bit system folder, as the program names it.
inline std::string System32() { return g_situation.windows64 ? "C:\\Windows\\SysWOW64" : "C:\\Windows\\System32"; }
inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline void Place(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
inline std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A text value under HKCU read as UTF-16, in UTF-8; "" when it is not there. `value` null stands
// for the key's default value. The driver sees the registry as the program does.
inline std::string RegText(const std::string& key, const char* value = nullptr) {
    wchar_t text[1024] = {};
    DWORD size = sizeof(text);
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, W(Wide(key)), value != nullptr ? W(Wide(value)) : nullptr,
                                          RRF_RT_REG_SZ, nullptr, text, &size);
    return status == ERROR_SUCCESS ? Utf8(text, ::lstrlenW(text)) : "";
}
// The server path, in upper case, that the class `clsid` has under HKCU (or its value `value`).
inline std::string Server(const std::string& clsid, const char* value = nullptr) {
    return Upper(RegText(kClasses + clsid + "\\InprocServer32", value));
}
// kvx_good's (its copies register the same class).
inline std::string GoodServer() { return Server("{4B9E2C61-7D3A-4F15-9A8E-2C6D0B5F7E13}"); }

// An outcome's box: its first paragraph (the outcome as it always was), all that follows the empty
// line after it (the explanation), and its last paragraph (where an offer stands).
struct Told {
    std::string first;
    std::string rest;
    std::string last;
};

inline Told Split(const std::string& box) {
    const std::size_t at = box.find("\r\n\r\n");
    if (at == std::string::npos) return {box, "", ""};
    return {box.substr(0, at), box.substr(at + 4), box.substr(box.rfind("\r\n\r\n") + 4)};
}

// `button` confirmed for `path` and proceeded: the box that follows the notice, answered with
// `answer` (it must offer that button).
inline std::string Answered(Kalvex& app, ControlId button, const std::string& path, int answer) {
    const std::string screen = app.Confirm(button, path);
    if (screen.rfind("confirmation", 0) != 0) return "no confirmation: " + screen;
    app.Click(ControlId::cmdProceed);
    const std::string notice = app.Answer();
    return notice == "WWW" ? app.Choose(answer) : "\"" + notice + "\" instead of WWW";
}

// Registers (or unregisters) `path` with regsvr32 /s of the driver's bitness, in the same Windows:
// kCompleted for its exit code 0, as the program tells it; `ms` gets how long it took.
inline std::string Regsvr32(bool registers, const std::string& path, DWORD& ms) {
    Process regsvr32;
    const DWORD start = ::GetTickCount();
    regsvr32.Start("\"" + g_situation.systemDir + "\\regsvr32.exe\" " + (registers ? "/s \"" : "/u /s \"") + path +
                   "\"");
    const DWORD code = regsvr32.ExitCode(15000);
    ms = ::GetTickCount() - start;
    return code == 0 ? kCompleted : "regsvr32 exit code " + std::to_string(code);
}

}  // namespace e2e

// EXPECT_EQ for what the program does in its own time: `actual` is asked again until it equals
// `expected` or 5 s have passed.
#define EXPECT_SOON(actual, expected) EXPECT_EQ(e2e::Soon([&] { return actual; }, expected), expected)
