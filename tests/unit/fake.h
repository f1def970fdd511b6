// Small stand-ins for what the window reaches, one for each interface, with
// switches that make a call fail where the real one can. What a user or a
// caller can see goes into one journal, in its order: the boxes shown, the
// files written, the launches, and the components loaded and freed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "driver/window_words.h"
#include "pe_builder.h"
#include "shared/error.h"
#include "shared/text.h"
#include "window/frmKalvex.h"

namespace kalvex::testing {

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
    // The window's mode, in the words the end-to-end tests use.
    std::string Mode() const {
        return driver::ModeWords(locked, [this](ControlId id) { return Shows(id); });
    }
    bool Shows(ControlId id) const { return hidden.count(id) == 0; }
    void SetVisible(ControlId id, bool on) override {
        if (on) {
            hidden.erase(id);
        } else {
            hidden.insert(id);
        }
    }
    void SetText(ControlId id, const std::string& value) override {
        FailIf(id == ControlId::lblOCXFileSpec && captionFails);
        texts[id] = value;
        if (id == ControlId::text1 && onText1Change) onText1Change();
    }
    std::string Text(ControlId id) override { return texts[id]; }
    void SetLocked(ControlId, bool on) override { locked = on; }
    // Refuses "" as the real list refuses a folder it cannot list.
    void SetListFolder(ControlId, const std::string& path) override {
        FailIf(listFails || path.empty());
        folder = path;
    }
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
    }
    bool Ask(const std::string& question) override {
        journal.See("ask " + question);
        return yes;
    }
    void ShowBusy(bool on) override {
        busy = on;
        everBusy = everBusy || on;
    }
    void ProcessPendingEvents() override {
        if (onPendingEvents) onPendingEvents();
    }
    std::string ProgramFolder() override { return programFolder; }
    std::string ProgramArguments() override { return arguments; }
    void CloseWindow() override { journal.See("close"); }

    Journal& journal;
    std::string programFolder = "C:\\K", arguments;
    bool busy = false, everBusy = false;
    bool yes = false;  // the answer to every question
    std::function<void()> onPendingEvents;
    // What the user does while a box is up: the window's events run meanwhile.
    std::function<void(const std::string&)> onMessage;
};

struct FakeFiles : FileApi {
    explicit FakeFiles(Journal& journal) : journal(journal) {}
    void Write(const std::string& path, const std::string& bytes) override {
        FailIf(fails);
        written[path] = bytes;
        journal.See("write " + path);
    }
    Journal& journal;
    std::map<std::string, std::string> written;  // the files, with their bytes
    bool fails = false;
};

struct FakeSystem : SystemApi {
    std::uint16_t NativeProcessorArchitecture() override { return architecture; }
    std::string SystemDirectory() override { return directory; }
    bool CanOpenForReading(const std::string& path) override { return files.count(path) != 0; }
    // Relative names are taken as lying in the current folder; "" for all
    // when `fullPathFails`, as for a name longer than a path can be.
    std::string FullPathName(const std::string& path) override {
        if (fullPathFails) return "";
        return path.rfind("C:", 0) == 0 ? path : currentFolder + "\\" + path;
    }

    std::uint16_t architecture = 9;
    std::string directory = "C:\\Windows\\system32";  // "" as when the call fails
    std::string currentFolder = "C:\\D";
    std::set<std::string> files;  // the files that open
    bool fullPathFails = false;
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

// Modules count from 101, one for each path, as a loader hands out the
// module it already has; workers count from 1. A worker in `running` has
// not ended: it ends after `endsAfter` ms, when given, or never. One in
// `raised` was ended by an exception whose code is `exitCode`: in the entry
// point, or after it returned when `raisedAfterReturn`.
struct FakeModules : ModuleApi {
    explicit FakeModules(Journal& journal) : journal(journal) {}
    FakeModules(const FakeModules&) = delete;
    FakeModules& operator=(const FakeModules&) = delete;
    // What the engine let go of, still running, goes with the process: here,
    // with the fake.
    ~FakeModules() override {
        const std::set<Worker*> letGo = alive;
        for (Worker* worker : letGo) delete worker;
    }

    class FakeWorker final : public Worker {
    public:
        FakeWorker(FakeModules& modules, int number) : mModules(modules), mNumber(number) {
            mModules.alive.insert(this);
        }
        FakeWorker(const FakeWorker&) = delete;
        FakeWorker& operator=(const FakeWorker&) = delete;
        ~FakeWorker() override {
            if (mModules.running.count(mNumber) != 0) mModules.destroyedWhileRunning = true;
            mModules.alive.erase(this);
        }
        bool WaitUntil(std::uint32_t deadline) override { return mModules.Wait(mNumber, deadline); }
        WorkerEnd End() override { return mModules.EndOf(mNumber); }

