#include "frmKalvex.h"

#include <exception>

#include "numbered_buttons/batch.h"
#include "shared/startup_marks.h"
#include "shared/text.h"
#include "system_questions/system_questions.h"
#include "versioninfo/version_label.h"
#include "versioninfo/version_scan.h"

namespace kalvex {

namespace {
// Runs one step of start-up, which carries on after failures: an error
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
    : mControls(services.controls),
      mToolkit(services.toolkit),
      mFiles(services.files),
      mSystem(services.system),
      mShell(services.shell),
      mVersion(services.version),
      mEngine(services.modules, services.toolkit) {}

void frmKalvex::Form_Load() {
    Attempt([&] {
        mControls.SetText(ControlId::lblOCXFileSpec,
                          std::string(kFileSpecCaptionLine1) + kNewLine + kFileSpecCaptionLine2);
    });
    Attempt([&] { mControls.SetVisible(ControlId::lblPleaseVerify, false); });
    Attempt([&] { SetButtonMode(true); });
    StartupMark("start-up: captions and mode");
    Attempt([&] { mControls.SetListFolder(ControlId::File1, GetSystemPath(mSystem)); });
    StartupMark("start-up: file list");

    const std::string defaultPath =
        std::string(is64(mSystem) ? kDefaultFolder64 : kDefaultFolder32) + kDefaultComponentFile;
    if (IsFileThere(mSystem, defaultPath)) Attempt([&] { mControls.SetText(ControlId::text1, defaultPath); });
    StartupMark("start-up: default component");
}

// ---- the numbered buttons ----

// Writes the batch file next to the program and hands it to the shell to run
// elevated, in the system folder's command processor. Pending events are
// processed before the file is written and again before it is launched, so a
// second press can run nested in here; each press rebuilds and rewrites its
// file, and no file is open while events are processed. A file that could
// not be written is not launched: whatever older file of that name lies
// there is not ours to run with administrator rights.
void frmKalvex::Command1_Click(std::int16_t index) {
    const std::string name = BatchFileName(index);
    const std::string folder = mToolkit.ProgramFolder();
    if (AdminAnswerIsYes(mShell.IsUserAnAdmin())) mToolkit.ShowMessage(AdminHint(folder, name));
    const std::string text = BatchText(index, is64(mSystem));
    const std::string path = BatchFilePath(folder, name);

    mToolkit.ProcessPendingEvents();
    bool written = false;
    try {
        mFiles.Write(path, text);
        written = true;
    } catch (const std::exception& e) {
        mToolkit.ShowMessage(path + " " + e.what());
    }
    mToolkit.ProcessPendingEvents();
    if (!written) return;

    const std::string systemFolder = GetSystemPath(mSystem);
    if (systemFolder.empty()) {
        mToolkit.ShowMessage(kNoCommandProcessor);
        return;
    }
    const std::optional<BatchLaunch> launch =
        CommandProcessorLaunch(systemFolder, path, LaunchParameters(mToolkit.ProgramArguments()));
    if (!launch) {
        mToolkit.ShowMessage(RefusedLaunchMessage());
        return;
    }
    mShell.Launch(kRunAsVerb, launch->program, launch->parameters, kShowNormal);
}

// ---- closing ----

void frmKalvex::Command2_Click() { mToolkit.CloseWindow(); }

void frmKalvex::cmdExit_Click() { mToolkit.CloseWindow(); }

// ---- the general section's confirmation flow ----

namespace {
bool OnlySpaces(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }
}  // namespace

// Register and Unregister share their checks: a name must be given, and the
// file it names must open. The name is made absolute once (see
// ComponentPath): the file checked is the file shown and the file loaded,
// whatever the current folder is by the time the user proceeds. text1 keeps
// what the user wrote.
std::optional<std::string> frmKalvex::CheckedComponent() {
    const std::string fileSpec = mControls.Text(ControlId::text1);
    if (OnlySpaces(fileSpec)) {
        mToolkit.ShowMessage(kNoPathYet);
        return std::nullopt;
    }
    std::string component = ComponentPath(mSystem, fileSpec);
    if (!IsFileThere(mSystem, component)) {
        mToolkit.ShowMessage(kFileNotFound);
        return std::nullopt;
    }
    return component;
}

void frmKalvex::cmdRegister_Click() {
    std::optional<std::string> component = CheckedComponent();
    if (!component) return;
    ShowFileInfo(*component);
    mPending = PendingConfirmation{std::move(*component), RegistrationAction::Register, ++mConfirmations};
    SetButtonMode(false);
}

void frmKalvex::cmdUnregister_Click() {
    std::optional<std::string> component = CheckedComponent();
    if (!component) return;
    mPending = PendingConfirmation{std::move(*component), RegistrationAction::Unregister, ++mConfirmations};
    SetButtonMode(false);
}

void frmKalvex::cmdProceed_Click() {
    if (!mPending) return;  // nothing was confirmed
    const PendingConfirmation pending = *mPending;
    mToolkit.ShowMessage(kProceedNotice);
    // The window's events ran while the notice was up: a Cancel, another
    // Proceed or a new Register there ended or replaced what was confirmed.
    // Only the confirmation that is still the one pending runs.
    if (!mPending || mPending->number != pending.number) return;
    RegisterServer(pending);
    if (pending.action == RegistrationAction::Register) WithdrawFileInfo();
    mPending.reset();
    SetButtonMode(true);
}

void frmKalvex::cmdCancel_Click() {
    WithdrawFileInfo();
    mPending.reset();
    SetButtonMode(true);
}

// The outcome is told in a box whatever it was. Where the machine's classes
// were refused for want of rights, the box asks whether to do the same for
// this user only, and Yes does it and tells that outcome.
void frmKalvex::RegisterServer(const PendingConfirmation& pending) {
    const RegistrationOutcome outcome = mEngine.RegisterServer(pending.component, pending.action);
    if (!outcome.refusedForRights) {
        mToolkit.ShowMessage(OutcomeMessage(outcome));
        return;
    }
    const std::string question =
        OutcomeMessage(outcome) + kNewLine + kNewLine + ThisUserOffer(pending.component, pending.action);
    if (!mToolkit.Ask(question)) return;
    const RegistrationOutcome forThisUser =
        mEngine.RegisterServer(pending.component, pending.action, RegistrationScope::ThisUser);
    mToolkit.ShowMessage(OutcomeMessage(forThisUser));
}

// ---- version information ----

std::string frmKalvex::GetVersionInfo(const std::string& fileSpec) {
    const std::optional<VersionScan> info = ReadVersionInfo(mVersion, fileSpec);
    if (!info || !info->hasProductVersion) return std::string();
    // Each value on its own line, as the file stores it: nothing in a value
    // makes a line of its own, turns the text round or hides behind it.
    return "Company Name:  " + ShownVersionValue(info->companyName) + kNewLine +
           "Product Version:  " + ShownVersionValue(info->productVersion);
}

void frmKalvex::ShowFileInfo(const std::string& fileSpec) {
    const std::string info = GetVersionInfo(fileSpec);
    mControls.SetVisible(ControlId::lblPleaseVerify, !info.empty());
    mControls.SetText(ControlId::lblFileInfo, info.empty() ? kNoVersion : info);
}

void frmKalvex::WithdrawFileInfo() {
    mControls.SetVisible(ControlId::lblPleaseVerify, false);
    mControls.SetText(ControlId::lblFileInfo, "");
}

// Whatever names another file takes back what was shown for the last one.
void frmKalvex::text1_Change() { WithdrawFileInfo(); }

// A press on the list, with any button, names its current entry in text1;
// while a confirmation is pending, text1 is locked against the list too.
void frmKalvex::File1_MouseDown() {
    if (mPending) return;
    const std::string folder = mControls.ListFolder(ControlId::File1);
    const std::string name = mControls.ListItem(ControlId::File1, mControls.ListIndex(ControlId::File1));
    mControls.SetText(ControlId::text1, folder + "\\" + name);
}

void frmKalvex::Click(ControlId id) {
    switch (id) {
        case ControlId::Command1_0: Command1_Click(0); break;
        case ControlId::Command1_1: Command1_Click(1); break;
        case ControlId::Command2: Command2_Click(); break;
        case ControlId::cmdExit: cmdExit_Click(); break;
        case ControlId::cmdRegister: cmdRegister_Click(); break;
        case ControlId::cmdUnregister: cmdUnregister_Click(); break;
        case ControlId::cmdProceed: cmdProceed_Click(); break;
        case ControlId::cmdCancel: cmdCancel_Click(); break;
        default: break;
    }
}

void frmKalvex::SetButtonMode(bool normal) {
    mControls.SetVisible(ControlId::cmdRegister, normal);
    mControls.SetVisible(ControlId::cmdUnregister, normal);
    mControls.SetVisible(ControlId::cmdExit, normal);
    mControls.SetVisible(ControlId::cmdProceed, !normal);
    mControls.SetVisible(ControlId::cmdCancel, !normal);
    mControls.SetLocked(ControlId::text1, !normal);
}

}  // namespace kalvex
