// One stand-in for all the window reaches. It keeps what a user or a caller
// can see: the controls' state, and in `seen` the boxes shown, the files
// written, the launches and the components loaded and freed, in their order.
// A call whose name is in `fails` raises; `answers` sets what a call answers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "shared/error.h"
#include "versioninfo/pe_version.h"
#include "window/frmKalvex.h"
#include "window/layout.h"

namespace kalvex::testing {

using Bytes = std::vector<std::uint8_t>;

struct Fake : Controls, Toolkit, FileLayer, SystemApi, ShellApi, ModuleApi, VersionApi {
    // Raises when `name` is in `fails`; otherwise what `answers` holds for it, or `otherwise`.
    std::uint32_t Ask(const std::string& name, std::uint32_t otherwise = 0) {
        if (fails.count(name) != 0) throw Error("Access is denied.");
        const auto it = answers.find(name);
        return it == answers.end() ? otherwise : it->second;
    }
    void See(const std::string& what) { seen.push_back(what); }
    // What was seen since the last Take, " | " between.
    std::string Take() {
        std::string text;
        for (const std::string& what : std::exchange(seen, {})) text += (text.empty() ? "" : " | ") + what;
        return text;
    }
    // "normal", "confirmation", or which of the five buttons show and whether text1 is locked.
    std::string Mode() const {
        std::string mode = locked ? "locked " : "";
        for (ControlId id : {ControlId::cmdRegister, ControlId::cmdUnregister, ControlId::cmdExit,
                             ControlId::cmdProceed, ControlId::cmdCancel})
            mode += hidden.count(id) != 0 ? "0" : "1";
        return mode == "11100" ? "normal" : mode == "locked 00011" ? "confirmation" : mode;
    }
    // lblFileInfo's text, and "please verify" when that label shows.
    std::string Info() const {
        return texts.count(ControlId::lblFileInfo) != 0
                   ? texts.at(ControlId::lblFileInfo) +
                         (hidden.count(ControlId::lblPleaseVerify) != 0 ? "" : " + please verify")
                   : "";
    }

    void SetVisible(ControlId id, bool on) override {
        Ask("visible");
        on ? (void)hidden.erase(id) : (void)hidden.insert(id);
    }
    void SetText(ControlId id, const std::string& value) override {
        Ask(FindControl(ToInt(id))->name);
        texts[id] = value;
        if (id == ControlId::text1) onChange();
    }
    std::string Text(ControlId id) override { return texts[id]; }
    void SetLocked(ControlId, bool on) override { locked = on; }
    void SetListFolder(ControlId, const std::string& path) override {
        Ask("list");
        folder = path;
    }
    std::string ListFolder(ControlId) override { return folder; }
    int ListIndex(ControlId) override { return current; }
    std::string ListItem(ControlId, int index) override {
        return index >= 0 && index < static_cast<int>(entries.size()) ? entries[static_cast<std::size_t>(index)] : "";
    }

    void MsgBox(const std::string& message) override {
        See("msg " + message);
        Ask("msg " + message);
    }
    void DoEvents() override { onEvents(); }
    std::string AppPath() override { return appPath; }
    std::string CommandLine() override { return commandLine; }
    std::string Dir(const std::string& path) override { return Ask("dir", existing.count(path)) != 0 ? "x" : ""; }
    void SetMousePointer(int to) override {
        Ask("pointer");
        pointer = to;
        hourglassShown = hourglassShown || to == kPointerHourglass;
    }
    void UnloadWindow() override { See("unload"); }
    void EndProgram() override { See("end"); }

    void Write(const std::string& path, const std::string& bytes) override {
        Ask("write");
        written[path] = bytes;
        See("write " + path);
    }

    std::uint16_t NativeProcessorArchitecture() override { return static_cast<std::uint16_t>(Ask("arch", 9)); }
    std::uint32_t SystemDirectory(char16_t* buffer, std::uint32_t size) override {
        sysdir.copy(buffer, size);
        return Ask("sysdir", 1);
    }
    bool CanOpenForReading(const std::string& path) override { return Ask("open", existing.count(path)) != 0; }
    // Relative names are taken as lying in the current folder; answering 0 fails.
    std::string FullPathName(const std::string& path) override {
        if (Ask("full", 1) == 0) return "";
        return path.rfind("C:", 0) == 0 ? path : currentFolder + "\\" + path;
    }

