#pragma once

#include "widgets/Color.h"
#include "platform/clipboard/ClipboardWindow.h"

#include <QScrollArea>

// How a child control is placed in its container: where it was put, or
// filling the container's client area.
enum TAlign { alNone, alClient };
void SetAlign(QWidget *control, TAlign align);
TAlign Align(const QWidget *control);
// A control asks its container to lay the children out again after it has
// changed its own size (a control filling the client area gets it back).
void RequestAlign(QWidget *control);

// A container with a single border, optional scroll bars and child controls.
// Children live on Client(); with `AutoScroll` the client grows to hold them
// and the scroll bars (as far as their policies allow) scroll it, without
// it the client is the visible area and whatever does not fit is clipped.
//
// The container also has a window in the sense of the clipboard protocols:
// created when the control is first shown (or Handle() is asked for) and
// destroyed with the control. Its messages reach WndProc inside Guard, so
// a failure while handling one is shown in the error display.
class TScrollBox : public QScrollArea {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)

public:
    // Form descriptions name colours as members of the control's class.
    static constexpr TColor clWindow = Graphics::clWindow;
    static constexpr TColor clBtnFace = Graphics::clBtnFace;
    static constexpr TColor clBtnShadow = Graphics::clBtnShadow;
    static constexpr TColor clBtnHighlight = Graphics::clBtnHighlight;
    static constexpr TColor clNone = Graphics::clNone;

    explicit TScrollBox(QWidget *parent = nullptr);
    ~TScrollBox() override;

    QWidget *Client() const { return FClient; }

    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool autoScroll);

    // Layout of the children: suspended between DisableAlign and the matching
    // EnableAlign, which lays them out once.
    void DisableAlign();
    void EnableAlign();
    void Realign();

    // The window, created when needed.
    ClipboardApi::TWindowHandle Handle();
    // The window if there is one, else 0.
    ClipboardApi::TWindowHandle WindowHandle() const { return FHandle; }
    // Destroys the window and creates a new one, as changing some window
    // properties does.
    void RecreateWnd();

protected:
    virtual void AfterWindowCreated() {}
    virtual void BeforeWindowDestroyed() {}
    // The window's messages. WM_NCDESTROY, the last one, forgets the handle.
    virtual void WndProc(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    // BeforeWindowDestroyed, then the window goes. A destructor of a class
    // that overrides the window hooks calls this itself.
    void DestroyHandle();

    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void AlignChildren();

    QWidget *FClient;
    TColor FColor = clWindow;
    bool FAutoScroll = true;
    int FAlignDisabled = 0;
    int FAlignDepth = 0;
    ClipboardApi::TWindowHandle FHandle = 0;
};
