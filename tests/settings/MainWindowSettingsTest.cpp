// The settings of the main window as the operator meets them: what a first
// start, a close and the next start do with the placement and the three
// fields.

#include "MainWindowKey.h"
#include "RegistryValues.h"
#include "StoredRect.h"
#include "platform/placement/ScreenMetrics.h"
#include "settings/FormStorage.h"
#include "app/MainUnit.h"
#include "support/frmMainProbe.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace RV = RegistryValues;

namespace {
// "MinMaxPos" of a sizeable window never minimised nor maximised. Windows
// reports the maximised position only while the window is maximised off
// its work area; the Linux placement gives back the one last set, here the
// sizing frame just outside the screen.
#ifdef Q_OS_WIN
const QByteArray NeverMinMaximisedPositions = "-1,-1,-1,-1";
#else
const QByteArray NeverMinMaximisedPositions = "-1,-1,-4,-4";
#endif

// Where the window stands when nothing is stored.
QRect DesignedGeometry()
{
    TfrmMain window;
    const TfrmMainProbe probe(window);
    probe.FormStorage1()->SetActive(false);
    window.show();
    QApplication::processEvents();
    return window.geometry();
}

// Shows a new main window with what is stored, then lets it go without
// saving anything.
struct Started {
    TfrmMain Window;
    TfrmMainProbe Probe{Window};
    Started()
    {
        Window.show();
        QApplication::processEvents();
    }
    ~Started() { Probe.FormStorage1()->SetActive(false); }
};
} // namespace

TEST(MainWindowSettings, AFreshStartShowsTheDesignAndTheFirstCloseWritesEveryValue)
{
    const QRect designed = DesignedGeometry();
    EXPECT_EQ(designed.size(), QSize(533, 428));
    EXPECT_FALSE(RV::KeyExists(Key));
    QRect stored;
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(window.geometry(), designed);
        stored = StoredNormalRect(window);
        EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(301, 177));
        EXPECT_EQ(probe.leKVIP()->text(), QString());
        EXPECT_EQ(probe.leTMSName()->text(), QStringLiteral("TMS"));
        EXPECT_TRUE(probe.cbPLDKv2()->isChecked());
        EXPECT_TRUE(RV::KeyExists(Key)) << "the key exists from the first restore on";
        EXPECT_FALSE(RV::KeyExists(Section)) << "nothing is written before the close";
        window.close();
    }
    const QByteArray suffix = ScreenSizeSuffix();
    // The registry lists a key's values in an order of its own.
    QList<QByteArray> names = RV::Names(Section);
    std::sort(names.begin(), names.end());
    QList<QByteArray> expected{"FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" + suffix, "MinMaxPos",
                               "NormPos" + suffix, "NormPos", "Visible", "leKVIP_Text", "leTMSName_Text",
                               "cbPLDKv2_Checked"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(RV::Get(Section, "FormVersion"), "0");
    EXPECT_EQ(RV::Get(Section, "Flags"), "0");
    EXPECT_EQ(RV::Get(Section, "ShowCmd"), "1");
    EXPECT_EQ(RV::Get(Section, "PixelsPerInch"), QByteArray::number(Wnd::ScreenPixelsPerInch()));
    EXPECT_EQ(RV::Get(Section, "MinMaxPos"), NeverMinMaximisedPositions);
    EXPECT_EQ(RV::Get(Section, "MinMaxPos" + suffix), NeverMinMaximisedPositions);
    EXPECT_EQ(RV::Get(Section, "NormPos"), RectText(stored));
    EXPECT_EQ(RV::Get(Section, "NormPos" + suffix), RectText(stored));
    EXPECT_EQ(RV::Get(Section, "Visible"), "0");
    EXPECT_EQ(RV::Get(Section, "leKVIP_Text"), "");
    EXPECT_EQ(RV::Get(Section, "leTMSName_Text"), "TMS");
    EXPECT_EQ(RV::Get(Section, "cbPLDKv2_Checked"), "True");
}

