// Registers and unregisters one library, either with the program's own
// registration engine (in this process, as kalvex.exe does), through the
// program itself (C:\kalvex\kalvex.exe beside this tool, its window driven
// as a person drives it) or with the system folder's regsvr32 (a child
// process of the same bitness), and notes what each step did to the
// registry. bench/compat.sh compares them.
//
//   kalvex_compat.exe engine|window|regsvr32 <library> [--limit <ms>] [--root <key>]...
//
// The steps: snapshot, register, snapshot, unregister, snapshot. Prints
// tab-separated lines:
//   library <path> / mode <mode> / tool <what runs the steps>
//   root <key>                               one per snapshotted tree
//   snapshot <name> <keys> <values> <ms>
//   step <register|unregister> <outcome> <code> <detail> <ms>
//   child <step> same bitness|other bitness  (regsvr32 only)
//   change <step> +key|-key <key>
//   change <step> +value|-value <key> <name> <data>
//   change <step> ~value <key> <name> <data after> <data before>
//   end
// Outcomes: completed, failed (code: the result, the exception's code or
// "-" when regsvr32 does not tell it), no-entry-point, load-failure,
// timed-out; through the window also unknown (a box the engine never shows).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "busy_ui.h"
#include "driver.h"
#include "engine/engine.h"
#include "engine/win32_modules.h"
#include "shared/format.h"
#include "shared/win32_handles.h"
#include "timing.h"
#include "window/frmKalvex.h"

namespace {

using bench::NowMs;

// ---- Text ----

// The registry's names are held as std::wstring here; the conversions are
// the program's own.
std::string Utf8(const std::wstring& text) { return kalvex::Utf8(text.data(), text.size()); }

std::wstring Wide(const std::string& text) {
    const std::u16string wide = kalvex::Wide(text);
    return std::wstring(wide.begin(), wide.end());
}

// Control characters would break the tab-separated lines: they are written
// as <XX>.
std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "<%02X>", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// Registry names compare without regard to case.
std::wstring Folded(const std::wstring& name) {
    std::wstring out = name;
    if (!out.empty()) ::CharUpperBuffW(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

std::uint64_t Fnv1a(const BYTE* data, size_t size) {
    std::uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

// ---- Registry snapshots ----

// A value's type and data as one line of text. Long data is cut short and
// followed by its size and a hash of all of it.
std::string RenderValue(DWORD type, const BYTE* data, DWORD size) {
    constexpr size_t kShownText = 300;
    constexpr DWORD kShownBytes = 48;
    char tail[64];
    std::snprintf(tail, sizeof(tail), "...(%lu bytes, fnv %016llx)", static_cast<unsigned long>(size),
                  static_cast<unsigned long long>(Fnv1a(data, size)));
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
        case REG_MULTI_SZ:
        case REG_LINK: {
            std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            // The strings of a multi-string are shown separated by "|".
            for (wchar_t& c : text) {
                if (c == L'\0') c = L'|';
            }
            const char* name = type == REG_SZ          ? "REG_SZ"
                               : type == REG_EXPAND_SZ ? "REG_EXPAND_SZ"
                               : type == REG_LINK      ? "REG_LINK"
                                                       : "REG_MULTI_SZ";
            std::string shown = Utf8(text);
            if (shown.size() > kShownText) shown = shown.substr(0, kShownText) + tail;
            return std::string(name) + " \"" + shown + "\"";
        }
        case REG_DWORD:
            if (size == 4) {
                DWORD value = 0;
                std::memcpy(&value, data, 4);
                return "REG_DWORD " + kalvex::Hex8(value);
            }
            break;
        case REG_QWORD:
            if (size == 8) {
                unsigned long long value = 0;
                std::memcpy(&value, data, 8);
                char text[32];
                std::snprintf(text, sizeof(text), "REG_QWORD 0x%016llX", value);
                return text;
            }
            break;
        default: break;
    }
    char head[32];
    std::snprintf(head, sizeof(head), "type %lu hex:", static_cast<unsigned long>(type));
    std::string out = head;
    for (DWORD i = 0; i < size && i < kShownBytes; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof(byte), "%02x", data[i]);
        out += byte;
    }
    if (size > kShownBytes) out += tail;
    return out;
}

struct KeyState {
    std::string path;                                                    // as shown
    std::map<std::wstring, std::pair<std::string, std::string>> values;  // folded name -> (name, data)
};

struct Snapshot {
    std::map<std::wstring, KeyState> keys;  // folded full path
    size_t values = 0;
    double ms = 0;
};

struct Root {
    HKEY hive;
    std::string hiveName;
    std::wstring subkey;  // "" for the whole hive
};

// Every access sees the 64-bit registry, also from a 32-bit process on
// 64-bit Windows: its redirected keys are then found under Wow6432Node.
constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_64KEY;

void ReadKey(HKEY key, const std::wstring& path, Snapshot& out) {
    KeyState& state = out.keys[Folded(path)];
    state.path = Printable(Utf8(path));
    DWORD subkeyCount = 0;
    DWORD maxSubkey = 0;
    DWORD valueCount = 0;
    DWORD maxValueName = 0;
    DWORD maxValueData = 0;
    // Each call is a round trip to the registry's server: the counts spare
    // the enumerations their last call, which would only say "no more".
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeyCount, &maxSubkey, nullptr, &valueCount,
                           &maxValueName, &maxValueData, nullptr, nullptr) != ERROR_SUCCESS) {
        subkeyCount = valueCount = MAXDWORD;
    }

