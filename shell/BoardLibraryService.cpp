#include "shell/BoardLibraryService.h"

#include <QLoggingCategory>

// "velmar.shell.services", the binding table's category (ServiceTable.cpp).
Q_DECLARE_LOGGING_CATEGORY(lcServices)

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
