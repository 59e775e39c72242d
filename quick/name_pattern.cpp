#include "quick/name_pattern.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

namespace quick {

namespace {

// Longest file name Windows allows, in UTF-16 units.
constexpr std::size_t kLongestName = 255;
// Digit runs longer than this never count: their value would not fit, and no pattern of ours reaches it.
constexpr std::size_t kLongestNumber = 18;

struct Piece {
    enum Kind { Text, Date, Time, Counter } kind = Text;
    std::wstring text; // Text only
    int digits = 0;    // Counter only: the fewest digits written
};

wchar_t AsciiLower(wchar_t c) noexcept {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring Folded(std::wstring_view s) {
    std::wstring out(s);
    std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
    return out;
}

bool IsDigit(wchar_t c) noexcept {
    return c >= L'0' && c <= L'9';
}

// The pattern's pieces; none when a brace is not part of a known token.
std::optional<std::vector<Piece>> Parse(std::wstring_view pattern) {
    std::vector<Piece> pieces;
    auto literal = [&](wchar_t c) {
        if (pieces.empty() || pieces.back().kind != Piece::Text)
            pieces.push_back({Piece::Text, L"", 0});
        pieces.back().text += c;
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        if (c == L'}')
            return std::nullopt;
        if (c != L'{') {
            literal(c);
            continue;
        }
        const std::size_t close = pattern.find(L'}', i + 1);
        if (close == std::wstring_view::npos)
            return std::nullopt;
        const std::wstring_view token = pattern.substr(i + 1, close - i - 1);
        if (token == L"date")
            pieces.push_back({Piece::Date, L"", 0});
        else if (token == L"time")
            pieces.push_back({Piece::Time, L"", 0});
        else if (token == L"n")
            pieces.push_back({Piece::Counter, L"", 3});
        else if (token.size() == 3 && token.substr(0, 2) == L"n:" && token[2] >= L'1' && token[2] <= L'9')
            pieces.push_back({Piece::Counter, L"", token[2] - L'0'});
        else
            return std::nullopt;
        i = close;
    }
    return pieces;
}

std::wstring Digits(std::uint64_t value, int fewest) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < static_cast<std::size_t>(fewest))
        text.insert(0, static_cast<std::size_t>(fewest) - text.size(), L'0');
    return text;
}

std::wstring TwoDigits(int v) {
    return Digits(static_cast<std::uint64_t>(std::max(0, v)), 2);
}

std::wstring DateText(const ShotTime& t) {
    return Digits(static_cast<std::uint64_t>(std::max(0, t.year)), 4) + TwoDigits(t.month) + TwoDigits(t.day);
}

std::wstring TimeText(const ShotTime& t) {
    return TwoDigits(t.hour) + TwoDigits(t.minute) + TwoDigits(t.second);
}

// The pieces with the date and time written in as text, merged with the text around them: what is left to
// match is text and counters.
std::vector<Piece> Resolve(const std::vector<Piece>& pieces, const ShotTime& t) {
    std::vector<Piece> out;
    for (const Piece& p : pieces) {
        if (p.kind == Piece::Counter) {
            out.push_back(p);
            continue;
        }
        const std::wstring text = p.kind == Piece::Date   ? DateText(t)
                                  : p.kind == Piece::Time ? TimeText(t)
                                                          : p.text;
        if (out.empty() || out.back().kind != Piece::Text)
            out.push_back({Piece::Text, L"", 0});
        out.back().text += text;
    }
    return out;
}

std::wstring Format(const std::vector<Piece>& pieces, std::uint64_t n, const ShotTime& t) {
    std::wstring name;
    for (const Piece& p : pieces) {
        switch (p.kind) {
        case Piece::Text: name += p.text; break;
        case Piece::Date: name += DateText(t); break;
        case Piece::Time: name += TimeText(t); break;
        case Piece::Counter: name += Digits(n, p.digits); break;
        }
    }
    return name;
}

// Whether a folded name is what the resolved pieces from `at` on give for one counter value (the same for
// every counter), as FormatName writes it: at least the counter's digits, no leading zero beyond them.
// The value found is left in `value`.
bool Matches(const std::vector<Piece>& pieces, std::size_t at, std::wstring_view name,
             std::optional<std::uint64_t>& value) {
    if (at == pieces.size())
        return name.empty();
    const Piece& p = pieces[at];
    if (p.kind == Piece::Text) {
        const std::wstring folded = Folded(p.text);
        return name.substr(0, folded.size()) == folded &&
               Matches(pieces, at + 1, name.substr(folded.size()), value);
    }
    std::size_t run = 0;
    while (run < name.size() && IsDigit(name[run]))
        ++run;
    // Longest first; shorter runs for text that itself starts with digits.
    for (std::size_t length = std::min(run, kLongestNumber); length >= static_cast<std::size_t>(p.digits);
         --length) {
        if (length > static_cast<std::size_t>(p.digits) && name[0] == L'0')
            continue;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < length; ++i)
            v = v * 10 + static_cast<std::uint64_t>(name[i] - L'0');
        if (value && *value != v)
            continue;
        const std::optional<std::uint64_t> before = value;
        value = v;
        if (Matches(pieces, at + 1, name.substr(length), value))
            return true;
        value = before;
    }
    return false;
}

