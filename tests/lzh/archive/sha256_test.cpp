#include "lzh/sha256.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lzh {
namespace {

std::string digestOf(const std::string& text, Sha256::Engine engine, std::size_t piece)
{
    Sha256 hash(engine);
    for (std::size_t i = 0; i < text.size(); i += piece)
        hash.update(text.data() + i, std::min(piece, text.size() - i));
    std::string hex;
    for (const std::uint8_t b : hash.finish())
        hex += std::string(1, "0123456789abcdef"[b >> 4]) + "0123456789abcdef"[b & 0xF];
    return hex;
}

TEST(Sha256, BothEnginesGiveTheStandardVectorsAndAgreeInPiecesOfAnySize)
{
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
         "mnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases)
        for (auto engine : {Sha256::Engine::Fastest, Sha256::Engine::Portable})
            for (std::size_t piece : {1, 55, 64, 65, 1000000})
                EXPECT_EQ(digestOf(c.text, engine, piece), c.digest) << c.text.size() << " bytes, piece " << piece;
    // Every length around the block size, where the padding changes shape.
    std::mt19937 random(7);
    std::string text;
    for (int length = 0; length < 300; ++length, text += static_cast<char>(random()))
        EXPECT_EQ(digestOf(text, Sha256::Engine::Fastest, 300), digestOf(text, Sha256::Engine::Portable, 7)) << length;
}

} // namespace
} // namespace lzh
