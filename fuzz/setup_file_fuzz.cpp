// setup.def parsing on arbitrary bytes. Whatever the reader accepts must survive a write and a
// second read unchanged: a file the program wrote itself is never refused at the next start.

#include "core/settings/setup_file.h"
#include "core/settings/setup_record.h"
#include "scratch_tree.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    core::SetupRecord record;
    if (!core::parseSetup(bytes, record).ok())
        return 0;

    const std::string written = core::serializeSetup(record);
    core::SetupRecord reread;
    const base::Status status = core::parseSetup(written, reread);
    fuzz::check(status.ok(), "a file written from an accepted record is refused", status.detail());
    fuzz::check(reread == record, "a record changes when written and read again", written);
    return 0;
}
