// Small stand-ins for what the window reaches, one for each interface, with
// switches that make a call fail. What a user or a caller can see goes into
// one journal, in its order: the boxes shown, the files written, the
// launches, and the components loaded and freed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "shared/error.h"
#include "shared/text.h"
#include "window/frmKalvex.h"

namespace kalvex::testing {

using Bytes = std::vector<std::uint8_t>;

// Raises what a failing platform call raises.
inline void FailIf(bool fails) {
    if (fails) throw Error("Access is denied.");
}

struct Journal {
    std::vector<std::string> seen;
    void See(const std::string& what) { seen.push_back(what); }
    // What was seen since the last Take, " | " between.
    std::string Take() {
        std::string text;
        for (const std::string& what : std::exchange(seen, {})) text += (text.empty() ? "" : " | ") + what;
        return text;
    }
};

struct FakeControls : Controls {
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
        const auto info = texts.find(ControlId::lblFileInfo);
        return info == texts.end()
                   ? ""
                   : info->second + (hidden.count(ControlId::lblPleaseVerify) ? "" : " + please verify");
    }
    void SetVisible(ControlId id, bool on) override { on ? (void)hidden.erase(id) : (void)hidden.insert(id); }
    void SetText(ControlId id, const std::string& value) override {
        FailIf(id == ControlId::lblOCXFileSpec && captionFails);
        texts[id] = value;
        if (id == ControlId::text1 && onText1Change) onText1Change();
    }
    std::string Text(ControlId id) override { return texts[id]; }
    void SetLocked(ControlId, bool on) override { locked = on; }
    void SetListFolder(ControlId, const std::string& path) override { FailIf(listFails), folder = path; }
    std::string ListFolder(ControlId) override { return folder; }
    int ListIndex(ControlId) override { return current; }
    std::string ListItem(ControlId, int index) override {
        return index >= 0 && index < static_cast<int>(entries.size()) ? entries[static_cast<std::size_t>(index)] : "";
    }

    std::map<ControlId, std::string> texts;
    std::set<ControlId> hidden;
    std::string folder = "none";
    std::vector<std::string> entries;  // the file list's
    int current = -1;
    bool locked = false, captionFails = false, listFails = false;
    std::function<void()> onText1Change;
};

struct FakeToolkit : Toolkit {
    explicit FakeToolkit(Journal& journal) : journal(journal) {}
    void ShowMessage(const std::string& text) override {
        journal.See("msg " + text);
        if (onMessage) onMessage(text);
        FailIf(text == failingMessage);
    }
    void ShowBusy(bool on) override { FailIf(busyFails), busy = on, everBusy = everBusy || on; }
    void ProcessPendingEvents() override {
        if (onPendingEvents) onPendingEvents();
    }
    std::string ProgramFolder() override { return programFolder; }
    std::string ProgramArguments() override { return arguments; }
    bool FileExists(const std::string& path) override { return FailIf(fileTestFails), files.count(path) != 0; }
    void CloseWindow() override { journal.See("close"); }

    Journal& journal;
    std::string programFolder = "C:\\K", arguments, failingMessage = "<none>";
    std::set<std::string> files;
    bool busy = false, everBusy = false, busyFails = false, fileTestFails = false;
    std::function<void()> onPendingEvents;
    // What the user does while a box is up: the window's events run meanwhile.
    std::function<void(const std::string&)> onMessage;
};

struct FakeFiles : FileApi {
    explicit FakeFiles(Journal& journal) : journal(journal) {}
    void Write(const std::string& path, const std::string& bytes) override {
        FailIf(fails), written[path] = bytes, journal.See("write " + path);
    }
    Journal& journal;
    std::map<std::string, std::string> written;  // the files, with their bytes
    bool fails = false;
};

struct FakeSystem : SystemApi {
    std::uint16_t NativeProcessorArchitecture() override { return FailIf(architectureFails), architecture; }
    std::string SystemDirectory() override { return FailIf(directoryFails), directory; }
    bool CanOpenForReading(const std::string& path) override { return FailIf(openFails), files.count(path) != 0; }
    // Relative names are taken as lying in the current folder.
    std::string FullPathName(const std::string& path) override {
        return fullPathFails ? "" : path.rfind("C:", 0) == 0 ? path : currentFolder + "\\" + path;
    }

    std::uint16_t architecture = 9;
    std::string directory = std::string("C:\\Windows\\system32\0junk", 24), currentFolder = "C:\\D";
    std::set<std::string> files;  // the files that open
    bool architectureFails = false, directoryFails = false, openFails = false, fullPathFails = false;
};

