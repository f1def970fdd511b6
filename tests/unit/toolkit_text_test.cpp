#include "window/toolkit_text.h"

#include <gtest/gtest.h>

namespace kalvex {
namespace {

TEST(ToolkitText, FolderOfModulePath) {
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"C:\\Program Files\\Kalvex\\kalvex.exe", "C:\\Program Files\\Kalvex"},
        {"C:\\kalvex.exe", "C:\\"},
        {"d:\\kalvex.exe", "d:\\"},
        {"\\\\server\\share\\kalvex.exe", "\\\\server\\share"},
        {"kalvex.exe", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderOfModulePath(c.path), c.folder) << c.path;
}

TEST(ToolkitText, ArgumentsOfCommandLine) {
    const struct {
        const char* line;
        const char* arguments;
    } cases[] = {
        {"kalvex.exe", ""},
        {"kalvex.exe /x", "/x"},
        {"kalvex.exe   a  b ", "a  b "},
        {"\"C:\\Program Files\\Kalvex\\kalvex.exe\" /s \"x y\"", "/s \"x y\""},
        {"\"C:\\Program Files\\Kalvex\\kalvex.exe\"", ""},
        {"\"C:\\a b\\kalvex.exe\"x", "x"},
        {"\"C:\\a b\\kalvex.exe\"x y", "x y"},
        {"\"C:\\a b\\kalvex.exe", ""},
        {"C:\\Kal\" \"vex\\kalvex.exe arg", "\"vex\\kalvex.exe arg"},
        {"  kalvex.exe\targ", "arg"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ArgumentsOfCommandLine(c.line), c.arguments) << c.line;
}

TEST(ToolkitText, MatchesFilePattern) {
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"mscomctl.ocx", "*.ocx", true},
        {"MSCOMCTL.OCX", "*.ocx", true},
        {".ocx", "*.ocx", true},
        {"a.b.ocx", "*.ocx", true},
        {"a.ocxx", "*.ocx", false},
        {"ocx", "*.ocx", false},
        {"a.ocx.bak", "*.ocx", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"anything", "*", true},
        {"", "*", true},
        {"", "?", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(ToolkitText, NormaliseListFolder) {
    const struct {
        const char* given;
        const char* reported;
    } cases[] = {
        {"C:\\Windows\\system32", "C:\\Windows\\system32"},
        {"C:\\Windows\\system32\\", "C:\\Windows\\system32"},
        {"C:\\", "C:\\"},
        {"C:", "C:\\"},
        {"\\\\server\\share\\", "\\\\server\\share"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormaliseListFolder(c.given), c.reported) << c.given;
}

}  // namespace
}  // namespace kalvex
