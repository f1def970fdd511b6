// The main window's behaviour: its state, its event handlers and its public
// operations. It sees the controls, the toolkit services and the system only
// through the narrow interfaces it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "control_ids.h"
#include "probes/system_api.h"
#include "registration/engine.h"
#include "registration/module_api.h"
#include "registration/shell_api.h"
#include "shared/basic_types.h"
#include "toolkit.h"
#include "versioninfo/version_api.h"

namespace kalvex {

struct Services {
    Controls& controls;
    Toolkit& toolkit;
    FileLayer& files;
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

// The numbered buttons' launch, when the system folder cannot be told.
constexpr const char* kNoCommandProcessor = "The command processor was not found; the batch file was not started.";

class frmKalvex {
public:
    explicit frmKalvex(Services services);

    // Events raised by the toolkit.
    void Form_Load();
    void Form_Unload();
    void Command1_Click(std::int16_t index);
    void Command2_Click();
    void cmdExit_Click();
    void cmdRegister_Click();
    void cmdUnregister_Click();
    void cmdProceed_Click();
    void cmdCancel_Click();
    void text1_Change();
    void File1_MouseDown(int button, int shift, float x, float y);

    // Routes a click on a button to its handler; false for any other id.
    bool Click(ControlId id);

    // Public operations.
    VbBool is64();
    std::string GetSystemPath();
    VbBool IsFileThere(const std::string& inFileSpec);
    // Writes `buffer` to `file` as one text item. A failure is reported in a
    // message box (the path, a space, the system's description).
    void Savetext(const std::string& file, const std::string& buffer);

    // True: normal mode (Register, Unregister, Exit; text1 editable).
    // False: confirmation mode (Proceed, Cancel; text1 locked).
    void SetButtonMode(VbBool flag);

    // The window's own procedures, open to the tests.
    VbBool GetVersionInfo(const std::string& fileSpec);
    void ShowFileInfo(const std::string& fileSpec);
    void RegisterServer(const std::string& fileSpec, const std::string& command);

    // Window state, for the adapter and the tests.
    const std::string& NewLine() const { return mNewLine; }
    const std::string& CompanyName() const { return mCompanyName; }
    const std::string& ProductVersion() const { return mProductVersion; }
    VbBool RegisterMode() const { return mRegisterMode; }
    const std::optional<std::int32_t>& ApiResult() const { return mApiResult; }

private:
    // Savetext's work; true when the file was written.
    bool WriteTextFile(const std::string& file, const std::string& buffer);
    // The checks that Register and Unregister share; fills `fileSpec` with
    // text1's content, untrimmed. False after a message.
    bool CheckFileSpec(std::string& fileSpec);

    Controls& controls_;
    Toolkit& toolkit_;
    FileLayer& files_;
    SystemApi& system_;
    ShellApi& shell_;
    VersionApi& version_;
    RegistrationEngine engine_;

    std::string mNewLine;
    std::string mCompanyName;
    std::string mProductVersion;
    VbBool mRegisterMode = kFalse;
    std::optional<std::int32_t> mApiResult;  // empty until a writer stores a result
};

}  // namespace kalvex
