#include "update/digest/md5.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

using Word = std::uint32_t;

// One step of each round: a = b + ((a + f(b, c, d) + x + k) <<< s). The round functions are
// written so that as little as possible waits for b, the word the previous step produced.
template <int S>
inline void stepF(Word& a, Word b, Word c, Word d, Word xk) {
    a += xk + (d ^ (b & (c ^ d)));
    a = std::rotl(a, S) + b;
}

// G = (b & d) | (c & ~d): the two terms never share a bit, so they are added one at a time and
// the term without b is ready before b is.
template <int S>
inline void stepG(Word& a, Word b, Word c, Word d, Word xk) {
    a += xk + (c & ~d);
    a += b & d;
    a = std::rotl(a, S) + b;
}

template <int S>
inline void stepH(Word& a, Word b, Word c, Word d, Word xk) {
    a += xk + ((c ^ d) ^ b);
    a = std::rotl(a, S) + b;
}

template <int S>
inline void stepI(Word& a, Word b, Word c, Word d, Word xk) {
    a += xk + (c ^ (b | ~d));
    a = std::rotl(a, S) + b;
}

// The sixteen message words of a block, little-endian.
inline void loadWords(const std::uint8_t* block, Word* x) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(x, block, 64);
    } else {
        for (int i = 0; i < 16; ++i) {
            const std::uint8_t* p = block + 4 * i;
            x[i] = Word(p[0]) | Word(p[1]) << 8 | Word(p[2]) << 16 | Word(p[3]) << 24;
        }
    }
}

// The additive constants of the 64 steps: the integer part of 2^32 * |sin(i + 1)|.
constexpr std::array<Word, 64> kSine = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Rotation amounts by round and by step within a group of four.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// Which message word step `i` adds.
constexpr int wordIndex(int i) {
    const int j = i % 16;
    constexpr int kStart[4] = {0, 1, 5, 0};
    constexpr int kStride[4] = {1, 5, 3, 7};
    return (kStart[i / 16] + kStride[i / 16] * j) % 16;
}

// Step `I`: the roles a, b, c, d move one chaining word to the right with every step.
template <int I>
inline void step(Word* v, const Word* x) {
    Word& a = v[(64 - I) % 4];
    const Word b = v[(65 - I) % 4], c = v[(66 - I) % 4], d = v[(67 - I) % 4];
    const Word xk = x[wordIndex(I)] + kSine[I];
    constexpr int kS = kShift[I / 16][I % 4];
    if constexpr (I < 16)
        stepF<kS>(a, b, c, d, xk);
    else if constexpr (I < 32)
        stepG<kS>(a, b, c, d, xk);
    else if constexpr (I < 48)
        stepH<kS>(a, b, c, d, xk);
    else
        stepI<kS>(a, b, c, d, xk);
}

template <int... I>
inline void allSteps(Word* v, const Word* x, std::integer_sequence<int, I...>) {
    (step<I>(v, x), ...);
}

constexpr std::array<Word, 4> kInitialState = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

}  // namespace

Md5::Md5() : state_(kInitialState) {}

void Md5::transformBlocks(const std::uint8_t* blocks, std::size_t count) {
    Word v[4] = {state_[0], state_[1], state_[2], state_[3]};
    for (; count > 0; --count, blocks += 64) {
        Word x[16];
        loadWords(blocks, x);
        const Word saved[4] = {v[0], v[1], v[2], v[3]};
        allSteps(v, x, std::make_integer_sequence<int, 64>());
        for (int i = 0; i < 4; ++i) v[i] += saved[i];
    }
    for (int i = 0; i < 4; ++i) state_[i] = v[i];
}

void Md5::addData(const void* data, std::size_t count) {
    auto bytes = static_cast<const std::uint8_t*>(data);
    std::size_t used = buffered();
    const std::uint64_t bits =
        (std::uint64_t(bits_[1]) << 32 | bits_[0]) + std::uint64_t(count) * 8;
    bits_ = {Word(bits), Word(bits >> 32)};
    if (used > 0) {
        const std::size_t take = std::min(count, 64 - used);
        std::memcpy(buffer_.data() + used, bytes, take);
        bytes += take, count -= take, used += take;
        if (used < 64) return;
        transformBlocks(buffer_.data(), 1);
    }
    transformBlocks(bytes, count / 64);
    std::memcpy(buffer_.data(), bytes + count / 64 * 64, count % 64);
}

std::string Md5::hexDigest() {
    std::uint8_t length[8];
    for (int i = 0; i < 8; ++i) length[i] = std::uint8_t(bits_[i / 4] >> (8 * (i % 4)));
    static const std::uint8_t kPadding[64] = {0x80};
    const std::size_t used = buffered();
    addData(kPadding, used < 56 ? 56 - used : 120 - used);
    addData(length, 8);
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (Word word : state_) {
        for (int i = 0; i < 4; ++i, word >>= 8) {
            text += kHex[(word >> 4) & 15];
            text += kHex[word & 15];
        }
    }
    return text;
}
