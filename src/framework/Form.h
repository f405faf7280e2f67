#pragma once

#include <QWidget>
#include <functional>

// An event handler taking the object that raised the event.
using TNotifyEvent = std::function<void(QObject *sender)>;
// Asked before a form closes; clearing canClose keeps it open.
using TCloseQueryEvent = std::function<void(QObject *sender, bool &canClose)>;

// A top-level window of the program with the events and properties its
// components rely on. OnShow runs just before the form becomes visible
// (not when it comes back from being minimised), OnCloseQuery when it is
// asked to close, OnDestroy when it is destroyed while its child widgets and
// components still exist. Handlers run guarded: an exception is shown in the
// error display (one from OnCloseQuery also keeps the form open).
class TForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TBorderIcons BorderIcons READ BorderIcons WRITE SetBorderIcons)
    Q_PROPERTY(TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(TFormStyle FormStyle READ FormStyle WRITE SetFormStyle)
    Q_PROPERTY(TWindowState WindowState READ WindowState WRITE SetWindowState)

public:
    enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    Q_ENUM(TFormBorderStyle)
    enum TBorderIcon { biSystemMenu = 0x1, biMinimize = 0x2, biMaximize = 0x4, biHelp = 0x8 };
    Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
    Q_FLAG(TBorderIcons)
    enum TPosition {
        poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
        poMainFormCenter, poOwnerFormCenter
    };
    Q_ENUM(TPosition)
    enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
    Q_ENUM(TFormStyle)
    enum TWindowState { wsNormal, wsMinimized, wsMaximized };
    Q_ENUM(TWindowState)

    explicit TForm(QWidget *parent = nullptr);
    ~TForm() override;

    // Only recorded: Qt's window manager decides the frame.
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style) { FBorderStyle = style; }
    // The title bar buttons. A change re-creates the window (Qt hides it),
    // and a shown form is shown again.
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    // poScreenCenter and poDesktopCenter centre the form at every show,
    // after OnShow.
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style) { FFormStyle = style; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    TNotifyEvent OnShow;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = TBorderIcons(biSystemMenu | biMinimize | biMaximize);
    TPosition FPosition = poDesigned;
    TFormStyle FFormStyle = fsNormal;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TForm::TBorderIcons)

// The application's main form: the first form created while there was none.
TForm *MainForm();
