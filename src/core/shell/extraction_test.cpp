#include "core/shell/extraction_test.h"

namespace core {

std::string extractionTestCommand()
{
    return std::string("x -d1 -y1 \"") + kExtractionTestArchive + "\" \"" + kExtractionTestTarget + "\"";
}

void menuLZH_Click(AppState& state, Services& services)
{
    state.archiveBusy = true;
    services.archiver.run(extractionTestCommand(), nullptr, archive::UnlhaOptions{});
    state.archiveBusy = false;
}

} // namespace core
