#pragma once

#include <QByteArray>

// A copied telesignal object address: "#TC" in any letter case, then the
// channel, RTU and point separated by ':' ("#TC0:1:1"). The text given is
// the trimmed clipboard text. A text holding a control character or a
// backquote is not an object address: sent on, it would add lines or items of
// its own to the TM server's command.
bool IsObjectAddress(const QByteArray &objectText);

// The object binding items of the TM server message's second line: channel,
// RTU and point taken from the object text, for the second indicator block
// generation when `indicatorBlockV2`.
QByteArray ObjectBinding(const QByteArray &objectText, bool indicatorBlockV2);

// The template item that follows the binding, for a dialog result of
// ObjActionTemplate0 + n.
QByteArray TemplateItem(int dialogResult, bool indicatorBlockV2);
