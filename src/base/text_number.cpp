// Numbers and text: formatting and reading C decimals.
//
// Everything here is independent of the process locale (a GUI front end may
// set one), so "0.5" is always written and read with a point.
#include "base/text_number.h"

#include <locale.h>
#include <charconv>
#include <climits>
#include <cstdlib>

namespace qinghe {

namespace {

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the C decimal number (optional sign, digits with an optional
// point, optional exponent) at the start of t; 0 when there is none. Hex
// forms, "inf" and "nan" are not decimal numbers and read as nothing.
size_t decimal_prefix_length(std::string_view t) {
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && is_digit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && is_digit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        if (j < t.size() && is_digit(t[j])) {
            while (j < t.size() && is_digit(t[j])) ++j;
            i = j;
        }
    }
    return i;
}

std::string_view skip_c_space(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && is_c_space(t[i])) ++i;
    return t.substr(i);
}

locale_t c_locale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

Text number_to_text(int n) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
    return Text(buffer, result.ptr);
}

Text number_to_text(double x) {
    // The same digits as "%.13g", without the locale's decimal point.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 13);
    return Text(buffer, result.ptr);
}

double text_to_number(std::string_view t) {
    Text half = to_halfwidth(t);
    std::string_view rest = skip_c_space(half);
    size_t length = decimal_prefix_length(rest);
    if (length == 0) return 0;
    // strtod_l reads the whole checked prefix: overflow gives +-HUGE_VAL and
    // underflow 0, as the C reading does.
    std::string number(rest.substr(0, length));
    return strtod_l(number.c_str(), nullptr, c_locale());
}

int text_to_int(std::string_view t) {
    Text half = to_halfwidth(t);
    std::string_view rest = skip_c_space(half);
    size_t i = 0;
    bool negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
    // Accumulate toward the sign so INT_MIN itself is reachable; overflow
    // clamps to the end of the int range.
    long long value = 0;
    for (; i < rest.size() && is_digit(rest[i]); ++i) {
        value = value * 10 + (rest[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace qinghe
