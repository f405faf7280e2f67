#pragma once

#include "settings/SettingsStore.h"

#include <QByteArray>

// The message of the settings error that `f` throws, or "<none>".
template <class F>
QByteArray ErrorOf(F &&f)
{
    try {
        f();
    } catch (const ESettingsError &e) {
        return e.Message();
    }
    return "<none>";
}
