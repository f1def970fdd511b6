// Failures that users meet most, each told with its cause and what to do: the outcome's first line
// as it always was, then, after an empty line, the explanation. The hint for rights shows only in
// a process without them; asking the loader finds nothing missing among the system's libraries.
#include "diagnosis/diagnosis.h"
#include "diagnosis/pe_image.h"
#include "diagnosis/win32_diagnosis.h"
#include "scenario.h"

namespace e2e {

namespace {

const std::string kLoadFailure = "Failure loading control DLL";
const std::string kFailed = "Process failed with error code ";
const std::string kNoEntry = "Process failed in obtaining entry point or creating thread.";
const std::string kRunAs = "\"Run as administrator\"";
const std::string kOld = "C:\\Old Components";
const std::string kSpoilt = "C:\\kvx-failures";

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The chain beside each other in a folder whose name holds a space, the spoilt files in one of
// their own.
void PlaceFailures() {
    ::CreateDirectoryA(kOld.c_str(), nullptr);
    ::CreateDirectoryA(kSpoilt.c_str(), nullptr);
    ::CopyFileA(Component("kvx_chain.ocx").c_str(), (kOld + "\\kvx_chain.ocx").c_str(), FALSE);
    ::CopyFileA(Component("kvx_link.dll").c_str(), (kOld + "\\kvx_link.dll").c_str(), FALSE);
    Place(kSpoilt + "\\kvx_cut.ocx", Contents(Component("kvx_good.ocx")).substr(0, 1024));
    Place(kSpoilt + "\\kvx_empty.ocx", "");
}

// What a component of the other bitness is told here.
std::vector<std::string> OtherBitness() {
    if (sizeof(void*) == 8) {
        return {"kvx_good.ocx is a 32-bit (x86) component", "a 64-bit (x64) program", "kalvex.exe",
                "regsvr32 in C:\\windows\\SysWOW64"};
    }
    if (!g_situation.windows64) return {"kvx_good.ocx is a 64-bit (x64) component", "cannot run a 64-bit component"};
    return {"kvx_good.ocx is a 64-bit (x64) component", "a 32-bit (x86) program", "kalvex-x86_64.exe",
            "regsvr32 in C:\\windows\\System32"};
}

TEST(Failures, EachOutcomeNamesTheFileAndTheCause) {
    struct Case {
        std::string path;
        ControlId button;
        std::string first;
        std::vector<std::string> said;
        std::vector<std::string> unsaid;
    };
    const Case cases[] = {
        // Under Wine the load succeeds and the call lands in Wine's stub for the missing function
        // (its exception, 0x80000100); Windows refuses such a load with 127. The rows after it
        // show that the program goes on.
        {"C:\\Components\\kvx_lacking.ocx",
         C::cmdRegister,
         kFailed + "0x80000100.",
         {"kvx_helper.dll (in C:\\Components) has no function kvx_helper_newer_word"},
         {}},
        {kOld + "\\kvx_chain.ocx",
         C::cmdRegister,
         kLoadFailure,
         {"kvx_chain.ocx needs kvx_link.dll, which needs kvx_absent.dll.",
          "kvx_absent.dll was found neither beside kvx_chain.ocx (in C:\\Old Components)"},
         {}},
        {Component("kvx_initfail.ocx"),
         C::cmdRegister,
         kLoadFailure,
         {"kvx_initfail.ocx could not be loaded", "(error 1114)", "refused to start"},
         {}},
        {Component("kvx_text.ocx"), C::cmdRegister, kLoadFailure, {"kvx_text.ocx is not a Windows library"}, {}},
        {kSpoilt + "\\kvx_cut.ocx", C::cmdRegister, kLoadFailure, {"kvx_cut.ocx is not a Windows library"}, {}},
        {kSpoilt + "\\kvx_empty.ocx", C::cmdRegister, kLoadFailure, {"kvx_empty.ocx is empty"}, {}},
        {Component("kvx_noexports.dll"),
         C::cmdUnregister,
         kNoEntry,
         {"kvx_noexports.dll has no DllUnregisterServer entry point"},
         {}},
        {Component("kvx_delayed.ocx"),
         C::cmdRegister,
         kFailed + "0xC06D007E.",
         {"kvx_delayed.ocx needs kvx_absent.dll.", "kvx_absent.dll was found neither beside kvx_delayed.ocx"},
         {}},
        {Component("kvx_denied.ocx"), C::cmdRegister, kFailed + "0x80070005.", {"kvx_denied.ocx answered: "}, {kRunAs}},
        {Component("kvx_regaccess.ocx"),
         C::cmdRegister,
         kFailed + "0x8002801C.",
         {"kvx_regaccess.ocx answered: ", "TYPE_E_REGISTRYACCESS"},
         {kRunAs}},
    };
    PlaceFailures();
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Told told = Split(app.Outcome(c.button, c.path));
        EXPECT_EQ(told.first, c.first);
        for (const std::string& part : c.said) EXPECT_TRUE(Has(told.rest, part)) << part << "\nin: " << told.rest;
        for (const std::string& part : c.unsaid) EXPECT_FALSE(Has(told.rest, part)) << part << "\nin: " << told.rest;
    }
    // A .NET assembly loads, or not, as the system's runtime allows; either way it is pointed to RegAsm.
    const Told net = Split(app.Outcome(C::cmdRegister, Component("kvx_dotnet.dll")));
    EXPECT_TRUE(Has(net.rest, "kvx_dotnet.dll is a .NET assembly")) << net.rest;
    EXPECT_TRUE(Has(net.rest, "RegAsm.exe /codebase \"kvx_dotnet.dll\"")) << net.rest;
    const std::string other = Component("other\\kvx_good.ocx");
    if (Exists(other)) {
        const Told told = Split(app.Outcome(C::cmdRegister, other));
        EXPECT_EQ(told.first, kLoadFailure);
        for (const std::string& part : OtherBitness())
            EXPECT_TRUE(Has(told.rest, part)) << part << "\nin: " << told.rest;
    } else {
        ADD_FAILURE() << "no component of the other bitness at " << other;
    }
    EXPECT_EQ(app.Close(), kExited);
}

// Started as Windows starts a program for an administrator, without "Run as administrator": the
// access errors say how to get the rights (and offer this user only, declined here).
TEST(Failures, TheHintForRightsShowsOnlyWithoutThem) {
    struct Case {
        const char* file;
        std::string first;
    };
    const Case cases[] = {
        {"kvx_denied.ocx", kFailed + "0x80070005."},
        {"kvx_regaccess.ocx", kFailed + "0x8002801C."},
    };
    Kalvex app;
    ASSERT_TRUE(app.LaunchLimited());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Told told = Split(Answered(app, C::cmdRegister, Component(c.file), IDNO));
        EXPECT_EQ(told.first, c.first);
        EXPECT_TRUE(Has(told.rest, kRunAs)) << told.rest;
    }
    EXPECT_EQ(app.Close(), kExited);
}

