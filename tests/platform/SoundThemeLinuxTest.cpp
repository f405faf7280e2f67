#include "platform/beep/SoundTheme.h"

#include <QByteArray>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {
// Standard error goes to a file of its own while this exists.
class StandardErrorCapture {
public:
    StandardErrorCapture()
    {
        std::fflush(stderr);
        FFile.open();
        FSaved = ::dup(STDERR_FILENO);
        ::dup2(FFile.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { Restore(); }
    StandardErrorCapture(const StandardErrorCapture &) = delete;
    StandardErrorCapture &operator=(const StandardErrorCapture &) = delete;

    // Ends the capture; what was written meanwhile.
    QByteArray Text()
    {
        Restore();
        FFile.seek(0);
        return FFile.readAll();
    }

private:
    void Restore()
    {
        if (FSaved < 0)
            return;
        std::fflush(stderr);
        ::dup2(FSaved, STDERR_FILENO);
        ::close(FSaved);
        FSaved = -1;
    }

    QTemporaryFile FFile;
    int FSaved = -1;
};

// Sets an environment variable while it exists.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char *name, const QByteArray &value)
        : FName(name), FHad(qEnvironmentVariableIsSet(name)), FPrevious(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (FHad)
            qputenv(FName, FPrevious);
        else
            qunsetenv(FName);
    }
    EnvironmentVariable(const EnvironmentVariable &) = delete;
    EnvironmentVariable &operator=(const EnvironmentVariable &) = delete;

private:
    const char *FName;
    bool FHad;
    QByteArray FPrevious;
};
} // namespace

TEST(SoundTheme, NoSoundDeviceMeansSilenceAndNothingOnStandardError)
{
    // A sound device that exists nowhere, through the sound library's
    // lowest level, as on a machine without a sound card: the sound library
    // fails to open it and would say so on standard error.
    EnvironmentVariable driver("CANBERRA_DRIVER", "alsa");
    EnvironmentVariable device("CANBERRA_DEVICE", "v3721-no-such-device");
    StandardErrorCapture capture;
    bool played = true;
    {
        TSoundTheme sounds;
        played = sounds.Play("bell");
    }
    const QByteArray text = capture.Text();
    EXPECT_FALSE(played);
    EXPECT_TRUE(text.isEmpty()) << "standard error:\n" << text.constData();
}
