// Why a registration failed: the header and import reader on built images,
// the scan of what a component needs over a made-up file system and loader,
// the words each finding and code gets, and the engine asking only after a
// failure.
#include <gtest/gtest.h>

#include <map>

#include "diagnosis/diagnosis.h"
#include "fake.h"
#include "fake_diagnosis.h"
#include "pe_builder.h"

namespace kalvex::testing {
namespace {

const std::string kSys = "C:\\Windows\\system32\\";
const std::string kSpaces = "C:\\Program Files\\Old App\\";

// A system with a few libraries, and components beside their helpers in a
// folder whose name holds spaces.
FakeDiagnosis World() {
    FakeDiagnosis world;
    const ImageSpec kernel32{Machine::X86, true, {}, {"ExitProcess", "GetLastError"}};
    world.files[kSys + "kernel32.dll"] = Image(kernel32);
    world.files[kSys + "ucrtbase.dll"] =
        Image({Machine::X86, true, {{"kernel32.dll", {"ExitProcess"}}}, {"_initterm"}});
    world.files[kSys + "helper.dll"] = Image({Machine::X64, true, {}, {}});
    world.loader["KERNEL32.dll"] = kSys + "kernel32.dll";
    world.loader["kernel32.dll"] = kSys + "kernel32.dll";
    world.loader["api-ms-win-crt-runtime-l1-1-0.dll"] = kSys + "ucrtbase.dll";
    world.loader["helper.dll"] = kSys + "helper.dll";
    const ImportSpec usesKernel{"KERNEL32.dll", {"GetLastError"}};
    world.files[kSpaces + "chain.ocx"] = Image({Machine::X86, true, {usesKernel, {"link.dll", {"Link"}}}});
    world.files[kSpaces + "link.dll"] = Image({Machine::X86, true, {{"absent.dll", {"Gone"}}}, {"Link"}});
    world.files[kSpaces + "direct.ocx"] = Image({Machine::X86, true, {{"MSVBVM60.DLL", {"EVENT_SINK_AddRef"}}}});
    world.files[kSpaces + "helped.ocx"] = Image({Machine::X86, true, {{"helper.dll", {"Help"}}}});
    world.files[kSpaces + "helper.dll"] = Image({Machine::X86, true, {usesKernel}, {"Help", "HelpMore"}});
    world.files[kSpaces + "lacking.ocx"] = Image({Machine::X86, true, {{"helper.dll", {"Help", "HelperTwo"}}}});
    world.files[kSpaces + "crt.ocx"] =
        Image({Machine::X86, true, {{"api-ms-win-crt-runtime-l1-1-0.dll", {"_initterm"}}}});
    world.files[kSpaces + "loop.ocx"] = Image({Machine::X86, true, {{"loop.dll", {"Back"}}}, {"Forth"}});
    world.files[kSpaces + "loop.dll"] = Image({Machine::X86, true, {{"loop.ocx", {"Forth"}}}, {"Back"}});
    world.files[kSpaces + "wide.ocx"] = Image({Machine::X64, true, {usesKernel}});
    world.files[kSpaces + "arm.ocx"] = Image({Machine::Arm64, true, {}});
    world.files[kSpaces + "net.dll"] = Image({Machine::X86, true, {}, {}, true});
    world.files[kSpaces + "late.ocx"] = Image({Machine::X86, true, {{"absent.dll", {"Gone"}, true}}});
    world.files[kSpaces + "..\\..\\Other\\wrongpair.ocx"] = Image({Machine::X86, true, {{"pair.dll", {"Pair"}}}});
    world.files[kSpaces + "..\\..\\Other\\pair.dll"] = Image({Machine::X64, true, {}, {"Pair"}});
    world.files[kSpaces + "text.ocx"] = "MZ is not enough: this is text";
    world.files[kSpaces + "empty.ocx"] = "";
    world.files[kSpaces + "cut.ocx"] = world.files[kSpaces + "chain.ocx"].substr(0, 0x150);
    return world;
}

TEST(Diagnosis, TheScanFindsWhatTheLoadMissed) {
    using Kind = Finding::Kind;
    struct Case {
        std::string component;
        bool atCall;  // after the component loaded: its delay-loaded modules too
        Kind kind;
        std::vector<std::string> chain;
        std::string function;
        std::string folder;
        Machine machine;
    };
    const std::string spaces = "C:\\Program Files\\Old App";
    const Case cases[] = {
        {"chain.ocx",
         false,
         Kind::ModuleMissing,
         {"chain.ocx", "link.dll", "absent.dll"},
         "",
         spaces,
         Machine::Unknown},
        {"direct.ocx", false, Kind::ModuleMissing, {"direct.ocx", "MSVBVM60.DLL"}, "", spaces, Machine::Unknown},
        // The helper beside the component is the one loaded, not the system's 64-bit one.
        {"helped.ocx", false, Kind::Nothing, {}, "", "", Machine::Unknown},
        {"lacking.ocx",
         false,
         Kind::FunctionMissing,
         {"lacking.ocx", "helper.dll"},
         "HelperTwo",
         spaces,
         Machine::Unknown},
        {"crt.ocx", false, Kind::Nothing, {}, "", "", Machine::Unknown},
        {"loop.ocx", false, Kind::Nothing, {}, "", "", Machine::Unknown},
        {"wide.ocx", false, Kind::OtherMachine, {}, "", "", Machine::X64},
        {"arm.ocx", false, Kind::OtherMachine, {}, "", "", Machine::Arm64},
        {"net.dll", false, Kind::DotNet, {}, "", "", Machine::X86},
        {"late.ocx", false, Kind::Nothing, {}, "", "", Machine::Unknown},
        {"late.ocx", true, Kind::ModuleMissing, {"late.ocx", "absent.dll"}, "", spaces, Machine::Unknown},
        {"text.ocx", false, Kind::NotAnImage, {}, "", "", Machine::Unknown},
        {"cut.ocx", false, Kind::NotAnImage, {}, "", "", Machine::Unknown},
        {"empty.ocx", false, Kind::EmptyFile, {}, "", "", Machine::Unknown},
        {"gone.ocx", false, Kind::FileMissing, {}, "", "", Machine::Unknown},
        {"..\\..\\Other\\wrongpair.ocx",
         false,
         Kind::ModuleOtherMachine,
         {"wrongpair.ocx", "pair.dll"},
         "",
         "C:\\Program Files\\Old App\\..\\..\\Other",
         Machine::X64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.component + (c.atCall ? " at the call" : ""));
        FakeDiagnosis world = World();
        const std::string path = kSpaces + c.component;
        const Finding found = c.atCall ? FindCallProblem(world, path) : FindLoadProblem(world, path);
        EXPECT_EQ(found.kind, c.kind);
        EXPECT_EQ(found.chain, c.chain);
        EXPECT_EQ(found.function, c.function);
        EXPECT_EQ(found.folder, c.folder);
        EXPECT_EQ(found.machine, c.machine);
    }
}

// Every shorter copy of an image reads as no image, or as one whose tables
// stop where its bytes do.
TEST(Diagnosis, ACopyCutShortIsReadWithinItsBytes) {
    const std::string whole = Image({Machine::X64, true, {{"a.dll", {"F"}}}, {"X", "Y"}});
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::string cut = whole.substr(0, size);
        EXPECT_LE(ReadImports(cut).size(), 1u);
        EXPECT_LE(ReadExportNames(cut).value_or(std::vector<std::string>()).size(), 2u);
    }
}

// The words for each finding and code: what must be said, and what must
// not (the other bitness's tools, a remedy that does not apply).
TEST(Diagnosis, WordsForEveryCause) {
    using Stage = FailureFacts::Stage;
    using Kind = Finding::Kind;
    struct Case {
        const char* name;
        FailureFacts facts;
        std::vector<std::string> said;
        std::vector<std::string> unsaid;
    };
    const auto facts = [](Stage stage, std::uint32_t code, Finding finding) {
        FailureFacts f;
        f.stage = stage;
        f.file = "comp.ocx";
        f.entry = "DllRegisterServer";
        f.code = code;
        f.finding = std::move(finding);
        return f;
    };
    // The facts of a 64-bit program, on a 32-bit Windows, without administrator rights.
    const auto inX64 = [](FailureFacts f) {
        f.program = Machine::X64;
        return f;
    };
    const auto on32BitWindows = [](FailureFacts f) {
        f.windows64 = false;
        return f;
    };
    const auto limited = [](FailureFacts f) {
        f.elevated = false;
        return f;
    };
    const auto text = [](FailureFacts f, const char* systemText) {
        f.systemText = systemText;
        return f;
    };
    // The header read: a .NET library, or a program.
    const auto dotNetLibrary = [](FailureFacts f) {
        f.header.isDll = true;
        f.header.isDotNet = true;
        f.headerRead = true;
        return f;
    };
    const auto program = [](FailureFacts f) {
        f.headerRead = true;
        return f;
    };
    const auto unregistering = [](FailureFacts f) {
        f.entry = "DllUnregisterServer";
        return f;
    };
    const Finding wide{Kind::OtherMachine, Machine::X64};
    const Finding narrow{Kind::OtherMachine, Machine::X86};
    const Finding chain{Kind::ModuleMissing, Machine::Unknown, {"comp.ocx", "link.dll", "absent.dll"}, "", "C:\\A B"};
    const Finding lacking{Kind::FunctionMissing, Machine::Unknown, {"comp.ocx", "helper.dll"}, "HelperTwo", "C:\\A"};
    const Finding pair{Kind::ModuleOtherMachine, Machine::X64, {"comp.ocx", "pair.dll"}, "", "C:\\A"};
    const Case cases[] = {
        {"64-bit component, 32-bit program",
         facts(Stage::Load, 193, wide),
         {"comp.ocx is a 64-bit (x64) component", "a 32-bit (x86) program", "kalvex-x86_64.exe",
          "64-bit regsvr32 in C:\\Windows\\System32"},
         {"SysWOW64", "kalvex.exe "}},
        {"32-bit component, 64-bit program",
         inX64(facts(Stage::Load, 193, narrow)),
         {"comp.ocx is a 32-bit (x86) component", "a 64-bit (x64) program", "kalvex.exe",
          "32-bit regsvr32 in C:\\Windows\\SysWOW64"},
         {"kalvex-x86_64.exe", "System32"}},
        {"64-bit component on 32-bit Windows",
         on32BitWindows(facts(Stage::Load, 193, wide)),
         {"cannot run a 64-bit component at all"},
         {"kalvex-x86_64.exe", "regsvr32"}},
        {"ARM64 component",
         inX64(facts(Stage::Load, 193, {Kind::OtherMachine, Machine::Arm64})),
         {"ARM64", "Neither Kalvex build"},
         {"regsvr32"}},
        {"a chain to a missing module",
         facts(Stage::Load, 126, chain),
         {"comp.ocx needs link.dll, which needs absent.dll.",
          "absent.dll was found neither beside comp.ocx (in C:\\A B)", "place absent.dll beside comp.ocx"},
         {"Module not found"}},
        {"a missing function",
         facts(Stage::Load, 127, lacking),
         {"comp.ocx needs helper.dll.", "helper.dll (in C:\\A) has no function HelperTwo"},
         {}},
        {"a helper of the other bitness",
         facts(Stage::Load, 193, pair),
         {"is a 64-bit (x64) library", "comp.ocx is 32-bit", "place the 32-bit pair.dll beside comp.ocx"},
         {}},
        {"a text file", facts(Stage::Load, 193, {Kind::NotAnImage}), {"comp.ocx is not a Windows library"}, {}},
        {"an empty file", facts(Stage::Load, 193, {Kind::EmptyFile}), {"comp.ocx is empty"}, {}},
        {"DllMain refused",
         text(facts(Stage::Load, 1114, {}), "DLL initialization failed."),
         {"comp.ocx could not be loaded. The system says: DLL initialization failed. (error 1114).",
          "refused to start"},
         {}},
        {"the system's %1 filled",
         text(facts(Stage::Load, 193, {}), "Bad EXE format for %1."),
         {"The system says: Bad EXE format for comp.ocx."},
         {"%1"}},
        {"no text at all", facts(Stage::Load, 5000, {}), {"comp.ocx could not be loaded (error 5000)."}, {"says"}},
        {"access denied, limited",
         limited(text(facts(Stage::Call, 0x80070005, {}), "Access denied.")),
         {"comp.ocx answered: Access denied.", "\"Run as administrator\""},
         {}},
        {"access denied, elevated",
         text(facts(Stage::Call, 0x80070005, {}), "Access denied."),
         {"comp.ocx answered: Access denied."},
         {"administrator"}},
        {"type library registry, limited",
         limited(facts(Stage::Call, 0x8002801C, {})),
         {"TYPE_E_REGISTRYACCESS", "\"Run as administrator\""},
         {}},
        {"class not registered, limited",
         limited(facts(Stage::Call, 0x80040154, {})),
         {"REGDB_E_CLASSNOTREG"},
         {"administrator"}},
        {"a result without words", facts(Stage::Call, 0x80041234, {}), {}, {"answered"}},
        {"no entry point",
         facts(Stage::NoEntry, 0, {}),
         {"comp.ocx has no DllRegisterServer entry point"},
         {"RegAsm", "/RegServer"}},
        {".NET assembly",
         dotNetLibrary(facts(Stage::NoEntry, 0, {})),
         {"comp.ocx is a .NET assembly", "RegAsm.exe /codebase \"comp.ocx\""},
         {"/RegServer"}},
        {".NET assembly that failed to load, to be unregistered",
         unregistering(facts(Stage::Load, 193, {Kind::DotNet})),
         {"comp.ocx is a .NET assembly", "Unregister it", "RegAsm.exe /unregister \"comp.ocx\""},
         {"/codebase"}},
        {"a program",
         program(facts(Stage::NoEntry, 0, {})),
         {"comp.ocx is a program, not a library", "\"comp.ocx\" /RegServer"},
         {"RegAsm"}},
        {"a delay-loaded module missing at the call",
         facts(Stage::Exception, 0xC06D007E,
               {Kind::ModuleMissing, Machine::Unknown, {"comp.ocx", "late.dll"}, "", "C:\\A"}),
         {"comp.ocx needs late.dll.", "late.dll was found neither"},
         {}},
        {"a fault with nothing found", facts(Stage::Exception, 0xC0000005, {}), {}, {"comp.ocx"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string words = Explain(c.facts);
        if (c.said.empty()) {
            EXPECT_EQ(words, "");
        }
        for (const std::string& part : c.said)
            EXPECT_NE(words.find(part), std::string::npos) << part << " in " << words;
        for (const std::string& part : c.unsaid)
            EXPECT_EQ(words.find(part), std::string::npos) << part << " in " << words;
    }
}

// The engine adds the explanation after an empty line, and asks nothing on
// the way to a success.
TEST(Diagnosis, TheEngineExplainsFailuresOnly) {
    struct Case {
        const char* component;
        void (*spoil)(FakeModules&);
        std::string message;
        bool asked;
    };
    const Case cases[] = {
        {"chain.ocx", [](FakeModules&) {}, "Process completed", false},
        {"chain.ocx", [](FakeModules& m) { m.loadFails = true; },
         "Failure loading control DLL\r\n\r\nchain.ocx needs link.dll, which needs absent.dll.\r\nabsent.dll was found "
         "neither beside chain.ocx (in C:\\Program Files\\Old App) nor among the libraries Windows provides. Install "
         "the program or runtime absent.dll comes with, or place absent.dll beside chain.ocx.",
         true},
        {"helped.ocx", [](FakeModules& m) { m.noEntryPoint = true; },
         "Process failed in obtaining entry point or creating thread.\r\n\r\nhelped.ocx has no DllRegisterServer entry "
         "point: it does not register itself, so there is nothing for Kalvex to do. It may need no registration, or "
         "come with an installer of its own.",
         true},
        {"helped.ocx", [](FakeModules& m) { m.exitCode = 0x80041234; }, "Process failed with error code 0x80041234.",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Journal journal;
        FakeModules modules(journal);
        FakeDiagnosis world = World();
        modules.diagnosis = &world;
        modules.loadError = 126;
        c.spoil(modules);
        FakeToolkit ui(journal);
        RegistrationEngine engine(modules, ui);
        EXPECT_EQ(OutcomeMessage(engine.RegisterServer(kSpaces + c.component, RegistrationAction::Register)),
                  c.message);
        EXPECT_EQ(world.questions > 0, c.asked);
    }
}

}  // namespace
}  // namespace kalvex::testing
