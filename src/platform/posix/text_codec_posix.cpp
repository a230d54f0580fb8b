// CP932 through glibc's iconv. No //TRANSLIT or //IGNORE: a character without a form fails the
// whole conversion instead of turning into something else. glibc also takes a few characters
// (〜 − — ‖ ¢ £ ¬) to the bytes of their full-width look-alikes, which read back as those (as on
// Windows), so a text fits CP932 only when its bytes read back as the same text.

#include "platform/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// Opening a converter costs several times more than converting a member name, and an archive
// holds thousands: each thread keeps one per direction, reset before every use.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (usable())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool usable() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t reset()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    iconv_t m_cd;
};

std::optional<std::string> convert(Converter& converter, std::string_view input)
{
    // ASCII reads the same in both directions (checked for every byte below 0x80), and most
    // names are ASCII.
    if (std::all_of(input.begin(), input.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(input);
    if (!converter.usable())
        return std::nullopt;
    iconv_t cd = converter.reset();
    std::string output;
    char buffer[1024];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    bool ok = true;
    while (ok && inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, sizeof buffer - outLeft);
        // E2BIG only means the buffer is full; EILSEQ (no form, invalid bytes) and EINVAL (a
        // sequence cut off at the end) fail the whole text.
        if (rc == static_cast<size_t>(-1) && errno != E2BIG)
            ok = false;
    }
    if (ok) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, &out, &outLeft);
        output.append(buffer, sizeof buffer - outLeft);
    }
    if (!ok)
        return std::nullopt;
    return output;
}

Converter& toCp932()
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& fromCp932()
{
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

} // namespace

std::optional<std::string> utf8ToCp932(std::string_view utf8)
{
    std::optional<std::string> cp932 = convert(toCp932(), utf8);
    if (cp932 && convert(fromCp932(), *cp932) != utf8)
        return std::nullopt;
    return cp932;
}

std::optional<std::string> cp932ToUtf8(std::string_view cp932)
{
    return convert(fromCp932(), cp932);
}

} // namespace platform