    // A symbolic link key (Wine links the keys it shares between the 32-bit
    // and the 64-bit view) is opened as itself: its one value names the
    // target, and the target's tree is not read through it a second time.
    bool link = false;
    std::vector<wchar_t> name(maxValueName + 2);
    std::vector<BYTE> data(maxValueData + 2);
    for (DWORD i = 0; i < valueCount;) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG status = ::RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (status == ERROR_MORE_DATA) {
            // Grown since the question: larger buffers, same index.
            name.resize(name.size() * 2 + 256);
            data.resize(std::max<size_t>(data.size() * 2, dataSize + 2));
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        const std::wstring valueName(name.data(), nameSize);
        if (type == REG_LINK && Folded(valueName) == L"SYMBOLICLINKVALUE") link = true;
        state.values[Folded(valueName)] = {valueName.empty() ? "(default)" : Printable(Utf8(valueName)),
                                           Printable(RenderValue(type, data.data(), dataSize))};
        ++out.values;
        ++i;
    }
    if (link) return;

    std::vector<std::wstring> subkeys;
    std::vector<wchar_t> subkey(maxSubkey + 2);
    for (DWORD i = 0; i < subkeyCount;) {
        DWORD size = static_cast<DWORD>(subkey.size());
        const LONG status = ::RegEnumKeyExW(key, i, subkey.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            subkey.resize(subkey.size() * 2 + 256);
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        subkeys.emplace_back(subkey.data(), size);
        ++i;
    }
    for (const std::wstring& child : subkeys) {
        HKEY handle = nullptr;
        std::wstring childPath = path;
        childPath += L'\\';
        childPath += child;
        if (::RegOpenKeyExW(key, child.c_str(), REG_OPTION_OPEN_LINK, kReadAccess, &handle) != ERROR_SUCCESS) {
            // Noted as a key without values: whether it is there still counts.
            out.keys[Folded(childPath)].path = Printable(Utf8(childPath)) + " (unreadable)";
            continue;
        }
        ReadKey(handle, childPath, out);
        ::RegCloseKey(handle);
    }
}

Snapshot TakeSnapshot(const std::vector<Root>& roots) {
    Snapshot snapshot;
    const double start = NowMs();
    for (const Root& root : roots) {
        const std::wstring path = Wide(root.hiveName) + (root.subkey.empty() ? L"" : L"\\" + root.subkey);
        HKEY handle = nullptr;
        if (::RegOpenKeyExW(root.hive, root.subkey.empty() ? nullptr : root.subkey.c_str(), 0, kReadAccess, &handle) !=
            ERROR_SUCCESS) {
            continue;
        }
        ReadKey(handle, path, snapshot);
        ::RegCloseKey(handle);
    }
    snapshot.ms = NowMs() - start;
    return snapshot;
}

void PrintSnapshot(const char* name, const Snapshot& snapshot) {
    std::printf("snapshot\t%s\t%zu\t%zu\t%.1f\n", name, snapshot.keys.size(), snapshot.values, snapshot.ms);
}

// What changed from one snapshot to the next. The keys of a key that came
// or went are listed with all of their values.
void PrintChanges(const char* step, const Snapshot& before, const Snapshot& after) {
    auto listValues = [step](const char* sign, const KeyState& key) {
        for (const auto& value : key.values) {
            std::printf("change\t%s\t%svalue\t%s\t%s\t%s\n", step, sign, key.path.c_str(), value.second.first.c_str(),
                        value.second.second.c_str());
        }
    };
    auto b = before.keys.begin();
    auto a = after.keys.begin();
    while (b != before.keys.end() || a != after.keys.end()) {
        if (a == after.keys.end() || (b != before.keys.end() && b->first < a->first)) {
            std::printf("change\t%s\t-key\t%s\n", step, b->second.path.c_str());
            listValues("-", b->second);
            ++b;
        } else if (b == before.keys.end() || a->first < b->first) {
            std::printf("change\t%s\t+key\t%s\n", step, a->second.path.c_str());
            listValues("+", a->second);
            ++a;
        } else {
            const KeyState& old = b->second;
            const KeyState& now = a->second;
            for (const auto& value : now.values) {
                const auto was = old.values.find(value.first);
                if (was == old.values.end()) {
                    std::printf("change\t%s\t+value\t%s\t%s\t%s\n", step, now.path.c_str(), value.second.first.c_str(),
                                value.second.second.c_str());
                } else if (was->second.second != value.second.second) {
                    std::printf("change\t%s\t~value\t%s\t%s\t%s\t%s\n", step, now.path.c_str(),
                                value.second.first.c_str(), value.second.second.c_str(), was->second.second.c_str());
                }
            }
            for (const auto& value : old.values) {
                if (now.values.count(value.first) == 0) {
                    std::printf("change\t%s\t-value\t%s\t%s\t%s\n", step, now.path.c_str(), value.second.first.c_str(),
                                value.second.second.c_str());
                }
            }
            ++a;
            ++b;
        }
    }
}

// ---- The two ways to register ----

struct Outcome {
    std::string outcome;  // completed, failed, no-entry-point, load-failure, timed-out
    std::string code = "-";
    std::string detail;
    // regsvr32 only: whether the child ran with the tool's own bitness.
    std::string child{};
};

// The engine's outcome, in the common words; its message as the detail.
Outcome FromEngineOutcome(const kalvex::RegistrationOutcome& outcome) {
    using Kind = kalvex::RegistrationOutcome::Kind;
    const std::string message = kalvex::OutcomeMessage(outcome);
    switch (outcome.kind) {
        case Kind::Completed: return {"completed", "-", message};
        case Kind::Failed: return {"failed", kalvex::Hex8(outcome.code), message};
        case Kind::NoEntryPointOrThread: return {"no-entry-point", "-", message};
        case Kind::LoadFailure: return {"load-failure", "-", message};
        case Kind::TimedOut: return {"timed-out", "-", message};
    }
    return {"unknown", "-", message};
}

// regsvr32's exit code, in the common words. Measured with Wine's
// regsvr32 /s: 0 when the entry point succeeded, 3 when the file cannot be
// loaded (missing, or not a library), 4 when the library lacks the entry
// point, 5 when the entry point failed, without telling its result. An
// exception that leaves the entry point ends the process with the
// exception's code (0xC0000005 for an access violation).
Outcome FromRegsvr32Exit(DWORD code) {
    const std::string detail = "exit code " + kalvex::Hex8(code);
    switch (code) {
        case 0: return {"completed", "-", detail};
        case 3: return {"load-failure", "-", detail};
        case 4: return {"no-entry-point", "-", detail};
        case 5: return {"failed", "-", detail};
        default: break;
    }
    if ((code & 0x80000000u) != 0) return {"failed", kalvex::Hex8(code), detail};
    return {"unknown", "-", detail};
}

class EngineRunner {
public:
    EngineRunner() : engine_(modules_, ui_) {}

