#include "history/log_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define GAPSCOPE_X86_DISPATCH 1
#include <immintrin.h>
#endif

namespace gapscope {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// `body` is the text after the byte-order mark.
std::string DecodeUtf16(std::string_view body, bool bigEndian) {
    std::string out;
    // Log files are ASCII, so one byte per code unit is the usual size.
    out.reserve(body.size() / 2 + 4);
    const auto unit = [&](std::size_t i) -> char16_t {
        const auto b0 = static_cast<unsigned char>(body[i]);
        const auto b1 = static_cast<unsigned char>(body[i + 1]);
        return static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    };
    const std::size_t units = body.size() / 2;
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unit(2 * k);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 < units) {
                const char16_t low = unit(2 * (k + 1));
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((char32_t(u - 0xD800) << 10) | (low - 0xDC00)));
                    ++k;
                    continue;
                }
            }
            AppendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    if (body.size() % 2 != 0) AppendUtf8(out, kReplacement);
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;

// High bit of each byte of `w` that is zero.
std::uint64_t ZeroBytes(std::uint64_t w) {
    return ~(((w & kLowBits) + kLowBits) | w | kLowBits);
}

// High bit of each byte of `w` in '0'..'9'; bytes of 128 and above never are.
std::uint64_t DigitBytes(std::uint64_t w) {
    const std::uint64_t low = w & kLowBits;
    const std::uint64_t atLeast0 = low + (0x80 - '0') * kOnes;
    const std::uint64_t pastNine = low + (0x80 - '9' - 1) * kOnes;
    return atLeast0 & ~pastNine & ~w & kHighBits;
}

// The high bits of the eight bytes as an 8-bit number, byte 0 in bit 0.
std::uint64_t GatherHighBits(std::uint64_t highBits) {
    return ((highBits >> 7) * 0x0102040810204080ULL) >> 56;
}

std::uint64_t LoadWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

}  // namespace

std::string DecodeLogBytes(std::string_view bytes) {
    if (StartsWith(bytes, kUtf8Mark)) return std::string(bytes.substr(kUtf8Mark.size()));
    if (StartsWith(bytes, kUtf16LeMark)) return DecodeUtf16(bytes.substr(2), false);
    if (StartsWith(bytes, kUtf16BeMark)) return DecodeUtf16(bytes.substr(2), true);
    return std::string(bytes);
}

namespace {

void ClassifyPortable(const char* blocks, std::size_t count, BlockClasses* out) {
    for (std::size_t b = 0; b < count; ++b) {
        const char* const block = blocks + b * kBlockBytes;
        BlockClasses classes;
        if constexpr (std::endian::native == std::endian::little) {
            for (std::size_t word = 0; word < kBlockBytes / 8; ++word) {
                const std::uint64_t w = LoadWord(block + 8 * word);
                const int shift = static_cast<int>(8 * word);
                const std::uint64_t lineBreak =
                    ZeroBytes(w ^ ('\r' * kOnes)) | ZeroBytes(w ^ ('\n' * kOnes));
                classes.breaks |= GatherHighBits(lineBreak) << shift;
                classes.equals |= GatherHighBits(ZeroBytes(w ^ ('=' * kOnes))) << shift;
                classes.digit |= GatherHighBits(DigitBytes(w)) << shift;
            }
        } else {
            for (std::size_t i = 0; i < kBlockBytes; ++i) {
                const char c = block[i];
                const std::uint64_t bit = std::uint64_t{1} << i;
                if (c == '\r' || c == '\n') classes.breaks |= bit;
                if (c == '=') classes.equals |= bit;
                if (c >= '0' && c <= '9') classes.digit |= bit;
            }
        }
        out[b] = classes;
    }
}

void MatchNeedlesPortable(const char* blocks, std::size_t count, const NeedleTest* tests,
                          std::size_t testCount, std::uint64_t* out) {
    for (std::size_t b = 0; b < count; ++b) {
        const char* const block = blocks + b * kBlockBytes;
        std::uint64_t mask = 0;
        for (std::size_t i = 0; i < kBlockBytes; ++i) {
            for (std::size_t t = 0; t < testCount; ++t) {
                const NeedleTest& test = tests[t];
                if (block[i] == test.first && block[i + test.middleAt] == test.middle &&
                    block[i + test.span] == test.last) {
                    mask |= std::uint64_t{1} << i;
                }
            }
        }
        out[b] = mask;
    }
}

#if defined(__SSE2__)

std::uint64_t Mask64(__m128i a, __m128i b, __m128i c, __m128i d) {
    const auto bits = [](__m128i v) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v)));
    };
    return bits(a) | bits(b) << 16 | bits(c) << 32 | bits(d) << 48;
}

