#include "search/suggestions.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <tuple>

#include "base/cp932.h"
#include "dict/entry_fields.h"
#include "search/matcher.h"

namespace pelmio {
namespace {

std::string_view Headword(const EntryTable& table, std::size_t line) {
    const std::string_view whole = table.lineView(line);
    const std::size_t comma = whole.find(',');
    return comma == std::string_view::npos ? whole : whole.substr(0, comma);
}

bool AllAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// How many bytes (letters folded) one text holds that the other lacks,
// counted both ways: 0 for texts that differ only by swaps.
std::size_t CountDifference(std::string_view a, std::string_view b) {
    std::array<int, 256> counts{};
    for (const char byte : a) {
        ++counts[cp932::FoldAscii(static_cast<unsigned char>(byte))];
    }
    for (const char byte : b) {
        --counts[cp932::FoldAscii(static_cast<unsigned char>(byte))];
    }
    std::size_t difference = 0;
    for (const int count : counts) {
        difference += static_cast<std::size_t>(count < 0 ? -count : count);
    }
    return difference;
}

// For each byte, the positions in text that hold it, either case of a
// letter alike: bit i for text[i]. Text of 64 bytes at most.
using Positions = std::array<std::uint64_t, 256>;

Positions BytePositions(std::string_view text) {
    Positions positions{};
    for (std::size_t i = 0; i < text.size(); ++i) {
        positions[cp932::FoldAscii(static_cast<unsigned char>(text[i]))] |= std::uint64_t{1} << i;
    }
    // Upper case looks up its lower case's positions: no fold per byte.
    for (unsigned char letter = 'A'; letter <= 'Z'; ++letter) {
        positions[letter] = positions[cp932::FoldAscii(letter)];
    }
    return positions;
}

// SpellingDistance from text (1 to 64 bytes, as BytePositions) to other,
// a column of the edit table at a time as bit vectors of its steps up and
// down: Hyyro's bit-parallel form with swaps (2003). The straightforward
// table checks it in the tests.
std::size_t BitDistance(const Positions& positions, std::size_t length, std::string_view other) {
    const std::uint64_t last = std::uint64_t{1} << (length - 1);
    std::uint64_t up = ~std::uint64_t{0};
    std::uint64_t down = 0;
    std::uint64_t diagonal = 0;
    std::uint64_t previous = 0;
    std::size_t distance = length;
    for (const char byte : other) {
        const std::uint64_t equal = positions[static_cast<unsigned char>(byte)];
        const std::uint64_t swapped = (((~diagonal) & equal) << 1) & previous;
        diagonal = (((equal & up) + up) ^ up) | equal | down | swapped;
        const std::uint64_t rightUp = down | ~(diagonal | up);
        const std::uint64_t rightDown = diagonal & up;
        distance += (rightUp & last) != 0 ? 1 : 0;
        distance -= (rightDown & last) != 0 ? 1 : 0;
        const std::uint64_t shifted = (rightUp << 1) | 1;
        down = shifted & diagonal;
        up = (rightDown << 1) | ~(shifted | diagonal);
        previous = equal;
    }
    return distance;
}

struct Candidate {
    std::size_t distance;
    std::size_t countDifference;
    std::size_t lengthDifference;
    std::size_t lineLength;  // more meanings: more likely the word meant
    std::uint32_t line;
    std::string_view headword;