TEST(MainWindowSettings, TheNextStartRestoresThePlacementAndTheFields)
{
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        window.show();
        window.setGeometry(200, 150, 640, 480);
        probe.leKVIP()->setText(QStringLiteral("  10.0.0.5:971 \t"));
        probe.leTMSName()->setText(QStringLiteral("Сервер"));
        probe.cbPLDKv2()->setChecked(false);
        window.close();
    }
    EXPECT_EQ(RV::Get(Section, "leKVIP_Text"), "10.0.0.5:971") << "stored trimmed";
    EXPECT_EQ(RV::Get(Section, "cbPLDKv2_Checked"), "False");
    Started again;
    EXPECT_EQ(again.Window.geometry(), QRect(200, 150, 640, 480));
    EXPECT_EQ(again.Probe.leKVIP()->text(), QStringLiteral("10.0.0.5:971"));
    EXPECT_EQ(again.Probe.leTMSName()->text(), QStringLiteral("Сервер"));
    EXPECT_FALSE(again.Probe.cbPLDKv2()->isChecked());
}

TEST(MainWindowSettings, CloseSavesOnceAndADestructionWithoutCloseSavesAsVisible)
{
    int saves = 0;
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        probe.FormStorage1()->OnSavePlacement = [&](QObject *) { ++saves; };
        window.show();
        window.close();
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(RV::Get(Section, "Visible"), "0");
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        probe.FormStorage1()->OnSavePlacement = [&](QObject *) { ++saves; };
        window.show();
        probe.leKVIP()->setText(QStringLiteral("10.1.1.1"));
    }
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(RV::Get(Section, "Visible"), "1");
    EXPECT_EQ(RV::Get(Section, "leKVIP_Text"), "10.1.1.1");
    {
        TfrmMain never; // never shown: never restored, so nothing is saved
        TfrmMainProbe(never).leKVIP()->setText(QStringLiteral("lost"));
    }
    EXPECT_EQ(RV::Get(Section, "leKVIP_Text"), "10.1.1.1");
}

TEST(MainWindowSettings, AMaximisedRunStartsMaximisedAndKeepsItsNormalRectangle)
{
    QRect normal;
    {
        TfrmMain window;
        window.show();
        window.setGeometry(120, 130, 500, 400);
        // The display's answer to the move comes first, as it would for an
        // operator: under Wine, coming after the maximise, it was taken for
        // a resize by hand and the window was restored.
        QTest::qWait(250);
        normal = StoredNormalRect(window);
        window.showMaximized();
        QApplication::processEvents();
        ASSERT_TRUE(window.isMaximized());
        window.close();
    }
    EXPECT_EQ(RV::Get(Section, "ShowCmd"), "3");
    EXPECT_EQ(RV::Get(Section, "NormPos"), RectText(normal));
    Started again;
    EXPECT_TRUE(again.Window.isMaximized());
    again.Window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(again.Window.geometry(), QRect(120, 130, 500, 400));
}

TEST(MainWindowSettings, AMinimisedRunStartsTheProgramMinimised)
{
    {
        TfrmMain window;
        window.show();
        window.showMinimized();
        QApplication::processEvents();
        window.close();
    }
    EXPECT_EQ(RV::Get(Section, "ShowCmd"), "2");
    TfrmMain window;
    const TfrmMainProbe probe(window);
    window.show();
    EXPECT_FALSE(window.isMinimized()) << "shown first, minimised once the show is done";
    QApplication::processEvents();
    EXPECT_TRUE(window.isMinimized());
    probe.FormStorage1()->SetActive(false);
}

TEST(MainWindowSettings, ShowCommandsGiveTheirStates)
{
    struct Case {
        QByteArray cmd;
        bool minimized;
        bool maximized;
    };
    const Case cases[] = {{"0", false, false},  {"4", false, false}, {"8", false, false}, {"10", false, false},
                          {"abc", false, false}, {"", false, false}, {"1", false, false}, {"5", false, false},
                          {"9", false, false},  {"2", true, false},  {"6", true, false},  {"7", true, false},
                          {"3", false, true},   {" 3", false, true}, {"$3", false, true}};
    for (const Case &c : cases) {
        RV::Set(Section, "ShowCmd", c.cmd);
        Started started;
        EXPECT_EQ(started.Window.isMinimized(), c.minimized) << c.cmd.constData();
        EXPECT_EQ(bool(started.Window.windowState() & Qt::WindowMaximized), c.maximized) << c.cmd.constData();
    }
}

