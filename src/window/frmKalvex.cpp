#include "frmKalvex.h"

#include <exception>

#include "probes/probes.h"

namespace kalvex {

namespace {
// Runs one step of a procedure that carries on after failures: an error
// abandons the step and nothing is reported.
template <typename Step>
void Attempt(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}
}  // namespace

frmKalvex::frmKalvex(Services services)
    : controls_(services.controls), toolkit_(services.toolkit), system_(services.system) {}

void frmKalvex::Form_Load() {
    Attempt([&] { mNewLine = "\r\n"; });
    Attempt([&] {
        controls_.SetText(ControlId::lblOCXFileSpec,
                          std::string(kFileSpecCaptionLine1) + "\r\n" + kFileSpecCaptionLine2);
    });
    Attempt([&] { controls_.SetVisible(ControlId::lblPleaseVerify, false); });
    Attempt([&] { SetButtonMode(kTrue); });
    Attempt([&] { controls_.SetListFolder(ControlId::File1, GetSystemPath()); });

    // When a test fails, start-up goes on inside the choice's first branch:
    // hence the defaults of `on64` and `found`.
    bool on64 = true;
    Attempt([&] { on64 = is64() != kFalse; });
    const std::string defaultPath = std::string(on64 ? kDefaultFolder64 : kDefaultFolder32) + kDefaultComponentFile;

    bool found = true;
    Attempt([&] { found = !toolkit_.Dir(defaultPath, kNormalFiles).empty(); });
    if (found) Attempt([&] { controls_.SetText(ControlId::text1, defaultPath); });
}

void frmKalvex::Form_Unload() { toolkit_.EndProgram(); }

void frmKalvex::Command1_Click(std::int16_t /*index*/) {}

void frmKalvex::Command2_Click() { toolkit_.UnloadWindow(); }

void frmKalvex::cmdExit_Click() { toolkit_.UnloadWindow(); }

void frmKalvex::cmdRegister_Click() {}

void frmKalvex::cmdUnregister_Click() {}

void frmKalvex::cmdProceed_Click() {}

void frmKalvex::cmdCancel_Click() {}

void frmKalvex::text1_Change() {
    controls_.SetVisible(ControlId::lblPleaseVerify, false);
    controls_.SetText(ControlId::lblFileInfo, "");
}

void frmKalvex::File1_MouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
    const std::string folder = controls_.ListFolder(ControlId::File1);
    const std::string name = controls_.ListItem(ControlId::File1, controls_.ListIndex(ControlId::File1));
    controls_.SetText(ControlId::text1, folder + "\\" + name);
}

bool frmKalvex::Click(ControlId id) {
    switch (id) {
        case ControlId::Command1_0: Command1_Click(0); return true;
        case ControlId::Command1_1: Command1_Click(1); return true;
        case ControlId::Command2: Command2_Click(); return true;
        case ControlId::cmdExit: cmdExit_Click(); return true;
        case ControlId::cmdRegister: cmdRegister_Click(); return true;
        case ControlId::cmdUnregister: cmdUnregister_Click(); return true;
        case ControlId::cmdProceed: cmdProceed_Click(); return true;
        case ControlId::cmdCancel: cmdCancel_Click(); return true;
        default: return false;
    }
}

VbBool frmKalvex::is64() { return Is64(system_); }

std::string frmKalvex::GetSystemPath() { return SystemPath(system_); }

VbBool frmKalvex::IsFileThere(const std::string& inFileSpec) { return FileIsThere(system_, inFileSpec); }

void frmKalvex::SetButtonMode(VbBool flag) {
    const bool normal = flag != kFalse;
    controls_.SetVisible(ControlId::cmdRegister, normal);
    controls_.SetVisible(ControlId::cmdUnregister, normal);
    controls_.SetVisible(ControlId::cmdExit, normal);
    controls_.SetVisible(ControlId::cmdProceed, !normal);
    controls_.SetVisible(ControlId::cmdCancel, !normal);
    controls_.SetLocked(ControlId::text1, !normal);
}

}  // namespace kalvex