    private:
        FakeModules& mModules;
        int mNumber;
    };

    ModuleHandle LoadComponent(const std::string& path) override {
        if (loadFails) return 0;
        journal.See("load " + path);
        return modules.emplace(path, 101 + modules.size()).first->second;
    }
    std::uint32_t LastLoadError() override { return loadError; }
    DiagnosisApi* Diagnosis() override { return diagnosis; }
    EntryPoint FindEntryPoint(ModuleHandle module, const std::string& name) override {
        entryNames.push_back(name);
        if (noEntryPoint) return 0;
        return module * 16 + 1;
    }
    std::unique_ptr<Worker> StartWorker(EntryPoint) override {
        if (noThread) return nullptr;
        ++workers;
        startedMapped[workers] = classesMapped;
        return std::make_unique<FakeWorker>(*this, workers);
    }
    std::uint32_t Milliseconds() override { return clock; }
    void FreeComponent(ModuleHandle module) override { journal.See("free " + std::to_string(module)); }
    std::uint32_t MapClassesToUser() override {
        journal.See("map");
        if (mapError == 0) classesMapped = true;
        return mapError;
    }
    void UnmapClasses() override {
        journal.See("unmap");
        classesMapped = false;
        for (const int worker : running) {
            if (startedMapped[worker]) unmappedUnderWorker = true;
        }
    }

    bool Wait(int worker, std::uint32_t deadline) {
        const std::uint32_t limit = deadline > clock ? deadline - clock : 0;
        waitLimits.push_back(limit);
        if (running.count(worker) == 0) return true;
        const auto ends = endsAfter.find(worker);
        if (ends == endsAfter.end()) {
            clock += limit;
            return false;
        }
        const std::uint32_t waited = std::min(limit, ends->second);
        clock += waited;
        ends->second -= waited;
        if (ends->second != 0) return false;
        running.erase(worker);
        return true;
    }
    WorkerEnd EndOf(int worker) {
        WorkerEnd end;
        end.faulted = raised.count(worker) != 0;
        end.returned = !end.faulted || raisedAfterReturn;
        if (end.faulted) {
            end.exceptionCode = exitCode;
        } else if (refusesMachine && !startedMapped[worker]) {
            end.result = 0x80070005;  // E_ACCESSDENIED
        } else {
            end.result = exitCode;
        }
        return end;
    }

    Journal& journal;
    bool loadFails = false, noEntryPoint = false, noThread = false, raisedAfterReturn = false;
    std::uint32_t loadError = 0, exitCode = 0, clock = 0;
    int workers = 0;
    std::set<int> running, raised;
    std::map<int, std::uint32_t> endsAfter;
    std::vector<std::uint32_t> waitLimits;  // each wait's, in the order asked
    std::vector<std::string> entryNames;
    std::map<std::string, ModuleHandle> modules;
    DiagnosisApi* diagnosis = nullptr;
    // A worker was destroyed while it still ran (what it writes into gone).
    bool destroyedWhileRunning = false;
    std::set<Worker*> alive;  // the workers handed out and not destroyed
    // HKEY_CLASSES_ROOT stands for the user's classes; whether it did when
    // each worker started; whether it was mapped back under one still running.
    bool classesMapped = false;
    std::map<int, bool> startedMapped;
    bool unmappedUnderWorker = false;
    std::uint32_t mapError = 0;
    // The machine's classes refuse every worker's writes (E_ACCESSDENIED)
    // while HKEY_CLASSES_ROOT stands for them.
    bool refusesMachine = false;
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

// Every file is `image`.
struct FakeVersion : VersionApi {
    std::unique_ptr<FileBytes> OpenFile(const std::string& path) override {
        readPath = path;
        if (unreadable) return nullptr;
        const std::string file = Image(image);
        return std::make_unique<HeldBytes>(Bytes(file.begin(), file.end()));
    }
    // Upper case marks what went through the system code page's conversion.
    std::string Utf8FromSystemCodePage(const std::string& text) override {
        std::string upper = text;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        return upper;
    }
    ImageSpec image;
    std::string readPath;     // the file last read
    bool unreadable = false;  // the file cannot be opened or read
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
