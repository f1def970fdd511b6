// The window's layout as a user meets it, at the prefix's dpi: a fixed window whose client area is
// 6192 x 3816 twips (1440 make an inch), showing the quick section alone, every control of the
// program's table made at its place in pixels, and the general section wholly below the client
// area. run_e2e.sh runs Layout alone once more at 120 dpi, where the client area is 516 x 318.
#include "window/layout.h"
#include "scenario.h"

namespace e2e {

namespace {

long Px(long twips) { return (twips * g_situation.dpi + 720) / 1440; }

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
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
    // Labels, buttons, the drawn buttons, the text box and the file list, in the order of ControlKind.
    const char* const kinds[] = {"STATIC", "BUTTON", "BUTTON drawn", "EDIT", "LISTBOX"};
    std::string inside;  // the controls a user sees, with their captions
    for (const kalvex::ControlSpec& spec : kalvex::kControls) {
        HWND control = app.Control(spec.id);
        char kind[64] = {};
        ::GetClassNameA(control, kind, sizeof(kind));
        const bool drawn = (::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
        RECT r = {};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, app.window, reinterpret_cast<POINT*>(&r), 2);
        const RECT place = {Px(spec.left), Px(spec.top), Px(spec.left) + Px(spec.width),
                            Px(spec.top) + Px(spec.height)};
        EXPECT_EQ(Upper(kind) + (drawn && Upper(kind) == "BUTTON" ? " drawn " : " ") + Describe(r),
                  kinds[static_cast<int>(spec.kind)] + (" " + Describe(place)))
            << "control " << kalvex::ToInt(spec.id);
        if (r.top < client.bottom) inside += "[" + WindowText(control) + "]";
    }
    EXPECT_EQ(inside, "[Close][UnRegister  mscomctl.ocx][Register  mscomctl.ocx][2][1]");
}

TEST(Layout, AtThePrefixDpi) {
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    ExpectLayout(app);
    EXPECT_EQ(app.Close(WM_CLOSE), kExited);
}

}  // namespace e2e
