// The hive parser on arbitrary bytes: it must never crash, and whatever it
// accepts must come out of the writer as a text that parses to the same
// hive and writes the same again.

#include "platform/registry/Hive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const THiveParseResult parsed = ParseHive(text, "HKEY_CURRENT_USER");
    if (!parsed.Ok) {
        if (parsed.ErrorLine < 1 || parsed.Error.isEmpty())
            std::abort();
        return 0;
    }
    const QByteArray written = FormatHive(parsed.Root, "HKEY_CURRENT_USER");
    const THiveParseResult again = ParseHive(written, "HKEY_CURRENT_USER");
    if (!again.Ok || !(again.Root == parsed.Root) || FormatHive(again.Root, "HKEY_CURRENT_USER") != written)
        std::abort();
    return 0;
}
