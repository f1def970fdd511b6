// The batch files behind the two numbered buttons: their names, their text,
// where they go, the hint shown to administrators and the launch parameters.
// Plain text rules; the shell and file calls stay with the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
std::string AdminHint(const std::string& programFolder, const std::string& name);

// The batch text: the 32-bit system folder (fixed text, SysWOW64 on 64-bit
// Windows), regsvr32 on mscomctl.ocx (with /u for index 0; register.bat
// also registers msdatsrc.tlb), then "pause". Lines are joined by
// kNewLine; the last one has none after it.
std::string BatchText(std::int16_t index, bool windows64);

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

// Splits argument text into arguments as the C run-time does: spaces and
// tabs separate them outside quotes; 2n backslashes before a quote give n
// and the quote opens or closes a quoted part, 2n+1 give n and a literal
// quote; inside a quoted part "" gives a literal quote and the part goes
// on; other backslashes are literal.
std::vector<std::string> SplitArguments(const std::string& text);

// The command processor reads its command line as commands: "&", "|", "<",
// ">", "^" and "(" outside quotes, and %NAME% anywhere, even inside quotes
// and in the batch file's own path, would act. The launch hands it
//   /e:ON /v:OFF /d /c ""<batch file>" <argument> <argument>..."
// with AutoRun commands and delayed expansion off and extensions on. It
// strips the outer pair of quotes, so a batch file in "C:\R&D" or
// "kalvex (1)" runs. Each argument of `parameters` (split as the C run-time
// splits them) is passed as data: quoted when it is empty, ends in a
// backslash or holds anything but letters, digits and #$*+-./:?@\_, with
// quotes doubled (and the backslashes before them doubled too); every "%",
// in the arguments and in the path, becomes "%%cd:~,%", which expands to
// "%" alone and breaks any %NAME%. Nothing when no quoting can carry the
// text: a line break or a null character anywhere, a quote in the path.
std::optional<BatchLaunch> CommandProcessorLaunch(const std::string& systemFolder, const std::string& batchFile,
                                                  const std::string& parameters);

// What the user is told when CommandProcessorLaunch refuses.
std::string RefusedLaunchMessage();

}  // namespace kalvex
