#include "shell/MainUnit.h"

#include "framework/Component.h"
#include "framework/ErrorDisplay.h"
#include "platform/cp1251/Ansi.h"

#include <QResizeEvent>
#include <QTimer>

TfrmMain *frmMain = nullptr;

namespace {
constexpr QPoint DesignedPosition(301, 177);
}

TfrmMain::TfrmMain(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    // The form description gives the client size; the designed position is
    // the window's.
    move(DesignedPosition);
    FMemoAnchors = QMargins(0, 0, width() - Memo1->geometry().right() - 1, height() - Memo1->geometry().bottom() - 1);
    Memo1->document()->setUndoRedoEnabled(false);

    connect(Button1, &QPushButton::clicked, this, [this] { Guard([this] { Button1Click(); }); });
    ClipboardViewer1->SetOnChange([this](QObject *Sender) { Guard([&] { ClipboardViewer1Change(Sender); }); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, [this] { Guard([this] { Timer1Timer(); }); });
    Timer1->start();

    NotifyLoaded(this);
}

TfrmMain::~TfrmMain()
{
    if (::frmMain == this)
        ::frmMain = nullptr;
}

void TfrmMain::LogAppend(const QByteArray &line)
{
    Memo1->appendPlainText(FromAnsi(line));
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect memo = Memo1->geometry();
    Memo1->setGeometry(memo.left(), memo.top(),
                       width() - FMemoAnchors.right() - memo.left(),
                       height() - FMemoAnchors.bottom() - memo.top());
}
