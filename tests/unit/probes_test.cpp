#include "probes/probes.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace kalvex::testing {
namespace {

TEST(Is64, ArchitectureCodes) {
    const struct {
        std::uint16_t code;
        VbBool expected;
    } cases[] = {{0, kFalse}, {9, kTrue}, {6, kTrue}, {5, kFalse}, {12, kFalse}, {0xFFFF, kFalse}};
    for (const auto& c : cases) {
        FakeSystem system;
        system.architecture = c.code;
        EXPECT_EQ(Is64(system), c.expected) << "architecture " << c.code;
    }
}

TEST(SystemPath, CutAtTheFirstNul) {
    const struct {
        const char* name;
        std::string written;
        std::uint32_t result;
        std::string expected;
    } cases[] = {
        {"plain", std::string("C:\\Windows\\system32", 19), 19, "C:\\Windows\\system32"},
        {"garbage_after_nul", std::string("C:\\WINNT\\system32\0junk", 22), 17, "C:\\WINNT\\system32"},
        {"count_is_not_used", std::string("D:\\Win\\sys", 10), 3, "D:\\Win\\sys"},
        {"failure", std::string("C:\\partial", 10), 0, ""},
        {"nonzero_but_nothing_written", std::string(), 300, ""},
        {"full_buffer_without_nul", std::string(260, 'x'), 260, std::string(260, 'x')},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.systemDirectoryBytes = c.written;
        system.systemDirectoryResult = c.result;
        const std::string path = SystemPath(system);
        EXPECT_EQ(path, c.expected) << c.name;
        EXPECT_EQ(path.find('\0'), std::string::npos) << c.name;
        EXPECT_EQ(system.lastBufferSize, 260u) << c.name;
    }
}

TEST(Probes, ErrorsGoToTheCaller) {
    FakeSystem system;
    system.architectureFails = true;
    system.systemDirectoryFails = true;
    EXPECT_THROW(Is64(system), Error);
    EXPECT_THROW(SystemPath(system), Error);
}

TEST(FileIsThere, Cases) {
    const std::string readable = "C:\\Windows\\system32\\a.ocx";
    const struct {
        const char* name;
        std::string spec;
        bool failing;
        VbBool expected;
        bool asksSystem;
    } cases[] = {
        {"readable", readable, false, kTrue, true},
        {"missing", "C:\\nothing.ocx", false, kFalse, true},
        {"empty", "", false, kFalse, false},
        {"spaces_are_kept", " " + readable + " ", false, kFalse, true},
        {"nul_inside", readable + std::string(1, '\0') + ".txt", false, kFalse, false},
        {"open_raises", readable, true, kFalse, true},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.readableFiles.insert(readable);
        system.openFails = c.failing;
        EXPECT_EQ(FileIsThere(system, c.spec), c.expected) << c.name;
        if (c.asksSystem) {
            EXPECT_EQ(system.openQueries, std::vector<std::string>{c.spec}) << c.name;
        } else {
            EXPECT_TRUE(system.openQueries.empty()) << c.name;
        }
    }
}

}  // namespace
}  // namespace kalvex::testing
