#include "win32_toolkit.h"

#include "layout.h"
#include "shared/basic_types.h"
#include "shared/win32_handles.h"
#include "toolkit_text.h"

namespace kalvex {

bool DispatchDialogMessage(HWND window, MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    if (window == nullptr || !::IsDialogMessageW(window, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

void Win32Toolkit::MsgBox(const std::string& text) { ::MessageBoxA(window_, text.c_str(), kTitle, MB_OK); }

void Win32Toolkit::SetMousePointer(int pointer) {
    pointer_ = pointer;
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
}

void Win32Toolkit::DoEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!DispatchDialogMessage(window_, msg)) {
            // Leave it for the main loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
}

std::string Win32Toolkit::AppPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) throw Error(SystemErrorText(::GetLastError()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return FolderOfModulePath(path);
}

std::string Win32Toolkit::CommandLine() {
    const char* line = ::GetCommandLineA();
    return ArgumentsOfCommandLine(line != nullptr ? line : "");
}

std::string Win32Toolkit::Dir(const std::string& path, int attributes) {
    if (path.empty()) return std::string();
    if (path.find('\0') != std::string::npos) throw Error("Bad file name or number");
    // Mask bits as the toolkit defines them: 2 hidden, 4 system, 16 folder.
    DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    if (attributes & 2) excluded &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    if (attributes & 4) excluded &= ~static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM);
    if (attributes & 16) excluded &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    std::string name;
    const DWORD ended = ForEachFile(path, [&](const WIN32_FIND_DATAA& found) {
        const std::string candidate = found.cFileName;
        if (candidate == "." || candidate == ".." || (found.dwFileAttributes & excluded) != 0) return true;
        name = candidate;
        return false;
    });
    if (ended == ERROR_SUCCESS || ended == ERROR_NO_MORE_FILES || ended == ERROR_FILE_NOT_FOUND ||
        ended == ERROR_PATH_NOT_FOUND) {
        return name;
    }
    throw Error(SystemErrorText(ended));
}

void Win32Toolkit::UnloadWindow() { ::SendMessageA(window_, WM_CLOSE, 0, 0); }

void Win32Toolkit::EndProgram() { ::ExitProcess(0); }

}  // namespace kalvex
