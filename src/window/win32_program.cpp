#include "win32_program.h"

namespace kalvex {

bool Win32Program::Start(int showCommand) {
    if (!window_.Create()) return false;
    form_.emplace(Services{window_.controls(), window_.toolkit(), files_, system_, shell_, modules_, version_});
    window_.Attach(&*form_);
    form_->Form_Load();
    window_.Show(showCommand);
    return true;
}

}  // namespace kalvex
