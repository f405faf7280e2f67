#include "app/MainUnit.h"
#include "ui_MainUnit.h"

#include "framework/Component.h"
#include "framework/ErrorDisplay.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPServer.h"
#include "platform/cp1251/Ansi.h"
#include "settings/FormStorage.h"
#include "framework/TextRoutines.h"

#include <QResizeEvent>
#include <QTimer>
#include <functional>

TfrmMain *frmMain = nullptr;

namespace {
constexpr QPoint DesignedPosition(301, 177);
// While lines come fast, the log is shown anew at most this often.
constexpr int LogRepaintMs = 20;
}

TfrmMain::TfrmMain(QWidget *parent) : TForm(parent), FUi(std::make_unique<Ui::frmMain>())
{
    FUi->setupUi(this);
    // The form description gives the client size; the designed position is
    // the window's.
    move(DesignedPosition);
    const QRect memo = FUi->Memo1->geometry();
    FMemoAnchors = QMargins(0, 0, width() - memo.right() - 1, height() - memo.bottom() - 1);
    FLogRepaint = new QTimer(this);
    FLogRepaint->setSingleShot(true);
    FLogRepaint->setInterval(LogRepaintMs);
    connect(FLogRepaint, &QTimer::timeout, this, [this] { FUi->Memo1->setUpdatesEnabled(true); });

    connect(FUi->Button1, &QPushButton::clicked, this, [this] { Guard([this] { Button1Click(); }); });
    FUi->ClipboardViewer1->SetOnChange([this](QObject *Sender) { Guard([&] { ClipboardViewer1Change(Sender); }); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, [this] { Guard([this] { Timer1Timer(); }); });
    Timer1->start();

    IdUDPServer1 = new TIdUDPServer(this);
    IdUDPServer1->SetName(QStringLiteral("IdUDPServer1"));
    IdUDPServer1->SetLoading();
    TIdSocketHandle *binding = IdUDPServer1->Bindings().Add();
    binding->SetIP("0.0.0.0");
    binding->SetPort(971);
    IdUDPServer1->SetDefaultPort(971);
    IdUDPServer1->OnUDPRead = std::bind_front(&TfrmMain::IdUDPServer1UDPRead, this);
    IdUDPServer1->OnListenerEnded = std::bind_front(&TfrmMain::IdUDPServer1ListenerEnded, this);

    FormStorage1 = new TFormStorage(this);
    FormStorage1->SetLoading();
    FormStorage1->SetName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName("Software\\Orbastel\\V3721Conf");
    FormStorage1->SetIniSection("MainWindow");
    FormStorage1->SetUseRegistry(true);
    FormStorage1->SetStoredPropLines({"leKVIP.Text", "leTMSName.Text", "cbPLDKv2.Checked"});

    NotifyLoaded(this);
}

TfrmMain::~TfrmMain()
{
    // A host lookup's outcome must not come to a window on its way out (a
    // handed-over datagram's message box below runs the event loop).
    FLink.HostLookup.Drop();
    // Then, while the window is whole: the deactivation may still run a
    // datagram handed over by the listener.
    delete IdUDPServer1;
    IdUDPServer1 = nullptr;
    if (::frmMain == this)
        ::frmMain = nullptr;
}

// Painting the log and putting it on the screen costs far more than adding a
// line: a line added while the log is not being repainted holds back its
// repainting for a moment, so that a burst of datagrams is shown as a few
// pictures of the log rather than one per line.
void TfrmMain::LogAppend(const QByteArray &line)
{
    if (!FLogRepaint->isActive()) {
        FUi->Memo1->setUpdatesEnabled(false);
        FLogRepaint->start();
    }
    FUi->Memo1->AppendLine(line);
}

void TfrmMain::IdUDPServer1ListenerEnded(QObject *, const QByteArray &Reason)
{
    QByteArray reason = Reason;
    reason.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
    LogAppend(ToAnsi(QStringLiteral("Приём датаграмм прекращён, перезапустите программу: ")) + Trim(reason));
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    TForm::resizeEvent(event);
    const QRect memo = FUi->Memo1->geometry();
    FUi->Memo1->setGeometry(memo.left(), memo.top(),
                            width() - FMemoAnchors.right() - memo.left(),
                            height() - FMemoAnchors.bottom() - memo.top());
}
