// The object-text path of the clipboard handler on arbitrary clipboard text:
// trimming, the object address test and the binding line. Whatever the text
// holds, an accepted object never adds a line or an item of its own to the
// TM server's command.

#include "app/ObjectBinding.h"
#include "framework/TextRoutines.h"
#include "app/TmMessage.h"

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
    const QByteArray clipboard(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray objectText = Trim(clipboard);
    if (!IsObjectAddress(objectText))
        return 0;
    Check(objectText.size() >= 3 && SameTextAscii(objectText.left(3), "#TC"));
    for (const bool option : {false, true}) {
        const QByteArray binding = ObjectBinding(objectText, option);
        Check(!binding.contains('\r') && !binding.contains('\n') && !binding.contains('\0'));
        // The object's words are the only variable part: they never hold a
        // backquote, so the binding's items are those it was built from.
        for (int word = 1; word <= 3; ++word)
            Check(!WordAt(word, objectText, ObjectDelimiters()).contains('`'));
        for (int result = 20; result <= 25; ++result) {
            const QByteArray extra = JoinItems({binding, TemplateItem(result, option)});
            const QByteArray message = ComposeTmMessage(TDeviceEvent{}, "10.0.0.5", option, extra);
            Check(message.count("\r\n") == 2);
            Check(message.count('\0') == 1);
        }
    }
    return 0;
}
