// The floor for start-up: a window with three buttons and nothing else, built
// with the same compiler and flags as kalvex.exe. The benchmark starts it
// beside kalvex.exe and notepad. Given a file name, it notes the end of each
// phase of its start there, as kalvex_startup_phases.exe does for kalvex.exe,
// and ends instead of running its loop.
#include <windows.h>

#include "startup_marks_file.h"

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int nShowCmd) {
    bench::Mark("process start to WinMain");
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KalvexBareWindow";
    if (::RegisterClassExA(&wc) == 0) return 1;
    bench::Mark("window class and icons");
    HWND window = ::CreateWindowExA(0, wc.lpszClassName, "Bare", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 419, 279, nullptr, nullptr, hInstance, nullptr);
    if (window == nullptr) return 1;
    bench::Mark("main window");
    const char* captions[] = {"One", "Two", "Close"};
    for (int i = 0; i < 3; ++i) {
        ::CreateWindowExA(0, "BUTTON", captions[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 112,
                          72 + 60 * i, 200, 40, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                          hInstance, nullptr);
    }
    bench::Mark("controls");
    ::ShowWindow(window, nShowCmd);
    ::UpdateWindow(window);
    bench::Mark("shown and painted");
    MSG msg;
    if (*lpCmdLine != '\0') {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        bench::Mark("first messages handled");
        bench::WriteMarks(lpCmdLine);
        return 0;
    }
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageA(window, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return 0;
}
