#pragma once

#include "app/GatewayLink.h"
#include "framework/Form.h"

#include <QByteArray>
#include <memory>

class QTimer;
class TFormStorage;
class TIdSocketHandle;
class TIdUDPServer;
class TMemoryStream;

namespace Ui {
class frmMain;
}

// The main window: owns every component of the program and the state the
// handlers share. The handlers live in the files of what they do:
// GatewayHandlers.cpp, SendTmMessage.cpp and ClipboardHandler.cpp.
class TfrmMain : public TForm {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Adds one line at the end of the log. Constant time per line, however
    // long the log has grown.
    void LogAppend(const QByteArray &line);

    // Event handlers.
    void Button1Click();
    void Timer1Timer();
    void IdUDPServer1UDPRead(QObject *Sender, TMemoryStream &AData, TIdSocketHandle &ABinding);
    // The endpoint's listener stopped receiving: one log line with the reason.
    void IdUDPServer1ListenerEnded(QObject *Sender, const QByteArray &Reason);
    void ClipboardViewer1Change(QObject *Sender);

    // Composes the TM server message for the current device event and writes
    // it to the TM server's mailslot; a failure is reported in a message box.
    void SendTmMessage(const QByteArray &extra);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Tests reach the state below through this one class (tests/support).
    friend class TfrmMainProbe;

    // One clipboard change: offers an object address in the dialog.
    void OfferClipboardObject();

    // The controls of the form description.
    std::unique_ptr<Ui::frmMain> FUi;

    QTimer *Timer1 = nullptr;
    TIdUDPServer *IdUDPServer1 = nullptr;
    TFormStorage *FormStorage1 = nullptr; // window placement and the three fields

    // State shared by the handlers.
    TGatewayLink FLink;
    QByteArray FObjectText; // trimmed clipboard text of the object being handled

    // Distances of the log's right and bottom edges from the client area's,
    // kept on every resize: the log is anchored to all four sides.
    QMargins FMemoAnchors;
    // Running while the log's repainting is held back after an appended line.
    QTimer *FLogRepaint = nullptr;
    // A clipboard object is being handled; the clipboard changed meanwhile.
    bool FHandlingClipboardObject = false;
    bool FClipboardChangedMeanwhile = false;
};

// The main window, once created.
extern TfrmMain *frmMain;
