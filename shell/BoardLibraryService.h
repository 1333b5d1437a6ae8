#pragma once
// The measurement-board library as the application object reaches it: bound
// once by its constructor, before any window exists (not in show-data mode).
//
// User-interface thread only.

namespace velmar::shell {

class BoardLibraryService {
public:
    virtual ~BoardLibraryService() = default;
    // Binds the library and installs what uses it; true when it is there.
    virtual bool LoadBoardLibrary() = 0;
};

// The default: no library, which it says in the log (category
// "velmar.shell.services").
BoardLibraryService& NoBoardLibrary();

} // namespace velmar::shell