void ClassifySse2(const char* blocks, std::size_t count, BlockClasses* out) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i equals = _mm_set1_epi8('=');
    const __m128i zero = _mm_set1_epi8('0');
    const __m128i nine = _mm_set1_epi8(9);
    for (std::size_t b = 0; b < count; ++b) {
        // Two bits per byte tell its class apart: "break or digit" and "equals or digit".
        __m128i breakOrDigit[4];
        __m128i equalsOrDigit[4];
        for (int i = 0; i < 4; ++i) {
            const __m128i v =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + b * kBlockBytes) + i);
            // A byte is a digit when byte - '0', taken unsigned, is at most 9.
            const __m128i d = _mm_sub_epi8(v, zero);
            const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(d, nine), d);
            const __m128i lineBreak = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
            breakOrDigit[i] = _mm_or_si128(lineBreak, digit);
            equalsOrDigit[i] = _mm_or_si128(_mm_cmpeq_epi8(v, equals), digit);
        }
        const std::uint64_t x =
            Mask64(breakOrDigit[0], breakOrDigit[1], breakOrDigit[2], breakOrDigit[3]);
        const std::uint64_t y =
            Mask64(equalsOrDigit[0], equalsOrDigit[1], equalsOrDigit[2], equalsOrDigit[3]);
        out[b] = BlockClasses{x & ~y, y & ~x, x & y};
    }
}

void MatchNeedlesSse2(const char* blocks, std::size_t count, const NeedleTest* tests,
                      std::size_t testCount, std::uint64_t* out) {
    const auto load = [](const char* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    for (std::size_t b = 0; b < count; ++b) {
        const char* const block = blocks + b * kBlockBytes;
        __m128i hit[4];
        for (int i = 0; i < 4; ++i) hit[i] = _mm_setzero_si128();
        for (std::size_t t = 0; t < testCount; ++t) {
            const NeedleTest& test = tests[t];
            const __m128i first = _mm_set1_epi8(test.first);
            const __m128i middle = _mm_set1_epi8(test.middle);
            const __m128i last = _mm_set1_epi8(test.last);
            for (int i = 0; i < 4; ++i) {
                const char* const at = block + 16 * i;
                const __m128i here =
                    _mm_and_si128(_mm_cmpeq_epi8(load(at), first),
                                  _mm_cmpeq_epi8(load(at + test.middleAt), middle));
                hit[i] = _mm_or_si128(
                    hit[i], _mm_and_si128(here, _mm_cmpeq_epi8(load(at + test.span), last)));
            }
        }
        // Most blocks hold no candidate: one test settles them.
        const __m128i any =
            _mm_or_si128(_mm_or_si128(hit[0], hit[1]), _mm_or_si128(hit[2], hit[3]));
        out[b] = _mm_movemask_epi8(any) == 0 ? 0 : Mask64(hit[0], hit[1], hit[2], hit[3]);
    }
}

#endif

#if defined(GAPSCOPE_X86_DISPATCH)

// Wider forms for processors that have them, chosen when the program runs. Written out
// in full: helpers would need the same target to be inlined.
__attribute__((target("avx2"))) void ClassifyAvx2(const char* blocks, std::size_t count,
                                                  BlockClasses* out) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i equals = _mm256_set1_epi8('=');
    const __m256i zero = _mm256_set1_epi8('0');
    const __m256i nine = _mm256_set1_epi8(9);
    for (std::size_t b = 0; b < count; ++b) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        for (int half = 0; half < 2; ++half) {
            const __m256i v = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(blocks + b * kBlockBytes) + half);
            const __m256i d = _mm256_sub_epi8(v, zero);
            const __m256i digit = _mm256_cmpeq_epi8(_mm256_min_epu8(d, nine), d);
            const __m256i lineBreak =
                _mm256_or_si256(_mm256_cmpeq_epi8(v, cr), _mm256_cmpeq_epi8(v, lf));
            const auto breakOrDigit =
                static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(lineBreak, digit)));
            const auto equalsOrDigit = static_cast<std::uint32_t>(
                _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(v, equals), digit)));
            x |= std::uint64_t{breakOrDigit} << (32 * half);
            y |= std::uint64_t{equalsOrDigit} << (32 * half);
        }
        out[b] = BlockClasses{x & ~y, y & ~x, x & y};
    }
}

