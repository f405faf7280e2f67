#include "framework/ErrorDisplay.h"
#include "framework/Exception.h"
#include "support/MessageBoxRecorder.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(Guard, ShowsTheMessageWithTheApplicationTitle)
{
    MessageBoxRecorder boxes;
    Guard([] { throw Exception("Could not bind socket"); });
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, "Could not bind socket.");
    EXPECT_EQ(boxes.Boxes[0].Caption, ApplicationTitle().toLatin1());
    EXPECT_EQ(boxes.Boxes[0].Icon, TMsgIcon::Error);
}

TEST(Guard, SilentAbortIsNotShown)
{
    MessageBoxRecorder boxes;
    bool after = false;
    Guard([] { Abort(); });
    Guard([&] { after = true; });
    EXPECT_TRUE(boxes.Boxes.isEmpty());
    EXPECT_TRUE(after);
}

TEST(Guard, ForeignExceptionsAreShownToo)
{
    MessageBoxRecorder boxes;
    Guard([] { throw std::runtime_error("bad"); });
    Guard([] { throw 42; });
    ASSERT_EQ(boxes.Boxes.size(), 2);
    EXPECT_EQ(boxes.Boxes[0].Text, "bad.");
    EXPECT_EQ(boxes.Boxes[1].Text, "Unknown error.");
}

TEST(Application, ExceptionInAnUnguardedEventHandlerDoesNotEscape)
{
    MessageBoxRecorder boxes;
    QObject context;
    QTimer::singleShot(0, &context, [] { throw Exception("from a timer"); });
    QTimer::singleShot(10, &context, [] { QCoreApplication::exit(0); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    ASSERT_EQ(boxes.Boxes.size(), 1);
    EXPECT_EQ(boxes.Boxes[0].Text, "from a timer.");
}
