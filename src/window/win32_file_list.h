// The file list box: the names in one folder that match its pattern, and a
// notice to the window of every mouse-button press on it. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace kalvex {

// Sent to the list's parent after the list has handled a mouse-button press:
// wParam holds the button (1 left, 2 right, 4 middle, 8 extra) in its low
// byte and the modifier keys (1 Shift, 2 Ctrl, 4 Alt) in the next; lParam is
// the press's position in the list, in pixels.
constexpr UINT kFileListPressed = WM_APP + 2;

class FileListBox {
public:
    // Takes over the list box's mouse-button messages.
    void Attach(HWND list);

    // Shows the folder's ordinary and read-only files that match the
    // pattern. Raises kalvex::Error when the folder cannot be listed; the
    // list then keeps what it shows.
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }
    // The current entry's index, -1 for none.
    int Index() const;
    // The name at `index`, "" where there is none.
    std::string Item(int index) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND list_ = nullptr;
    WNDPROC defaultProc_ = nullptr;
    std::string folder_;
};

}  // namespace kalvex
