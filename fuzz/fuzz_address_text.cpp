// Address texts on arbitrary bytes: the address test, the conversion to the
// four bytes and back, and the field splitting under them.

#include "framework/Exception.h"
#include "net/IdStackWinsock.h"
#include "net/TakeField.h"
#include "framework/TextRoutines.h"

#include <cstdlib>

namespace {
void Check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TIdStackWinsock stack;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));

    // Taking fields apart loses nothing but the delimiters.
    QByteArrayView rest = text;
    QByteArrayList fields;
    for (;;) {
        const QByteArrayView whole = rest;
        const QByteArrayView field = TakeField(rest, ".", true);
        Check(!field.contains('.'));
        fields.append(field.toByteArray());
        if (field.size() == whole.size())
            break;
    }
    Check(rest.isEmpty());
    Check(fields.join('.') == text);

    const bool isAddress = TIdStack::IsAddressText(text);
    try {
        const TIdInAddr address = stack.AddressFromText(text);
        const QByteArray canonical = stack.AddressToText(address);
        Check(TIdStack::IsAddressText(canonical));
        Check(canonical.size() >= 7 && canonical.size() <= 15);
        Check(stack.AddressFromText(canonical) == address);
        // An address text's parts are the bytes' values.
        if (isAddress)
            for (int i = 0; i < 4; ++i)
                Check(StrToIntDef(i < 3 ? fields.value(i) : QByteArray(fields.mid(3).join('.')), -1) ==
                      address[i]);
    } catch (const EConvertError &e) {
        // Every address text converts.
        Check(!isAddress);
        Check(e.Message().endsWith("' is not a valid integer value"));
    }
    if (isAddress)
        Check(stack.HostToAddressText(text) == text);
    return 0;
}
