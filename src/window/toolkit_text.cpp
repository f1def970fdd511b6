#include "toolkit_text.h"

#include <cctype>

namespace kalvex {

namespace {
bool IsDriveSpec(const std::string& text) {
    return text.size() == 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
}  // namespace

std::string FolderOfModulePath(const std::string& modulePath) {
    const std::string::size_type slash = modulePath.find_last_of("\\/");
    if (slash == std::string::npos) return std::string();
    std::string folder = modulePath.substr(0, slash);
    if (IsDriveSpec(folder)) folder += '\\';
    return folder;
}

std::string ArgumentsOfCommandLine(const std::string& commandLine) {
    std::string::size_type i = 0;
    const std::string::size_type n = commandLine.size();
    while (i < n && IsBlank(commandLine[i])) ++i;
    // The program's name, as the C run-time cuts it: a quoted name ends at
    // its closing quote, whatever follows; an unquoted one at the first blank.
    if (i < n && commandLine[i] == '"') {
        const std::string::size_type close = commandLine.find('"', i + 1);
        i = close == std::string::npos ? n : close + 1;
    } else {
        while (i < n && !IsBlank(commandLine[i])) ++i;
    }
    while (i < n && IsBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

bool MatchesFilePattern(const std::string& name, const std::string& pattern) {
    // Iterative wildcard match with a single backtrack point for "*".
    std::string::size_type n = 0, p = 0;
    std::string::size_type starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && Fold(pattern[p]) == Fold(name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string NormaliseListFolder(const std::string& folder) {
    std::string result = folder;
    while (result.size() > 1 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
    if (IsDriveSpec(result)) result += '\\';
    return result;
}

}  // namespace kalvex
