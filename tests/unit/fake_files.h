// In-memory file layer and shell for the numbered buttons' tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "registration/shell_api.h"
#include "window/basic_types.h"
#include "window/toolkit.h"

namespace kalvex::testing {

class FakeFiles : public FileLayer {
public:
    int FreeFile() override { return 1; }
    void OpenForOutput(int, const std::string& path) override { throw Error("Path not found: " + path); }
    void WriteText(int, const std::string&) override {}
    void Close(int) override {}

    std::map<std::string, std::string> files;  // path -> bytes
};

class FakeShell : public ShellApi {
public:
    std::uint32_t IsUserAnAdmin() override { return adminAnswer; }
    void ShellExecute(const std::string& operation, const std::string& file, const std::string& parameters,
                      int showCommand) override {
        launches.push_back({operation, file, parameters, showCommand});
    }

    struct Launch {
        std::string operation, file, parameters;
        int showCommand;
    };
    std::uint32_t adminAnswer = 0;
    std::vector<Launch> launches;
};

}  // namespace kalvex::testing
