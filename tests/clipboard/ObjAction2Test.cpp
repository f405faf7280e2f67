#include "app/ObjAction2.h"
#include "clipboard/DialogDriver.h"
#include "support/ChildNamed.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// The dialog's controls, by the names the operator's tools see.
QPushButton *Button(const TfrmObjAction2 &d, const char *name)
{
    return ChildNamed<QPushButton>(d, name);
}
QLabel *Label(const TfrmObjAction2 &d, const char *name)
{
    return ChildNamed<QLabel>(d, name);
}

struct Element {
    QWidget *widget;
    QRect geometry;
    const char *text;
};

QList<QWidget *> TabChain(QWidget *first)
{
    QList<QWidget *> order;
    QWidget *w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
        w = w->nextInFocusChain();
    } while (w != first && order.size() < 20);
    return order;
}
} // namespace

// The dialog's controls are its own: no public member or base class hands
// them out.
template <class Dialog>
concept ExposesItsControls = requires(Dialog &d) { d.Label2; } || requires(Dialog &d) { d.btnTemplate0; };
static_assert(!ExposesItsControls<TfrmObjAction2>);

TEST(ObjAction2, LaidOutAsDesigned)
{
    TfrmObjAction2 d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Выберите желамое действие"));
    EXPECT_EQ(d.size(), QSize(394, 257));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    const Element elements[] = {
        {Label(d, "Label1"), {0, 8, 393, 16}, "В буфере обмена обнаружен объект: "},
        {Label(d, "Label2"), {8, 30, 377, 16}, "#TC0:1:1"},
        {Button(d, "btnTemplate0"), {8, 54, 377, 25}, "Поместить с шаблоном &0"},
        {Button(d, "btnTemplate1"), {8, 87, 377, 25}, "Поместить с шаблоном &1"},
        {Button(d, "btnTemplate2"), {8, 112, 377, 25}, "Поместить с шаблоном &2"},
        {Button(d, "btnTemplate3"), {8, 137, 377, 25}, "Поместить с шаблоном &3"},
        {Button(d, "btnTemplate4"), {8, 162, 377, 25}, "Поместить с шаблоном &4"},
        {Button(d, "btnTemplate5"), {8, 187, 377, 25}, "Поместить с шаблоном &5"},
        {Button(d, "Button4"), {8, 226, 377, 25}, "Не обращать внимания"},
    };
    for (const Element &e : elements) {
        EXPECT_EQ(e.widget->geometry(), e.geometry) << e.text;
        const QString text = e.widget->property("text").toString();
        EXPECT_EQ(text, QString::fromUtf8(e.text));
    }
    for (int n = 0; n < ObjActionTemplateCount; ++n)
        EXPECT_EQ(d.TemplateButton(n)->text().right(2), QStringLiteral("&") + QString::number(n));

    // Heights -13 and -15 at 96 dpi are 10 and 11 points; the rest -11, 8 points.
    EXPECT_EQ(Label(d, "Label1")->font().pointSize(), 10);
    EXPECT_FALSE(Label(d, "Label1")->font().bold());
    EXPECT_EQ(Label(d, "Label2")->font().pointSize(), 11);
    EXPECT_TRUE(Label(d, "Label2")->font().bold());
    EXPECT_EQ(Button(d, "btnTemplate3")->font().pointSize(), 8);
    for (QLabel *label : {Label(d, "Label1"), Label(d, "Label2")}) {
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
}

TEST(ObjAction2, FixedBorderAboveOtherWindows)
{
    TfrmObjAction2 d;
    const Qt::WindowFlags flags = d.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_FALSE(d.isSizeGripEnabled());
    d.resize(600, 400);
    EXPECT_EQ(d.size(), QSize(394, 257));
}

TEST(ObjAction2, OnlyTheFirstTemplateIsTheDefaultButton)
{
    TfrmObjAction2 d;
    EXPECT_TRUE(Button(d, "btnTemplate0")->isDefault());
    for (const char *name : {"btnTemplate1", "btnTemplate2", "btnTemplate3", "btnTemplate4", "btnTemplate5", "Button4"})
        EXPECT_FALSE(Button(d, name)->isDefault()) << name;
}

TEST(ObjAction2, TabOrderPutsIgnoreAfterTheThirdTemplate)
{
    TfrmObjAction2 d;
    d.show();
    const QList<QWidget *> expected = {Button(d, "btnTemplate0"), Button(d, "btnTemplate1"), Button(d, "btnTemplate2"),
                                       Button(d, "Button4"), Button(d, "btnTemplate3"), Button(d, "btnTemplate4"),
                                       Button(d, "btnTemplate5")};
    EXPECT_EQ(TabChain(Button(d, "btnTemplate0")), expected);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(QApplication::focusWidget(), Button(d, "btnTemplate0"));
}

TEST(ObjAction2, EveryButtonClosesWithItsResult)
{
    TfrmObjAction2 d;
    DialogDriver driver(d);
    for (int n = 0; n < ObjActionTemplateCount; ++n) {
        driver.Then(DialogDriver::Click(n));
        EXPECT_EQ(d.exec(), 20 + n);
        EXPECT_FALSE(d.isVisible());
    }
    driver.Then(DialogDriver::Ignore());
    EXPECT_EQ(d.exec(), 6);
    driver.Then(DialogDriver::CloseFromTitleBar());
    EXPECT_EQ(d.exec(), 2);
    EXPECT_EQ(driver.Unexpected, 0);
}

TEST(ObjAction2, KeyboardChoosesTemplates)
{
    TfrmObjAction2 d;
    DialogDriver driver(d);
    // Enter right after opening: the default button, which has the focus.
    driver.Then(DialogDriver::Key(Qt::Key_Return));
    EXPECT_EQ(d.exec(), 20);
    driver.Then(DialogDriver::Key(Qt::Key_Enter, Qt::KeypadModifier));
    EXPECT_EQ(d.exec(), 20);
    // Accelerator digits, with Alt or alone.
    driver.Then(DialogDriver::Key(Qt::Key_3, Qt::AltModifier));
    EXPECT_EQ(d.exec(), 23);
    driver.Then(DialogDriver::Key(Qt::Key_5));
    EXPECT_EQ(d.exec(), 25);
    driver.Then(DialogDriver::Key(Qt::Key_1, Qt::KeypadModifier));
    EXPECT_EQ(d.exec(), 21);
    // Enter on another focused button presses that one.
    driver.Then([](TfrmObjAction2 &dialog) {
        Button(dialog, "Button4")->setFocus();
        QTest::keyClick(Button(dialog, "Button4"), Qt::Key_Return);
    });
    EXPECT_EQ(d.exec(), 6);
    EXPECT_EQ(driver.Unexpected, 0);
}

TEST(ObjAction2, EveryOpeningStartsOnTheFirstTemplate)
{
    TfrmObjAction2 d;
    DialogDriver driver(d);
    QWidget *focusAtOpening = nullptr;
    const auto enterRightAway = [&focusAtOpening](TfrmObjAction2 &dialog) {
        (void)QTest::qWaitForWindowActive(&dialog, 1000);
        focusAtOpening = dialog.focusWidget();
        QTest::keyClick(focusAtOpening ? focusAtOpening : &dialog, Qt::Key_Return);
    };
    struct Case {
        const char *before;
        DialogDriver::Action choose;
        int result;
    };
    const Case cases[] = {
        {"a mouse click on template 3", DialogDriver::MouseClick("btnTemplate3"), 23},
        {"a mouse click on the ignore button", DialogDriver::MouseClick("Button4"), ObjActionIgnore},
        // Tab twice moves to template 2, and Enter presses the button in focus.
        {"Tab", DialogDriver::Keys({Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}), 22},
        {"Shift+Tab", DialogDriver::Keys({Qt::Key_Tab, Qt::Key_Return}, Qt::ShiftModifier), 25},
        {"the accelerator of template 4", DialogDriver::Key(Qt::Key_4, Qt::AltModifier), 24},
    };
    for (const Case &c : cases) {
        driver.Then(c.choose);
        EXPECT_EQ(d.exec(), c.result) << c.before;
        for (int opening = 2; opening <= 3; ++opening) {
            focusAtOpening = nullptr;
            driver.Then(enterRightAway);
            EXPECT_EQ(d.exec(), ObjActionTemplate0) << "opening " << opening << " after " << c.before;
            EXPECT_EQ(focusAtOpening, Button(d, "btnTemplate0")) << "opening " << opening << " after " << c.before;
            EXPECT_TRUE(Button(d, "btnTemplate0")->isDefault());
        }
    }
    EXPECT_EQ(driver.Unexpected, 0);
}

TEST(ObjAction2, EscapeAndOtherDigitsLeaveTheDialogOpen)
{
    TfrmObjAction2 d;
    DialogDriver driver(d);
    bool stillOpen = false;
    driver.Then([&stillOpen](TfrmObjAction2 &dialog) {
        (void)QTest::qWaitForWindowActive(&dialog, 1000);
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_6, Qt::Key_9, Qt::Key_A})
            QTest::keyClick(dialog.focusWidget(), key);
        stillOpen = dialog.isVisible();
        Button(dialog, "btnTemplate2")->click();
    });
    EXPECT_EQ(d.exec(), 22);
    EXPECT_TRUE(stillOpen);
}

TEST(ObjAction2, CentredOnTheScreenWhenShown)
{
    TfrmObjAction2 d;
    d.move(0, 0);
    d.show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = d.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);
}

TEST(ObjAction2, ClosingGivesTheFocusBackToTheWindowThatHadIt)
{
    QWidget other;
    other.setWindowTitle(QStringLiteral("other"));
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    TfrmObjAction2 d;
    DialogDriver driver(d);
    bool dialogActive = false;
    driver.Then([&dialogActive](TfrmObjAction2 &dialog) {
        dialogActive = QTest::qWaitForWindowActive(&dialog, 1000);
        Button(dialog, "btnTemplate1")->click();
    });
    EXPECT_EQ(d.exec(), 21);
    EXPECT_TRUE(dialogActive);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&other, 1000));
    EXPECT_EQ(QApplication::activeWindow(), &other);
}