    std::uint32_t IsUserAnAdmin() override { return Ask("admin", 1); }
    void Launch(const std::string& verb, const std::string& file, const std::string& args, int show) override {
        See("launch " + verb + " " + file + " " + args + " " + std::to_string(show));
    }

    // Modules count from 101, one for each path, as a loader hands out the
    // module it already has; threads count from 1. A thread in `running` has
    // not ended: it ends after `endsAfter` ms, when given, or never; waiting
    // advances `clock`. One in `raised` was ended by an exception.
    ModuleHandle LoadComponent(const std::string& path) override {
        const ModuleHandle module = Ask("load", modules.emplace(path, 101 + modules.size()).first->second);
        if (module != 0) See("load " + path);
        return module;
    }
    EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) override {
        entryNames.push_back(name);
        return Ask("entry", module * 16 + 1);
    }
    ThreadHandle StartWorker(EntryPoint entry) override { return Ask("thread", entry != 0 ? ++threads : 0); }
    std::uint32_t WaitForWorker(ThreadHandle thread, std::uint32_t limit) override {
        waitLimits.push_back(limit);
        if (running.count(thread) != 0) {
            const auto ends = endsAfter.find(thread);
            if (ends == endsAfter.end() || ends->second > limit) {
                clock += limit;
                if (ends != endsAfter.end()) ends->second -= limit;
                return Ask("wait", kWaitTimeout);
            }
            clock += ends->second;
            running.erase(thread);
        }
        return Ask("wait", kWaitObject0);
    }
    WorkerEnd HowWorkerEnded(ThreadHandle thread) override { return {Ask("exitcode"), raised.count(thread) == 0}; }
    std::uint32_t Milliseconds() override { return clock; }
    void CloseWorker(ThreadHandle) override {}
    void FreeComponent(ModuleHandle module) override { See("free " + std::to_string(module)); }

    std::uint32_t VersionBlockSize(const std::string& path) override {
        versionPath = path;
        return Ask("size", block.size());
    }
    bool ReadVersionBlock(const std::string&, Bytes& out) override {
        given = out;
        std::copy_n(block.begin(), std::min(block.size(), out.size()), out.begin());
        return Ask("read", 1) != 0;
    }
    // Upper case marks what went through the system code page's conversion.
    std::string Utf8FromSystemCodePage(const std::string& text) override {
        std::string converted = text;
        for (char& c : converted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return converted;
    }

    std::vector<std::string> seen;
    std::set<std::string> fails;
    std::map<std::string, std::uint32_t> answers;
    std::map<ControlId, std::string> texts;
    std::set<ControlId> hidden;
    bool locked = false, hourglassShown = false;
    int pointer = kPointerDefault;
    std::string folder, appPath = "C:\\K", commandLine, versionPath, currentFolder = "C:\\D";
    std::vector<std::string> entries;  // the file list's
    int current = -1;
    std::u16string sysdir = std::u16string(u"C:\\Windows\\system32\0junk", 24);
    std::set<std::string> existing;              // the files there are
    std::map<std::string, std::string> written;  // the files written, with their bytes
    std::vector<std::string> entryNames;
    std::set<ThreadHandle> running, raised;
    std::map<ThreadHandle, std::uint32_t> endsAfter;
    std::vector<std::uint32_t> waitLimits;
    std::map<std::string, ModuleHandle> modules;
    Bytes block, given;
    std::function<void()> onChange = [] {}, onEvents = [] {};
    std::uint32_t threads = 0, clock = 0;
};

// A window over the fake, with text1's change notification wired up, loaded
// unless asked not to be.
struct Window {
    Fake f;
    frmKalvex form{{f, f, f, f, f, f, f}};
    explicit Window(bool load = true) {
        f.onChange = [this] { form.text1_Change(); };
        if (load) form.Form_Load();
    }
};

struct FormTest : ::testing::Test, Window {};

}  // namespace kalvex::testing
