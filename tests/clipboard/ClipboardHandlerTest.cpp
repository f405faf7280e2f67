#include "clipboard/DialogDriver.h"
#include "app/ObjAction2.h"
#include "net/IdSocketHandles.h"
#include "net/IdUDPServer.h"
#include "platform/mailslot/Mailslot.h"
#include "app/DeviceEvent.h"
#include "app/MainUnit.h"
#include "support/Ansi.h"
#include "support/ChildNamed.h"
#include "support/ClipboardContent.h"
#include "support/MessageBoxRecorder.h"
#include "support/PrivateSettings.h"
#include "support/frmMainProbe.h"
#include "app/TmMessage.h"

#include <QLabel>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {
// The first line for the fixture's key event (mode 1, a = 0x01, b = 0x2A,
// c = 5) and gateway 10.0.0.5, for each indicator block option.
const QByteArray LineV2 = "hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=10.0.0.5`TMPORT$QZR_1"
                          "`TMO_QZREX_STATUS_20.qzrexSt2Num=$012A`TMO_QZREX_ST2_IND.qzrexSt2IndNum=5";
const QByteArray LineV1 = "hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=10.0.0.5`TMPORT$QZR_1"
                          "`TMO_QZREX_STATUS.qzrexStNum=$012A`TMO_QZREX_ST_IND.qzrexStIndNum=5";

QByteArray Message(const QByteArray &first, const QByteArray &second)
{
    QByteArray message = first + "\r\n" + second + "\r\n";
    message += '\0';
    return message;
}

class ClipboardHandlerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settings.Valid());
        // Whatever an earlier test left on the clipboard is no business of this one.
        ClipboardContent::Clear();
        frmMain = &window;
        frmObjAction2 = &dialog;
        DeviceEvent = {true, 0x01, 0x2A, 5};
        probe.Link().Host = "10.0.0.5";
        // No polls: the gateway is out of reach in a test's own network, and
        // a slow run would meet the failed poll's box.
        probe.Timer1()->stop();
        window.show(); // joins the clipboard chain
        // Any free port: the handler only asks whether the link is up.
        probe.IdUDPServer1()->Bindings()[0]->SetPort(0);
        probe.IdUDPServer1()->SetActive(true);
        ASSERT_EQ(server.Create(TmMailslotPath("TMS")), MailslotError::Success);
    }

    void TearDown() override
    {
        EXPECT_EQ(driver.Unexpected, 0) << "a dialog was shown that the test did not expect";
        EXPECT_TRUE(boxes.Boxes.isEmpty() || expectBoxes) << "the first: " << (boxes.Boxes.isEmpty() ? QByteArray() : boxes.Boxes.front().Text).constData();
        DeviceEvent = {};
        frmObjAction2 = nullptr;
        frmMain = nullptr;
    }

    // Copying a text in another program: the change reaches the handler at once.
    static void Copy(const QByteArray &ansi) { ClipboardContent::SetText(FromAnsi(ansi)); }

    // The next message at the mailslot, if one comes.
    std::optional<QByteArray> Received() { return server.Read(10000); }
    // The handler has run by the time Copy returns, so whatever it sent is
    // at the mailslot already.
    bool NothingMoreSent() { return !server.Read(0).has_value(); }

    PrivateSettings settings; // outlives the window, which saves at its end
    TfrmMain window;
    TfrmMainProbe probe{window};
    TfrmObjAction2 dialog;
    DialogDriver driver{dialog};
    MessageBoxRecorder boxes;
    bool expectBoxes = false;
    TMailslotServer server;
};
} // namespace

