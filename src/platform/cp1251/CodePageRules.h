#pragma once

#include <QString>
#include <cstdint>

// How text may be converted into a Windows code page (the workstation's
// ANSI or OEM code page) by WideCharToMultiByte, as the system documents it
// for that code page, and what the program does itself where the system
// will not: every character that the code page lacks becomes one '?'.

struct TCodePageRules {
    // The flags to convert with: WC_NO_BEST_FIT_CHARS where the code page
    // allows it (no look-alike for a character the code page lacks), else 0.
    uint32_t Flags = 0;
    // Whether the call may be given '?' as its default character. UTF-7 and
    // UTF-8 refuse any, and need none since they hold every character.
    bool TakesDefaultChar = true;
    // Whether the code page holds every Unicode character (UTF-7, UTF-8,
    // GB18030): a surrogate pair is then one character it has.
    bool HoldsEveryCharacter = false;
};

inline constexpr uint32_t WC_NO_BEST_FIT_CHARS = 0x00000400;

TCodePageRules CodePageRules(uint32_t codePage);

// The text as the conversion call is given it: a surrogate pair that the
// code page lacks, and every surrogate half without its partner, as one '?',
// so that each character becomes one '?' and no call fails on a broken
// pair.
QString UnitsToConvert(const QString &text, const TCodePageRules &rules);
