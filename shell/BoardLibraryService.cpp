#include "shell/BoardLibraryService.h"

#include "shell/ShellLog.h"

namespace velmar::shell {

namespace {

class NoBoardLibraryService final : public BoardLibraryService {
public:
    bool LoadBoardLibrary() override
    {
        qCInfo(lcServices) << "boards: no measurement-board library bound (no board library service)";
        return false;
    }
};

} // namespace

BoardLibraryService& NoBoardLibrary()
{
    static NoBoardLibraryService library;
    return library;
}

} // namespace velmar::shell
