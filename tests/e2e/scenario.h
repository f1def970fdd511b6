// What the end-to-end tests share beyond the driver: expectations that wait for the program, the
// texts it shows, and the files and registry entries the tests look at.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "driver.h"

namespace kalvex {
// Failures name a control by its number.
inline void PrintTo(ControlId id, std::ostream* out) { *out << ToInt(id); }
}  // namespace kalvex

namespace e2e {

using namespace driver;
using C = ControlId;

inline const std::string kCompleted = "Process completed";
inline const std::string kNoEntry = "Process failed in obtaining entry point or creating thread.";
inline const std::string kDenied = "Process failed with error code 0x80070005.";
inline const std::string kNotLoaded = "Failure loading control DLL";
// Screens in confirmation mode: kvx_good's version block (copies of it included), and none.
inline const std::string kVersion =
    "confirmation [Company Name:  Kalvex Test Components\r\nProduct Version:  2.5.0.1] please verify";
inline const std::string kNoVersion = "confirmation [(No Product Version available for this file)]";
inline const std::string kExited = "exit code 0";

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
// mscomctl.ocx in the 32-bit system folder, as the program proposes it.
inline std::string Proposal() {
    return g_situation.windows64 ? "c:\\windows\\syswow64\\mscomctl.ocx" : "c:\\windows\\system32\\mscomctl.ocx";
}
inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline void Place(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
inline std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names matching `pattern`, in upper case, sorted.
inline std::vector<std::string> Listing(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found))
        names.push_back(Upper(found.cFileName));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// A text value in the registry read as UTF-16, in UTF-8; "" when it is not there. `value` null
// stands for the key's default value.
inline std::string RegText(HKEY root, const std::string& key, const char* value = nullptr) {
    wchar_t text[1024] = {};
    DWORD size = sizeof(text);
    const LSTATUS status = ::RegGetValueW(root, Utf16(key).c_str(), value != nullptr ? Utf16(value).c_str() : nullptr,
                                          RRF_RT_REG_SZ, nullptr, text, &size);
    return status == ERROR_SUCCESS ? Utf8(text) : "";
}

// regsvr32 of the driver's bitness from the system folder, with `options` ("/s", "/u /s") on
// `path`: "exit code" and its code, or how it failed; `ms` gets the time from start to end.
inline std::string Regsvr32(const std::string& options, const std::string& path, DWORD* ms = nullptr) {
    Process regsvr32;
    const DWORD start = ::GetTickCount();
    if (!regsvr32.Start("\"" + g_situation.systemDir + "\\regsvr32.exe\" " + options + " \"" + path + "\""))
        return "regsvr32 did not start";
    const DWORD code = regsvr32.ExitCode(15000);
    if (ms != nullptr) *ms = ::GetTickCount() - start;
    return code == STILL_ACTIVE ? "regsvr32 still runs after 15 s" : "exit code " + std::to_string(code);
}

// What kvx_com and kvx_helped have registered, as "name=value" words (paths in upper case); ""
// for nothing.
inline std::string Registered() {
    const std::string clsid = "Software\\Classes\\CLSID\\", category = "{5A71E0C3-9B24-4D86-A15F-3C8E27D064B9}";
    const std::string com = "{8D0C52A4-3E61-4B9F-8C2A-61F0D4E7B935}";
    const std::string helped = clsid + "{2F6B8E17-C4D0-4A53-9E71-B8A3D2C5F064}\\InprocServer32";
    std::string seen;
    const auto read = [&](const char* word, HKEY root, const std::string& key, const char* value = nullptr) {
        const std::string text = RegText(root, key, value);
        if (!text.empty()) seen += (seen.empty() ? "" : " ") + std::string(word) + "=" + Upper(text);
    };
    read("category", HKEY_CLASSES_ROOT, "Component Categories\\" + category, "409");
    HKEY implements = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + com + "\\Implemented Categories\\" + category).c_str(), 0,
                        KEY_READ, &implements) == ERROR_SUCCESS) {
        seen += seen.empty() ? "implements" : " implements";
        ::RegCloseKey(implements);
    }
    read("com", HKEY_CURRENT_USER, clsid + com + "\\InprocServer32");
    read("helped", HKEY_CURRENT_USER, helped);
    read("helper", HKEY_CURRENT_USER, helped, "Helper");
    return seen;
}

// The server path kvx_good's class has (its copies register the same class), in upper case; ""
// when it is not registered. The driver sees the registry as the program does.
inline std::string GoodServer() {
    return Upper(
        RegText(HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\{4B9E2C61-7D3A-4F15-9A8E-2C6D0B5F7E13}\\InprocServer32"));
}

}  // namespace e2e

// EXPECT_EQ for what the program does in its own time: `actual` is asked again until it equals
// `expected` or 5 s have passed.
#define EXPECT_SOON(actual, expected) EXPECT_EQ(e2e::Soon([&] { return actual; }, expected), expected)
