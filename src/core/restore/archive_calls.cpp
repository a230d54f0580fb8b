#include "core/restore/archive_calls.h"

#include "platform/paths.h"

namespace core::restore {
namespace {

// Raises archiveBusy for one call and puts back what was there, so nested calls stay correct.
class ArchiveBusyScope {
public:
    explicit ArchiveBusyScope(AppState& state) : m_state(state), m_previous(state.archiveBusy)
    {
        m_state.archiveBusy = true;
    }
    ~ArchiveBusyScope() { m_state.archiveBusy = m_previous; }
    ArchiveBusyScope(const ArchiveBusyScope&) = delete;
    ArchiveBusyScope& operator=(const ArchiveBusyScope&) = delete;

private:
    AppState& m_state;
    bool m_previous;
};

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

std::string extractCommand(const std::string& archivePath, const std::string& folder)
{
    return "x -d1 -y1 " + quoted(archivePath) + " " + quoted(folder + platform::kSeparator);
}

std::string testCommand(const std::string& archivePath)
{
    return "t " + quoted(archivePath);
}

ArchiveCallResult runArchiveCommand(AppState& state, ArchiveRunner& archiver, const std::string& command)
{
    ArchiveBusyScope busy(state);
    ArchiveCallResult result;
    result.code = archiver.run(command, &result.message, archive::UnlhaOptions{});
    return result;
}

} // namespace core::restore
