// The Win32 side of the main window: creates the window and its controls
// from the layout table, routes their notifications to frmKalvex and
// provides the toolkit services. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "layout.h"
#include "toolkit.h"
#include "win32_handles.h"

namespace kalvex {

class frmKalvex;

class Win32Window final : public Controls, public Toolkit {
public:
    explicit Win32Window(HINSTANCE instance);
    ~Win32Window() override;

    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Creates the window and every control, not yet shown. False on failure.
    bool Create();
    void Attach(frmKalvex* form) { form_ = form; }
    void Show(int showCommand);
    // The message loop; returns the exit code.
    int Run();

    // Controls
    void SetVisible(ControlId id, bool visible) override;
    void SetText(ControlId id, const std::string& text) override;
    std::string Text(ControlId id) override;
    void SetLocked(ControlId id, bool locked) override;
    void SetListFolder(ControlId id, const std::string& folder) override;
    std::string ListFolder(ControlId id) override;
    int ListIndex(ControlId id) override;
    std::string ListItem(ControlId id, int index) override;

    // Toolkit
    void MsgBox(const std::string& text) override;
    void DoEvents() override;
    std::string AppPath() override;
    std::string CommandLine() override;
    std::string Dir(const std::string& path, int attributes) override;
    void SetMousePointer(int pointer) override;
    void UnloadWindow() override;
    void EndProgram() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FileListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void OnFileListPress(UINT message, WPARAM wParam, LPARAM lParam);
    void DrawColouredButton(const DRAWITEMSTRUCT& item);
    LRESULT DefaultButtonId();
    bool DispatchToWindow(MSG& msg);

    HWND Control(ControlId id) const;
    HFONT FontFor(const FontSpec& spec);
    HFONT CreateDefaultFont();
    HFONT CreateLayoutFont(const FontSpec& spec);
    std::string ChooseFace(const char* wanted);

    // Runs a handler; an error that leaves it is reported in a message box
    // so that it never crosses the window procedure.
    template <typename Handler>
    void Guarded(Handler&& handler);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    frmKalvex* form_ = nullptr;
    int dpi_ = 96;
    struct CachedFont {
        std::string face;  // "" for the window's own font
        int weight;
        int size;
        HFONT font;
    };
    std::vector<CachedFont> fontCache_;
    std::vector<UniqueGdiObject> fonts_;  // the font objects this window created
    std::string listFolder_;
    WNDPROC fileListDefaultProc_ = nullptr;
    HWND savedFocus_ = nullptr;
    SIZE frameSize_ = {0, 0};  // the window's one size, once created
    int pointer_ = kPointerDefault;
};

}  // namespace kalvex
