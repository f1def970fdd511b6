// The window's controls as the layout table describes them, created in tab
// order, and the control services the window's handlers use. Windows only.
#pragma once

#include <windows.h>

#include "layout.h"
#include "toolkit.h"
#include "win32_dialog_keys.h"
#include "win32_file_list.h"
#include "win32_fonts.h"

namespace kalvex {

class Win32Controls final : public Controls {
public:
    Win32Controls(HWND window, DialogKeys& keys) : mWindow(window), mKeys(keys) {}

    // Creates every control of the table at `dpi`. False on failure.
    bool Create(HINSTANCE instance, int dpi, FontCache& fonts);

    // WM_DRAWITEM for the buttons painted in the tooltip colour.
    static void DrawColouredButton(const DRAWITEMSTRUCT& item);

    void SetVisible(ControlId id, bool visible) override;
    void SetText(ControlId id, const std::string& text) override;
    std::string Text(ControlId id) override;
    void SetLocked(ControlId id, bool locked) override;
    void SetListFolder(ControlId id, const std::string& folder) override;
    std::string ListFolder(ControlId id) override;
    int ListIndex(ControlId id) override;
    std::string ListItem(ControlId id, int index) override;

private:
    // The control with this id; raises kalvex::Error when there is none.
    HWND Find(ControlId id) const;
    FileListBox& List(ControlId id);

    HWND mWindow;
    DialogKeys& mKeys;
    FileListBox mFileList;
};

}  // namespace kalvex
