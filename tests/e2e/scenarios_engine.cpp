// Scenarios of the in-process registration engine, through the general
// section's Register/Unregister and Proceed, with the test components that
// lie next to kalvex.exe.
#include <cstdio>
#include <string>

#include "scenario_support.h"

namespace e2e {

using kalvex::ControlId;

namespace {

const char kNoEntryOrThread[] = "Process failed in obtaining entry point or creating thread.";
const char kNotSignaled[] = "Process failed in signaled state or time-out.";

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD EngineCall(Program& program, const std::string& component, bool registering, const std::string& outcome,
                 const std::string& what, DWORD limitMs = 10000, const std::string& clockFrom = std::string()) {
    return RunThrough(program, registering ? ControlId::cmdRegister : ControlId::cmdUnregister, Component(component),
                      outcome, what, limitMs, clockFrom);
}

void ScenarioOutcomes(Program& program) {
    EngineCall(program, "kvx_text.ocx", true, "Failure loading control DLL", "text file named .ocx");
    EngineCall(program, "kvx_noexports.dll", true, kNoEntryOrThread, "library without entry points");
    EngineCall(program, "kvx_denied.ocx", true, "Process failed with error code 0x80070005.",
               "entry point returning E_ACCESSDENIED");
    CheckEqual(GoodRegistration(), "", "nothing registered before kvx_good");

    EngineCall(program, "kvx_good.ocx", true, "Process completed", "register kvx_good");
    const std::string server = GoodRegistration();
    Check(lstrcmpiA(server.c_str(), Component("kvx_good.ocx").c_str()) == 0,
          "register kvx_good: InprocServer32 names the component", server);
}

// The slow component outlasts the wait. Its module must stay loaded until
// its worker has ended and the next engine call has seen that.
void ScenarioSlowComponent(Program& program) {
    const std::string markers[] = {Component("kvx_slow.started"), Component("kvx_slow.finished"),
                                   Component("kvx_slow.unloaded")};
    const std::string& started = markers[0];
    const std::string& finished = markers[1];
    const std::string& unloaded = markers[2];
    for (const std::string& marker : markers) ::DeleteFileA(marker.c_str());

    const DWORD elapsed =
        EngineCall(program, "kvx_slow.ocx", true, kNotSignaled, "slow component times out", 15000, started);
    std::printf("# slow component: time-out message %lu ms after its worker started\n",
                static_cast<unsigned long>(elapsed));
    Check(elapsed >= 9500 && elapsed <= 12000, "slow component: time-out after about 10 s",
          std::to_string(elapsed) + " ms");
    Check(Responsive(program), "slow component: window answers input afterwards");
    Check(!FileExists(unloaded), "slow component: still loaded while its worker runs");

    Check(WaitFor([&] { return FileExists(finished); }, 6000), "slow component: worker finishes");
    ::Sleep(1000);
    Check(!FileExists(unloaded), "slow component: kept until the next engine call");

    EngineCall(program, "kvx_good.ocx", false, "Process completed", "unregister kvx_good");
    CheckEqual(GoodRegistration(), "", "unregister kvx_good: class removed");
    Check(WaitFor([&] { return FileExists(unloaded); }, 3000), "slow component: unloaded by the next engine call");

    for (const std::string& marker : markers) ::DeleteFileA(marker.c_str());
}

}  // namespace

void RunEngineScenarios() {
    Program program;
    if (!StartProgram(program, "engine")) return;
    ScenarioOutcomes(program);
    ScenarioSlowComponent(program);
    NoMessageBoxes(program, "engine");
    Click(program, ControlId::cmdExit);
    ExpectEndsWithZero(program, "Exit after the engine calls");
    // Whatever a failed check left behind.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kGoodClassKey);
}

}  // namespace e2e
