// The text-input composer takes any key code a keyboard, a remote or a caller sends, and any caret
// or text set by its owner. Whatever the order, the text it shows must stay within its buffer,
// hold only characters that were typed or composed from typed letters, and keep the caret inside.
//
// Input bytes are a stream of operations:
//   0x00..0xEF  a key: the 51 jamo U+3131..U+3163, then kOthers, taken modulo their count
//   0xF0 n      SetNCaretPos(signed n)
//   0xF1 n      SetNCaretPos(signed n * 5), mostly outside the text
//   0xF2 n k..  SetInputString of n * 3 keys (read from the next bytes; backspace is left out,
//               zero ends the text early)
//   0xF3 b      copy the composer, feed the key of b to the original, then restore the copy
//   0xF4 n b    the key of b typed n * 2 times (fills the text quickly)
//   0xF5..0xFF  the key of the next byte
#include <zent/util/ZuInput.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>

namespace {

constexpr wchar_t kOthers[] = {L'X', L'Y', L'x', L'a', L'Z', L'0', L'9', L' ', L'.', 8, 0};

constexpr std::size_t kJamoCount = 0x3163 - 0x3131 + 1;
constexpr std::size_t kKeyCount = kJamoCount + std::size(kOthers);

wchar_t Key(std::uint8_t b)
{
    const std::size_t n = b % kKeyCount;
    return n < kJamoCount ? static_cast<wchar_t>(0x3131 + n) : kOthers[n - kJamoCount];
}

// The checks of every step are the harness's, not the composer's: their branches would only
// slow the fuzzer down as coverage feedback.
#if defined(__clang__)
#define ZU_NO_COVERAGE __attribute__((no_sanitize("coverage"), noinline))
#else
#define ZU_NO_COVERAGE
#endif

// Everything the composer may show: typed keys (backspace and zero never stay), jamo, syllables.
ZU_NO_COVERAGE bool IsValid(wchar_t ch)
{
    if (ch >= 0x3131 && ch <= 0x3163) return true;
    if (ch >= 0xAC00 && ch <= 0xD7A3) return true;
    for (wchar_t other : kOthers) {
        if (other != 8 && other != 0 && ch == other) return true;
    }
    return false;
}

ZU_NO_COVERAGE bool IsValidText(std::wstring_view text)
{
    for (wchar_t ch : text) {
        if (!IsValid(ch)) return false;
    }
    return true;
}

void Check(CZuInput& input)
{
    const int state = input.GetInputState();
    if (state < 0 || state > 4) std::abort();
    if ((state == 0) != (input.GetBuffer() == 0)) std::abort();

    const std::size_t committed = std::wcslen(input.GetString());
    if (committed > static_cast<std::size_t>(CZuInput::kMaxLength)) std::abort();

    const int caret = input.GetNCaretPos();
    if (caret < 0 || static_cast<std::size_t>(caret) > committed) std::abort();

    const wchar_t* display = input.GetInputString();
    const std::size_t shown = std::wcslen(display);
    if (shown > static_cast<std::size_t>(CZuInput::kMaxLength)) std::abort();
    if (shown != committed + (state != 0 ? 1 : 0)) std::abort();
    const std::wstring_view view(display, shown);
    if (!IsValidText(view)) std::abort();
    // Outside the composing character the display is the committed text.
    const std::wstring_view text(input.GetString(), committed);
    if (state == 0) {
        if (view != text) std::abort();
    } else if (view.substr(0, caret) != text.substr(0, caret) ||
               view.substr(caret + 1) != text.substr(caret) || view[caret] != input.GetBuffer()) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CZuInput input;
    std::size_t at = 0;
    const auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };

    while (at < size) {
        const std::uint8_t op = next();
        if (op < 0xF0) {
            input.InputCode(Key(op));
        } else if (op == 0xF0) {
            input.SetNCaretPos(static_cast<std::int8_t>(next()));
        } else if (op == 0xF1) {
            input.SetNCaretPos(static_cast<std::int8_t>(next()) * 5);
        } else if (op == 0xF2) {
            const std::size_t count = std::size_t(next()) * 3;
            std::wstring text;
            for (std::size_t i = 0; i < count && at < size; ++i) {
                if (const wchar_t key = Key(next()); key != 8) text += key;
            }
            input.SetInputString(text.c_str());
        } else if (op == 0xF3) {
            const CZuInput saved(input);
            const std::wstring before = input.GetInputString();
            input.InputCode(Key(next()));
            Check(input);
            input = saved;
            if (before != input.GetInputString()) std::abort();
        } else if (op == 0xF4) {
            const int count = next() * 2;
            const wchar_t key = Key(next());
            for (int i = 0; i < count; ++i) {
                input.InputCode(key);
                Check(input);
            }
        } else {
            input.InputCode(Key(next()));
        }
        Check(input);
    }
    return 0;
}