__attribute__((target("avx2"))) void MatchNeedlesAvx2(const char* blocks, std::size_t count,
                                                      const NeedleTest* tests,
                                                      std::size_t testCount, std::uint64_t* out) {
    // One test at a time over all the blocks, so that its bytes stay in registers.
    for (std::size_t b = 0; b < count; ++b) out[b] = 0;
    for (std::size_t t = 0; t < testCount; ++t) {
        const NeedleTest test = tests[t];
        const __m256i first = _mm256_set1_epi8(test.first);
        const __m256i middle = _mm256_set1_epi8(test.middle);
        const __m256i last = _mm256_set1_epi8(test.last);
        for (std::size_t b = 0; b < count; ++b) {
            const char* const block = blocks + b * kBlockBytes;
            std::uint64_t mask = 0;
            for (int half = 0; half < 2; ++half) {
                const char* const at = block + 32 * half;
                const auto* const here = reinterpret_cast<const __m256i*>(at);
                const auto* const mid = reinterpret_cast<const __m256i*>(at + test.middleAt);
                const auto* const end = reinterpret_cast<const __m256i*>(at + test.span);
                const __m256i hit = _mm256_and_si256(
                    _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(here), first),
                                     _mm256_cmpeq_epi8(_mm256_loadu_si256(mid), middle)),
                    _mm256_cmpeq_epi8(_mm256_loadu_si256(end), last));
                mask |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(hit))}
                        << (32 * half);
            }
            out[b] |= mask;
        }
    }
}

__attribute__((target("avx512bw"))) void ClassifyAvx512(const char* blocks, std::size_t count,
                                                        BlockClasses* out) {
    const __m512i cr = _mm512_set1_epi8('\r');
    const __m512i lf = _mm512_set1_epi8('\n');
    const __m512i equals = _mm512_set1_epi8('=');
    const __m512i zero = _mm512_set1_epi8('0');
    const __m512i ten = _mm512_set1_epi8(10);
    for (std::size_t b = 0; b < count; ++b) {
        const __m512i v = _mm512_loadu_si512(blocks + b * kBlockBytes);
        out[b] = BlockClasses{_mm512_cmpeq_epi8_mask(v, cr) | _mm512_cmpeq_epi8_mask(v, lf),
                              _mm512_cmpeq_epi8_mask(v, equals),
                              _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, zero), ten)};
    }
}

// A few tests that all end in the same byte at the same span (the start-up needles: "XY="),
// with everything in registers.
template <std::size_t N>
__attribute__((target("avx512bw"))) void MatchFewNeedlesAvx512(const char* blocks,
                                                               std::size_t count,
                                                               const NeedleTest* tests,
                                                               std::uint64_t* out) {
    __m512i first[N];
    __m512i middle[N];
    std::size_t middleAt[N];
    for (std::size_t t = 0; t < N; ++t) {
        first[t] = _mm512_set1_epi8(tests[t].first);
        middle[t] = _mm512_set1_epi8(tests[t].middle);
        middleAt[t] = tests[t].middleAt;
    }
    const __m512i last = _mm512_set1_epi8(tests[0].last);
    const std::size_t span = tests[0].span;
    for (std::size_t b = 0; b < count; ++b) {
        const char* const block = blocks + b * kBlockBytes;
        const __m512i here = _mm512_loadu_si512(block);
        std::uint64_t mask = 0;
        for (std::size_t t = 0; t < N; ++t) {
            mask |= _mm512_cmpeq_epi8_mask(here, first[t]) &
                    _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(block + middleAt[t]), middle[t]);
        }
        out[b] = mask & _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(block + span), last);
    }
}

