#include "win32_toolkit.h"

#include <utility>

#include "layout.h"
#include "shared/error.h"
#include "shared/win32_handles.h"
#include "toolkit_text.h"

namespace kalvex {

void DispatchDialogMessage(HWND window, MSG& msg) {
    if (window == nullptr || !::IsDialogMessageW(window, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Win32Toolkit::StillOpen() const {
    if (!::IsWindow(mWindow)) throw WindowClosed{};
}

void Win32Toolkit::ShowMessage(const std::string& text) {
    ::MessageBoxW(mWindow, W(Wide(text)), W(Wide(kTitle)), MB_OK);
    StillOpen();
}

bool Win32Toolkit::Ask(const std::string& question) {
    const int answer = ::MessageBoxW(mWindow, W(Wide(question)), W(Wide(kTitle)), MB_YESNO);
    StillOpen();
    return answer == IDYES;
}

namespace {

// What the user (or another program acting for the user) gave the window
// while a component ran: keys, mouse presses, clicks and requests to close.
// Left in the queue, they would act on the outcome's box the moment it
// appears, before anyone has read it.
constexpr std::pair<UINT, UINT> kQueuedInput[] = {
    {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
    {BM_CLICK, BM_CLICK},      {WM_COMMAND, WM_SYSCOMMAND},   {WM_CLOSE, WM_CLOSE},
};

void DropQueuedInput() {
    MSG msg;
    for (const auto& [first, last] : kQueuedInput) {
        while (::PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
        }
    }
}

}  // namespace

void Win32Toolkit::ShowBusy(bool busy) {
    mBusy = busy;
    if (busy) {
        // Windows asks before it ends the session; the window refuses while
        // a component registers, and says why.
        ::ShutdownBlockReasonCreate(mWindow, L"A component is being registered.");
    } else {
        DropQueuedInput();
        ::ShutdownBlockReasonDestroy(mWindow);
    }
    ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(busy ? IDC_WAIT : IDC_ARROW)));
}

void Win32Toolkit::ProcessPendingEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The window was closed meanwhile: the message loop ends the program.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchDialogMessage(mWindow, msg);
    }
    StillOpen();
}

std::string Win32Toolkit::ProgramFolder() {
    const std::optional<std::u16string> path =
        GrowingText([](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); });
    if (!path) throw Error(SystemErrorText(::GetLastError()));
    return FolderOfModulePath(Utf8(*path));
}

std::string Win32Toolkit::ProgramArguments() {
    const wchar_t* line = ::GetCommandLineW();
    return ArgumentsOfCommandLine(line != nullptr ? Utf8(line, ::lstrlenW(line)) : std::string());
}

void Win32Toolkit::CloseWindow() { ::PostMessageW(mWindow, WM_CLOSE, 0, 0); }

}  // namespace kalvex
