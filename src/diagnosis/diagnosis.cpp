// The explanations of the engine's failures: the facts gathered from the
// failure, the component's file and the system, then put into words
// (failure_words.cpp).
#include "diagnosis.h"

namespace kalvex {

namespace {

constexpr std::uint32_t kModuleNotFound = 126;
constexpr std::uint32_t kProcedureNotFound = 127;
constexpr std::uint32_t kDelayModuleMissing = 0xC06D007E;
constexpr std::uint32_t kDelayFunctionMissing = 0xC06D007F;

FailureFacts FactsOf(DiagnosisApi& api, FailureFacts::Stage stage, const std::string& path, std::uint32_t code) {
    FailureFacts facts;
    facts.stage = stage;
    facts.file = FileNameOf(path);
    facts.code = code;
    facts.program = api.ProgramMachine();
    facts.windows64 = api.Windows64();
    facts.windowsFolder = api.WindowsFolder();
    return facts;
}

}  // namespace

std::string ExplainLoadFailure(DiagnosisApi& api, const std::string& path, std::uint32_t error,
                               const std::string& entry) {
    FailureFacts facts = FactsOf(api, FailureFacts::Stage::Load, path, error);
    facts.entry = entry;
    facts.finding = FindLoadProblem(api, path);
    const bool scanned = error == kModuleNotFound || error == kProcedureNotFound || error == kBadImageError;
    // Past the file's own header, a module found missing is the cause only
    // where the load said a module was missing or wrong.
    if (!scanned && facts.finding.chain.size() > 1) facts.finding = {};
    if (facts.finding.kind == Finding::Kind::Nothing) facts.systemText = api.SystemText(error);
    return Explain(facts);
}

std::string ExplainMissingEntry(DiagnosisApi& api, const std::string& path, const std::string& entry) {
    FailureFacts facts = FactsOf(api, FailureFacts::Stage::NoEntry, path, 0);
    facts.entry = entry;
    if (const std::unique_ptr<FileView> view = api.OpenFile(path)) {
        if (const std::optional<ImageHeader> header = ReadImageHeader(view->Bytes())) {
            facts.header = *header;
            facts.headerRead = true;
        }
    }
    return Explain(facts);
}

std::string ExplainFailedCall(DiagnosisApi& api, const std::string& path, std::uint32_t result) {
    FailureFacts facts = FactsOf(api, FailureFacts::Stage::Call, path, result);
    facts.elevated = api.Elevated();
    // Words of the program's own, where it has them, go before the system's.
    facts.systemText = api.SystemText(result);
    return Explain(facts);
}

std::string ExplainException(DiagnosisApi& api, const std::string& path, std::uint32_t code, const std::string& module,
                             const std::string& function) {
    FailureFacts facts = FactsOf(api, FailureFacts::Stage::Exception, path, code);
    if ((code == kDelayModuleMissing || code == kDelayFunctionMissing) && !module.empty()) {
        const auto kind = code == kDelayModuleMissing ? Finding::Kind::ModuleMissing : Finding::Kind::FunctionMissing;
        facts.finding = {kind, Machine::Unknown, {facts.file, module}, function, FolderOf(path)};
    } else {
        facts.finding = FindCallProblem(api, path);
    }
    return Explain(facts);
}

}  // namespace kalvex
