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
    int FreeFile() override {
        int number = 1;
        while (open.count(number) != 0) ++number;
        return number;
    }
    void OpenForOutput(int fileNumber, const std::string& path) override {
        if (!openError.empty()) throw Error(openError);
        open[fileNumber] = path;
        files[path].clear();
    }
    void WriteText(int fileNumber, const std::string& text) override {
        if (!writeError.empty()) throw Error(writeError);
        files[open.at(fileNumber)] += text;
        writes.push_back(open.at(fileNumber));
    }
    void Close(int fileNumber) override {
        open.erase(fileNumber);
        ++closes;
    }

    std::map<std::string, std::string> files;  // path -> bytes
    std::map<int, std::string> open;           // file number -> path
    std::vector<std::string> writes;           // path of every write, in order
    std::string openError;                     // non-empty: opening raises it
    std::string writeError;                    // non-empty: writing raises it
    int closes = 0;
};

class FakeShell : public ShellApi {
public:
    std::uint32_t IsUserAnAdmin() override { return adminAnswer; }
    void ShellExecuteA(const std::string& operation, const std::string& file, const std::string& parameters,
                       int showCommand) override {
        launches.push_back({operation, file, parameters, showCommand});
    }

    struct Launch {
        std::string operation, file, parameters;
        int showCommand;
        bool operator==(const Launch& other) const {
            return operation == other.operation && file == other.file && parameters == other.parameters &&
                   showCommand == other.showCommand;
        }
    };
    std::uint32_t adminAnswer = 0;
    std::vector<Launch> launches;
};

}  // namespace kalvex::testing
