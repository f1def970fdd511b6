#include "scenario_support.h"

#include <vector>

namespace e2e {

Situation g_situation;

const char* const kGoodInprocKey = "Software\\Classes\\CLSID\\{00000000-0000-0000-0000-000000000000}\\InprocServer32";

using kalvex::ControlId;

HWND ControlOf(const Program& program, ControlId id) { return program.Control(kalvex::ToInt(id)); }

std::string Text(const Program& program, ControlId id) { return TextOf(ControlOf(program, id)); }

bool Visible(const Program& program, ControlId id) {
    return (::GetWindowLongA(ControlOf(program, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ReadOnly(const Program& program, ControlId id) {
    return (::GetWindowLongA(ControlOf(program, id), GWL_STYLE) & ES_READONLY) != 0;
}

void Click(const Program& program, ControlId id) { ::PostMessageA(ControlOf(program, id), BM_CLICK, 0, 0); }

void SetText1(const Program& program, const std::string& text) { SetTextOf(ControlOf(program, ControlId::text1), text); }

HWND WaitForMessageBox(Program& program, DWORD limitMs) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            const std::vector<HWND> boxes = program.MessageBoxes();
            box = boxes.empty() ? nullptr : boxes.front();
            // The text is set before the box is shown, but give it its first paint.
            return box != nullptr && ::GetDlgItem(box, IDOK) != nullptr;
        },
        limitMs);
    return box;
}

std::string MessageText(HWND box) { return TextOf(::GetDlgItem(box, 0xFFFF)); }

void Dismiss(HWND box) {
    ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitFor([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 5000);
}

std::string ExpectMessage(Program& program, const std::string& text, const std::string& what, DWORD limitMs) {
    HWND box = WaitForMessageBox(program, limitMs);
    if (box == nullptr) {
        Check(false, what, "no message box came; want \"" + text + "\"");
        return std::string();
    }
    const std::string seen = MessageText(box);
    char caption[64] = {};
    ::GetWindowTextA(box, caption, sizeof(caption));
    CheckEqual(seen, text, what);
    if (std::string(caption) != "Kalvex") Check(false, what + ": caption", caption);
    Dismiss(box);
    return seen;
}

void NoMessageBoxes(Program& program, const std::string& scenario) {
    const std::vector<HWND> boxes = program.MessageBoxes();
    std::string texts;
    for (HWND box : boxes) {
        texts += "[" + MessageText(box) + "]";
        ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
    Check(boxes.empty(), scenario + ": no message box", texts);
}

bool Responsive(const Program& program, DWORD limitMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(program.Window(), WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result) != 0;
}

bool StartProgram(Program& program, const std::string& scenario, const std::string& arguments,
                  const std::string& exePath) {
    const bool started = program.Start(exePath.empty() ? g_situation.exe : exePath, arguments);
    Check(started, scenario + ": kalvex.exe starts and shows its window");
    return started;
}

void ExpectEndsWithZero(Program& program, const std::string& how) {
    DWORD code = 12345;
    const bool ended = program.WaitForExit(5000, &code);
    Check(ended, how + " ends the program");
    if (ended) CheckEqual(static_cast<long>(code), 0L, how + " exit code");
}

}  // namespace e2e
