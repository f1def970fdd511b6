#include "scenario_support.h"

namespace e2e {

void RunGeneralScenarios() {}

}  // namespace e2e
