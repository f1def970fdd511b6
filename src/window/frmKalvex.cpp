#include "frmKalvex.h"

#include <exception>
#include <vector>

#include "probes/probes.h"
#include "registration/batch.h"
#include "shared/startup_marks.h"
#include "versioninfo/version_scan.h"

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
    : controls_(services.controls),
      toolkit_(services.toolkit),
      files_(services.files),
      system_(services.system),
      shell_(services.shell),
      version_(services.version),
      engine_(services.modules, services.toolkit) {}

void frmKalvex::Form_Load() {
    Attempt([&] { mNewLine = "\r\n"; });
    Attempt([&] {
        controls_.SetText(ControlId::lblOCXFileSpec,
                          std::string(kFileSpecCaptionLine1) + "\r\n" + kFileSpecCaptionLine2);
    });
    Attempt([&] { controls_.SetVisible(ControlId::lblPleaseVerify, false); });
    Attempt([&] { SetButtonMode(kTrue); });
    StartupMark("start-up: captions and mode");
    Attempt([&] { controls_.SetListFolder(ControlId::File1, GetSystemPath()); });
    StartupMark("start-up: file list");

    // When a test fails, start-up goes on inside the choice's first branch:
    // hence the defaults of `on64` and `found`.
    bool on64 = true;
    Attempt([&] { on64 = is64() != kFalse; });
    const std::string defaultPath = std::string(on64 ? kDefaultFolder64 : kDefaultFolder32) + kDefaultComponentFile;

    bool found = true;
    Attempt([&] { found = !toolkit_.Dir(defaultPath, kNormalFiles).empty(); });
    if (found) Attempt([&] { controls_.SetText(ControlId::text1, defaultPath); });
    StartupMark("start-up: probes");
}

void frmKalvex::Form_Unload() {
    // Components whose worker outlived its wait are released once it ended.
    Attempt([&] { engine_.ReleaseFinishedWorkers(); });
    toolkit_.EndProgram();
}

// ---- the numbered buttons ----

// Writes the batch file next to the program and hands it to the shell to run
// elevated, in the system folder's command processor. Pending events are
// processed on the way, so a second press can run nested in here; each press
// rebuilds and rewrites its file. A file that could not be written is not
// launched: whatever older file of that name lies there is not ours to run
// with administrator rights.
void frmKalvex::Command1_Click(std::int16_t index) {
    const std::string name = BatchFileName(index);
    const std::string folder = toolkit_.AppPath();
    if (AdminAnswerIsYes(shell_.IsUserAnAdmin())) toolkit_.MsgBox(AdminHint(folder, name, mNewLine));
    const std::string text = BatchText(index, is64() != kFalse, mNewLine);
    const std::string path = BatchFilePath(folder, name);
    const bool written = WriteTextFile(path, text);
    toolkit_.DoEvents();
    toolkit_.DoEvents();
    if (!written) return;
    const std::string systemFolder = GetSystemPath();
    if (systemFolder.empty()) {
        toolkit_.MsgBox(kNoCommandProcessor);
        return;
    }
    const BatchLaunch launch = CommandProcessorLaunch(systemFolder, path, LaunchParameters(toolkit_.CommandLine()));
    shell_.Launch(kRunAsVerb, launch.program, launch.parameters, kShowNormal);
}

void frmKalvex::Savetext(const std::string& file, const std::string& buffer) { WriteTextFile(file, buffer); }

// No file is open while events are processed: before the handle is taken and
// after it is given back. A failure is reported once, here.
bool frmKalvex::WriteTextFile(const std::string& file, const std::string& buffer) {
    toolkit_.DoEvents();
    toolkit_.DoEvents();
    int fileNumber = 0;
    bool open = false;
    bool written = false;
    try {
        fileNumber = files_.FreeFile();
        files_.OpenForOutput(fileNumber, file);
        open = true;
        files_.WriteText(fileNumber, buffer);
        open = false;
        files_.Close(fileNumber);
        written = true;
    } catch (const std::exception& e) {
        toolkit_.MsgBox(file + " " + e.what());
        if (open) Attempt([&] { files_.Close(fileNumber); });
    }
    toolkit_.DoEvents();
    return written;
}

