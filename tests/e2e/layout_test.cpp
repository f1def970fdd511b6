// The window's layout, written out here in twips (1440 make an inch) and compared in pixels at the
// prefix's dpi. The Window tests check it on their window; run_e2e.sh runs Layout alone once more
// at 120 dpi, where the client area is 516 x 318.
#include "scenario.h"

namespace e2e {

namespace {

struct Expected {
    const char *name, *className, *caption;
    int id;
    long left, top, width, height;  // twips
    bool shown, ownerDrawn;
};
const Expected kControls[] = {
    {"text1", "EDIT", "", 1000, 240, 4440, 5535, 315, true, false},
    {"lblOCXFileSpec", "STATIC", "File specification of OCX/DLL\r\n    e.g. c:\\Windows\\System\\mswinsck.ocx", 1001,
     360, 4200, 5508, 468, true, false},
    {"cmdRegister", "BUTTON", "Register", 1002, 1560, 6720, 1215, 375, true, false},
    {"cmdUnregister", "BUTTON", "Unregister", 1003, 3000, 6600, 1215, 375, true, false},
    {"cmdExit", "BUTTON", "Exit", 1004, 5280, 6960, 1215, 375, true, false},
    {"lblFileInfo", "STATIC", "", 1005, 480, 4440, 5508, 528, true, false},
    {"lblPleaseVerify", "STATIC", "Please verify Product Version, if any:", 1006, 600, 5760, 2928, 228, false, false},
    {"cmdProceed", "BUTTON", "Proceed", 1007, 1680, 7080, 1215, 375, false, true},
    {"cmdCancel", "BUTTON", "Cancel", 1008, 3360, 7080, 1215, 375, false, true},
    {"File1", "LISTBOX", "", 1009, 2640, 5040, 2532, 2376, true, false},
    {"Command1(1)", "BUTTON", "Register  mscomctl.ocx", 1010, 1680, 1920, 3012, 612, true, false},
    {"Label1(0)", "STATIC", "1", 1011, 600, 1080, 612, 612, true, false},
    {"Command1(0)", "BUTTON", "UnRegister  mscomctl.ocx", 1012, 1680, 1080, 3012, 612, true, false},
    {"Label1(1)", "STATIC", "2", 1013, 600, 2040, 612, 612, true, false},
    {"Command2", "BUTTON", "Close", 1014, 4800, 3120, 972, 372, true, false},
};

long Px(long twips) { return (twips * g_situation.dpi + 720) / 1440; }

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::string Looks(const std::string& kind, const std::string& caption, const RECT& r, bool shown, bool drawn) {
    return kind + " \"" + caption + "\" " + Describe(r) + (shown ? " shown" : " hidden") +
           (drawn ? " owner-drawn" : "");
}

}  // namespace

void ExpectLayout(const Kalvex& app) {
    RECT client = {};
    ::GetClientRect(app.window, &client);
    const LONG frame =
        ::GetWindowLongA(app.window, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME);
    EXPECT_EQ(WindowText(app.window) + (frame == WS_SYSMENU ? " fixed, system menu only " : " other frame ") +
                  Describe(client),
              "Kalvex fixed, system menu only " + Describe({0, 0, Px(6192), Px(3816)}));
    for (const Expected& want : kControls) {
        HWND control = ::GetDlgItem(app.window, want.id);
        char kind[64] = {};
        ::GetClassNameA(control, kind, sizeof(kind));
        const LONG style = ::GetWindowLongA(control, GWL_STYLE);
        RECT r = {};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, app.window, reinterpret_cast<POINT*>(&r), 2);
        const RECT place = {Px(want.left), Px(want.top), Px(want.left) + Px(want.width),
                            Px(want.top) + Px(want.height)};
        EXPECT_EQ(Looks(Upper(kind), WindowText(control), r, (style & WS_VISIBLE) != 0,
                        Upper(kind) == "BUTTON" && (style & BS_TYPEMASK) == BS_OWNERDRAW),
                  Looks(want.className, want.caption, place, want.shown, want.ownerDrawn))
            << want.name << " (id " << want.id << ")";
    }
}

TEST(Layout, AtThePrefixDpi) {
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    ExpectLayout(app);
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
}

}  // namespace e2e