TEST(MainWindowSettings, APixelsPerInchMismatchIgnoresThePositionButNotTheState)
{
    const QRect designed = DesignedGeometry();
    RV::Set(Section, "NormPos", "10,20,410,320");
    RV::Set(Section, "ShowCmd", "3");
    RV::Set(Section, "PixelsPerInch", QByteArray::number(Wnd::ScreenPixelsPerInch() + 24));
    {
        Started started;
        EXPECT_TRUE(started.Window.isMaximized());
        // The designed rectangle, give or take the frame Qt had not yet placed.
        EXPECT_EQ(started.Window.normalGeometry().size(), designed.size());
        EXPECT_LE((started.Window.normalGeometry().topLeft() - designed.topLeft()).manhattanLength(), 4);
    }
    RV::Set(Section, "PixelsPerInch", QByteArray::number(Wnd::ScreenPixelsPerInch()));
    Started matching;
    EXPECT_TRUE(matching.Window.isMaximized());
    EXPECT_EQ(RectText(StoredNormalRect(matching.Window)), "10,20,410,320");
}

TEST(MainWindowSettings, TheValuesOfTheCurrentScreenSizeWinOverThePlainOnes)
{
    RV::Set(Section, "NormPos(1x1)", "1,1,2,2");
    RV::Set(Section, "NormPos", "30,40,530,440");
    {
        Started started;
        EXPECT_EQ(RectText(StoredNormalRect(started.Window)), "30,40,530,440");
    }
    RV::Set(Section, "NormPos" + ScreenSizeSuffix(), "60,70,560,470");
    {
        Started started;
        EXPECT_EQ(RectText(StoredNormalRect(started.Window)), "60,70,560,470");
    }
    // Closing on this screen writes this screen's pair and the plain pair,
    // and leaves the other screen's pair alone.
    {
        TfrmMain window;
        window.show();
        window.close();
    }
    EXPECT_EQ(RV::Get(Section, "NormPos(1x1)"), "1,1,2,2");
    EXPECT_EQ(RV::Get(Section, "NormPos"), "60,70,560,470");
}

TEST(MainWindowSettings, ABadNormalRectangleIsIgnoredAndMissingWordsKeepTheCurrentBounds)
{
    const QRect designed = DesignedGeometry();
    for (const QByteArray bad : {"500,10,400,300", "500,10,500,300", "10,300,500,200", "a,b,c,d", ","}) {
        RV::Set(Section, "NormPos", bad);
        Started started;
        EXPECT_EQ(started.Window.geometry(), designed) << bad.constData();
    }
    // Missing words are the current left, top, right and bottom, in the
    // terms the rectangle is stored in.
    const QRect current = StoredNormalRect(TfrmMain());
    RV::Set(Section, "NormPos", "50 60");
    Started started;
    EXPECT_EQ(StoredNormalRect(started.Window), QRect(QPoint(50, 60), current.bottomRight()));
}

TEST(MainWindowSettings, AnOlderVersionIsSkippedButWrittenAfresh)
{
    RV::Set(Section, "FormVersion", "-1");
    RV::Set(Section, "NormPos", "10,20,410,320");
    RV::Set(Section, "ShowCmd", "3");
    RV::Set(Section, "leKVIP_Text", "10.9.9.9");
    const QRect designed = DesignedGeometry();
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(window.geometry(), designed);
        EXPECT_FALSE(window.isMaximized());
        EXPECT_EQ(probe.leKVIP()->text(), QString());
        window.close();
    }
    EXPECT_EQ(RV::Get(Section, "FormVersion"), "0");
    EXPECT_EQ(RV::Get(Section, "leKVIP_Text"), "");
    EXPECT_EQ(RV::Get(Section, "ShowCmd"), "1");
}

TEST(MainWindowSettings, StoredTextsAndTheOption)
{
    struct Case {
        QByteArray stored;
        bool checked;
    };
    for (const Case &c : {Case{"false", false}, Case{"FALSE", false}, Case{"fAlSe", false}, Case{"1", true},
                          Case{"yes", true}, Case{"", true}, Case{"True", true}}) {
        RV::Set(Section, "cbPLDKv2_Checked", c.stored);
        Started started;
        EXPECT_EQ(started.Probe.cbPLDKv2()->isChecked(), c.checked) << c.stored.constData();
    }
    RV::Remove(Section, "leTMSName_Text");
    {
        Started started;
        EXPECT_EQ(started.Probe.leTMSName()->text(), QStringLiteral("TMS")) << "a missing value keeps the design";
    }
    RV::Set(Section, "leTMSName_Text", "");
    RV::Set(Section, "leKVIP_Text", "  10.0.0.7  ");
    Started started;
    EXPECT_EQ(started.Probe.leTMSName()->text(), QString()) << "an empty text is a text";
    EXPECT_EQ(started.Probe.leKVIP()->text(), QStringLiteral("10.0.0.7"));
}
