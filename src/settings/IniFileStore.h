#pragma once

#include "settings/SettingsStore.h"

#include <QString>

// The settings in a profile (INI) file. The reading call drops one pair of
// enclosing quotes and the blanks around a value, so a text that begins and
// ends with a double quote or with an apostrophe, or that begins or ends
// with a blank, is written enclosed in one more pair of double quotes.
class TIniFileStore : public TSettingsStore {
public:
    explicit TIniFileStore(const QString &fileName) : FFileName(fileName) {}

    const QString &FileName() const { return FFileName; }

    QByteArray StoreReadText(const QByteArray &section, const QByteArray &name, const QByteArray &fallback) override;
    // A text with a line break cannot be kept in the file and fails like a
    // write error ("Failed to set data for '%s'").
    void StoreWriteText(const QByteArray &section, const QByteArray &name, const QByteArray &text) override;
    void DeleteSection(const QByteArray &section) override;

private:
    QString FFileName;
};

// The text as it is written to a profile file.
QByteArray QuoteProfileText(const QByteArray &text);
