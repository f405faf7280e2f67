#include "app/ObjectBinding.h"

#include "app/ObjAction2.h"
#include "platform/cp1251/Ansi.h"
#include "framework/TextRoutines.h"
#include "app/TmMessage.h"

#include <algorithm>

bool IsObjectAddress(const QByteArray &objectText)
{
    const bool safe = std::none_of(objectText.cbegin(), objectText.cend(), [](char c) {
        return static_cast<unsigned char>(c) < 32 || c == '`';
    });
    return safe && SameTextAscii(objectText.left(3), "#TC");
}

QByteArray ObjectBinding(const QByteArray &objectText, bool indicatorBlockV2)
{
    const QByteArray channel = WordAt(1, objectText, ObjectDelimiters());
    const QByteArray rtu = WordAt(2, objectText, ObjectDelimiters());
    const QByteArray point = WordAt(3, objectText, ObjectDelimiters());
    if (indicatorBlockV2)
        return JoinItems({"qzrexSt2TmsCh=" + channel, "qzrexSt2TmsRtu=" + rtu, "qzrexSt2TmsPoint=" + point});
    return JoinItems({"qzrexStTmsCh=" + channel, "qzrexStTmsRtu=" + rtu, "qzrexStTmsPoint=" + point});
}

QByteArray TemplateItem(int dialogResult, bool indicatorBlockV2)
{
    if (indicatorBlockV2)
        return "qzrexSt2OvrrClass=" + IntToStr(dialogResult - ObjActionTemplate0);
    if (dialogResult == ObjActionTemplate0)
        return ToAnsi(QStringLiteral("qzrexStInv=- (нет)"));
    return ToAnsi(QStringLiteral("qzrexStInv=+ (да)"));
}