TEST_F(ClipboardHandlerTest, EveryTemplateWithTheOptionSetAndClear)
{
    struct Case {
        bool v2;
        int n;
        QByteArray second;
    };
    const Case cases[] = {
        {true, 0, "qzrexSt2TmsCh=3`qzrexSt2TmsRtu=12`qzrexSt2TmsPoint=40`qzrexSt2OvrrClass=0"},
        {true, 1, "qzrexSt2TmsCh=3`qzrexSt2TmsRtu=12`qzrexSt2TmsPoint=40`qzrexSt2OvrrClass=1"},
        {true, 2, "qzrexSt2TmsCh=3`qzrexSt2TmsRtu=12`qzrexSt2TmsPoint=40`qzrexSt2OvrrClass=2"},
        {true, 3, "qzrexSt2TmsCh=3`qzrexSt2TmsRtu=12`qzrexSt2TmsPoint=40`qzrexSt2OvrrClass=3"},
        {true, 4, "qzrexSt2TmsCh=3`qzrexSt2TmsRtu=12`qzrexSt2TmsPoint=40`qzrexSt2OvrrClass=4"},
        {true, 5, "qzrexSt2TmsCh=3`qzrexSt2TmsRtu=12`qzrexSt2TmsPoint=40`qzrexSt2OvrrClass=5"},
        {false, 0, "qzrexStTmsCh=3`qzrexStTmsRtu=12`qzrexStTmsPoint=40`qzrexStInv=- (\xED\xE5\xF2)"},
        {false, 1, "qzrexStTmsCh=3`qzrexStTmsRtu=12`qzrexStTmsPoint=40`qzrexStInv=+ (\xE4\xE0)"},
        {false, 2, "qzrexStTmsCh=3`qzrexStTmsRtu=12`qzrexStTmsPoint=40`qzrexStInv=+ (\xE4\xE0)"},
        {false, 3, "qzrexStTmsCh=3`qzrexStTmsRtu=12`qzrexStTmsPoint=40`qzrexStInv=+ (\xE4\xE0)"},
        {false, 4, "qzrexStTmsCh=3`qzrexStTmsRtu=12`qzrexStTmsPoint=40`qzrexStInv=+ (\xE4\xE0)"},
        {false, 5, "qzrexStTmsCh=3`qzrexStTmsRtu=12`qzrexStTmsPoint=40`qzrexStInv=+ (\xE4\xE0)"},
    };
    for (const Case &c : cases) {
        probe.cbPLDKv2()->setChecked(c.v2);
        driver.Then(DialogDriver::Click(c.n));
        ClipboardContent::Clear();
        Copy("#TC3:12:40");
        EXPECT_EQ(Received(), Message(c.v2 ? LineV2 : LineV1, c.second)) << c.v2 << " " << c.n;
    }
    EXPECT_EQ(driver.Labels.size(), 12);
    EXPECT_TRUE(NothingMoreSent());
}

TEST_F(ClipboardHandlerTest, EnterRightAfterOpeningSendsTheFirstTemplate)
{
    driver.Then(DialogDriver::Key(Qt::Key_Return));
    Copy("#TC0:1:1");
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1`qzrexSt2OvrrClass=0"));
}

TEST_F(ClipboardHandlerTest, EnterSendsTheFirstTemplateWhateverWasClickedBefore)
{
    driver.Then(DialogDriver::MouseClick("btnTemplate3"));
    Copy("#TC0:1:1");
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1`qzrexSt2OvrrClass=3"));
    driver.Then(DialogDriver::Key(Qt::Key_Return));
    Copy("#TC0:1:2");
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=2`qzrexSt2OvrrClass=0"));

    driver.Then(DialogDriver::MouseClick("Button4"));
    Copy("#TC0:1:3");
    driver.Then(DialogDriver::Key(Qt::Key_Return));
    Copy("#TC0:1:4");
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=4`qzrexSt2OvrrClass=0"));
}

TEST_F(ClipboardHandlerTest, IgnoringOrClosingSendsNothing)
{
    driver.Then(DialogDriver::Ignore());
    Copy("#TC0:1:1");
    driver.Then(DialogDriver::CloseFromTitleBar());
    Copy("#TC0:1:2");
    EXPECT_EQ(driver.Labels, QStringList({QStringLiteral("#TC0:1:1"), QStringLiteral("#TC0:1:2")}));
    EXPECT_TRUE(NothingMoreSent());
    EXPECT_EQ(probe.ObjectText(), "#TC0:1:2");
}

