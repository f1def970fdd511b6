// The main window's behaviour: its state and its event handlers. It sees the
// controls, the program's services and the system only through the narrow
// interfaces it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "control_ids.h"
#include "engine/engine.h"
#include "engine/module_api.h"
#include "numbered_buttons/file_api.h"
#include "numbered_buttons/shell_api.h"
#include "system_questions/system_api.h"
#include "toolkit.h"
#include "versioninfo/version_api.h"

namespace kalvex {

struct Services {
    Controls& controls;
    Toolkit& toolkit;
    FileApi& files;
    SystemApi& system;
    ShellApi& shell;
    ModuleApi& modules;
    VersionApi& version;
};

// Texts of start-up.
constexpr const char* kFileSpecCaptionLine1 = "File specification of OCX/DLL";
constexpr const char* kFileSpecCaptionLine2 = "    e.g. c:\\Windows\\System\\mswinsck.ocx";
constexpr const char* kDefaultFolder64 = "c:\\windows\\syswow64";
constexpr const char* kDefaultFolder32 = "c:\\windows\\system32";
constexpr const char* kDefaultComponentFile = "\\mscomctl.ocx";

// Messages of the general section.
constexpr const char* kNoPathYet = "No path and filename yet";
constexpr const char* kFileNotFound = "File not found";
constexpr const char* kProceedNotice = "WWW";
constexpr const char* kNoVersion = "(No Product Version available for this file)";

// The numbered buttons' launch, when the system folder cannot be told.
constexpr const char* kNoCommandProcessor = "The command processor was not found; the batch file was not started.";

class frmKalvex {
public:
    explicit frmKalvex(Services services);

    // Events of the window and its controls.
    void Form_Load();
    void Command1_Click(std::int16_t index);
    void Command2_Click();
    void cmdExit_Click();
    void cmdRegister_Click();
    void cmdUnregister_Click();
    void cmdProceed_Click();
    void cmdCancel_Click();
    void text1_Change();
    void File1_MouseDown();

    // The one table of the buttons' click handlers: runs the handler of the
    // button `id`; a control without one is ignored.
    void Click(ControlId id);

private:
    // What Register or Unregister checked and showed, waiting for Proceed or
    // Cancel: Proceed runs exactly this, whatever text1 or the current
    // folder say by then.
    struct PendingConfirmation {
        std::string component;
        RegistrationAction action;
        std::uint64_t number;  // which confirmation of the window's life it is
    };

    // Normal mode (Register, Unregister, Exit; text1 editable), or
    // confirmation mode (Proceed, Cancel; text1 locked).
    void SetButtonMode(bool normal);
    // The checks that Register and Unregister share: text1 names something,
    // and the file it names, made absolute once, can be opened. That path,
    // or nothing after a message.
    std::optional<std::string> CheckedComponent();
    // The version label's text for the file, "" when it shows no product
    // version.
    std::string GetVersionInfo(const std::string& fileSpec);
    void ShowFileInfo(const std::string& fileSpec);
    // Takes back the version information shown for the last file checked.
    void WithdrawFileInfo();
    void RegisterServer(const PendingConfirmation& pending);

    Controls& mControls;
    Toolkit& mToolkit;
    FileApi& mFiles;
    SystemApi& mSystem;
    ShellApi& mShell;
    VersionApi& mVersion;
    RegistrationEngine mEngine;

    std::optional<PendingConfirmation> mPending;
    std::uint64_t mConfirmations = 0;
};

}  // namespace kalvex
