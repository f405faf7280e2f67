// Field and word extraction and the number conversions on arbitrary bytes.
// The first byte picks the field number and the delimiter set; the rest is
// the text.

#include "framework/TextRoutines.h"

#include <cstdlib>

namespace {
void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool HasDelimiter(const QByteArray &text, const TCharSet &set)
{
    for (char c : text)
        if (set.test(static_cast<unsigned char>(c)))
            return true;
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int n = int(data[0] & 0x3F) - 2;
    const TCharSet &set = (data[0] & 0x40) ? ObjectDelimiters() : AddressDelimiters();
    const QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const QByteArray field = FieldAt(n, text, set);
    Check(!HasDelimiter(field, set));
    Check(field.size() <= text.size());
    const QByteArray word = WordAt(n, text, set);
    Check(!HasDelimiter(word, set));
    Check(word.isEmpty() || text.contains(word));
    if (n < 1) {
        Check(field.isEmpty());
        Check(word.isEmpty());
    }

    const QByteArray trimmed = Trim(text);
    Check(trimmed.isEmpty() || (uint8_t(trimmed.front()) > 32 && uint8_t(trimmed.back()) > 32));

    // A converted number prints back to a text that converts to the same value.
    const int32_t value = StrToIntDef(text, 12345);
    Check(StrToIntDef(IntToStr(value), 0) == value);
    const int64_t value64 = StrToInt64Def(text, 12345);
    Check(StrToInt64Def(IntToStr(value64), 0) == value64);
    if (value != 12345)
        Check(value64 == value);
    Check(StrToIntDef("$" + IntToHex(uint32_t(value) & 0x7FFFFFFF, 1), -1) == (value & 0x7FFFFFFF));
    return 0;
}
