// Prints compression and decompression speed and ratio of every method and effort on one file,
// next to gzip -6 on the same file. MB/s are 10^6 bytes of original data per second, from the
// process CPU time (the bench machine is shared) and from the wall clock.
//
//   codec_bench FILE [--lh7]     (--lh7: only the -lh7- rows)

#include "lzh/codec.h"

#ifndef _WIN32
#include <sys/times.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Timing {
    double cpuSeconds;
    double wallSeconds;
};

class Stopwatch {
public:
    Stopwatch() : m_cpu(std::clock()), m_wall(std::chrono::steady_clock::now()) {}
    Timing elapsed() const
    {
        return {static_cast<double>(std::clock() - m_cpu) / CLOCKS_PER_SEC,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wall).count()};
    }

private:
    std::clock_t m_cpu;
    std::chrono::steady_clock::time_point m_wall;
};

// CPU time of finished child processes (gzip), in seconds; 0 where the system does not say.
double childCpuSeconds()
{
#ifdef _WIN32
    return 0.0;
#else
    tms t{};
    times(&t);
    return static_cast<double>(t.tms_cutime + t.tms_cstime) / static_cast<double>(sysconf(_SC_CLK_TCK));
#endif
}

double mbPerSecond(std::size_t bytes, double seconds)
{
    return seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0;
}

void printRow(const char* name, std::size_t original, std::size_t packed, std::size_t gzipSize, Timing enc, Timing dec)
{
    std::printf("%-14s %9.1f %9.1f %9.1f %9.1f %8.4f %8.4f %12zu\n", name, mbPerSecond(original, enc.cpuSeconds),
                mbPerSecond(original, enc.wallSeconds), mbPerSecond(original, dec.cpuSeconds),
                mbPerSecond(original, dec.wallSeconds), static_cast<double>(packed) / static_cast<double>(original),
                gzipSize ? static_cast<double>(packed) / static_cast<double>(gzipSize) : 0.0, packed);
}

struct GzipResult {
    std::size_t size = 0;
    Timing enc{};
    Timing dec{};
};

GzipResult runGzip(const std::string& path)
{
    GzipResult r;
    const std::string packed = (std::filesystem::temp_directory_path() / "codec_bench.gz").string();
    double before = childCpuSeconds();
    Stopwatch sw;
    if (std::system(("gzip -6 -c '" + path + "' > '" + packed + "'").c_str()) != 0)
        return r;
    r.enc = {childCpuSeconds() - before, sw.elapsed().wallSeconds};
    std::error_code ec;
    r.size = static_cast<std::size_t>(std::filesystem::file_size(packed, ec));
    before = childCpuSeconds();
    Stopwatch sw2;
    if (std::system(("gzip -d -c '" + packed + "' > /dev/null").c_str()) != 0)
        r.size = 0;
    r.dec = {childCpuSeconds() - before, sw2.elapsed().wallSeconds};
    std::filesystem::remove(packed, ec);
    return r;
}

bool runCodec(lzh::Method method, lzh::Effort effort, const Bytes& data, Bytes& packed, Timing& enc, Timing& dec)
{
    packed.clear();
    const lzh::ByteSink toPacked = [&packed](const std::uint8_t* p, std::size_t n) {
        packed.insert(packed.end(), p, p + n);
        return true;
    };
    Stopwatch sw;
    lzh::Encoder encoder(method, effort);
    constexpr std::size_t kPiece = 1 << 20; // the container reads files in pieces like this
    for (std::size_t i = 0; i < data.size(); i += kPiece)
        if (!encoder.write(data.data() + i, std::min(kPiece, data.size() - i), toPacked).ok())
            return false;
    if (!encoder.finish(toPacked).ok())
        return false;
    enc = sw.elapsed();

    std::size_t offset = 0;
    std::uint16_t crc = 0;
    std::size_t produced = 0;
    Stopwatch sw2;
    lzh::Decoder decoder(method);
    const auto status = decoder.decode(
        [&](std::uint8_t* buffer, std::size_t capacity) -> std::ptrdiff_t {
            const std::size_t n = std::min(capacity, packed.size() - offset);
            std::copy_n(packed.data() + offset, n, buffer);
            offset += n;
            return static_cast<std::ptrdiff_t>(n);
        },
        packed.size(), data.size(),
        [&](const std::uint8_t* p, std::size_t n) {
            crc = lzh::crc16(crc, p, n); // as the container does
            produced += n;
            return true;
        });
    dec = sw2.elapsed();
    return status.ok() && produced == data.size() && crc == lzh::crc16(0, data.data(), data.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: codec_bench FILE [--lh7]\n");
        return 2;
    }
    const std::string path = argv[1];
    const bool onlyLh7 = argc > 2 && std::string(argv[2]) == "--lh7";
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    const Bytes data((std::istreambuf_iterator<char>(file)), {});
    if (data.empty()) {
        std::fprintf(stderr, "%s is empty\n", path.c_str());
        return 1;
    }
    std::printf("%s: %zu bytes\n", path.c_str(), data.size());
    std::printf("%-14s %9s %9s %9s %9s %8s %8s %12s\n", "", "enc cpu", "enc wall", "dec cpu", "dec wall", "ratio",
                "vs gzip", "bytes");
    std::printf("%-14s %9s %9s %9s %9s\n", "", "MB/s", "MB/s", "MB/s", "MB/s");

    const GzipResult gzip = runGzip(path);
    if (gzip.size)
        printRow("gzip -6", data.size(), gzip.size, gzip.size, gzip.enc, gzip.dec);
    else
        std::printf("gzip -6        (could not run gzip)\n");

    const std::pair<const char*, lzh::Method> methods[] = {
        {"lh5", lzh::Method::Lh5}, {"lh6", lzh::Method::Lh6}, {"lh7", lzh::Method::Lh7}};
    const std::pair<const char*, lzh::Effort> efforts[] = {
        {"fast", lzh::Effort::Fast}, {"normal", lzh::Effort::Normal}, {"best", lzh::Effort::Best}};
    Bytes packed;
    packed.reserve(data.size() + data.size() / 8);
    int failures = 0;
    for (const auto& [methodName, method] : methods) {
        if (onlyLh7 && method != lzh::Method::Lh7)
            continue;
        for (const auto& [effortName, effort] : efforts) {
            Timing enc{}, dec{};
            const std::string name = std::string(methodName) + " " + effortName;
            if (!runCodec(method, effort, data, packed, enc, dec)) {
                std::printf("%-14s ROUND TRIP FAILED\n", name.c_str());
                ++failures;
                continue;
            }
            printRow(name.c_str(), data.size(), packed.size(), gzip.size, enc, dec);
        }
    }
    return failures == 0 ? 0 : 1;
}
