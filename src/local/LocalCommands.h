// Which local commands a selection allows. Without a focused row, or with a volume root
// focused, the commands keep the enabling they had (no answer).
#pragma once

#include <optional>

struct LocalCommandStates {
    bool showDesktop = true;
    bool newFolder = false, refresh = false, selectAll = false, invertSelect = false;
    bool upload = false, open = false, view = false, cut = false, copy = false, paste = false,
         rename = false, del = false, properties = false;
};

std::optional<LocalCommandStates> LocalCommandsFor(int selectedRows, bool hasFocusedRow,
                                                   bool focusedIsDriveRoot);