TEST_F(ClipboardHandlerTest, AddressFormsAndWhatTheyBind)
{
    struct Case {
        QByteArray copied;
        QString label;
        QByteArray second;
    };
    const Case cases[] = {
        {"#tc0:1:1", QStringLiteral("#tc0:1:1"),
         "qzrexSt2TmsCh=tc0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1`qzrexSt2OvrrClass=0"},
        {"#TC7", QStringLiteral("#TC7"), "qzrexSt2TmsCh=7`qzrexSt2TmsRtu=`qzrexSt2TmsPoint=`qzrexSt2OvrrClass=0"},
        {"   #TC0:1:1\r\n", QStringLiteral("#TC0:1:1"),
         "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1`qzrexSt2OvrrClass=0"},
        {"\t#TC2:3:4\t\n", QStringLiteral("#TC2:3:4"),
         "qzrexSt2TmsCh=2`qzrexSt2TmsRtu=3`qzrexSt2TmsPoint=4`qzrexSt2OvrrClass=0"},
        {A("#TC0:1:Щит"), QStringLiteral("#TC0:1:Щит"),
         A("qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=Щит`qzrexSt2OvrrClass=0")},
    };
    for (const Case &c : cases) {
        driver.Then(DialogDriver::Click(0));
        Copy(c.copied);
        EXPECT_EQ(driver.Labels.value(driver.Labels.size() - 1), c.label);
        EXPECT_EQ(Received(), Message(LineV2, c.second)) << c.copied.constData();
    }
    EXPECT_EQ(driver.Labels.size(), int(std::size(cases)));
}

TEST_F(ClipboardHandlerTest, ObjectsAsOemTextAreOffered)
{
    driver.Then(DialogDriver::Click(2));
    ClipboardContent::Set(
        ClipboardContent::Data({{QStringLiteral("CF_OEMTEXT"), QByteArray("#TC6:7:\x8F\xE3\xE1\xAA\0", 12)}}));
    EXPECT_EQ(Received(), Message(LineV2, A("qzrexSt2TmsCh=6`qzrexSt2TmsRtu=7`qzrexSt2TmsPoint=Пуск`qzrexSt2OvrrClass=2")));
    EXPECT_EQ(driver.Labels, QStringList({QStringLiteral("#TC6:7:Пуск")}));
}

#ifndef Q_OS_WIN
// Linux programs may offer text in a character set of its own; Windows
// programs have no such format.
TEST_F(ClipboardHandlerTest, ObjectsInANamedCharsetAreOffered)
{
    driver.Then(DialogDriver::Click(1));
    auto *koi8 = new QMimeData;
    koi8->setData(QStringLiteral("text/plain;charset=koi8-r"), "#TC4:5:\xF0\xD5\xD3\xCB");
    ClipboardContent::Set(koi8);
    EXPECT_EQ(Received(), Message(LineV2, A("qzrexSt2TmsCh=4`qzrexSt2TmsRtu=5`qzrexSt2TmsPoint=Пуск`qzrexSt2OvrrClass=1")));
    EXPECT_EQ(driver.Labels, QStringList({QStringLiteral("#TC4:5:Пуск")}));
}
#endif

TEST_F(ClipboardHandlerTest, InactiveLinkIgnoresObjectsAndKeepsTheObjectText)
{
    probe.IdUDPServer1()->SetActive(false);
    probe.ObjectText() = "#TC9:9:9";
    Copy("#TC0:1:1");
    EXPECT_TRUE(driver.Labels.isEmpty());
    EXPECT_EQ(probe.ObjectText(), "#TC9:9:9");
    EXPECT_TRUE(NothingMoreSent());
}

TEST_F(ClipboardHandlerTest, OtherTextsAndInjectedLinesAreIgnored)
{
    const QByteArray texts[] = {
        "hello", "", "  ", "#T", A("#ТС0:1:1"),
        // Would add a line or items of its own to the TM server's command.
        "#TC0:1:1\r\nhw`TMSTATION`TMD83000000", "#TC0:1:1`qzrexSt2OvrrClass=5", "#TC0\t:1:1", "#TC0:1\n:1",
    };
    for (const QByteArray &text : texts) {
        probe.ObjectText() = "#TC9:9:9";
        Copy(text);
        EXPECT_TRUE(probe.ObjectText().isEmpty()) << text.toHex(' ').constData();
    }
    probe.ObjectText() = "#TC9:9:9";
    auto *picture = new QMimeData;
    picture->setImageData(ClipboardContent::Filled(4, 4, Qt::red));
    ClipboardContent::Set(picture);
    EXPECT_TRUE(probe.ObjectText().isEmpty());

    EXPECT_TRUE(driver.Labels.isEmpty());
    EXPECT_TRUE(NothingMoreSent());
}

