// In-memory stand-ins for the controls, the toolkit services and the system
// calls, with switches that make single calls fail.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "probes/system_api.h"
#include "window/basic_types.h"
#include "window/layout.h"
#include "window/toolkit.h"

namespace kalvex::testing {

struct ControlState {
    bool visible = true;
    bool locked = false;
    std::string text;
};

class FakeControls : public Controls {
public:
    FakeControls() {
        for (const ControlSpec& spec : kControls) state[spec.id].text = spec.caption;
    }

    void SetVisible(ControlId id, bool visible) override {
        Check(id);
        state[id].visible = visible;
    }
    void SetText(ControlId id, const std::string& text) override {
        Check(id);
        state[id].text = text;
        // The text box reports every change of content, assigned ones too.
        if (id == ControlId::text1 && onText1Change) onText1Change();
    }
    std::string Text(ControlId id) override {
        Check(id);
        return state[id].text;
    }
    void SetLocked(ControlId id, bool locked) override {
        Check(id);
        state[id].locked = locked;
    }
    void SetListFolder(ControlId id, const std::string& folder) override {
        Check(id);
        // Like the real list: a folder it cannot show is refused.
        if (folder.empty()) throw Error("Path not found");
        listFolder = folder;
    }
    std::string ListFolder(ControlId id) override {
        Check(id);
        return listFolder;
    }
    int ListIndex(ControlId id) override {
        Check(id);
        return listIndex;
    }
    std::string ListItem(ControlId id, int index) override {
        Check(id);
        return index >= 0 && index < static_cast<int>(listItems.size()) ? listItems[index] : std::string();
    }

    bool Visible(ControlId id) { return state[id].visible; }
    bool Locked(ControlId id) { return state[id].locked; }
    const std::string& TextOf(ControlId id) { return state[id].text; }

    std::map<ControlId, ControlState> state;
    std::string listFolder = "C:\\Start";
    std::vector<std::string> listItems;
    int listIndex = -1;
    std::set<ControlId> failing;  // every call on these controls raises
    std::function<void()> onText1Change;

private:
    void Check(ControlId id) const {
        if (failing.count(id) != 0) throw Error("control failure");
    }
};

class FakeToolkit : public Toolkit {
public:
    void MsgBox(const std::string& text) override { messages.push_back(text); }
    void DoEvents() override {
        ++doEvents;
        if (onDoEvents) onDoEvents();
    }
    std::string AppPath() override { return appPath; }
    std::string CommandLine() override { return commandLine; }
    std::string Dir(const std::string& path, int attributes) override {
        dirQueries.push_back(path);
        dirAttributes.push_back(attributes);
        if (dirFails) throw Error("Bad file name or number");
        return existingFiles.count(path) != 0 ? path.substr(path.find_last_of('\\') + 1) : std::string();
    }
    void SetMousePointer(int pointer) override { pointers.push_back(pointer); }
    void UnloadWindow() override { ++unloads; }
    void EndProgram() override { ++ends; }

    std::vector<std::string> messages;
    int doEvents = 0;
    std::function<void()> onDoEvents;  // runs at every event point
    std::string appPath = "C:\\Kalvex";
    std::string commandLine;
    std::set<std::string> existingFiles;
    bool dirFails = false;
    std::vector<std::string> dirQueries;
    std::vector<int> dirAttributes;
    std::vector<int> pointers;
    int unloads = 0;
    int ends = 0;
};

class FakeSystem : public SystemApi {
public:
    std::uint16_t NativeProcessorArchitecture() override {
        if (architectureFails) throw Error("Can't find DLL entry point GetNativeSystemInfo in kernel32");
        return architecture;
    }
    std::uint32_t SystemDirectory(char* buffer, std::uint32_t size) override {
        lastBufferSize = size;
        if (systemDirectoryFails) throw Error("Can't find DLL entry point GetSystemDirectoryA in kernel32");
        std::memcpy(buffer, systemDirectoryBytes.data(), std::min<size_t>(size, systemDirectoryBytes.size()));
        return systemDirectoryResult;
    }
    bool CanOpenForReading(const std::string& path) override {
        openQueries.push_back(path);
        if (openFails) throw Error("Permission denied");
        return readableFiles.count(path) != 0;
    }

    std::uint16_t architecture = 9;
    bool architectureFails = false;
    std::string systemDirectoryBytes = std::string("C:\\Windows\\system32", 19);
    std::uint32_t systemDirectoryResult = 19;
    bool systemDirectoryFails = false;
    std::uint32_t lastBufferSize = 0;
    std::set<std::string> readableFiles;
    bool openFails = false;
    std::vector<std::string> openQueries;
};

}  // namespace kalvex::testing
