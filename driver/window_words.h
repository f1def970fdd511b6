// How the tests put what the window shows into words, the same for the unit tests' stand-in
// controls and for the driver reading the real window. Portable.
#pragma once

#include <string>

#include "window/control_ids.h"

namespace driver {

// The window's mode from text1's lock and whether each button shows: "normal" (Register,
// Unregister and Exit shown, Proceed and Cancel hidden, text1 editable), "confirmation" (the other
// way round), or else what there is, e.g. "text1 locked, shown: cmdRegister cmdProceed".
template <typename Shows>
std::string ModeWords(bool text1Locked, Shows shows) {
    using kalvex::ControlId;
    const struct {
        ControlId id;
        const char* name;
        bool inNormal;
    } buttons[] = {{ControlId::cmdRegister, "cmdRegister", true},
                   {ControlId::cmdUnregister, "cmdUnregister", true},
                   {ControlId::cmdExit, "cmdExit", true},
                   {ControlId::cmdProceed, "cmdProceed", false},
                   {ControlId::cmdCancel, "cmdCancel", false}};
    bool normal = !text1Locked;
    bool confirmation = text1Locked;
    std::string shown;
    for (const auto& button : buttons) {
        const bool showing = shows(button.id);
        normal = normal && showing == button.inNormal;
        confirmation = confirmation && showing != button.inNormal;
        if (showing) shown += std::string(" ") + button.name;
    }
    if (normal) return "normal";
    if (confirmation) return "confirmation";
    return std::string(text1Locked ? "text1 locked" : "text1 editable") + ", shown:" + shown;
}

}  // namespace driver
