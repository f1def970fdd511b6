// Text rules behind some toolkit services, kept free of platform calls so
// that they can be checked on their own.
#pragma once

#include <string>

namespace kalvex {

// The folder part of a module's full path: everything before the last "\".
// A drive root keeps its separator ("C:\"); other folders end without one.
std::string FolderOfModulePath(const std::string& modulePath);

// The argument text of a full command line: what follows the program's
// name (quoted or not) and the blanks after it.
std::string ArgumentsOfCommandLine(const std::string& commandLine);

// Case-insensitive match of a file name against a pattern with "*" (the
// file list's).
bool MatchesFilePattern(const std::string& name, const std::string& pattern);

// A folder as a file list reports it: no trailing "\" except at a drive
// root, where the separator stays ("C:\").
std::string NormaliseListFolder(const std::string& folder);

}  // namespace kalvex
