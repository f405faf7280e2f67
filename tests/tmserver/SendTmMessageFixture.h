#pragma once

// The main window sending TM messages, with its message boxes recorded.

#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "support/Ansi.h"
#include "support/MessageBoxRecorder.h"
#include "support/frmMainProbe.h"

#include <gtest/gtest.h>

class SendTmMessageTest : public testing::Test {
protected:
    void SetUp() override
    {
        DeviceEvent = {};
        probe.Link().Host = "10.0.0.5";
    }
    void TearDown() override { DeviceEvent = {}; }

    TfrmMain window;
    TfrmMainProbe probe{window};
    MessageBoxRecorder boxes;
};

inline QByteArray ErrorText(uint32_t code)
{
    return A("Не удалось подключиться к программе настройки сервера ТМ (") + QByteArray::number(code) + ")";
}