// Names Windows keeps for devices, whatever follows a dot and with blanks before the dot ignored.
bool IsReservedName(std::wstring_view name) {
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.remove_suffix(1);
    const std::wstring folded = Folded(stem);
    for (const wchar_t* device : {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"})
        if (folded == device)
            return true;
    if (folded.size() == 4 && (folded.compare(0, 3, L"com") == 0 || folded.compare(0, 3, L"lpt") == 0)) {
        const wchar_t last = folded[3];
        return IsDigit(last) || last == L'\u00B9' || last == L'\u00B2' || last == L'\u00B3';
    }
    return false;
}

bool IsImageExtension(std::wstring_view pattern) {
    const std::size_t dot = pattern.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return false;
    const std::wstring extension = Folded(pattern.substr(dot));
    for (const wchar_t* known : {L".bmp", L".gif", L".jpg", L".jpeg", L".png"})
        if (extension == known)
            return true;
    return false;
}

} // namespace

PatternProblem CheckPattern(std::wstring_view pattern) {
    if (pattern.empty())
        return PatternProblem::Empty;
    const std::optional<std::vector<Piece>> pieces = Parse(pattern);
    if (!pieces)
        return PatternProblem::UnknownToken;
    for (const Piece& p : *pieces)
        if (p.kind == Piece::Text && p.text.find_first_of(L"\\/") != std::wstring::npos)
            return PatternProblem::PathSeparator;
    for (const Piece& p : *pieces)
        for (wchar_t c : p.text)
            if (c < 0x20 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos)
                return PatternProblem::ForbiddenCharacter;
    if (!IsImageExtension(pattern))
        return PatternProblem::NoImageExtension;
    // Only a counter of one digit can make a device's name (COM1); the date and time are longer.
    const ShotTime any;
    for (std::uint64_t n = 0; n <= 9; ++n)
        if (IsReservedName(Format(*pieces, n, any)))
            return PatternProblem::ReservedName;
    if (Format(*pieces, 1, any).size() > kLongestName)
        return PatternProblem::TooLong;
    return PatternProblem::None;
}

const wchar_t* PatternProblemText(PatternProblem problem) noexcept {
    switch (problem) {
    case PatternProblem::None: return L"";
    case PatternProblem::Empty: return L"ファイル名のパターンを入力してください.";
    case PatternProblem::UnknownToken:
        return L"ファイル名のパターンの { } に入れられるのは\r\n{date} {time} {n} {n:桁数(1～9)} だけです.";
    case PatternProblem::PathSeparator:
        return L"ファイル名のパターンに \\ と / は使えません。\r\nフォルダーは保存先の欄で指定してください.";
    case PatternProblem::ForbiddenCharacter:
        return L"ファイル名のパターンに次の文字は使えません: < > : \" | ? *";
    case PatternProblem::NoImageExtension:
        return L"ファイル名のパターンの最後を .bmp .gif .jpg .jpeg .png のいずれかにしてください.";
    case PatternProblem::ReservedName:
        return L"このパターンでは CON や NUL、COM1 のような\r\nWindows の予約された名前になることがあります.";
    case PatternProblem::TooLong: return L"ファイル名が長すぎます (255 文字まで).";
    }
    return L"";
}

bool HasCounter(std::wstring_view pattern) {
    const std::optional<std::vector<Piece>> pieces = Parse(pattern);
    return pieces && std::any_of(pieces->begin(), pieces->end(),
                                 [](const Piece& p) { return p.kind == Piece::Counter; });
}

std::wstring FormatName(std::wstring_view pattern, std::uint64_t n, const ShotTime& t) {
    const std::optional<std::vector<Piece>> pieces = Parse(pattern);
    return pieces ? Format(*pieces, n, t) : std::wstring(pattern);
}

std::wstring NextName(std::wstring_view pattern, const std::vector<std::wstring>& existing,
                      const ShotTime& t) {
    const std::vector<Piece> pieces =
        Parse(pattern).value_or(std::vector<Piece>{{Piece::Text, std::wstring(pattern), 0}});
    std::unordered_set<std::wstring> taken;
    for (const std::wstring& name : existing)
        taken.insert(Folded(name));
    auto free = [&](const std::wstring& name) { return taken.count(Folded(name)) == 0; };

    if (HasCounter(pattern)) {
        const std::vector<Piece> resolved = Resolve(pieces, t);
        std::uint64_t highest = 0;
        for (const std::wstring& name : taken) {
            std::optional<std::uint64_t> value;
            if (Matches(resolved, 0, name, value) && value)
                highest = std::max(highest, *value);
        }
        std::uint64_t n = highest + 1;
        while (!free(Format(pieces, n, t)))
            ++n;
        return Format(pieces, n, t);
    }

    const std::wstring name = Format(pieces, 0, t);
    if (free(name))
        return name;
    const std::size_t dot = name.rfind(L'.');
    const std::wstring stem = name.substr(0, dot),
                       extension = dot == std::wstring::npos ? L"" : name.substr(dot);
    for (std::uint64_t k = 2;; ++k) {
        const std::wstring candidate = stem + L" (" + std::to_wstring(k) + L")" + extension;
        if (free(candidate))
            return candidate;
    }
}

} // namespace quick
