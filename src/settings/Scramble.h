#pragma once

#include <QByteArray>

// The reversible keyed scrambling of stored values that have a key: the
// text is combined with a key stream drawn from SHA-256 of the key and a
// block counter, and written as upper-case hexadecimal, so the result is
// plain ASCII that any store keeps as it is. It hides a value from a casual
// look; it is not encryption.
QByteArray ScrambleText(const QByteArray &text, const QByteArray &key);
// The reverse. A text that is not a scrambled text (not an even number of
// hexadecimal digits) is returned unchanged.
QByteArray UnscrambleText(const QByteArray &text, const QByteArray &key);
