#pragma once

#include "widgets/ScrollBox.h"

#include <QPointer>
#include <cstdint>
#include <functional>

class TMemo;

// What the clipboard viewer shows. Each value stands for one clipboard
// format (see ViewFormatToClipboardFormat) and one kind of preview.
enum TClipboardViewFormat : uint8_t {
    cvDefault, // choose automatically
    cvEmpty,
    cvUnknown,
    cvText,
    cvBitmap,
    cvMetafile,
    cvPalette,
    cvOemText,
    cvPicture,
    cvComponent,
    cvIcon,
};

// The clipboard format of a view format; 0 for cvDefault, cvEmpty,
// cvUnknown and any value above cvIcon.
uint32_t ViewFormatToClipboardFormat(TClipboardViewFormat format);

// Centres the control in its parent's client area; a control larger than
// the parent keeps to the left or top edge. Without a parent it stays put.
void CenterInParent(QWidget *Control);

// An event: the handler gets the object that raised it.
using TNotifyEvent = std::function<void(QObject *Sender)>;

// A member of the clipboard viewer chain with a small preview of the
// clipboard. On every notification it first passes the notification on,
// then raises OnChange, then rebuilds the preview from nothing.
class TCustomClipboardViewer : public TScrollBox {
    Q_OBJECT

public:
    explicit TCustomClipboardViewer(QWidget *parent = nullptr);
    ~TCustomClipboardViewer() override;

    TClipboardViewFormat ViewFormat() const { return FFormatChoice; }
    // Asks for a format to be shown; one that is not on the clipboard or
    // cannot be shown leaves the choice automatic. Rebuilds the preview.
    void ChooseViewFormat(TClipboardViewFormat Value);

    const TNotifyEvent &OnChange() const { return FChangeHandler; }
    void SetOnChange(TNotifyEvent handler) { FChangeHandler = std::move(handler); }

    // The current preview child, none while nothing is shown.
    QObject *Preview() const { return FPreview; }
    // The chain bookkeeping.
    ClipboardApi::TWindowHandle NextViewer() const { return FNextViewer; }
    bool Chained() const { return FChained; }

    // Preview texts.
    static const char *const EmptyText;
    static const char *const UnknownFormatText;
    // The preview text field takes at most this many characters.
    static constexpr int PreviewTextLimit = 32767;

protected:
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;
    void WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    void resizeEvent(QResizeEvent *event) override;

    virtual void RebuildPreview();
    // The format to show now.
    virtual TClipboardViewFormat ResolveViewFormat();
    virtual void RaiseChange();
    virtual bool CanShowFormat(TClipboardViewFormat Format);

private:
    void WMDrawClipboard();
    void WMChangeCBChain(ClipboardApi::TWindowHandle removed, ClipboardApi::TWindowHandle next);
    void WMDestroyClipboard();
    void WMNCDestroy();
    void LeaveChain();
    void PassToNextViewer(uint32_t msg, uintptr_t wParam, intptr_t lParam);

    TClipboardViewFormat DetectViewFormat();
    bool ClipboardIsEmpty();

    void PlaceInTabOrder(QWidget *child);
    TMemo *NewTextField();
    void BuildTextField(TClipboardViewFormat format);
    void BuildImage(TClipboardViewFormat format);
    void BuildComponent();
    void BuildPaletteGrid();

    ClipboardApi::TWindowHandle FNextViewer = 0;
    bool FChained = false;
    QPointer<QObject> FPreview;
    TClipboardViewFormat FFormatChoice = cvDefault;
    TNotifyEvent FChangeHandler;
};
