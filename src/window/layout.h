// The window's layout: one table of controls with positions and sizes in
// twips (1/1440 inch; the Win32 window turns them into pixels at the
// screen's dpi).
#pragma once

#include <array>
#include <vector>

#include "control_ids.h"

namespace kalvex {

enum class ControlKind {
    Label,
    Button,
    ColouredButton,  // a push button painted with the tooltip background colour
    TextBox,
    FileList,
};

// A font as face, weight and size in 1/10000 point. A null face means the
// window's own (default) font.
struct FontSpec {
    const char* face;
    int weight;
    int size;
};

struct ControlSpec {
    ControlId id;
    ControlKind kind;
    const char* caption;
    int left;
    int top;
    int width;
    int height;
    FontSpec font;
};

constexpr int kClientWidthTwips = 6192;
constexpr int kClientHeightTwips = 3816;
constexpr const char* kTitle = "Kalvex";
constexpr const char* kFileListPattern = "*.ocx";

// Every control, section by section. The window creates them in tab order
// (ControlsInTabOrder), not in this one.
extern const std::array<ControlSpec, 15> kControls;

// The controls sorted by tab index, which each one's id holds (TabIndex):
// the order in which the window creates and so stacks them, which is also
// the order the keyboard walks.
std::vector<ControlSpec> ControlsInTabOrder();

// The control with the given id, or null when no control has it.
const ControlSpec* FindControl(int id);

// A push button, plain or drawn.
bool IsButton(const ControlSpec& spec);

}  // namespace kalvex
