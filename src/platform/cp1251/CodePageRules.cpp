#include "platform/cp1251/CodePageRules.h"

TCodePageRules CodePageRules(uint32_t codePage)
{
    switch (codePage) {
    case 65000: // UTF-7
    case 65001: // UTF-8
        return {0, false, true};
    case 54936: // GB18030: flags 0 (or WC_ERR_INVALID_CHARS) only
        return {0, true, true};
    case 42: // Symbol
    case 50220:
    case 50221:
    case 50222:
    case 50225:
    case 50227:
    case 50229:
        return {0, true, false};
    default:
        if (codePage >= 57002 && codePage <= 57011) // ISCII
            return {0, true, false};
        return {WC_NO_BEST_FIT_CHARS, true, false};
    }
}

QString UnitsToConvert(const QString &text, const TCodePageRules &rules)
{
    QString units;
    units.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (!unit.isSurrogate()) {
            units += unit;
        } else if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            if (rules.HoldsEveryCharacter)
                units.append(unit).append(text[i + 1]);
            else
                units += QLatin1Char('?');
            ++i;
        } else {
            units += QLatin1Char('?');
        }
    }
    return units;
}
