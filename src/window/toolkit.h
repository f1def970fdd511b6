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

// File attribute mask of the file search: 0 asks for ordinary files only.
constexpr int kNormalFiles = 0;

// The toolkit's run-time services. The message box and the mouse pointer
// are those the registration engine uses too.
class Toolkit : public EngineUi {
public:
    // Lets the window handle the events already waiting, then returns.
    virtual void DoEvents() = 0;
    // Folder of the program's executable; ends in "\" only at a drive root.
    virtual std::string AppPath() = 0;
    // The command-line text after the program's name, "" when there is none.
    virtual std::string CommandLine() = 0;
    // Name of the first file matching `path` with the attribute mask, or "".
    virtual std::string Dir(const std::string& path, int attributes) = 0;
    // Raises the window's unload notification.
    virtual void UnloadWindow() = 0;
    // Stops the program at once with exit code 0; does not return.
    virtual void EndProgram() = 0;
};

// The toolkit's file layer: numbered file handles from one pool. Every
// failure raises kalvex::Error with the platform's description of it.
class FileLayer {
public:
    virtual ~FileLayer() = default;

    // A file number that is free now.
    virtual int FreeFile() = 0;
    // Opens `path` for output under `fileNumber`: a missing file is created,
    // an existing one is emptied. Bytes are written as given (binary).
    virtual void OpenForOutput(int fileNumber, const std::string& path) = 0;
    // Writes one text item, converted to single-byte text, as it stands.
    virtual void WriteText(int fileNumber, const std::string& text) = 0;
    // Closes the file and gives its number back to the pool.
    virtual void Close(int fileNumber) = 0;
};

}  // namespace kalvex