struct FakeShell : ShellApi {
    explicit FakeShell(Journal& journal) : journal(journal) {}
    std::uint32_t IsUserAnAdmin() override { return adminAnswer; }
    void Launch(const std::string& verb, const std::string& file, const std::string& args, int show) override {
        journal.See("launch " + verb + " " + file + " " + args + " " + std::to_string(show));
    }
    Journal& journal;
    std::uint32_t adminAnswer = 1;
};

// Modules count from 101, one for each path, as a loader hands out the module
// it already has; threads count from 1. A thread in `running` has not ended:
// it ends after `endsAfter` ms, when given, or never; waiting advances the
// clock. One in `raised` was ended by an exception whose code is `exitCode`:
// in the entry point, or after it returned when `raisedAfterReturn`.
struct FakeModules : ModuleApi {
    explicit FakeModules(Journal& journal) : journal(journal) {}
    ModuleHandle LoadComponent(const std::string& path) override {
        if (loadFails) return 0;
        journal.See("load " + path);
        return modules.emplace(path, 101 + modules.size()).first->second;
    }
    EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) override {
        entryNames.push_back(name);
        return noEntryPoint ? 0 : module * 16 + 1;
    }
    ThreadHandle StartWorker(EntryPoint) override { return noThread ? 0 : ++threads; }
    bool WaitForWorker(ThreadHandle thread, std::uint32_t limit) override {
        waitLimits.push_back(limit);
        if (running.count(thread) == 0) return true;
        const auto ends = endsAfter.find(thread);
        const std::uint32_t waited = ends == endsAfter.end() ? limit : std::min(limit, ends->second);
        clock += waited;
        if (ends == endsAfter.end() || (ends->second -= waited) != 0) return false;
        return running.erase(thread) != 0;
    }
    bool WorkerHasEnded(ThreadHandle thread) override { return running.count(thread) == 0; }
    WorkerEnd HowWorkerEnded(ThreadHandle thread) override {
        WorkerEnd end;
        end.faulted = raised.count(thread) != 0;
        end.returned = !end.faulted || raisedAfterReturn;
        end.result = end.faulted ? 0 : exitCode;
        end.exceptionCode = end.faulted ? exitCode : 0;
        return end;
    }
    std::uint32_t Milliseconds() override { return clock; }
    void CloseWorker(ThreadHandle) override {}
    void FreeComponent(ModuleHandle module) override { journal.See("free " + std::to_string(module)); }

    Journal& journal;
    bool loadFails = false, noEntryPoint = false, noThread = false, raisedAfterReturn = false;
    std::uint32_t exitCode = 0, threads = 0, clock = 0;
    std::set<ThreadHandle> running, raised;
    std::map<ThreadHandle, std::uint32_t> endsAfter;
    std::vector<std::uint32_t> waitLimits;
    std::vector<std::string> entryNames;
    std::map<std::string, ModuleHandle> modules;
};

// A version block as resource compilers lay it out: a root whose first
// length covers every string entry added; each entry a header (length,
// value length, and a type in UTF-16), the key and its NUL, padding to 4
// bytes, the value and its NUL; in bytes or UTF-16. The modifiers change
// the last entry.
struct Block {
    Block() : b(6, 0) { Seal(false); }
    Block& N(const std::string& key, const std::string& value, bool wide = false) {
        b.resize((b.size() + 3) / 4 * 4, 0);
        entryAt = b.size();
        unit = wide ? 2 : 1;
        b.resize(b.size() + (wide ? 6 : 4), 0);
        Text(key + '\0', wide);
        b.resize((b.size() + 3) / 4 * 4, 0);
        const std::size_t valueAt = b.size();
        Text(value + '\0', wide);
        Put(entryAt + 2, (b.size() - valueAt) / unit);
        return Ends();
    }
    Block& W(const std::string& key, const std::string& value) { return N(key, value, true); }
    // UTF-8 `text` as it is, or in UTF-16.
    Block& Text(const std::string& text, bool wide) {
        if (!wide) {
            b.insert(b.end(), text.begin(), text.end());
            return *this;
        }
        for (const char16_t c : Utf16FromUtf8(text)) b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
        return *this;
    }
    // The last value without its NUL, as its lengths say.
    Block& Unterminated() {
        b.resize(b.size() - unit);
        Put(entryAt + 2, Get(entryAt + 2) - 1);
        return Ends();
    }
    Block& ValueLength(std::size_t characters) { return Put(entryAt + 2, characters); }
    // Entries added from now on lie beyond the root's length.
    Block& Seal(bool sealed = true) {
        open = !sealed;
        return Ends();
    }
    // The bytes end `count` bytes before the last entry's end.
    Block& Cut(std::size_t count) {
        b.resize(b.size() - count);
        return *this;
    }
    // The last entry ends there, and so does the root while it is open.
    Block& Ends() {
        if (entryAt != 0) Put(entryAt, b.size() - entryAt);
        return open ? Put(0, b.size()) : *this;
    }
    Block& Put(std::size_t at, std::size_t value) {
        b[at] = static_cast<std::uint8_t>(value);
        b[at + 1] = static_cast<std::uint8_t>(value >> 8);
        return *this;
    }
    std::size_t Get(std::size_t at) const { return b[at] | (b[at + 1] << 8); }
    Bytes b;
    std::size_t entryAt = 0, unit = 1;
    bool open = true;
};