// kvx_link.dll lies in the system folder, kvx_absent.dll nowhere: the explanation follows the
// chain through the system folder. Once kvx_absent.dll is put beside the component, it registers:
// looking did not leave kvx_link.dll behind half loaded.
TEST(Failures, WhatWasMissingPutInPlaceLoads) {
    const std::string folder = kOld + " 2", chain = folder + "\\kvx_chain.ocx";
    const std::string link = g_situation.systemDir + "\\kvx_link.dll";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA(Component("kvx_chain.ocx").c_str(), chain.c_str(), FALSE);
    ASSERT_TRUE(::CopyFileA(Component("kvx_link.dll").c_str(), link.c_str(), FALSE));
    Kalvex app;
    ASSERT_TRUE(app.Launch());
    const Told told = Split(app.Outcome(C::cmdRegister, chain));
    EXPECT_EQ(told.first, kLoadFailure);
    EXPECT_TRUE(Has(told.rest, "kvx_chain.ocx needs kvx_link.dll, which needs kvx_absent.dll.")) << told.rest;
    ::CopyFileA("C:\\Components\\kvx_absent.dll", (folder + "\\kvx_absent.dll").c_str(), FALSE);
    EXPECT_EQ(app.Outcome(C::cmdRegister, chain), kCompleted);
    EXPECT_EQ(Server("{7C3A1E95-2B64-4D08-A9F1-5E6D2C8B4A17}", "Helper"), "FOUND");
    EXPECT_EQ(app.Outcome(C::cmdUnregister, chain), kCompleted);
    EXPECT_EQ(app.Close(), kExited);
    ::DeleteFileA(link.c_str());
}

// Every library of the system folder, examined as a failed load of it would be, is found whole:
// nothing it needs is reported missing or of the other bitness.
TEST(Failures, NothingIsMissingAmongTheSystemsLibraries) {
    kalvex::Win32Diagnosis diagnosis;
    std::vector<std::string> libraries;
    for (const char* pattern : {"\\*.dll", "\\*.ocx"}) {
        WIN32_FIND_DATAA found;
        const HANDLE find = ::FindFirstFileA((g_situation.systemDir + pattern).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            libraries.push_back(g_situation.systemDir + "\\" + found.cFileName);
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ASSERT_GT(libraries.size(), 100u);
    const DWORD start = ::GetTickCount();
    int examined = 0;
    for (const std::string& library : libraries) {
        const auto view = diagnosis.OpenFile(library);
        // Wine's placeholders for libraries it has no PE image of are no images at all.
        if (!view || !kalvex::ReadImageHeader(view->Bytes())) continue;
        ++examined;
        const kalvex::Finding finding = kalvex::FindLoadProblem(diagnosis, library);
        std::string chain;
        for (const std::string& name : finding.chain) chain += name + " ";
        EXPECT_EQ(finding.kind, kalvex::Finding::Kind::Nothing) << chain << finding.function;
    }
    std::printf("# %d of %zu libraries examined in %lu ms\n", examined, libraries.size(),
                static_cast<unsigned long>(::GetTickCount() - start));
}

}  // namespace

}  // namespace e2e
