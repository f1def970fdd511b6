// The words of a failure: what the facts gathered about it come to for
// the user (Explain), one text for each cause.
#include "diagnosis.h"

#include "shared/format.h"

namespace kalvex {

namespace {

constexpr std::uint32_t kInitFailed = 1114;

constexpr char kAdminRemedy[] =
    "Registering a component for all users writes the machine's part of the registry, which needs "
    "administrator rights, and Kalvex runs without them. Close Kalvex, start it with \"Run as administrator\" "
    "(right-click kalvex.exe) and register the component again.";

// The OLE registration results that the system has no text for, and the
// access errors among them, whose remedy is administrator rights.
struct ResultWords {
    std::uint32_t code;
    bool access;
    const char* words;
};
constexpr ResultWords kResultWords[] = {
    {0x80070005, true, nullptr},  // E_ACCESSDENIED: the system's own text
    {0x8002801C, true, "It could not write its type library's entries into the registry (TYPE_E_REGISTRYACCESS)."},
    {0x80040151, true, "It could not write its entries into the registry (REGDB_E_WRITEREGDB)."},
    {0x80040150, false, "It could not read what it needs from the registry (REGDB_E_READREGDB)."},
    {0x80040154, false,
     "A class it uses while it registers is not registered itself (REGDB_E_CLASSNOTREG): a library or runtime "
     "it relies on is missing or not registered."},
    {0x80040200, false, "It could not register its type library (SELFREG_E_TYPELIB)."},
    {0x80040201, false, "It could not register one of its classes (SELFREG_E_CLASS)."},
    {0x8002801D, false,
     "A type library it relies on is not registered (TYPE_E_LIBNOTREGISTERED): register the library it comes "
     "with first."},
    {0x80029C4A, false, "A type library it needs could not be loaded (TYPE_E_CANTLOADLIBRARY)."},
};

const ResultWords* WordsFor(std::uint32_t code) {
    for (const ResultWords& words : kResultWords) {
        if (words.code == code) return &words;
    }
    return nullptr;
}

// "a.ocx needs b.dll, which needs c.dll".
std::string ChainText(const std::vector<std::string>& chain) {
    std::string text;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i == 0) {
            text = chain[i];
        } else {
            text += (i == 1 ? " needs " : ", which needs ") + chain[i];
        }
    }
    return text;
}

std::string BitnessOf(Machine machine) {
    switch (machine) {
        case Machine::X86: return "32-bit";
        case Machine::X64: return "64-bit";
        default: break;
    }
    return MachineName(machine);
}

std::string OtherMachineText(const FailureFacts& facts) {
    const Machine component = facts.finding.machine;
    std::string text = facts.file + " is a " + MachineName(component) + " component, and this Kalvex is a " +
                       MachineName(facts.program) +
                       " program: a component loads only into a program of its own bitness, so nothing was "
                       "loaded or registered.\r\n";
    if (component == Machine::X64 && facts.program == Machine::X86) {
        if (!facts.windows64) return text + "This Windows is 32-bit and cannot run a 64-bit component at all.";
        return text + "Register it with kalvex-x86_64.exe from the Kalvex release, or with the 64-bit regsvr32 in " +
               facts.windowsFolder + "\\System32.";
    }
    if (component == Machine::X86 && facts.program == Machine::X64) {
        return text +
               "Register it with kalvex.exe (the 32-bit Kalvex) from the Kalvex release, or with the 32-bit "
               "regsvr32 in " +
               facts.windowsFolder + "\\SysWOW64.";
    }
    return text + "Neither Kalvex build can load it: use the component's version for x86 or x64 processors.";
}

std::string DotNetText(const FailureFacts& facts) {
    const bool unregister = facts.entry == "DllUnregisterServer";
    return facts.file + " is a .NET assembly: it does not register itself. " +
           (unregister ? "Unregister" : "Register") + " it with the .NET Framework's RegAsm.exe (in " +
           facts.windowsFolder +
           "\\Microsoft.NET\\Framework, or Framework64 for 64-bit use), as administrator: " + "RegAsm.exe " +
           (unregister ? "/unregister" : "/codebase") + " \"" + facts.file + "\".";
}

