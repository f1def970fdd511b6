#include "batch.h"

#include <algorithm>
#include <cctype>

#include "shared/text.h"

namespace kalvex {

std::string BatchFileName(std::int16_t index) { return index == 0 ? "unregister.bat" : "register.bat"; }

bool AdminAnswerIsYes(std::uint32_t answer) { return (answer & 0xFFFFu) != 0; }

std::string AdminHint(const std::string& programFolder, const std::string& name) {
    return std::string("If not successful then ") + kNewLine + kNewLine + "rightclick on '" + programFolder + "\\" +
           name + kNewLine + kNewLine + " and select 'Run as Adminstrator'";
}

std::string BatchText(std::int16_t index, bool windows64) {
    std::string text = windows64 ? "cd C:\\Windows\\SysWOW64" : "cd C:\\Windows\\System32";
    if (index != 0) {
        text += std::string(kNewLine) + "regsvr32 mscomctl.ocx";
        text += std::string(kNewLine) + "regtlib msdatsrc.tlb";
    } else {
        text += std::string(kNewLine) + "regsvr32 /u mscomctl.ocx";
    }
    text += std::string(kNewLine) + "pause";
    return text;
}

std::string BatchFilePath(const std::string& programFolder, const std::string& name) {
    return programFolder + "\\" + name;
}

std::string LaunchParameters(const std::string& arguments) { return arguments + "/admin"; }

std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> arguments;
    std::size_t at = 0;
    while (true) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string::npos) return arguments;
        std::string argument;
        bool quoted = false;
        while (at < text.size() && (quoted || (text[at] != ' ' && text[at] != '\t'))) {
            const std::size_t run = std::min(text.find_first_not_of('\\', at), text.size()) - at;
            const bool beforeQuote = at + run < text.size() && text[at + run] == '"';
            if (!beforeQuote) {
                const std::size_t literal = run > 0 ? run : 1;  // the backslashes, or one other character
                argument.append(text, at, literal);
                at += literal;
                continue;
            }
            argument.append(run / 2, '\\');
            at += run;
            if (run % 2 == 1) {
                argument += '"';
                ++at;
            } else if (quoted && at + 1 < text.size() && text[at + 1] == '"') {
                argument += '"';
                at += 2;
            } else {
                quoted = !quoted;
                ++at;
            }
        }
        arguments.push_back(argument);
    }
}

namespace {

// Text that no quoting carries to the command processor: a line break ends
// its command wherever it stands, and a null character ends the text.
bool Unpassable(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

// Every "%" becomes "%%cd:~,%": the command processor reads "%" (no name
// follows it) and then the empty piece of %cd%, so a %NAME% that follows
// is never a variable.
void AppendEscapingPercent(std::string& out, char c) {
    if (c == '%') out += "%%cd:~,";
    out += c;
}

// Whether `argument` goes in quotes: it is empty (it would vanish), ends in
// a backslash, or holds an ASCII character outside the few that the command
// processor leaves alone, or a C1 control character.
bool NeedsQuotes(const std::string& argument) {
    static const std::string kPlain = "#$*+-./:?@\\_";
    if (argument.empty() || argument.back() == '\\') return true;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const auto c = static_cast<unsigned char>(argument[i]);
        if (c < 0x80 && std::isalnum(c) == 0 && kPlain.find(static_cast<char>(c)) == std::string::npos) return true;
        const bool c1Control = c == 0xC2 && i + 1 < argument.size() &&
                               static_cast<unsigned char>(argument[i + 1]) >= 0x80 &&
                               static_cast<unsigned char>(argument[i + 1]) <= 0x9F;
        if (c1Control) return true;
    }
    return false;
}

// One argument as the command processor passes it on unchanged and as the
// C run-time would split it back.
std::string QuotedArgument(const std::string& argument) {
    const bool quoted = NeedsQuotes(argument);
    std::string out = quoted ? "\"" : "";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            out += c;
            continue;
        }
        if (c == '"') {
            // Doubled: the command processor sees the quotes open and close
            // in pairs and stays inside them.
            out.append(backslashes, '\\');
            out += '"';
        }
        backslashes = 0;
        AppendEscapingPercent(out, c);
    }
    if (quoted) {
        out.append(backslashes, '\\');
        out += '"';
    }
    return out;
}

}  // namespace

std::optional<BatchLaunch> CommandProcessorLaunch(const std::string& systemFolder, const std::string& batchFile,
                                                  const std::string& parameters) {
    if (Unpassable(parameters) || Unpassable(batchFile) || batchFile.find('"') != std::string::npos)
        return std::nullopt;
    std::string line = "/e:ON /v:OFF /d /c \"\"";
    for (const char c : batchFile) AppendEscapingPercent(line, c);
    line += '"';
    for (const std::string& argument : SplitArguments(parameters)) line += " " + QuotedArgument(argument);
    line += '"';
    const bool separated = !systemFolder.empty() && systemFolder.back() == '\\';
    return BatchLaunch{systemFolder + (separated ? "" : "\\") + "cmd.exe", line};
}

std::string RefusedLaunchMessage() {
    return std::string("The batch file was not started.") + kNewLine + kNewLine +
           "Kalvex's command line or its folder's name holds a line break, a null character or (in the folder's "
           "name) a quotation mark, which the command processor cannot take as plain text. Start Kalvex without "
           "them, or run the batch file by hand as administrator.";
}

}  // namespace kalvex