// A PE32 image with one section, the resource tree, whose one version
// resource is `block`, declared `declared` bytes long (its own length when
// 0); `slack` bytes follow it inside the section and `tail` more in the
// file. An empty block gives an image without resources.
struct PeImage {
    static constexpr std::size_t kSection = 0x200, kBlock = kSection + 0x58;
    Bytes block;
    std::uint32_t declared = 0;
    std::size_t slack = 0, tail = 0;

    Bytes File() const {
        const std::size_t rawSize = 0x58 + block.size() + slack;
        Bytes f(kSection + rawSize + tail, 0);
        const auto put = [&f](std::size_t at, std::uint32_t value, int bytes) {
            for (int i = 0; i < bytes; ++i) f[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        };
        put(0, 0x5A4D, 2);                               // MZ
        put(0x3C, 0x40, 4);                              // the PE header's offset
        put(0x40, 0x4550, 4);                            // PE\0\0
        put(0x46, 1, 2);                                 // one section
        put(0x54, 0xE0, 2);                              // the optional header's size
        put(0x58, 0x10B, 2);                             // PE32
        put(0x58 + 92, 16, 4);                           // data directories
        put(0x58 + 112, block.empty() ? 0 : 0x1000, 4);  // the resource directory's address
        put(0x138 + 8, static_cast<std::uint32_t>(rawSize), 4);
        put(0x138 + 12, 0x1000, 4);  // the section's address
        put(0x138 + 16, static_cast<std::uint32_t>(rawSize), 4);
        put(0x138 + 20, kSection, 4);  // and where its data lies in the file
        // Type, name and language directories, one entry each, then the data entry.
        for (const std::uint32_t next : {0x18u, 0x30u, 0x48u}) {
            const std::size_t at = kSection + next - 0x18;
            put(at + 14, 1, 2);
            put(at + 16, next == 0x18 ? 16 : 1, 4);
            put(at + 20, next == 0x48 ? next : 0x80000000u | next, 4);
        }
        put(kSection + 0x48, 0x1058, 4);
        put(kSection + 0x4C, declared != 0 ? declared : static_cast<std::uint32_t>(block.size()), 4);
        std::copy(block.begin(), block.end(), f.begin() + kBlock);
        return f;
    }
};

// Every file is `image`.
struct FakeVersion : VersionApi {
    std::unique_ptr<FileBytes> OpenFile(const std::string& path) override {
        FailIf(openFails);
        readPath = path;
        if (unreadable) return nullptr;
        return std::make_unique<HeldBytes>(image.File());
    }
    // Upper case marks what went through the system code page's conversion.
    std::string Utf8FromSystemCodePage(const std::string& text) override {
        std::string upper = text;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        return upper;
    }
    PeImage image;
    std::string readPath;  // the file last read
    bool openFails = false, unreadable = false;
};

// A window over the fakes, with text1's change notification wired up.
struct Window {
    Journal seen;
    FakeControls controls;
    FakeToolkit toolkit{seen};
    FakeFiles files{seen};
    FakeSystem system;
    FakeShell shell{seen};
    FakeModules modules{seen};
    FakeVersion version;
    frmKalvex form{{controls, toolkit, files, system, shell, modules, version}};
    Window() {
        controls.onText1Change = [this] { form.text1_Change(); };
    }
    // Started, with text1 naming `text1`, which resolves to `resolved`, a file that is there.
    void StartWith(const std::string& text1, const std::string& resolved) {
        form.Form_Load();
        system.files.insert(resolved);
        controls.SetText(ControlId::text1, text1);
    }
};

struct FormTest : ::testing::Test, Window {};

}  // namespace kalvex::testing
