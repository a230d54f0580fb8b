#include "archive_test_support.h"

#include "platform/paths.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace lzh::test {
namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    // A random name: under Wine process ids repeat from run to run, and a folder an earlier run
    // could not delete would be in the way.
    static std::atomic<int> counter{0};
    std::random_device random;
    do {
        m_path = fs::temp_directory_path() /
                 ("fernhold-archive-" + std::to_string(random()) + "-" + std::to_string(counter++));
    } while (!fs::create_directories(m_path));
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string TempFolder::str() const
{
    return platform::fromPath(m_path);
}

std::string TempFolder::operator/(const std::string& name) const
{
    return platform::fromPath(m_path / u8path(name));
}

fs::path u8path(const std::string& utf8)
{
    return platform::toPath(utf8);
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::map<std::string, std::string> treeOf(const fs::path& root)
{
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
#ifdef _WIN32
        std::string rel = platform::fromPath(it->path().lexically_relative(root));
        for (char& c : rel)
            c = c == '\\' ? '/' : c;
#else
        // The bytes as they are: some readers leave names that are not UTF-8.
        const std::string rel = it->path().lexically_relative(root).string();
#endif
        if (it->is_symlink())
            tree[rel + "@"] = platform::fromPath(fs::read_symlink(it->path()));
        else if (it->is_directory())
            tree[rel + "/"] = "";
        else
            tree[rel] = readFile(it->path());
    }
    return tree;
}

namespace {

constexpr std::uint32_t kSha256Rounds[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t rotr(std::uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

} // namespace

std::string sha256Hex(const std::string& data)
{
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::string m = data;
    m += static_cast<char>(0x80);
    while (m.size() % 64 != 56)
        m += '\0';
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    for (int i = 7; i >= 0; --i)
        m += static_cast<char>((bits >> (8 * i)) & 0xFF);
    for (std::size_t chunk = 0; chunk < m.size(); chunk += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i) {
            const auto b = [&](int k) {
                return static_cast<std::uint32_t>(static_cast<std::uint8_t>(m[chunk + 4 * i + k]));
            };
            w[i] = (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
        }
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 =
                hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kSha256Rounds[i] + w[i];
            const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += hh;
    }
    static const char* kHex = "0123456789abcdef";
    std::string hex;
    for (std::uint32_t v : h)
        for (int i = 28; i >= 0; i -= 4)
            hex += kHex[(v >> i) & 0xF];
    return hex;
}

std::string randomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace lzh::test