    Outcome Run(const std::string& library, bool unregister) {
        const kalvex::RegistrationOutcome outcome = engine_.RegisterServer(
            library, unregister ? kalvex::RegistrationAction::Unregister : kalvex::RegistrationAction::Register);
        timedOut_ = timedOut_ || outcome.kind == kalvex::RegistrationOutcome::Kind::TimedOut;
        return FromEngineOutcome(outcome);
    }

    // Whether a worker outlived its wait: it may still run.
    bool AnyTimedOut() const { return timedOut_; }

private:
    kalvex::Win32Modules modules_;
    bench::BusyUi ui_;
    kalvex::RegistrationEngine engine_;
    bool timedOut_ = false;
};

// The window's outcome box, in the common words. The program shows the
// engine's message, or "File not found" when the file was not there to check:
// a load failure, as regsvr32 counts a missing file.
Outcome FromOutcomeBox(const std::string& box) {
    using Kind = kalvex::RegistrationOutcome::Kind;
    const std::string failed = "Process failed with error code ";
    if (box.rfind(failed, 0) == 0) return {"failed", box.substr(failed.size(), 10), box};
    // The box's first line is the outcome; what follows an empty line says why.
    const std::string first = box.substr(0, box.find("\r\n\r\n"));
    for (const Kind kind : {Kind::Completed, Kind::NoEntryPointOrThread, Kind::LoadFailure, Kind::TimedOut}) {
        const kalvex::RegistrationOutcome outcome{kind};
        if (first == kalvex::FirstLine(outcome)) return FromEngineOutcome(outcome);
    }
    if (box == kalvex::kFileNotFound) return {"load-failure", "-", box};
    return {"unknown", "-", box};
}

// kalvex.exe, started from its own folder, registering through its window.
class WindowRunner {
public:
    explicit WindowRunner(const std::string& exe) {
        driver::FindSituation(exe.c_str());
        started_ = app_.Launch(exe, driver::g_situation.exeDir);
    }

