#include "scenario_support.h"

namespace e2e {

void RunBatchScenarios() {}

}  // namespace e2e
