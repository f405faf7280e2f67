// The hive parser on arbitrary bytes: it must never crash; whatever it
// accepts must come out of the writer as a text that parses to the same
// hive and writes the same again, both written alone and written back over
// the document it was read from, which keeps every line, skipped ones
// included, and written back with changes, it parses to the changed hive.

#include "platform/registry/Hive.h"

#include <cstdlib>

namespace {
const QByteArray Root = "HKEY_CURRENT_USER";

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Changes of every kind a program makes: a value set, changed and deleted,
// a key added and one deleted.
THiveKey Changed(THiveKey root)
{
    THiveKey &key = root.SubKeys.empty() ? root : root.SubKeys.front();
    if (!key.Values.empty())
        key.SetValue(key.Values.front().Name, Reg::REG_SZ, QByteArray("changed\n", 9));
    if (key.Values.size() > 1)
        key.RemoveValue(key.Values.back().Name);
    key.SetValue("added", Reg::REG_BINARY, QByteArray(40, '\x5a'));
    key.AddSubKey("New").AddSubKey("Sub").SetValue({}, Reg::REG_DWORD, QByteArray(4, '\1'));
    if (root.SubKeys.size() > 2)
        root.RemoveSubKey(root.SubKeys.back().Name);
    return root;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const THiveParseResult parsed = ParseHive(text, Root);
    if (!parsed.Ok) {
        Check(parsed.ErrorLine >= 1 && !parsed.Error.isEmpty());
        return 0;
    }
    for (const THiveSkippedLine &skipped : parsed.Skipped)
        Check(skipped.Line >= 1 && !skipped.Reason.isEmpty());

    const QByteArray alone = FormatHive(parsed.Root, Root);
    const THiveParseResult again = ParseHive(alone, Root);
    Check(again.Ok && again.Root == parsed.Root && again.Skipped.empty() && FormatHive(again.Root, Root) == alone);

    const QByteArray back = FormatHive(parsed.Document, parsed.Root);
    const THiveParseResult reread = ParseHive(back, Root);
    Check(reread.Ok && reread.Root == parsed.Root && reread.Document.Format == parsed.Document.Format
          && reread.Skipped.size() == parsed.Skipped.size()
          && FormatHive(reread.Document, reread.Root) == back);

    const THiveKey changed = Changed(parsed.Root);
    const THiveParseResult rechanged = ParseHive(FormatHive(parsed.Document, changed), Root);
    Check(rechanged.Ok && rechanged.Root == changed && rechanged.Skipped.size() <= parsed.Skipped.size());
    return 0;
}
