// CP932 through glibc's iconv. No //TRANSLIT or //IGNORE: a character without a form fails the
// whole conversion instead of turning into something else. glibc also takes a few characters
// (〜 − — ‖ ¢ £ ¬) to the bytes of their full-width look-alikes, which read back as those (as on
// Windows), so a text fits CP932 only when its bytes read back as the same text.

#include "platform/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <vector>

namespace platform {
namespace {

// Each thread keeps its converters open: opening one costs more than converting a name.
class Converters {
public:
    ~Converters()
    {
        for (const Open& open : m_open)
            iconv_close(open.cd);
    }
    iconv_t get(const char* to, const char* from)
    {
        for (const Open& open : m_open)
            if (std::string_view(open.to) == to && std::string_view(open.from) == from)
                return open.cd;
        const iconv_t cd = iconv_open(to, from);
        if (cd != reinterpret_cast<iconv_t>(-1))
            m_open.push_back({to, from, cd});
        return cd;
    }

private:
    struct Open {
        const char* to; // literals
        const char* from;
        iconv_t cd;
    };
    std::vector<Open> m_open;
};

iconv_t converter(const char* to, const char* from)
{
    thread_local Converters converters;
    return converters.get(to, from);
}

std::optional<std::string> convert(const char* to, const char* from, std::string_view input)
{
    // ASCII reads the same in both (checked for every byte below 0x80), and most names are
    // ASCII: opening a converter costs far more than the text.
    if (std::all_of(input.begin(), input.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(input);
    iconv_t cd = converter(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // from the initial state
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

} // namespace

std::optional<std::string> utf8ToCp932(std::string_view utf8)
{
    std::optional<std::string> cp932 = convert("CP932", "UTF-8", utf8);
    if (cp932 && convert("UTF-8", "CP932", *cp932) != utf8)
        return std::nullopt;
    return cp932;
}

std::optional<std::string> cp932ToUtf8(std::string_view cp932)
{
    return convert("UTF-8", "CP932", cp932);
}

} // namespace platform