    bool Started() const { return started_; }

    Outcome Run(const std::string& library, bool unregister) {
        const driver::ControlId button = unregister ? driver::ControlId::cmdUnregister : driver::ControlId::cmdRegister;
        std::string box = app_.Outcome(button, library);
        // A file that is not there is answered at once, without confirmation.
        if (box.rfind("no confirmation", 0) == 0) box = app_.BackToNormal(app_.Answer());
        return FromOutcomeBox(box);
    }

private:
    driver::Kalvex app_;
    bool started_ = false;
};

class Regsvr32Runner {
public:
    explicit Regsvr32Runner(DWORD limitMs) : limitMs_(limitMs) {
        // A 32-bit process on 64-bit Windows is sent to the 32-bit system
        // folder's regsvr32: the same bitness as this tool.
        const std::u16string folder = kalvex::SystemFolder().value_or(u"");
        exe_ = std::wstring(folder.begin(), folder.end()) + L"\\regsvr32.exe";
    }

    std::string Exe() const { return Utf8(exe_); }

    // Once more when the exit code is none regsvr32 gives: in one whole run
    // Wine ended a crashing 64-bit regsvr32 with another code, which the
    // same crash never gave again. Both codes go into the detail.
    Outcome Run(const std::string& library, bool unregister) {
        Outcome outcome = RunOnce(library, unregister);
        if (outcome.outcome != "unknown") return outcome;
        const std::string first = outcome.detail;
        outcome = RunOnce(library, unregister);
        outcome.detail += " (tried again after " + first + ")";
        return outcome;
    }

private:
    Outcome RunOnce(const std::string& library, bool unregister) {
        std::wstring commandLine =
            L"\"" + exe_ + L"\" /s " + (unregister ? L"/u " : L"") + L"\"" + Wide(library) + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessW(exe_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                              nullptr, &startup, &info)) {
            return {"unknown", "-", "CreateProcess failed: " + std::to_string(::GetLastError())};
        }
        // In a job of its own, so that a time-out ends whatever it started
        // too, and so does this tool's own end.
        HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
        if (job != nullptr) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
            if (!::AssignProcessToJobObject(job, info.hProcess)) {
                ::CloseHandle(job);
                job = nullptr;
            }
        }
        // Both run under WoW64 (32-bit on 64-bit Windows) or neither does.
        BOOL childWow64 = FALSE;
        BOOL ownWow64 = FALSE;
        ::IsWow64Process(info.hProcess, &childWow64);
        ::IsWow64Process(::GetCurrentProcess(), &ownWow64);
        ::ResumeThread(info.hThread);
        Outcome outcome;
        if (::WaitForSingleObject(info.hProcess, limitMs_) == WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(info.hProcess, &code);
            outcome = FromRegsvr32Exit(code);
        } else {
            if (job != nullptr) ::TerminateJobObject(job, 1);
            ::TerminateProcess(info.hProcess, 1);
            ::WaitForSingleObject(info.hProcess, 5000);
            outcome = {"timed-out", "-", "ended after " + std::to_string(limitMs_) + " ms"};
        }
        outcome.child = (childWow64 != FALSE) == (ownWow64 != FALSE) ? "same bitness" : "other bitness";
        if (job != nullptr) ::CloseHandle(job);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        return outcome;
    }

    std::wstring exe_;
    DWORD limitMs_;
};

