#include "scenario_support.h"

namespace e2e {

void RunEngineScenarios() {}

}  // namespace e2e