__attribute__((target("avx512bw"))) void MatchNeedlesAvx512(const char* blocks, std::size_t count,
                                                            const NeedleTest* tests,
                                                            std::size_t testCount,
                                                            std::uint64_t* out) {
    const auto sameEnd = [&](const NeedleTest& test) {
        return test.last == tests[0].last && test.span == tests[0].span;
    };
    if (testCount >= 1 && testCount <= 4 && std::all_of(tests, tests + testCount, sameEnd)) {
        switch (testCount) {
            case 1:
                return MatchFewNeedlesAvx512<1>(blocks, count, tests, out);
            case 2:
                return MatchFewNeedlesAvx512<2>(blocks, count, tests, out);
            case 3:
                return MatchFewNeedlesAvx512<3>(blocks, count, tests, out);
            default:
                return MatchFewNeedlesAvx512<4>(blocks, count, tests, out);
        }
    }
    // The tests' bytes are spread into vectors once. Consecutive tests with the same last
    // byte at the same span share its comparison, and a middle byte at 0 (any middle) is
    // the first byte again, so neither is compared twice.
    constexpr std::size_t kMaxTests = 32;
    __m512i first[kMaxTests];
    __m512i middle[kMaxTests];
    __m512i last[kMaxTests];
    bool sameLast[kMaxTests];
    testCount = std::min(testCount, kMaxTests);
    for (std::size_t t = 0; t < testCount; ++t) {
        first[t] = _mm512_set1_epi8(tests[t].first);
        middle[t] = _mm512_set1_epi8(tests[t].middle);
        last[t] = _mm512_set1_epi8(tests[t].last);
        sameLast[t] =
            t > 0 && tests[t].last == tests[t - 1].last && tests[t].span == tests[t - 1].span;
    }
    for (std::size_t b = 0; b < count; ++b) {
        const char* const block = blocks + b * kBlockBytes;
        const __m512i here = _mm512_loadu_si512(block);
        std::uint64_t mask = 0;
        std::uint64_t lastHits = 0;
        for (std::size_t t = 0; t < testCount; ++t) {
            const NeedleTest& test = tests[t];
            if (!sameLast[t]) {
                lastHits = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(block + test.span), last[t]);
            }
            std::uint64_t hits = _mm512_cmpeq_epi8_mask(here, first[t]) & lastHits;
            if (test.middleAt != 0 || test.middle != test.first) {
                hits &=
                    _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(block + test.middleAt), middle[t]);
            }
            mask |= hits;
        }
        out[b] = mask;
    }
}

#endif

std::vector<BlockScanner> FindBlockScanners() {
    std::vector<BlockScanner> scanners;
#if defined(GAPSCOPE_X86_DISPATCH)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw")) {
        scanners.push_back({"avx512bw", ClassifyAvx512, MatchNeedlesAvx512});
    }
    if (__builtin_cpu_supports("avx2"))
        scanners.push_back({"avx2", ClassifyAvx2, MatchNeedlesAvx2});
#endif
#if defined(__SSE2__)
    scanners.push_back({"sse2", ClassifySse2, MatchNeedlesSse2});
#endif
    scanners.push_back({"portable", ClassifyPortable, MatchNeedlesPortable});
    return scanners;
}

}  // namespace

const std::vector<BlockScanner>& BlockScanners() {
    static const std::vector<BlockScanner> scanners = FindBlockScanners();
    return scanners;
}

const BlockScanner& BestBlockScanner() {
    return BlockScanners().front();
}

void DecodeLogBytesInPlace(std::string& bytes) {
    const std::string_view view(bytes);
    if (StartsWith(view, kUtf8Mark)) {
        bytes.erase(0, kUtf8Mark.size());
    } else if (StartsWith(view, kUtf16LeMark) || StartsWith(view, kUtf16BeMark)) {
        bytes = DecodeLogBytes(view);
    }
}

}  // namespace gapscope
