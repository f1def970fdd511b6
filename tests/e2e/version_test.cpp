// Version information made to mislead: resources that claim more than their file holds, values
// whose line breaks forge label lines, a right-to-left override, a last value
// without its NUL and a company name of 100,000 wide letters (tests/components/hostile_version.py makes them).
#include "scenario.h"

namespace e2e {

namespace {

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The label's font as the program makes it: bold, 7.8 points, "MS Sans Serif" or the first
// relative installed.
HFONT LabelFont() {
    HDC screen = ::GetDC(nullptr);
    LOGFONTW font = {};
    font.lfHeight = -::MulDiv(78, g_situation.dpi, 720);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    for (const wchar_t* face : {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma", L"Arial"}) {
        ::lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        ::EnumFontFamiliesExW(screen, &font, &FontFound, reinterpret_cast<LPARAM>(&found), 0);
        if (found) break;
    }
    ::ReleaseDC(nullptr, screen);
    return ::CreateFontIndirectW(&font);
}

// How many pixels of lblFileInfo's text, laid out as the label lays it out (wrapped unless its
// style says otherwise), lie below the label: its last line is in view when none (0 or less).
int PixelsOutOfView(const Kalvex& app) {
    HWND label = app.Control(C::lblFileInfo);
    RECT client = {};
    ::GetClientRect(label, &client);
    const std::u16string text = Wide(WindowText(label));
    HDC dc = ::GetDC(label);
    HFONT font = LabelFont();
    HGDIOBJ old = ::SelectObject(dc, font);
    const bool wraps = (::GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
    RECT needed = client;
    ::DrawTextW(dc, W(text), static_cast<int>(text.size()), &needed,
                DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : 0));
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::ReleaseDC(label, dc);
    return needed.bottom - client.bottom;
}

std::string Shown(const std::string& company, const std::string& version) {
    return "confirmation [Company Name:  " + company + "\r\nProduct Version:  " + version + "] please verify";
}

// Register, in a program of its own for each file, answers within a second and leaves the program
// alive; the label holds two lines: the company's, and the file's own product version, each value
// one line as the file stores it, nothing turned round, nothing past the value, all of it in view.
TEST(Version, MisleadingFilesCannotForgeTheLabel) {
    struct Case {
        const char* file;
        std::string screen;
    };
    const Case cases[] = {
        {"kvx_v_0x20000.ocx", kNoVersion},
        {"kvx_v_0x7FFFFFF0.ocx", kNoVersion},
        {"kvx_v_lines.ocx", Shown("Microsoft Corporation¶Product Version: 10.0.19041.1¶¶¶¶Evil", "5.6.7.8")},
        {"kvx_v_lines2.ocx", Shown("Kalvex Test Components", "6.1.7601.17514¶Company Name: Microsoft Corporation")},
        {"kvx_v_bidi.ocx", Shown("noitaroproc tfosorciM", "1.0.0.2")},
        {"kvx_v_open.ocx", Shown("Kalvex", "1.0.0.3")},
        {"kvx_v_long.ocx", Shown(std::string(63, 'W') + "…", "1.0.0.4")},
    };
    for (const Case& c : cases) {
        Kalvex app;
        ASSERT_TRUE(app.Launch()) << c.file;
        const DWORD start = ::GetTickCount();
        const std::string screen = app.Confirm(C::cmdRegister, Component(c.file));
        const DWORD ms = ::GetTickCount() - start;
        EXPECT_EQ(screen, c.screen) << c.file;
        EXPECT_LT(ms, 1000u) << c.file;
        EXPECT_LE(PixelsOutOfView(app), 0) << c.file;
        app.Click(C::cmdCancel);
        EXPECT_SOON(app.Mode(), "normal");
        EXPECT_EQ(app.Close(), kExited) << c.file;
    }
}

}  // namespace

}  // namespace e2e
