// The engine's user interface for the tools that drive the registration
// engine in a process of their own, without a window: busy shows as the
// hourglass, as in the window. Windows only.
#pragma once

#include <windows.h>

#include "engine/engine_ui.h"

namespace bench {

class BusyUi final : public kalvex::EngineUi {
public:
    void ShowBusy(bool busy) override {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(busy ? IDC_WAIT : IDC_ARROW)));
    }
};

}  // namespace bench