bool ParseRoot(const std::string& text, Root& root) {
    const size_t slash = text.find('\\');
    const std::string hive = text.substr(0, slash);
    root.subkey = slash == std::string::npos ? std::wstring() : Wide(text.substr(slash + 1));
    root.hiveName = hive;
    if (hive == "HKLM") {
        root.hive = HKEY_LOCAL_MACHINE;
    } else if (hive == "HKCU") {
        root.hive = HKEY_CURRENT_USER;
    } else if (hive == "HKU") {
        root.hive = HKEY_USERS;
    } else {
        return false;
    }
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: kalvex_compat engine|window|regsvr32 <library> [--limit <ms>] [--root <key>]...\n");
    return 2;
}

}  // namespace

// The arguments come as UTF-16, whatever the code page: a library's path
// may hold any character.
int wmain(int argc, wchar_t** wideArgv) {
    std::vector<std::string> arguments(static_cast<size_t>(argc));
    std::vector<const char*> argv(arguments.size());
    for (size_t i = 0; i < arguments.size(); ++i) {
        arguments[i] = kalvex::Utf8(wideArgv[i], std::wcslen(wideArgv[i]));
        argv[i] = arguments[i].c_str();
    }
    if (argc < 3) return Usage();
    const std::string mode = argv[1];
    const std::string library = argv[2];
    if (mode != "engine" && mode != "window" && mode != "regsvr32") return Usage();
    // regsvr32's own time: the engine's wait, and some for the process to
    // start and end.
    DWORD limitMs = kalvex::kWorkerWaitLimitMs + 5000;
    std::vector<Root> roots;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--limit") {
            limitMs = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        } else if (option == "--root") {
            Root root{};
            if (!ParseRoot(argv[i + 1], root)) return Usage();
            roots.push_back(root);
        } else {
            return Usage();
        }
    }
    if (roots.empty()) {
        roots = {{HKEY_LOCAL_MACHINE, "HKLM", L""}, {HKEY_CURRENT_USER, "HKCU", L""}};
    }

    std::printf("library\t%s\nmode\t%s\n", library.c_str(), mode.c_str());
    for (const Root& root : roots) {
        std::printf("root\t%s%s%s\n", root.hiveName.c_str(), root.subkey.empty() ? "" : "\\",
                    Utf8(root.subkey).c_str());
    }

    std::optional<EngineRunner> engine;
    std::optional<WindowRunner> window;
    std::optional<Regsvr32Runner> regsvr32;
    if (mode == "engine") {
        engine.emplace();
        std::printf("tool\tRegistrationEngine\n");
    } else if (mode == "window") {
        // Started before the first snapshot: the program's own start is
        // not a registration's change.
        const std::string exe = "C:\\kalvex\\kalvex.exe";
        window.emplace(exe);
        if (!window->Started()) {
            std::fprintf(stderr, "%s did not start\n", exe.c_str());
            return 3;
        }
        std::printf("tool\t%s\n", exe.c_str());
    } else {
        regsvr32.emplace(limitMs);
        std::printf("tool\t%s\n", regsvr32->Exe().c_str());
    }
    std::fflush(stdout);

    Snapshot before = TakeSnapshot(roots);
    PrintSnapshot("before", before);
    std::fflush(stdout);
    const char* const stepNames[] = {"register", "unregister"};
    const char* const snapshotNames[] = {"registered", "unregistered"};
    for (int step = 0; step < 2; ++step) {
        const double start = NowMs();
        Outcome outcome;
        if (engine) {
            outcome = engine->Run(library, step == 1);
        } else if (window) {
            outcome = window->Run(library, step == 1);
        } else {
            outcome = regsvr32->Run(library, step == 1);
        }
        const double ms = NowMs() - start;
        std::printf("step\t%s\t%s\t%s\t%s\t%.1f\n", stepNames[step], outcome.outcome.c_str(), outcome.code.c_str(),
                    Printable(outcome.detail).c_str(), ms);
        if (!outcome.child.empty()) std::printf("child\t%s\t%s\n", stepNames[step], outcome.child.c_str());
        std::fflush(stdout);
        Snapshot after = TakeSnapshot(roots);
        PrintSnapshot(snapshotNames[step], after);
        PrintChanges(stepNames[step], before, after);
        std::fflush(stdout);
        before = std::move(after);
    }
    std::printf("end\n");
    std::fflush(stdout);
    // A worker still running inside a component would keep this process
    // from ending, or fault when the component is unloaded under it.
    if (engine && engine->AnyTimedOut()) ::TerminateProcess(::GetCurrentProcess(), 0);
    return 0;
}
