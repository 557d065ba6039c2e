// The commands a pane carries out when it has the keyboard focus. The main window routes
// its menu and toolbar commands to the focused pane's; a pane without commands does
// nothing.
#pragma once

struct PaneCommands {
    virtual ~PaneCommands() = default;
    virtual void Cut() {}
    virtual void Copy() {}
    virtual void Paste() {}
    virtual void Rename() {}
    virtual void Delete() {}
    virtual void View() {}
    virtual void Open() {}
    virtual void NewFolder() {}
    virtual void SelectAll() {}
    virtual void InvertSelection() {}
};
