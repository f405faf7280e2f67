#pragma once

#include "framework/Exception.h"

#include <QByteArray>
#include <cstdint>

// A failure of the settings store; the message names the value or key.
class ESettingsError : public Exception {
public:
    using Exception::Exception;
};

// Where a TFormPlacement keeps its settings: named texts in sections. The
// registry store maps sections to subkeys of its key, the INI-file store to
// sections of a profile file. Texts are cp1251.
class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    virtual QByteArray StoreReadText(const QByteArray &section, const QByteArray &name,
                                     const QByteArray &fallback) = 0;
    virtual void StoreWriteText(const QByteArray &section, const QByteArray &name, const QByteArray &text) = 0;
    virtual void DeleteSection(const QByteArray &section) = 0;

    // A stored text that is not a number gives the fallback.
    int32_t ReadNumber(const QByteArray &section, const QByteArray &name, int32_t fallback);
    void WriteNumber(const QByteArray &section, const QByteArray &name, int32_t value);
    // "1" or "0".
    void WriteFlag(const QByteArray &section, const QByteArray &name, bool value);
};
