// What the registration engine needs of the user interface: showing that a
// component is running (the hourglass, and no input taken meanwhile). The
// window provides it; the tools that drive the engine alone stub it.
#pragma once

namespace kalvex {

class EngineUi {
public:
    virtual ~EngineUi() = default;

    // True from just before the engine first waits for a component until
    // its outcome is known; false again afterwards.
    virtual void ShowBusy(bool busy) = 0;
};

}  // namespace kalvex
