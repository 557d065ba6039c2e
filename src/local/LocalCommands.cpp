#include "LocalCommands.h"

std::optional<LocalCommandStates> LocalCommandsFor(int selectedRows, bool hasFocusedRow,
                                                   bool focusedIsDriveRoot) {
    if (!hasFocusedRow || focusedIsDriveRoot) return std::nullopt;
    LocalCommandStates s;
    s.refresh = s.selectAll = s.invertSelect = true;
    if (selectedRows == 0) {
        s.newFolder = true;
    } else if (selectedRows == 1) {
        s.upload = s.open = s.view = s.cut = s.copy = s.paste = s.rename = s.del = true;
        s.newFolder = s.properties = true;
    } else {
        s.upload = s.cut = s.copy = s.paste = s.del = true;
    }
    return s;
}
