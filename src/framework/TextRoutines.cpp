#include "framework/TextRoutines.h"

#include "framework/Exception.h"

#include <limits>
#include <optional>

TCharSet MakeCharSet(std::string_view members)
{
    TCharSet set;
    for (unsigned char c : members)
        set.set(c);
    return set;
}

const TCharSet &AddressDelimiters()
{
    static const TCharSet set = MakeCharSet(":");
    return set;
}

const TCharSet &ObjectDelimiters()
{
    static const TCharSet set = MakeCharSet("#:CT");
    return set;
}

namespace {
bool IsDelimiter(char c, const TCharSet &delimiters)
{
    return delimiters.test(static_cast<unsigned char>(c));
}

// Magnitude-limited conversion shared by the 32- and 64-bit forms.
std::optional<int64_t> ParseInteger(const QByteArray &text, uint64_t maxPositive)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    const uint64_t limit = negative ? maxPositive + 1 : maxPositive;
    uint64_t value = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        // Overflow tests instead of a division per digit: this runs for
        // every part of every address text.
        if (__builtin_mul_overflow(value, uint64_t(base), &value) ||
            __builtin_add_overflow(value, uint64_t(digit), &value) || value > limit)
            return std::nullopt;
    }
    if (negative)
        return value == maxPositive + 1 ? -int64_t(maxPositive) - 1 : -int64_t(value);
    return int64_t(value);
}
} // namespace

QByteArray FieldAt(int n, const QByteArray &text, const TCharSet &delimiters)
{
    QByteArray result;
    int counter = 0;
    for (qsizetype i = 0; i < text.size() && counter != n; ++i) {
        if (IsDelimiter(text[i], delimiters))
            ++counter;
        else if (counter == n - 1)
            result += text[i];
    }
    return result;
}

QByteArray WordAt(int n, const QByteArray &text, const TCharSet &delimiters)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    int counter = 0;
    while (i < size) {
        while (i < size && IsDelimiter(text[i], delimiters))
            ++i;
        if (i >= size)
            break;
        const qsizetype start = i;
        while (i < size && !IsDelimiter(text[i], delimiters))
            ++i;
        if (++counter == n)
            return text.mid(start, i - start);
    }
    return {};
}

QByteArray Trim(const QByteArray &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
        --last;
    return text.mid(first, last - first);
}

bool SameTextAscii(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    for (qsizetype i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

QByteArray IntToStr(int64_t value)
{
    return QByteArray::number(qlonglong(value));
}

QByteArray IntToHex(uint64_t value, int digits)
{
    QByteArray text = QByteArray::number(qulonglong(value), 16).toUpper();
    if (text.size() < digits)
        text.prepend(QByteArray(digits - text.size(), '0'));
    return text;
}

int32_t StrToIntDef(const QByteArray &text, int32_t fallback)
{
    const auto value = ParseInteger(text, uint64_t(std::numeric_limits<int32_t>::max()));
    return value ? int32_t(*value) : fallback;
}

int64_t StrToInt64Def(const QByteArray &text, int64_t fallback)
{
    const auto value = ParseInteger(text, uint64_t(std::numeric_limits<int64_t>::max()));
    return value ? *value : fallback;
}

int32_t StrToInt(const QByteArray &text)
{
    const auto value = ParseInteger(text, uint64_t(std::numeric_limits<int32_t>::max()));
    if (!value)
        throw EConvertError("'" + text + "' is not a valid integer value");
    return int32_t(*value);
}
