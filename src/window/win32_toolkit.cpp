#include "win32_toolkit.h"

#include "layout.h"
#include "shared/error.h"
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

void Win32Toolkit::MsgBox(const std::string& text) { ::MessageBoxW(mWindow, W(Wide(text)), W(Wide(kTitle)), MB_OK); }

void Win32Toolkit::SetMousePointer(int pointer) {
    mPointer = pointer;
    ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
}

void Win32Toolkit::DoEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!DispatchDialogMessage(mWindow, msg)) {
            // Leave it for the main loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
}

std::string Win32Toolkit::AppPath() {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, W(path), static_cast<DWORD>(path.size()));
        if (length == 0) throw Error(SystemErrorText(::GetLastError()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return FolderOfModulePath(Utf8(path));
}

std::string Win32Toolkit::CommandLine() {
    const wchar_t* line = ::GetCommandLineW();
    return ArgumentsOfCommandLine(line != nullptr ? Utf8(line, ::lstrlenW(line)) : std::string());
}

std::string Win32Toolkit::Dir(const std::string& path) {
    if (path.empty()) return std::string();
    if (path.find('\0') != std::string::npos) throw Error("Bad file name or number");
    const QuietFileErrors quiet;
    const DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    std::string name;
    const DWORD ended = ForEachFile(path, [&](const std::string& candidate, DWORD found) {
        if (candidate == "." || candidate == ".." || (found & excluded) != 0) return true;
        name = candidate;
        return false;
    });
    if (ended == ERROR_SUCCESS || ended == ERROR_NO_MORE_FILES || ended == ERROR_FILE_NOT_FOUND ||
        ended == ERROR_PATH_NOT_FOUND) {
        return name;
    }
    throw Error(SystemErrorText(ended));
}

void Win32Toolkit::UnloadWindow() { ::SendMessageW(mWindow, WM_CLOSE, 0, 0); }

void Win32Toolkit::EndProgram() { ::ExitProcess(0); }

}  // namespace kalvex
