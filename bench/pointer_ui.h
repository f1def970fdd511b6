// The engine's user interface for the tools that drive the registration
// engine in a process of their own, without a window: it changes the
// pointer as the window does. Windows only.
#pragma once

#include <windows.h>

#include "registration/engine_ui.h"

namespace bench {

class PointerUi final : public kalvex::EngineUi {
public:
    void SetMousePointer(int pointer) override {
        ::SetCursor(::LoadCursorA(
            nullptr, reinterpret_cast<LPCSTR>(pointer == kalvex::kPointerHourglass ? IDC_WAIT : IDC_ARROW)));
    }
};

}  // namespace bench
