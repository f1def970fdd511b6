// The narrow interfaces through which the window's handlers reach their
// controls and the services of the program around them. The Win32 adapter
// implements them; the unit tests fake them. A control service may raise
// kalvex::Error, and so may ProgramFolder.
#pragma once

#include <string>

#include "control_ids.h"
#include "engine/engine_ui.h"

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

// Raised by a service that lets the user act meanwhile (a message box,
// pending events) when the window was closed in the meantime: what is left
// of the handler does not run, as the program has ended.
struct WindowClosed {};

// The program's services. Showing that a component runs is the engine's
// part of them.
class Toolkit : public EngineUi {
public:
    // A modal box with the text, an OK button, no icon, "Kalvex" as caption.
    virtual void ShowMessage(const std::string& text) = 0;
    // The same box with Yes and No instead of OK: true for Yes.
    virtual bool Ask(const std::string& question) = 0;
    // Lets the window handle the events already waiting, then returns.
    virtual void ProcessPendingEvents() = 0;
    // Folder of the program's executable; ends in "\" only at a drive root.
    virtual std::string ProgramFolder() = 0;
    // The command-line text after the program's name, "" when there is none.
    virtual std::string ProgramArguments() = 0;
    // Closes the window, which ends the program.
    virtual void CloseWindow() = 0;
};

}  // namespace kalvex
