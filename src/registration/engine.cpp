#include "engine.h"

namespace kalvex {

RegistrationEngine::RegistrationEngine(ModuleApi& modules, Toolkit& toolkit) : modules_(modules), toolkit_(toolkit) {}

void RegistrationEngine::RegisterServer(std::string /*fileSpec*/, const std::string& /*command*/,
                                        std::optional<std::int32_t>& /*apiResult*/) {}

void RegistrationEngine::ReleaseFinishedWorkers() {}

}  // namespace kalvex
