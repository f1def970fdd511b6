#include "batch.h"

namespace kalvex {

std::string BatchFileName(std::int16_t index) { return index == 0 ? "unregister.bat" : "register.bat"; }

bool AdminAnswerIsYes(std::uint32_t answer) { return (answer & 0xFFFFu) != 0; }

std::string AdminHint(const std::string& programFolder, const std::string& name, const std::string& newLine) {
    return "If not successful then " + newLine + newLine + "rightclick on '" + programFolder + "\\" + name + newLine +
           newLine + " and select 'Run as Adminstrator'";
}

std::string BatchText(std::int16_t index, bool windows64, const std::string& newLine) {
    std::string text = windows64 ? "cd C:\\Windows\\SysWOW64" : "cd C:\\Windows\\System32";
    if (index != 0) {
        text += newLine + "regsvr32 mscomctl.ocx";
        text += newLine + "regtlib msdatsrc.tlb";
    } else {
        text += newLine + "regsvr32 /u mscomctl.ocx";
    }
    text += newLine + "pause";
    return text;
}

std::string BatchFilePath(const std::string& programFolder, const std::string& name) {
    return programFolder + "\\" + name;
}

std::string LaunchParameters(const std::string& arguments) { return arguments + "/admin"; }

BatchLaunch CommandProcessorLaunch(const std::string& systemFolder, const std::string& batchFile,
                                   const std::string& parameters) {
    const bool separated = !systemFolder.empty() && systemFolder.back() == '\\';
    return {systemFolder + (separated ? "" : "\\") + "cmd.exe", "/C \"\"" + batchFile + "\" " + parameters + "\""};
}

}  // namespace kalvex