std::string LoadFindingText(const FailureFacts& facts) {
    const Finding& finding = facts.finding;
    const std::string last = finding.chain.empty() ? std::string() : finding.chain.back();
    switch (finding.kind) {
        case Finding::Kind::FileMissing:
            return facts.file + " is no longer there: it was moved or deleted after it was checked.";
        case Finding::Kind::EmptyFile:
            return facts.file +
                   " is empty, so it is no component: it may have been cut short while it was copied "
                   "or downloaded. Get it again.";
        case Finding::Kind::NotAnImage:
            return facts.file +
                   " is not a Windows library (DLL or OCX): it is a file of another kind, or it was "
                   "damaged or cut short while it was copied or downloaded. Get the component again.";
        case Finding::Kind::OtherMachine: return OtherMachineText(facts);
        case Finding::Kind::DotNet: return DotNetText(facts);
        case Finding::Kind::ModuleMissing:
            return ChainText(finding.chain) + ".\r\n" + last + " was found neither beside " + facts.file + " (in " +
                   finding.folder + ") nor among the libraries Windows provides. Install the program or runtime " +
                   last + " comes with, or place " + last + " beside " + facts.file + ".";
        case Finding::Kind::ModuleOtherMachine:
            return ChainText(finding.chain) + ".\r\nThe " + last + " found" +
                   (finding.folder.empty() ? std::string() : " (in " + finding.folder + ")") + " is " +
                   (finding.machine == Machine::Unknown ? "built for another processor"
                                                        : "a " + MachineName(finding.machine) + " library") +
                   ", and " + facts.file + " is " + BitnessOf(facts.program) + ": place the " +
                   BitnessOf(facts.program) + " " + last + " beside " + facts.file + " instead.";
        case Finding::Kind::FunctionMissing:
            return ChainText(finding.chain) + ".\r\n" + last + " (in " + finding.folder + ") has no function " +
                   finding.function + ": it is another version than the one " + facts.file +
                   " was built for. Install the version of " + last + " that came with the component.";
        case Finding::Kind::Nothing: break;
    }
    return std::string();
}

// The system's text with the file's name for its "%1".
std::string SystemTextText(const FailureFacts& facts) {
    std::string text = facts.systemText;
    for (std::size_t at = text.find("%1"); at != std::string::npos; at = text.find("%1", at + facts.file.size())) {
        text.replace(at, 2, facts.file);
    }
    return text;
}

std::string LoadText(const FailureFacts& facts) {
    std::string text = LoadFindingText(facts);
    if (!text.empty()) return text;
    text = facts.file + " could not be loaded";
    if (!facts.systemText.empty()) text += ". The system says: " + SystemTextText(facts);
    text += " (error " + Decimal(facts.code) + ").";
    if (facts.code == kInitFailed) {
        text += "\r\nThe component, or a library it needs, refused to start when it was loaded.";
    }
    return text;
}

std::string NoEntryText(const FailureFacts& facts) {
    const bool unregister = facts.entry == "DllUnregisterServer";
    if (facts.header.isDotNet) return DotNetText(facts);
    if (facts.headerRead && !facts.header.isDll) {
        return facts.file +
               " is a program, not a library: a program that serves COM registers itself when it is "
               "started with /RegServer, and unregisters with /UnregServer (\"" +
               facts.file + "\" " + (unregister ? "/UnregServer" : "/RegServer") + ").";
    }
    return facts.file + " has no " + facts.entry +
           " entry point: it does not register itself, so there is nothing for Kalvex to do. It may need no "
           "registration, or come with an installer of its own.";
}

std::string CallText(const FailureFacts& facts) {
    const ResultWords* words = WordsFor(facts.code);
    std::string text;
    if (words != nullptr && words->words != nullptr) {
        text = words->words;
    } else if (!facts.systemText.empty()) {
        text = SystemTextText(facts);
    }
    if (text.empty()) return text;
    text = facts.file + " answered: " + text;
    if (words != nullptr && words->access && !facts.elevated) text += "\r\n" + std::string(kAdminRemedy);
    return text;
}

}  // namespace

bool IsAccessRefusal(std::uint32_t result) {
    const ResultWords* words = WordsFor(result);
    return words != nullptr && words->access;
}

std::string MachineName(Machine machine) {
    switch (machine) {
        case Machine::X86: return "32-bit (x86)";
        case Machine::X64: return "64-bit (x64)";
        case Machine::Arm64: return "ARM64";
        case Machine::Other:
        case Machine::Unknown: break;
    }
    return "other processor's";
}

std::string Explain(const FailureFacts& facts) {
    switch (facts.stage) {
        case FailureFacts::Stage::Load: return LoadText(facts);
        case FailureFacts::Stage::NoEntry: return NoEntryText(facts);
        case FailureFacts::Stage::Call: return CallText(facts);
        case FailureFacts::Stage::Exception: return LoadFindingText(facts);
    }
    return std::string();
}

}  // namespace kalvex
