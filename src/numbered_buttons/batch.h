// The batch files behind the two numbered buttons: their names, their text,
// where they go, the hint shown to administrators and the launch parameters.
// Plain text rules; the shell and file calls stay with the caller.
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

// The shell verb and show command of the launch.
constexpr const char* kRunAsVerb = "runas";
constexpr int kShowNormal = 1;

// "unregister.bat" for index 0, "register.bat" for any other index.
std::string BatchFileName(std::int16_t index);

// The shell's administrator test counts as yes when its low 16 bits are
// not all zero.
bool AdminAnswerIsYes(std::uint32_t answer);

// The hint that tells an administrator which file to run by hand, in three
// blocks. The apostrophe opened before the folder is not closed.
std::string AdminHint(const std::string& programFolder, const std::string& name, const std::string& newLine);

// The batch text: the 32-bit system folder (fixed text, SysWOW64 on 64-bit
// Windows), regsvr32 on mscomctl.ocx (with /u for index 0; register.bat
// also registers msdatsrc.tlb), then "pause". Lines are joined by
// `newLine`; the last one has none after it.
std::string BatchText(std::int16_t index, bool windows64, const std::string& newLine);

// The program's folder, "\" and the name. The separator is always added, so
// a drive root gives "C:\\register.bat".
std::string BatchFilePath(const std::string& programFolder, const std::string& name);

// The program's own argument text with "/admin" appended directly.
std::string LaunchParameters(const std::string& arguments);

// What the shell is handed to run a batch file: the system folder's command
// processor (by its full path), and its parameters.
struct BatchLaunch {
    std::string program;
    std::string parameters;
};

// The command processor keeps the quotes after "/C" only when nothing
// like "&", "(" or "@" stands between them, and strips them otherwise:
// a batch file in "C:\R&D" or "kalvex (1)" would not run. One more pair of
// quotes around the whole command is what it strips instead:
//   /C ""<batch file>" <parameters>"
BatchLaunch CommandProcessorLaunch(const std::string& systemFolder, const std::string& batchFile,
                                   const std::string& parameters);

}  // namespace kalvex
