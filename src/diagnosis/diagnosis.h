// Why a registration failed and what the user can do about it: the file's
// header and the modules it needs are examined after the failure (never on
// the way to a success, import_scan.h), and the findings are put into plain
// words. Portable: the system is asked through DiagnosisApi.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagnosis_api.h"
#include "import_scan.h"
#include "pe_image.h"

namespace kalvex {

// Everything the wording needs, gathered from the failure and the system.
struct FailureFacts {
    enum class Stage {
        Load,       // the file could not be loaded; `code` is the system's error
        NoEntry,    // the component lacks the entry point `entry`
        Call,       // the entry point failed with `code` (its result)
        Exception,  // an exception with `code` ended the entry point
    };
    Stage stage = Stage::Load;
    std::string file;   // the component's file name
    std::string entry;  // the entry point the registration was for
    std::uint32_t code = 0;
    ImageHeader header;
    bool headerRead = false;
    Finding finding;
    Machine program = Machine::X86;
    bool windows64 = true;
    std::string windowsFolder = "C:\\Windows";
    bool elevated = true;
    std::string systemText;  // for `code`, "" when none
};

// The lines that follow the outcome's first line: the cause and the
// remedy, "" when there is nothing to add.
std::string Explain(const FailureFacts& facts);

// The explanations of the engine's failures, asked from the system.
// `entry` names the entry point the load was for.
std::string ExplainLoadFailure(DiagnosisApi& api, const std::string& path, std::uint32_t error,
                               const std::string& entry);
std::string ExplainMissingEntry(DiagnosisApi& api, const std::string& path, const std::string& entry);
std::string ExplainFailedCall(DiagnosisApi& api, const std::string& path, std::uint32_t result);
// An exception ended the entry point; `module` and `function` name what a
// delay-loaded import missed, when the exception's record told.
std::string ExplainException(DiagnosisApi& api, const std::string& path, std::uint32_t code, const std::string& module,
                             const std::string& function);

// Whether an entry point's result says the registry refused it what only
// administrator rights allow.
bool IsAccessRefusal(std::uint32_t result);

// "x64 (64-bit)" and the like.
std::string MachineName(Machine machine);

}  // namespace kalvex
