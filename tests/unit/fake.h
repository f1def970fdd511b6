// One stand-in for all the window reaches: each call but a control read is a
// journal line; it raises after that when the line starts with an entry of
// `fails`, and a numeric call answers `answers[first word]` if there is one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "versioninfo/pe_version.h"
#include "window/frmKalvex.h"
#include "window/layout.h"

namespace kalvex::testing {

using Bytes = std::vector<std::uint8_t>;

struct Fake : Controls, Toolkit, FileLayer, SystemApi, ShellApi, ModuleApi, VersionApi {
    std::uint32_t Call(const std::string& line, std::uint32_t otherwise = 0) {
        journal += (journal.empty() ? "" : " | ") + line;
        for (const std::string& prefix : fails)
            if (line.rfind(prefix, 0) == 0) throw Error("Access is denied.");
        const auto it = answers.find(line.substr(0, line.find(' ')));
        return it == answers.end() ? otherwise : it->second;
    }
    // The calls since the last Take, " | " between them.
    std::string Take() { return std::exchange(journal, ""); }
    static std::string N(std::uint64_t number) { return std::to_string(number); }
    static std::string Name(ControlId id) { return FindControl(ToInt(id))->name; }

    void SetVisible(ControlId id, bool on) override { Call((on ? "show " : "hide ") + Name(id)); }
    void SetText(ControlId id, const std::string& value) override {
        Call(Name(id) + "=" + value);
        if (id != ControlId::text1) return;
        text1 = value;
        onChange();
    }
    std::string Text(ControlId id) override { return id == ControlId::text1 ? text1 : Name(id); }
    void SetLocked(ControlId id, bool on) override { Call((on ? "lock " : "unlock ") + Name(id)); }
    void SetListFolder(ControlId, const std::string& path) override { Call("list " + path); }
    std::string ListFolder(ControlId) override { return folder; }
    int ListIndex(ControlId) override { return index; }
    std::string ListItem(ControlId, int at) override { return items[at]; }

    void MsgBox(const std::string& message) override { Call("msg " + message); }
    void DoEvents() override {
        Call("events");
        onEvents();
    }
    std::string AppPath() override { return appPath; }
    std::string CommandLine() override { return commandLine; }
    std::string Dir(const std::string& path, int mask) override {
        return Call("dir " + path + " " + N(mask), files.count(path)) != 0 ? "found" : "";
    }
    void SetMousePointer(int pointer) override { Call("pointer " + N(pointer)); }
    void UnloadWindow() override { Call("unload"); }
    void EndProgram() override { Call("end"); }

    int FreeFile() override { return 1; }
    void OpenForOutput(int number, const std::string& path) override { Call("open " + N(number) + " " + path); }
    void WriteText(int number, const std::string& bytes) override { Call("write " + N(number) + " " + bytes); }
    void Close(int number) override { Call("close " + N(number)); }

    std::uint16_t NativeProcessorArchitecture() override { return static_cast<std::uint16_t>(Call("arch", 9)); }
    std::uint32_t SystemDirectory(char16_t* buffer, std::uint32_t size) override {
        sysdir.copy(buffer, size);
        return Call("sysdir " + N(size), 1);
    }
    bool CanOpenForReading(const std::string& path) override { return Call("can open " + path, files.count(path)); }
    // Relative names are taken as lying in C:\D; answering 0 fails.
    std::string FullPathName(const std::string& path) override {
        if (Call("full " + path, 1) == 0) return "";
        return path.rfind("C:", 0) == 0 ? path : "C:\\D\\" + path;
    }

    std::uint32_t IsUserAnAdmin() override { return Call("admin"); }
    void Launch(const std::string& verb, const std::string& file, const std::string& args, int show) override {
        Call("shell " + verb + " " + file + " " + args + " " + N(show));
    }

    // Modules count from 101, threads from 1; an entry point tells its
    // module. A thread in `running` has not ended; one in `raised` was ended
    // by an exception.
    ModuleHandle LoadComponent(const std::string& path) override { return Call("load " + path, 101 + modules++); }
    EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) override {
        return Call("entry " + N(module) + " " + name, module * 16 + 1);
    }
    ThreadHandle StartWorker(EntryPoint entry) override { return Call("thread " + N(entry), ++threads); }
    std::uint32_t WaitForWorker(ThreadHandle thread, std::uint32_t ms) override {
        return Call("wait " + N(thread) + " " + N(ms), running.count(thread) != 0 ? kWaitTimeout : 0);
    }
    WorkerEnd HowWorkerEnded(ThreadHandle thread) override {
        return {Call("exitcode " + N(thread)), raised.count(thread) == 0};
    }
    void CloseWorker(ThreadHandle thread) override { Call("closehandle " + N(thread)); }
    void FreeComponent(ModuleHandle module) override { Call("free " + N(module)); }

    std::uint32_t VersionBlockSize(const std::string& file) override { return Call("size " + file, block.size()); }
    std::int32_t ReadVersionBlock(const std::string& path, Bytes& out) override {
        given = out;
        std::copy_n(block.begin(), std::min(block.size(), out.size()), out.begin());
        return static_cast<std::int32_t>(Call("read " + path, 1));
    }
    // Upper case marks what went through the system code page's conversion.
    std::string Utf8FromSystemCodePage(const std::string& text) override {
        std::string converted = text;
        for (char& c : converted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return converted;
    }

    std::string journal;
    std::vector<std::string> fails;
    std::map<std::string, std::uint32_t> answers;
    std::string text1, folder, appPath = "C:\\K", commandLine;
    std::u16string sysdir = std::u16string(u"C:\\Windows\\system32\0junk", 24);
    int index = -1;
    std::map<int, std::string> items;
    std::set<std::string> files;  // the files that exist
    std::set<ThreadHandle> running, raised;
    Bytes block, given;
    std::function<void()> onChange = [] {}, onEvents = [] {};
    std::uint32_t modules = 0, threads = 0;
};

// A window over the fake, with text1's change notification wired up.
struct FormTest : ::testing::Test {
    Fake f;
    frmKalvex form{{f, f, f, f, f, f, f}};
    FormTest() {
        f.onChange = [this] { form.text1_Change(); };
    }
};

}  // namespace kalvex::testing
