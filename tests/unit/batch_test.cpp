// The numbered buttons: batch files, the administrator hint, the launch and
// the event points where a second press can run nested.
#include "form_fixture.h"

namespace kalvex::testing {
namespace {

const std::string kUnregister64 = "cd C:\\Windows\\SysWOW64\r\nregsvr32 /u mscomctl.ocx\r\npause";
const std::string kUnregister32 = "cd C:\\Windows\\System32\r\nregsvr32 /u mscomctl.ocx\r\npause";
const std::string kRegister64 = "cd C:\\Windows\\SysWOW64\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause";
const std::string kRegister32 = "cd C:\\Windows\\System32\r\nregsvr32 mscomctl.ocx\r\nregtlib msdatsrc.tlb\r\npause";

class BatchTest : public FormFixture {
protected:
    BatchTest() {
        form.Form_Load();
        toolkit.doEvents = 0;
        // No event point may come while a file is open.
        toolkit.onDoEvents = [this] { EXPECT_TRUE(files.open.empty()) << "file open at event point"; };
    }

    FakeShell::Launch RunAs(const std::string& path, const std::string& parameters = "/admin") {
        return {"runas", path, parameters, 1};
    }
};

TEST_F(BatchTest, WritesEachFileByteForByteAndLaunchesIt) {
    const struct {
        std::int16_t index;
        std::uint16_t architecture;
        const char* path;
        const std::string& bytes;
        size_t size;
    } cases[] = {
        {0, 9, "C:\\Kalvex\\unregister.bat", kUnregister64, 55},
        {0, 0, "C:\\Kalvex\\unregister.bat", kUnregister32, 55},
        {1, 9, "C:\\Kalvex\\register.bat", kRegister64, 74},
        {1, 0, "C:\\Kalvex\\register.bat", kRegister32, 74},
        {-1, 6, "C:\\Kalvex\\register.bat", kRegister64, 74},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " arch " + std::to_string(c.architecture));
        files.files.clear();
        shell.launches.clear();
        toolkit.doEvents = 0;
        system.architecture = c.architecture;

        form.Command1_Click(c.index);

        ASSERT_EQ(files.files.count(c.path), 1u);
        EXPECT_EQ(files.files[c.path], c.bytes);
        EXPECT_EQ(files.files[c.path].size(), c.size);
        EXPECT_TRUE(files.open.empty());
        EXPECT_EQ(shell.launches, std::vector<FakeShell::Launch>{RunAs(c.path)});
        EXPECT_EQ(toolkit.doEvents, 5);
        EXPECT_TRUE(toolkit.messages.empty());
    }
}

TEST_F(BatchTest, HintOnlyWhenTheLowSixteenBitsSayYes) {
    const std::string hint =
        "If not successful then \r\n\r\nrightclick on 'C:\\Kalvex\\register.bat\r\n\r\n and select 'Run as "
        "Adminstrator'";
    const struct {
        std::uint32_t answer;
        bool hint;
    } cases[] = {{0, false}, {1, true}, {0xFFFFFFFFu, true}, {0x8000u, true}, {0x10000u, false}, {0xFFFF0000u, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        toolkit.messages.clear();
        files.files.clear();
        shell.adminAnswer = c.answer;
        // Nothing is written before the hint: it is there at the first event point.
        bool checked = false;
        toolkit.onDoEvents = [&] {
            if (checked) return;
            checked = true;
            EXPECT_EQ(toolkit.messages.size(), c.hint ? 1u : 0u);
            EXPECT_TRUE(files.files.empty());
        };

        form.Command1_Click(1);

        EXPECT_EQ(toolkit.messages, c.hint ? std::vector<std::string>{hint} : std::vector<std::string>{});
        EXPECT_EQ(shell.launches.size(), 1u);
        shell.launches.clear();
    }
}

TEST_F(BatchTest, PathAndParametersFollowFolderAndArguments) {
    const struct {
        const char* folder;
        const char* arguments;
        const char* path;
        const char* parameters;
    } cases[] = {
        {"C:\\Kalvex", "", "C:\\Kalvex\\register.bat", "/admin"},
        {"C:\\", "x", "C:\\\\register.bat", "x/admin"},
        {"\\\\server\\share", "/s \"a b\" ", "\\\\server\\share\\register.bat", "/s \"a b\" /admin"},
    };
    shell.adminAnswer = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        toolkit.messages.clear();
        shell.launches.clear();
        toolkit.appPath = c.folder;
        toolkit.commandLine = c.arguments;

        form.Command1_Click(1);

        EXPECT_EQ(files.files.count(c.path), 1u);
        EXPECT_EQ(shell.launches, std::vector<FakeShell::Launch>{RunAs(c.path, c.parameters)});
        ASSERT_EQ(toolkit.messages.size(), 1u);
        EXPECT_NE(toolkit.messages[0].find(std::string("rightclick on '") + c.path + "\r\n"), std::string::npos)
            << toolkit.messages[0];
    }
}

TEST_F(BatchTest, FailedWriteIsReportedOnceAndNotLaunched) {
    const struct {
        const char* what;
        std::string FakeFiles::*error;
        int closes;
    } cases[] = {
        {"open", &FakeFiles::openError, 0},
        {"write", &FakeFiles::writeError, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files = FakeFiles();
        files.*c.error = "Access is denied.";
        toolkit.messages.clear();
        toolkit.doEvents = 0;

        form.Command1_Click(0);

        EXPECT_EQ(toolkit.messages, std::vector<std::string>{"C:\\Kalvex\\unregister.bat Access is denied."});
        EXPECT_TRUE(shell.launches.empty());
        EXPECT_TRUE(files.open.empty());
        EXPECT_EQ(files.closes, c.closes);
        EXPECT_EQ(toolkit.doEvents, 5);
    }
    // Savetext reports alike and returns normally.
    form.Savetext("D:\\x.txt", "abc");
    EXPECT_EQ(toolkit.messages.back(), "D:\\x.txt Access is denied.");
}

TEST_F(BatchTest, NestedPressAtEachEventPointRunsToItsEndFirst) {
    // Event points of one press: two at the start of the write, one at its
    // end, two before the launch.
    for (int point = 1; point <= 5; ++point) {
        for (std::int16_t nestedIndex : {std::int16_t{0}, std::int16_t{1}}) {
            SCOPED_TRACE("point " + std::to_string(point) + ", nested index " + std::to_string(nestedIndex));
            files = FakeFiles();
            shell.launches.clear();
            int seen = 0;
            toolkit.onDoEvents = [&] {
                EXPECT_TRUE(files.open.empty()) << "file open at event point";
                if (++seen == point) form.Command1_Click(nestedIndex);
            };

            form.Command1_Click(1);

            const std::string nestedPath = nestedIndex == 0 ? "C:\\Kalvex\\unregister.bat" : "C:\\Kalvex\\register.bat";
            EXPECT_EQ(shell.launches,
                      (std::vector<FakeShell::Launch>{RunAs(nestedPath), RunAs("C:\\Kalvex\\register.bat")}));
            EXPECT_EQ(files.writes.size(), 2u);
            EXPECT_EQ(files.files["C:\\Kalvex\\register.bat"], kRegister64);
            if (nestedIndex == 0) {
                EXPECT_EQ(files.files["C:\\Kalvex\\unregister.bat"], kUnregister64);
            }
        }
    }
}

}  // namespace
}  // namespace kalvex::testing
