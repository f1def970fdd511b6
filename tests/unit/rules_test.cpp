// The file probe and the plain text and pixel rules.
#include "fake.h"
#include "probes/probes.h"
#include "window/toolkit_text.h"

namespace kalvex::testing {
namespace {

TEST(Probes, FileIsThereAsksForTheNameAsGiven) {
    Fake f;
    f.files = {"a"};
    struct Case {
        std::string name;
        VbBool there;
        std::string asked;  // what reached the system
    };
    const Case cases[] = {{"", kFalse, ""},
                          {std::string("a\0b", 3), kFalse, ""},
                          {" a ", kFalse, "can open  a "},
                          {"a", kTrue, "can open a"}};
    for (const Case& c : cases) {
        EXPECT_EQ(FileIsThere(f, c.name), c.there) << c.asked;
        EXPECT_EQ(f.Take(), c.asked);
    }
    f.fails = {"can"};
    EXPECT_EQ(FileIsThere(f, "a"), kFalse);
}

TEST(Probes, ComponentsAreLoadedByTheNameTheCheckResolved) {
    struct Case {
        std::string given, loaded;
    };
    const Case cases[] = {{"kvx.ocx", "C:\\D\\kvx.ocx"},
                          {"C:\\x\\twin", "C:\\x\\twin."},      // the loader would look for twin.dll
                          {"C:\\x\\twin.", "C:\\x\\twin."},     // already says "no extension"
                          {"C:\\x.d\\twin", "C:\\x.d\\twin."},  // a dot in a folder's name is no extension
                          {"C:/x.d/twin", "C:/x.d/twin."},      // nor with forward slashes
                          {"C:\\x\\.ocx", "C:\\x\\.ocx"},       // all extension
                          {"C:\\x\\", "C:\\x\\"}};              // no name: nothing to add
    for (const Case& c : cases) {
        Fake f;
        EXPECT_EQ(ComponentPath(f, c.given), c.loaded) << c.given;
    }
}

TEST(ToolkitText, CommandLinesFoldersAndPatterns) {
    struct Case {
        std::string (*rule)(const std::string&);
        const char* given;
        const char* wanted;
    };
    const Case cases[] = {{ArgumentsOfCommandLine, "\"C:\\a b\\kalvex.exe\"x y", "x y"},
                          {ArgumentsOfCommandLine, "\"C:\\a b\\kalvex.exe\" /s \"x\"", "/s \"x\""},
                          {ArgumentsOfCommandLine, "kalvex.exe   a  b ", "a  b "},
                          {ArgumentsOfCommandLine, "\"C:\\a b\\kalvex.exe x", ""},
                          {ArgumentsOfCommandLine, " \tkalvex.exe\targ", "arg"},
                          {FolderOfModulePath, "C:\\kalvex.exe", "C:\\"},
                          {FolderOfModulePath, "\\\\server\\share\\kalvex.exe", "\\\\server\\share"},
                          {NormaliseListFolder, "C:\\Windows\\", "C:\\Windows"},
                          {NormaliseListFolder, "C:\\", "C:\\"},
                          {NormaliseListFolder, "C:", "C:\\"}};
    for (const Case& c : cases) EXPECT_EQ(c.rule(c.given), c.wanted) << c.given;
    EXPECT_TRUE(MatchesFilePattern("MSCOMCTL.OCX", "*.ocx"));
    EXPECT_TRUE(MatchesFilePattern(".ocx", "*.ocx"));
    EXPECT_FALSE(MatchesFilePattern("a.ocx.bak", "*.ocx"));
    EXPECT_TRUE(MatchesFilePattern("abc", "a?c"));
    EXPECT_FALSE(MatchesFilePattern("ac", "a?c"));
}

}  // namespace
}  // namespace kalvex::testing
