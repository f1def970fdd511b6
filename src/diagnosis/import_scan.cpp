#include "import_scan.h"

#include <algorithm>
#include <set>

namespace kalvex {

namespace {

// The scan's bounds: a chain deeper than this, or more modules than this,
// is not followed further (a scan of a whole runtime stays in milliseconds).
constexpr int kMaxDepth = 8;
constexpr std::size_t kMaxModules = 256;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), Lower);
    return text;
}

std::size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

// Walks the modules a component imports, depth first, in the order the
// loader takes them, and stops at the first that is missing or wrong.
class ImportScan {
public:
    ImportScan(DiagnosisApi& api, const std::string& component)
        : mApi(api), mFolder(FolderOf(component)), mProgram(api.ProgramMachine()) {}

    Finding Walk(const std::string& path, const std::vector<std::string>& chain, bool delayedToo) {
        const std::unique_ptr<FileView> view = mApi.OpenFile(path);
        if (!view || chain.size() > kMaxDepth) return {};
        for (const ImportedModule& module : ReadImports(view->Bytes())) {
            if (module.delayed && !delayedToo) continue;
            if (!mVisited.insert(LowerCase(module.name)).second) continue;
            if (mVisited.size() > kMaxModules) return {};
            std::vector<std::string> next = chain;
            next.push_back(module.name);
            Finding finding = Check(module, next);
            if (finding.kind != Finding::Kind::Nothing) return finding;
        }
        return {};
    }

private:
    // Where the load finds the module, as the loader searched: the
    // component's folder first, then the loader's own answer.
    Finding Check(const ImportedModule& module, const std::vector<std::string>& chain) {
        std::string found = mFolder + "\\" + module.name;
        if (!mApi.FileExists(found)) {
            const LoaderAnswer answer = mApi.AskLoader(module.name);
            if (answer.path.empty()) {
                const auto kind =
                    answer.error == kBadImageError ? Finding::Kind::ModuleOtherMachine : Finding::Kind::ModuleMissing;
                const std::string where = kind == Finding::Kind::ModuleMissing ? mFolder : std::string();
                return {kind, Machine::Unknown, chain, std::string(), where};
            }
            found = answer.path;
        }
        const std::unique_ptr<FileView> view = mApi.OpenFile(found);
        if (!view) return {};
        const std::optional<ImageHeader> header = ReadImageHeader(view->Bytes());
        if (header && header->machine != mProgram) {
            return {Finding::Kind::ModuleOtherMachine, header->machine, chain, std::string(), FolderOf(found)};
        }
        if (const std::optional<std::vector<std::string>> exports = ReadExportNames(view->Bytes())) {
            for (const std::string& function : module.functions) {
                if (!std::binary_search(exports->begin(), exports->end(), function)) {
                    return {Finding::Kind::FunctionMissing, Machine::Unknown, chain, function, FolderOf(found)};
                }
            }
        }
        return Walk(found, chain, false);
    }

    DiagnosisApi& mApi;
    std::string mFolder;
    Machine mProgram;
    std::set<std::string> mVisited;
};

}  // namespace

// A name without extension is loaded with a dot after it, which the user
// never typed.
std::string FileNameOf(const std::string& path) {
    const std::size_t at = LastSeparator(path);
    std::string name = at == std::string::npos ? path : path.substr(at + 1);
    if (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

std::string FolderOf(const std::string& path) {
    const std::size_t at = LastSeparator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

Finding FindLoadProblem(DiagnosisApi& api, const std::string& path) {
    const std::unique_ptr<FileView> view = api.OpenFile(path);
    if (!view) return {api.FileExists(path) ? Finding::Kind::Nothing : Finding::Kind::FileMissing};
    if (view->Bytes().empty()) return {Finding::Kind::EmptyFile};
    const std::optional<ImageHeader> header = ReadImageHeader(view->Bytes());
    if (!header) return {Finding::Kind::NotAnImage};
    if (header->ilOnly) return {Finding::Kind::DotNet, header->machine};
    if (header->machine != api.ProgramMachine()) {
        return {Finding::Kind::OtherMachine, header->machine};
    }
    return ImportScan(api, path).Walk(path, {FileNameOf(path)}, false);
}

Finding FindCallProblem(DiagnosisApi& api, const std::string& path) {
    return ImportScan(api, path).Walk(path, {FileNameOf(path)}, true);
}

}  // namespace kalvex
