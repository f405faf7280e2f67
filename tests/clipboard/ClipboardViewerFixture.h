#pragma once

// The clipboard viewer under test, set up as the main window has it, and
// the windows the tests put in the chain or hold the clipboard with.

#include "app/ClipIcon.h"
#include "app/Clipboard.h"
#include "app/ClipboardViewer.h"
#include "widgets/ComponentStream.h"
#include "widgets/Image.h"
#include "widgets/Memo.h"
#include "widgets/PaletteGrid.h"
#include "widgets/CheckBox.h"
#include "framework/Component.h"
#include "framework/MemoryStream.h"
#include "platform/clipboard/ClipboardChain.h"
#include "support/ClipboardContent.h"
#include "support/MessageBoxRecorder.h"

#include <QScrollBar>
#include <QMimeData>
#include <QPointer>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>
#include <memory>
#include <vector>

using namespace ClipboardContent;
using namespace ClipboardApi;

// The viewer with its protected operations in reach.
class TTestViewer : public TClipboardViewer {
public:
    using TClipboardViewer::ResolveViewFormat;
    using TClipboardViewer::TClipboardViewer;

    // Formats CanShowFormat refuses on top of its own answer.
    std::vector<TClipboardViewFormat> Refused;

protected:
    bool CanShowFormat(TClipboardViewFormat Format) override
    {
        for (TClipboardViewFormat f : Refused)
            if (f == Format)
                return false;
        return TClipboardViewer::CanShowFormat(Format);
    }
};

// A viewer set up as on the main window, shown (so chained), counting its
// change events.
struct TViewer {
    TTestViewer Viewer;
    int Changes = 0;
    std::function<void()> DuringChange;

    explicit TViewer(std::vector<int> *order = nullptr, int id = 0)
    {
        Viewer.resize(113, 41);
        Viewer.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Viewer.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Viewer.SetAutoScroll(false);
        Viewer.SetColor(clBtnFace);
        Viewer.SetOnChange([this, order, id](QObject *sender) {
            EXPECT_EQ(sender, &Viewer);
            ++Changes;
            if (order)
                order->push_back(id);
            if (DuringChange)
                DuringChange();
        });
        Viewer.show();
    }

    template <class T>
    T *Preview() const
    {
        return qobject_cast<T *>(Viewer.Preview());
    }
    QString Text() const
    {
        const TMemo *memo = Preview<TMemo>();
        return memo ? memo->toPlainText() : QStringLiteral("(no text field)");
    }
    QSize ClientSize() const { return Viewer.viewport()->size(); }
};

// A window in the chain that records what reaches it.
struct TProbe {
    std::vector<std::tuple<uint32_t, uintptr_t, intptr_t>> Messages;
    TWindowHandle Handle = CreateWindow([this](uint32_t m, uintptr_t w, intptr_t l) { Messages.emplace_back(m, w, l); });
    TWindowHandle Next = SetClipboardViewer(Handle);
    TProbe() { Messages.clear(); } // the notification on joining
    ~TProbe()
    {
        ChangeClipboardChain(Handle, Next);
        DestroyWindow(Handle);
    }
};

inline QByteArray ComponentBytes(const QObject &component)
{
    TMemoryStream stream;
    WriteComponent(stream, &component);
    return stream.Bytes();
}

inline QMimeData *ImageData(const QImage &image)
{
    auto *data = new QMimeData;
    data->setImageData(image);
    return data;
}

struct THeldOpen {
    TWindowHandle Window = CreateWindow({});
    THeldOpen() { OpenClipboard(Window); }
    ~THeldOpen()
    {
        CloseClipboard();
        DestroyWindow(Window);
    }
};
// Every test starts from an empty clipboard.
class TFreshClipboard : public testing::Test {
protected:
    void SetUp() override { Clear(); }
};

class ClipboardViewerChain : public TFreshClipboard {};
class ClipboardViewer : public TFreshClipboard {};
class ClipboardViewerFailures : public TFreshClipboard {};
