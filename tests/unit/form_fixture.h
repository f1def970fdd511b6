// One window over the in-memory fakes, shared by the window's tests.
#pragma once

#include <gtest/gtest.h>

#include "fake_files.h"
#include "fake_modules.h"
#include "fake_version.h"
#include "fakes.h"
#include "window/frmKalvex.h"

namespace kalvex::testing {

class FormFixture : public ::testing::Test {
protected:
    FormFixture() : form({controls, toolkit, files, system, shell, modules, version}) {}

    FakeControls controls;
    FakeToolkit toolkit;
    FakeFiles files;
    FakeSystem system;
    FakeShell shell;
    FakeModules modules;
    FakeVersion version;
    frmKalvex form;
};

}  // namespace kalvex::testing
