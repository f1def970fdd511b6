// A stand-in for what the diagnosis of a failure asks the system: files by
// full path and the loader's answers by name, in a 32-bit program on 64-bit
// Windows.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "diagnosis/diagnosis_api.h"

namespace kalvex::testing {

class HeldView final : public FileView {
public:
    explicit HeldView(std::string bytes) : mBytes(std::move(bytes)) {}
    std::string_view Bytes() const override { return mBytes; }

private:
    std::string mBytes;
};

// Files by full path, and the loader's answers by name.
class FakeDiagnosis final : public DiagnosisApi {
public:
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> loader;
    bool elevated = true;
    int questions = 0;  // what was asked of the system; the program's own facts are no question

    std::unique_ptr<FileView> OpenFile(const std::string& path) override {
        ++questions;
        const auto it = files.find(path);
        return it == files.end() ? nullptr : std::make_unique<HeldView>(it->second);
    }
    bool FileExists(const std::string& path) override {
        ++questions;
        return files.count(path) != 0;
    }
    LoaderAnswer AskLoader(const std::string& name) override {
        ++questions;
        const auto it = loader.find(name);
        return it == loader.end() ? LoaderAnswer{"", 126} : LoaderAnswer{it->second, 0};
    }
    Machine ProgramMachine() override { return Machine::X86; }
    bool Windows64() override { return true; }
    std::string WindowsFolder() override { return "C:\\Windows"; }
    bool Elevated() override { return elevated; }
    // The system has no text for any code.
    std::string SystemText(std::uint32_t) override {
        ++questions;
        return "";
    }
};

}  // namespace kalvex::testing
