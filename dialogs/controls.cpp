#include "dialogs/controls.h"

#include <cctype>
#include <limits>

namespace tavrin::dialogs {
namespace {

// Leading blanks, an optional minus sign (signed only), then digits up to
// the end of the text; anything else, or overflow, is not a number.
std::optional<int64_t> ParseDecimal(const std::string& text, bool allowMinus, int64_t limit) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (allowMinus && i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > limit + (negative ? 1 : 0))
            return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace

std::optional<int32_t> Controls::ParseSigned(const std::string& text) {
    auto value = ParseDecimal(text, true, std::numeric_limits<int32_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<int32_t>(*value);
}

std::optional<uint32_t> Controls::ParseUnsigned(const std::string& text) {
    auto value = ParseDecimal(text, false, std::numeric_limits<uint32_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<uint32_t>(*value);
}

}  // namespace tavrin::dialogs