TEST_F(ClipboardHandlerTest, ChangeWhileTheDialogIsOpenIsOfferedAfterwards)
{
    QString labelAfterNestedChange;
    driver.Then([&](TfrmObjAction2 &d) {
        Copy("#TC5:6:7");
        labelAfterNestedChange = ChildNamed<QLabel>(d, "Label2")->text();
        ChildNamed<QPushButton>(d, "btnTemplate2")->click();
    });
    driver.Then(DialogDriver::Click(4));
    Copy("#TC0:1:1");
    // The open dialog kept its object, and no second dialog was stacked on it.
    EXPECT_EQ(labelAfterNestedChange, QStringLiteral("#TC0:1:1"));
    EXPECT_EQ(driver.Labels, QStringList({QStringLiteral("#TC0:1:1"), QStringLiteral("#TC5:6:7")}));
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1`qzrexSt2OvrrClass=2"));
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=5`qzrexSt2TmsRtu=6`qzrexSt2TmsPoint=7`qzrexSt2OvrrClass=4"));
}

TEST_F(ClipboardHandlerTest, SeveralChangesWhileOpenAreOfferedOnceWithTheLatest)
{
    driver.Then([](TfrmObjAction2 &d) {
        Copy("#TC5:6:7");
        Copy("#TC8:9:10");
        ChildNamed<QPushButton>(d, "Button4")->click();
    });
    driver.Then(DialogDriver::Click(1));
    Copy("#TC0:1:1");
    EXPECT_EQ(driver.Labels, QStringList({QStringLiteral("#TC0:1:1"), QStringLiteral("#TC8:9:10")}));
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=8`qzrexSt2TmsRtu=9`qzrexSt2TmsPoint=10`qzrexSt2OvrrClass=1"));
    EXPECT_TRUE(NothingMoreSent());

    // A change to something else while open offers nothing afterwards.
    driver.Then([](TfrmObjAction2 &d) {
        Copy("hello");
        ChildNamed<QPushButton>(d, "btnTemplate0")->click();
    });
    Copy("#TC1:1:1");
    EXPECT_EQ(driver.Labels.size(), 3);
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=1`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1`qzrexSt2OvrrClass=0"));
    EXPECT_TRUE(probe.ObjectText().isEmpty());
}

TEST_F(ClipboardHandlerTest, PositionAndOptionAreTakenWhenTheTemplateIsChosen)
{
    driver.Then([this](TfrmObjAction2 &d) {
        DeviceEvent = {false, 3, 7, 0x45}; // a key event while the operator chooses
        probe.cbPLDKv2()->setChecked(false);
        ChildNamed<QPushButton>(d, "btnTemplate0")->click();
    });
    Copy("#TC0:1:1");
    EXPECT_EQ(Received(),
              Message("hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=10.0.0.5`TMPORT$QZR_0"
                      "`_RQL_MUX3.qzrexMux3Idx=3`_RQL_MUX2.qzrexMux2Idx=7`TMO_QZREX_STATUS_20.qzrexSt2Num=2"
                      "`TMO_QZREX_ST2_IND.qzrexSt2IndNum=5",
                      A("qzrexStTmsCh=0`qzrexStTmsRtu=1`qzrexStTmsPoint=1`qzrexStInv=- (нет)")));
}

TEST_F(ClipboardHandlerTest, UndeliverableMessageIsReportedAndTheNextObjectStillWorks)
{
    server.Close();
    expectBoxes = true;
    driver.Then(DialogDriver::Click(0));
    Copy("#TC0:1:1");
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, A("Не удалось подключиться к программе настройки сервера ТМ (2)"));

    ASSERT_EQ(server.Create(TmMailslotPath("TMS")), MailslotError::Success);
    driver.Then(DialogDriver::Click(1));
    Copy("#TC0:1:2");
    EXPECT_EQ(Received(), Message(LineV2, "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=2`qzrexSt2OvrrClass=1"));
    EXPECT_EQ(boxes.Boxes.size(), 1);
}
