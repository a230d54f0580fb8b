#include "core/shell/extraction_test.h"

#include "core/common/archive_call.h"

namespace core {

std::string extractionTestCommand()
{
    return std::string("x -d1 -y1 \"") + kExtractionTestArchive + "\" \"" + kExtractionTestTarget + "\"";
}

void runExtractionTest(AppState& state, Services& services)
{
    runArchiveCommand(state.archiveBusy, services.archiver, extractionTestCommand());
}

} // namespace core