// ---- closing ----

void frmKalvex::Command2_Click() { toolkit_.UnloadWindow(); }

void frmKalvex::cmdExit_Click() { toolkit_.UnloadWindow(); }

// ---- the general section's confirmation flow ----

namespace {
bool OnlySpaces(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }
}  // namespace

// Register and Unregister share their checks: a name must be given and the
// file must open. Both read text1 afresh and pass it on untrimmed.
bool frmKalvex::CheckFileSpec(std::string& fileSpec) {
    fileSpec = controls_.Text(ControlId::text1);
    if (OnlySpaces(fileSpec)) {
        toolkit_.MsgBox(kNoPathYet);
        return false;
    }
    if (IsFileThere(fileSpec) == kFalse) {
        toolkit_.MsgBox(kFileNotFound);
        return false;
    }
    return true;
}

// The version read and the load get the name as the check resolved it (see
// ComponentPath); text1 keeps what the user wrote.
void frmKalvex::cmdRegister_Click() {
    std::string fileSpec;
    if (!CheckFileSpec(fileSpec)) return;
    ShowFileInfo(ComponentPath(system_, fileSpec));
    mRegisterMode = kTrue;
    SetButtonMode(kFalse);
}

void frmKalvex::cmdUnregister_Click() {
    std::string fileSpec;
    if (!CheckFileSpec(fileSpec)) return;
    mRegisterMode = kFalse;
    SetButtonMode(kFalse);
}

void frmKalvex::cmdProceed_Click() {
    toolkit_.MsgBox(kProceedNotice);
    const std::string component = ComponentPath(system_, controls_.Text(ControlId::text1));
    if (mRegisterMode != kFalse) {
        RegisterServer(component, "");
        controls_.SetVisible(ControlId::lblPleaseVerify, false);
        controls_.SetText(ControlId::lblFileInfo, "");
    } else {
        RegisterServer(component, "u");
    }
    SetButtonMode(kTrue);
}

void frmKalvex::cmdCancel_Click() {
    text1_Change();
    SetButtonMode(kTrue);
}

void frmKalvex::RegisterServer(const std::string& fileSpec, const std::string& command) {
    engine_.RegisterServer(fileSpec, command, mApiResult);
}

// ---- version information ----

// Carries on after failures and never raises: a size query that cannot be
// made leaves the size at 0, a read that cannot be made leaves mApiResult.
// The names are replaced only after a successful read.
VbBool frmKalvex::GetVersionInfo(const std::string& fileSpec) {
    std::uint32_t size = 0;
    Attempt([&] { size = version_.VersionBlockSize(fileSpec); });
    if (size == 0) return kFalse;

    std::vector<std::uint8_t> block;
    Attempt([&] { block.assign(size, 0); });
    if (block.size() != size) return kFalse;
    Attempt([&] { mApiResult = version_.ReadVersionBlock(fileSpec, block); });
    if (mApiResult.value_or(0) == 0) return kFalse;

    mCompanyName.clear();
    mProductVersion.clear();
    VersionScan scan;
    Attempt([&] { scan = ScanVersionBlock(block, version_); });
    mCompanyName = scan.companyName;
    mProductVersion = scan.productVersion;
    return ToVb(scan.hasProductVersion);
}

void frmKalvex::ShowFileInfo(const std::string& fileSpec) {
    if (GetVersionInfo(fileSpec) != kFalse) {
        controls_.SetVisible(ControlId::lblPleaseVerify, true);
        controls_.SetText(ControlId::lblFileInfo,
                          "Company Name:  " + mCompanyName + "\r\n" + "Product Version:  " + mProductVersion);
    } else {
        controls_.SetVisible(ControlId::lblPleaseVerify, false);
        controls_.SetText(ControlId::lblFileInfo, "(No Product Version available for this file)");
    }
}

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