    bool operator<(const Candidate& other) const {
        return std::tie(distance, countDifference, other.lineLength, lengthDifference, line) <
               std::tie(other.distance, other.countDifference, lineLength, other.lengthDifference,
                        other.line);
    }
};

// Keeps the best count candidates, each headword once, in order.
void Keep(std::vector<Candidate>& best, const Candidate& candidate, std::size_t count) {
    if (best.size() == count && !(candidate < best.back())) {
        return;
    }
    for (const Candidate& kept : best) {
        if (kept.headword == candidate.headword) {
            return;  // an earlier line, so never worse
        }
    }
    best.insert(std::upper_bound(best.begin(), best.end(), candidate), candidate);
    if (best.size() > count) {
        best.pop_back();
    }
}

// Full-width kana for U+FF61 .. U+FF9F, the half-width forms.
constexpr std::array<char16_t, 63> kFullWidthKana = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ',
    u'ョ', u'ッ', u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ',
    u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ',
    u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ',
    u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜'};

constexpr char16_t kHalfVoiced = u'\uFF9E';      // ﾞ
constexpr char16_t kHalfSemiVoiced = u'\uFF9F';  // ﾟ

// The kana with the sound mark joined, or nothing when it takes none.
// Unicode puts each voiced kana right after its plain one, and the
// semi-voiced one after that.
std::optional<char16_t> WithSoundMark(char16_t kana, char16_t mark) {
    const bool ha =
        kana == u'ハ' || kana == u'ヒ' || kana == u'フ' || kana == u'ヘ' || kana == u'ホ';
    if (mark == kHalfSemiVoiced) {
        return ha ? std::optional<char16_t>(static_cast<char16_t>(kana + 2)) : std::nullopt;
    }
    if (kana == u'ウ') {
        return u'ヴ';
    }
    const bool kaToTo = kana >= u'カ' && kana <= u'ト' && kana != u'ッ' &&
                        (kana - u'カ') % 2 == (kana >= u'ツ' ? 1 : 0);
    return ha || kaToTo ? std::optional<char16_t>(static_cast<char16_t>(kana + 1)) : std::nullopt;
}

// One UTF-16 unit in the other width, or itself.
char16_t OtherWidthUnit(char16_t unit) {
    if (unit >= u'\uFF01' && unit <= u'\uFF5E') {
        return static_cast<char16_t>(unit - 0xFEE0);
    }
    if (unit == u'\u3000') {
        return u' ';
    }
    if (unit == u'\u2019') {  // what an IME types for an apostrophe
        return u'\'';
    }
    if (unit >= u'\uFF61' && unit <= u'\uFF9F') {
        return kFullWidthKana[unit - 0xFF61];
    }
    return unit;
}

// Each ASCII letter that begins a character through change.
template <typename Change>
std::string ChangeLetters(std::string_view text, Change change) {
    std::string changed(text);
    bool tokenStart = true;
    for (std::size_t pos = 0; pos < changed.size(); pos += cp932::CharLength(changed, pos)) {
        const char byte = changed[pos];
        changed[pos] = change(byte, tokenStart);
        tokenStart = byte == ' ';
    }
    return changed;
}

std::string LowerCase(std::string_view text) {
    return ChangeLetters(text, [](char byte, bool) { return cp932::FoldAscii(byte); });
}

std::string Capitalised(std::string_view text) {
    return ChangeLetters(text, [](char byte, bool tokenStart) {
        const char lower = cp932::FoldAscii(byte);
        return tokenStart && lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - 'a' + 'A')
                                                          : lower;
    });
}

std::string JoinTokens(const std::vector<std::string>& tokens) {
    std::string joined;
    for (const std::string& token : tokens) {
        joined += joined.empty() ? "" : " ";
        joined += token;
    }
    return joined;
}

bool SameToken(std::string_view a, std::string_view b, bool ignoreCase) {
    if (a.size() != b.size()) {
        return false;
    }
    return ignoreCase ? LowerCase(a) == LowerCase(b) : a == b;
}

}  // namespace

std::size_t SpellingDistance(std::string_view a, std::string_view b, std::size_t limit) {
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    if ((n > m ? n - m : m - n) > limit) {
        return limit + 1;
    }
    if (n <= 64 && n > 0) {
        return std::min(BitDistance(BytePositions(a), n, b), limit + 1);
    }
    // Rows of the edit table: two back (for swaps), the last, the current.
    std::vector<std::size_t> before(m + 1), last(m + 1), row(m + 1);
    for (std::size_t j = 0; j <= m; ++j) {
        last[j] = j;
    }
    const auto fold = [](char byte) { return cp932::FoldAscii(static_cast<unsigned char>(byte)); };
    for (std::size_t i = 1; i <= n; ++i) {
        row[0] = i;
        std::size_t rowLeast = row[0];
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = fold(a[i - 1]) == fold(b[j - 1]) ? 0 : 1;
            std::size_t best = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + cost});
            if (i > 1 && j > 1 && fold(a[i - 1]) == fold(b[j - 2]) &&
                fold(a[i - 2]) == fold(b[j - 1])) {
                best = std::min(best, before[j - 2] + 1);
            }
            row[j] = best;
            rowLeast = std::min(rowLeast, best);
        }
        if (rowLeast > limit) {
            return limit + 1;
        }
        std::swap(before, last);
        std::swap(last, row);
    }
    return std::min(last[m], limit + 1);
}

namespace {

// Whether x has more than n bits set. Without the popcount instruction,
// which a portable build cannot assume, std::popcount is a library call;
// most headwords are told apart after n clearings or fewer.
bool MoreBitsThan(std::uint64_t x, std::size_t n) {
    for (; n > 0 && x != 0; --n) {
        x &= x - 1;
    }
    return x != 0;
}

}  // namespace

