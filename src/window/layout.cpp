#include "layout.h"

#include <algorithm>

namespace kalvex {

namespace {
constexpr FontSpec kDefaultFont{nullptr, 400, 0};
constexpr FontSpec kBold78{"MS Sans Serif", 700, 78000};
constexpr FontSpec kStepNumber{"MS Sans Serif", 400, 192000};

using K = ControlKind;
using I = ControlId;
}  // namespace

const std::array<ControlSpec, 15> kControls = {{
    // Quick section, inside the client area.
    {I::Command2, K::Button, "Close", 4800, 3120, 972, 372, kDefaultFont},
    {I::Command1_0, K::Button, "UnRegister  mscomctl.ocx", 1680, 1080, 3012, 612, kDefaultFont},
    {I::Command1_1, K::Button, "Register  mscomctl.ocx", 1680, 1920, 3012, 612, kDefaultFont},
    // General section, below the client area.
    {I::File1, K::FileList, "", 2640, 5040, 2532, 2376, kDefaultFont},
    {I::cmdExit, K::Button, "Exit", 5280, 6960, 1215, 375, kBold78},
    {I::cmdUnregister, K::Button, "Unregister", 3000, 6600, 1215, 375, kBold78},
    {I::cmdRegister, K::Button, "Register", 1560, 6720, 1215, 375, kBold78},
    {I::text1, K::TextBox, "", 240, 4440, 5535, 315, kBold78},
    {I::cmdProceed, K::ColouredButton, "Proceed", 1680, 7080, 1215, 375, kBold78},
    {I::cmdCancel, K::ColouredButton, "Cancel", 3360, 7080, 1215, 375, kBold78},
    // Step numbers of the quick section.
    {I::Label1_1, K::Label, "2", 600, 2040, 612, 612, kStepNumber},
    {I::Label1_0, K::Label, "1", 600, 1080, 612, 612, kStepNumber},
    // Labels of the general section.
    {I::lblPleaseVerify, K::Label, "Please verify Product Version, if any:", 600, 5760, 2928, 228, kDefaultFont},
    {I::lblFileInfo, K::Label, "", 480, 4440, 5508, 528, kBold78},
    {I::lblOCXFileSpec, K::Label, "OCX file:", 360, 4200, 5508, 468, kDefaultFont},
}};

std::vector<ControlSpec> ControlsInTabOrder() {
    std::vector<ControlSpec> sorted(kControls.begin(), kControls.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const ControlSpec& a, const ControlSpec& b) { return TabIndex(a.id) < TabIndex(b.id); });
    return sorted;
}

bool IsButton(const ControlSpec& spec) {
    return spec.kind == ControlKind::Button || spec.kind == ControlKind::ColouredButton;
}

const ControlSpec* FindControl(int id) {
    for (const ControlSpec& spec : kControls) {
        if (ToInt(spec.id) == id) return &spec;
    }
    return nullptr;
}

}  // namespace kalvex
