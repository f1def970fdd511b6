// The file test, the component's name, and the plain text rules.
#include "fake.h"
#include "numbered_buttons/batch.h"
#include "shared/text.h"
#include "system_questions/system_questions.h"
#include "window/toolkit_text.h"

namespace kalvex::testing {
namespace {

// A name is checked as given, and a name the system would take for another
// is not there at all.
TEST(SystemQuestions, IsFileThereChecksTheNameAsGiven) {
    FakeSystem f;
    f.files = {"a", "", std::string("a\0b", 3)};
    EXPECT_TRUE(IsFileThere(f, "a"));
    EXPECT_FALSE(IsFileThere(f, ""));
    EXPECT_FALSE(IsFileThere(f, std::string("a\0b", 3)));
    EXPECT_FALSE(IsFileThere(f, "b"));
}

TEST(SystemQuestions, ComponentsAreLoadedByTheNameTheCheckResolved) {
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
        FakeSystem f;
        EXPECT_EQ(ComponentPath(f, c.given), c.loaded) << c.given;
    }
    // A name the system cannot make absolute (one longer than a path can be)
    // is checked and loaded as given.
    FakeSystem f;
    f.fullPathFails = true;
    EXPECT_EQ(ComponentPath(f, "x\twin"), "x\twin.");
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
                          {NormaliseListFolder, "C:", "C:\\"}};
    for (const Case& c : cases) EXPECT_EQ(c.rule(c.given), c.wanted) << c.given;
    EXPECT_TRUE(MatchesFilePattern("MSCOMCTL.OCX", "*.ocx"));
    EXPECT_TRUE(MatchesFilePattern(".ocx", "*.ocx"));
    EXPECT_FALSE(MatchesFilePattern("a.ocx.bak", "*.ocx"));
}

// The numbered buttons' launch: the program's arguments (with "/admin") and
// its folder reach the batch file as data, whatever they hold, or nothing is
// launched at all.
TEST(BatchLaunch, ArgumentsAndFolderReachTheBatchFileAsData) {
    const std::string k = "/e:ON /v:OFF /d /c \"\"C:\\K\\register.bat\" ";
    struct Case {
        std::string folder, arguments;
        bool launched;
        std::string parameters;
    };
    const Case cases[] = {{"C:\\K", "", true, k + "/admin\""},
                          {"C:\\K", "a  b", true, k + "a b/admin\""},
                          {"C:\\K", "\"a b\" c", true, k + "\"a b\" c/admin\""},
                          {"C:\\K", "\xD0\x9A\tC:\\a\\\\b", true, k + "\xD0\x9A C:\\a\\\\b/admin\""},  // tabs split
                          {"C:\\K", "x & echo pwned> C:\\kvx-pwned.txt & rem", true,
                           k + "x \"&\" echo \"pwned>\" C:\\kvx-pwned.txt \"&\" rem/admin\""},
                          {"C:\\K", "a|b <c >d ^e", true, k + "\"a|b\" \"<c\" \">d\" \"^e/admin\"\""},
                          {"C:\\K", "(x) !y! a=b;c", true, k + "\"(x)\" \"!y!\" \"a=b;c/admin\"\""},
                          {"C:\\K", "\xC2\x85 a", true, k + "\"\xC2\x85\" a/admin\""},  // a C1 control character (NEL)
                          {"C:\\K", "%PATH% ", true, k + "\"%%cd:~,%PATH%%cd:~,%\" /admin\""},
                          {"C:\\K", "a\\\"b \"c\"\"d\" ", true, k + "\"a\"\"b\" \"c\"\"d\" /admin\""},
                          {"C:\\K", "x\\\\\\\"y ", true, k + "\"x\\\\\"\"y\" /admin\""},  // x\"y: its backslash doubled
                          {"C:\\K", "C:\\dir\\ b", true, k + "\"C:\\dir\\\\\" b/admin\""},  // a trailing backslash
                          {"C:\\K", "\"\" \"a b", true, k + "\"\" \"a b/admin\"\""},        // empty, and never closed
                          {"C:\\kvx %PATH% (1) R&D", "", true,
                           "/e:ON /v:OFF /d /c \"\"C:\\kvx %%cd:~,%PATH%%cd:~,% (1) R&D\\register.bat\" /admin\""},
                          {"C:\\K", "a\nb", false, ""},
                          {"C:\\K", "a\rb", false, ""},
                          {"C:\\K", std::string("a\0b", 3), false, ""},
                          {"C:\\K\"", "", false, ""},
                          {"C:\\K\n", "", false, ""}};
    for (const Case& c : cases) {
        const std::optional<BatchLaunch> launch =
            CommandProcessorLaunch("C:\\Windows\\system32", c.folder + "\\register.bat", LaunchParameters(c.arguments));
        EXPECT_EQ(launch.has_value(), c.launched) << c.arguments;
        if (!launch || !c.launched) continue;
        EXPECT_EQ(launch->program, "C:\\Windows\\system32\\cmd.exe");
        EXPECT_EQ(launch->parameters, c.parameters) << c.arguments;
    }
}

// Text goes to Windows as UTF-16 and comes back as UTF-8: whatever a name
// holds, a lone surrogate included, comes back as it went.
TEST(Text, Utf8AndUtf16RoundTrip) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {{"Soci\xC3\xA9t\xC3\xA9 \xE5\x8C\x97\xE4\xBA\xAC", u"Soci\u00e9t\u00e9 \u5317\u4eac"},
                          {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // outside the BMP: a surrogate pair
                          {"a\xED\xA0\x80"
                           "b",
                           u"a\xD800"
                           u"b"},  // a lone surrogate keeps its three bytes
                          {"\xED\xBF\xBF", u"\xDFFF"}};
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
    }
    // Bytes that are not UTF-8: one U+FFFD each, and the rest goes on.
    const Case broken[] = {{"a\xE5\x8C", u"a\xFFFD\xFFFD"},  // cut short
                           {"\xC0\xAF", u"\xFFFD\xFFFD"},    // overlong "/"
                           {"\xE5\x8Cx", u"\xFFFD\xFFFDx"}};
    for (const Case& c : broken) EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
}

}  // namespace
}  // namespace kalvex::testing