std::vector<std::uint32_t> NearHeadwords(const EntryTable& table, const HeadwordIndex& index,
                                         std::string_view text, std::size_t count) {
    if (text.empty() || text.size() > kMaxSpelledBytes || !AllAscii(text) || count == 0) {
        return {};
    }
    const std::size_t limit = text.size() <= 4 ? 1 : 2;
    const std::uint64_t textMask = LetterMask(text);
    const Positions positions = BytePositions(text);
    std::vector<Candidate> best;
    const std::size_t shortest = std::max<std::size_t>(text.size(), limit + 1) - limit;
    for (std::size_t length = shortest; length <= text.size() + limit; ++length) {
        const std::span<const std::uint32_t> lines = index.linesOfLength(length);
        const std::span<const std::uint64_t> masks = index.masksOfLength(length);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (MoreBitsThan(masks[i] ^ textMask, 2 * limit)) {
                continue;
            }
            const std::string_view headword(table.line(lines[i]), length);
            const std::size_t distance = BitDistance(positions, text.size(), headword);
            if (distance <= limit) {
                const std::size_t lengthDifference =
                    length > text.size() ? length - text.size() : text.size() - length;
                Keep(best,
                     {distance, CountDifference(text, headword), lengthDifference,
                      table.lineView(lines[i]).size(), lines[i], headword},
                     count);
            }
        }
    }
    std::vector<std::uint32_t> found;
    for (const Candidate& candidate : best) {
        found.push_back(candidate.line);
    }
    return found;
}

std::string OtherWidth(std::string_view text) {
    const std::u16string units = cp932::Decode(text);
    std::u16string changed;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = OtherWidthUnit(units[i]);
        const bool markFollows = i + 1 < units.size() &&
                                 (units[i + 1] == kHalfVoiced || units[i + 1] == kHalfSemiVoiced);
        const std::optional<char16_t> joined =
            markFollows && unit != units[i] ? WithSoundMark(unit, units[i + 1]) : std::nullopt;
        changed += joined.value_or(unit);
        i += joined ? 1 : 0;
    }
    if (changed == units) {
        return std::string(text);
    }
    // A byte that decoded to nothing stops the change rather than lose it.
    return cp932::Encode(changed).value_or(std::string(text));
}

std::string BaseFormPhrase(const EntryTable& table, const HeadwordIndex& index,
                           std::string_view text, bool ignoreCase) {
    std::vector<std::string> tokens = KeywordTokens(text);
    for (std::string& token : tokens) {
        if (token.size() > HeadwordIndex::kLongest || !AllAscii(token)) {
            continue;
        }
        const std::uint64_t mask = LetterMask(token);
        const std::span<const std::uint32_t> lines = index.linesOfLength(token.size());
        const std::span<const std::uint64_t> masks = index.masksOfLength(token.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string_view headword(table.line(lines[i]), token.size());
            if (masks[i] != mask || !SameToken(headword, token, ignoreCase)) {
                continue;
            }
            const EntryFields fields = SplitEntryFields(table.lineView(lines[i]));
            if (!fields.baseForm.empty() && fields.baseForm.find(' ') == std::string_view::npos) {
                token = std::string(fields.baseForm);
                break;
            }
        }
    }
    return JoinTokens(tokens);
}

std::vector<std::string> SuggestKeywords(const EntryTable& table, const HeadwordIndex& index,
                                         std::string_view text, bool ignoreCase,
                                         const ListsSomething& listsSomething) {
    std::vector<std::string> offered;
    const auto offer = [&](std::string candidate, bool checked) {
        if (offered.size() < kMaxSuggestions && !candidate.empty() && candidate != text &&
            std::find(offered.begin(), offered.end(), candidate) == offered.end() &&
            (checked || listsSomething(candidate))) {
            offered.push_back(std::move(candidate));
        }
    };
    // Each way only when the ones before it found nothing: a text the user
    // meant exactly needs no near spellings beside it.
    const std::string widened = OtherWidth(text);
    const std::string base = JoinTokens(KeywordTokens(widened));
    offer(widened, false);
    if (offered.empty() && !ignoreCase) {
        offer(LowerCase(base), false);
        offer(Capitalised(base), false);
    }
    if (offered.empty()) {
        offer(BaseFormPhrase(table, index, base, ignoreCase), false);
    }
    if (offered.empty()) {
        for (const std::uint32_t line : NearHeadwords(table, index, base, kMaxSuggestions)) {
            offer(std::string(Headword(table, line)), true);
        }
    }
    return offered;
}

}  // namespace pelmio
