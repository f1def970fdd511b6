// The file list box: the names in one folder that match its pattern, and a
// notice to the window of every mouse-button press on it. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace kalvex {

// Sent to the list's parent after the list has handled a mouse-button press
// (any button), so that a left press has made the entry under the pointer
// current by then.
constexpr UINT kFileListPressed = WM_APP + 2;

class FileListBox {
public:
    // Takes over the list box's mouse-button messages.
    void Attach(HWND list);

    // Shows the folder's ordinary and read-only files that match the
    // pattern. Raises kalvex::Error when the folder cannot be listed; the
    // list then keeps what it shows.
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return mFolder; }
    // The current entry's index, -1 for none.
    int Index() const;
    // The name at `index`, "" where there is none.
    std::string Item(int index) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND mList = nullptr;
    WNDPROC mDefaultProc = nullptr;
    std::string mFolder;
};

}  // namespace kalvex
