// The narrow interfaces through which the window's handlers reach their
// controls and the toolkit's run-time services. The Win32 adapter implements
// them; the unit tests fake them. Any of them may raise kalvex::Error.
#pragma once

#include <string>

#include "control_ids.h"
#include "registration/engine_ui.h"

namespace kalvex {

class Controls {
public:
    virtual ~Controls() = default;

    virtual void SetVisible(ControlId id, bool visible) = 0;
    // Caption of a label or button, content of the text box. Assigning the
    // text box's content raises its change notification.
    virtual void SetText(ControlId id, const std::string& text) = 0;
    virtual std::string Text(ControlId id) = 0;
    // A locked text box refuses the user's editing but still takes SetText.
    virtual void SetLocked(ControlId id, bool locked) = 0;

    // File list: its folder, the index of its current entry (-1 for none)
    // and the name of the entry at an index ("" where there is none).
    // SetListFolder raises an error when the folder cannot be listed; the
    // list then keeps its previous folder.
    virtual void SetListFolder(ControlId id, const std::string& folder) = 0;
    virtual std::string ListFolder(ControlId id) = 0;
    virtual int ListIndex(ControlId id) = 0;
    virtual std::string ListItem(ControlId id, int index) = 0;
};

// The toolkit's run-time services. The mouse pointer is the one the
// registration engine uses too.
class Toolkit : public EngineUi {
public:
    // Modal box with the text, an OK button, no icon, "Kalvex" as caption.
    virtual void MsgBox(const std::string& text) = 0;
    // Lets the window handle the events already waiting, then returns.
    virtual void DoEvents() = 0;
    // Folder of the program's executable; ends in "\" only at a drive root.
    virtual std::string AppPath() = 0;
    // The command-line text after the program's name, "" when there is none.
    virtual std::string CommandLine() = 0;
    // Name of the first ordinary file (not hidden, not a system file, not a
    // folder) matching `path`, or "".
    virtual std::string Dir(const std::string& path) = 0;
    // Raises the window's unload notification.
    virtual void UnloadWindow() = 0;
    // Stops the program at once with exit code 0; does not return.
    virtual void EndProgram() = 0;
};

// The toolkit's file layer.
class FileLayer {
public:
    virtual ~FileLayer() = default;

    // Writes `bytes` as the whole content of the file at `path`, creating it
    // or emptying an existing one. Raises kalvex::Error with the platform's
    // description of a failure.
    virtual void Write(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace kalvex
