// Our streams, wrapped in a minimal level-2 archive, checked by independent LHA readers when they
// are installed (lhasa, bsdtar, 7zz). Skipped where they are not, and on Windows.

#include "codec_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lzh::test {
namespace {

#ifndef _WIN32

void putLe(Bytes& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// One level-2 member named "member.bin": header CRC and name ext headers, then the data.
Bytes level2Archive(const char* methodId, const Bytes& original, const Bytes& packed)
{
    const std::string name = "member.bin";
    Bytes h;
    std::size_t total = 26 + 5 + (3 + name.size());
    const bool longCrcHeader = (total & 0xFF) == 0; // a size ending in 0x00 would read as the end mark
    if (longCrcHeader)
        ++total;
    putLe(h, static_cast<std::uint32_t>(total), 2);
    h.insert(h.end(), methodId, methodId + 5);
    putLe(h, static_cast<std::uint32_t>(packed.size()), 4);
    putLe(h, static_cast<std::uint32_t>(original.size()), 4);
    putLe(h, 1'700'000'000u, 4);
    h.push_back(0x20);
    h.push_back(2);
    putLe(h, crc16(0, original.data(), original.size()), 2);
    h.push_back('M');
    putLe(h, longCrcHeader ? 6 : 5, 2);
    const std::size_t crcAt = h.size() + 1;
    h.push_back(0x00);
    putLe(h, 0, 2);
    if (longCrcHeader)
        h.push_back(0);
    putLe(h, static_cast<std::uint32_t>(3 + name.size()), 2);
    h.push_back(0x01);
    h.insert(h.end(), name.begin(), name.end());
    putLe(h, 0, 2);
    const std::uint16_t headerCrc = crc16(0, h.data(), h.size());
    h[crcAt] = static_cast<std::uint8_t>(headerCrc);
    h[crcAt + 1] = static_cast<std::uint8_t>(headerCrc >> 8);
    h.insert(h.end(), packed.begin(), packed.end());
    h.push_back(0);
    return h;
}

bool installed(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " > /dev/null 2>&1").c_str()) == 0;
}

TEST(CodecInterop, IndependentReadersAcceptOurStreams)
{
    const char* const checks[][2] = {{"lhasa", "lhasa t '%s' > /dev/null 2>&1"},
                                     {"bsdtar", "bsdtar -xOf '%s' 2> /dev/null | cmp -s - '%o'"},
                                     {"7zz", "7zz t '%s' > /dev/null 2>&1"}};
    bool present[std::size(checks)];
    bool anyReader = false;
    for (std::size_t i = 0; i < std::size(checks); ++i)
        anyReader = (present[i] = installed(checks[i][0])) || anyReader;
    if (!anyReader)
        GTEST_SKIP() << "no independent LHA reader installed";

    Bytes mixed = textLike(150'000, 31);
    const Bytes noise = randomBytes(40'000, 32);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    mixed.insert(mixed.end(), 70'000, 'z');
    const Bytes inputs[] = {mixed, Bytes(1000, 'a'), bytesOf("hello, hello, hello, hello")};
    const std::pair<const char*, Method> methods[] = {
        {"-lh5-", Method::Lh5}, {"-lh6-", Method::Lh6}, {"-lh7-", Method::Lh7}};

    const auto dir = std::filesystem::temp_directory_path() / ("fernhold-codec-interop-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string archivePath = (dir / "test.lzh").string();
    const std::string originalPath = (dir / "original.bin").string();
    for (const Bytes& input : inputs) {
        std::ofstream(originalPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
        for (const auto& [id, method] : methods) {
            for (Effort effort : {Effort::Fast, Effort::Best}) {
                if (effort == Effort::Best && input.size() < 10'000)
                    continue; // same stream as Fast
                const Bytes packed = encodeAll(method, effort, input);
                ASSERT_GE(packed.size(), 8u); // shorter streams are stored as -lh0- by the container
                const Bytes archive = level2Archive(id, input, packed);
                std::ofstream(archivePath, std::ios::binary)
                    .write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
                for (std::size_t i = 0; i < std::size(checks); ++i) {
                    const auto& check = checks[i];
                    if (!present[i])
                        continue;
                    std::string command = check[1];
                    command.replace(command.find("%s"), 2, archivePath);
                    if (const auto o = command.find("%o"); o != std::string::npos)
                        command.replace(o, 2, originalPath);
                    EXPECT_EQ(std::system(command.c_str()), 0)
                        << check[0] << " refused " << id << " of " << input.size() << " bytes";
                }
            }
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

#endif

} // namespace
} // namespace lzh::test
