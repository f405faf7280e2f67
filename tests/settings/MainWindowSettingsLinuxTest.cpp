// What the settings of the main window do with the hive file that stands in
// for the registry on Linux: its importable form, and a hive that is
// broken, edited by hand or cannot be written.

#include "MainWindowKey.h"
#include "RegistryValues.h"
#include "app/MainUnit.h"
#include "platform/registry/Registry.h"
#include "support/Ansi.h"
#include "support/MessageBoxRecorder.h"
#include "support/frmMainProbe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace RV = RegistryValues;

namespace {
QByteArray HiveBytes()
{
    QFile file(Reg::HiveFilePath(Reg::HKEY_CURRENT_USER));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(MainWindowSettings, TheFirstCloseWritesAnImportableHive)
{
    {
        TfrmMain window;
        window.show();
        QApplication::processEvents();
        window.close();
    }
    // Importable as it is: a REGEDIT4 export of the key.
    EXPECT_TRUE(HiveBytes().startsWith("REGEDIT4\r\n"));
    EXPECT_TRUE(HiveBytes().contains("[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow]\r\n"
                                     "\"FormVersion\"=\"0\"\r\n"));
}

TEST(MainWindowSettings, AValueOfAnotherTypeFailsTheRestoreAndNothingIsSaved)
{
    for (const QByteArray name : {"FormVersion", "NormPos", "PixelsPerInch", "ShowCmd"}) {
        RV::Set(Section, "leKVIP_Text", "10.9.9.9");
        RV::SetRaw(Section, name, Reg::REG_DWORD, QByteArray("\x01\0\0\0", 4));
        const QByteArray before = HiveBytes();
        MessageBoxRecorder boxes;
        {
            TfrmMain window;
            const TfrmMainProbe probe(window);
            window.show();
            QApplication::processEvents();
            EXPECT_TRUE(window.isVisible()) << "the show goes on";
            EXPECT_EQ(probe.leKVIP()->text(), QString()) << name.constData();
            window.close();
        }
        ASSERT_EQ(boxes.Boxes.size(), 1) << name.constData();
        EXPECT_EQ(boxes.Boxes[0].Text, "Invalid data type for '" + name + "'"); // no full stop after a quote
        EXPECT_EQ(boxes.Boxes[0].Icon, TMsgIcon::Error);
        EXPECT_EQ(HiveBytes(), before) << name.constData();
        RV::Remove(Section, name);
    }
}

TEST(MainWindowSettings, AFailedSaveIsShownAndTriedAgainAtDestruction)
{
    MessageBoxRecorder boxes;
    {
        TfrmMain window;
        window.show();
        // The hive cannot be written any more.
        const QString hive = Reg::HiveFilePath(Reg::HKEY_CURRENT_USER);
        ASSERT_TRUE(QFile::remove(hive));
        ASSERT_TRUE(QDir().mkpath(hive));
        window.close();
        EXPECT_FALSE(window.isVisible()) << "the window closes all the same";
        ASSERT_EQ(boxes.Boxes.size(), 1);
    }
    ASSERT_EQ(boxes.Boxes.size(), 2);
    EXPECT_EQ(boxes.Boxes[0].Text, "Failed to create key MainWindow.");
    EXPECT_EQ(boxes.Boxes[1].Text, "Failed to create key MainWindow.");
}

TEST(MainWindowSettings, AMalformedHiveIsReportedAndTheSettingsStartAfresh)
{
    const QString hive = Reg::HiveFilePath(Reg::HKEY_CURRENT_USER);
    QDir().mkpath(QFileInfo(hive).path());
    QFile file(hive);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a hive\r\n");
    file.close();
    MessageBoxRecorder boxes;
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        window.show();
        QApplication::processEvents();
        ASSERT_EQ(boxes.Boxes.size(), 1);
        EXPECT_EQ(boxes.Boxes[0].Icon, TMsgIcon::Warning);
        EXPECT_TRUE(boxes.Boxes[0].Text.contains(A("не удалось прочитать (строка 1). Он сохранён как")));
        EXPECT_EQ(probe.leTMSName()->text(), QStringLiteral("TMS"));
        window.close();
    }
    EXPECT_EQ(RV::Get(Section, "leTMSName_Text"), "TMS");
    EXPECT_EQ(QDir(QFileInfo(hive).path()).entryList({QStringLiteral("*.bad-*")}).size(), 1);
}

TEST(MainWindowSettings, AHandEditedHiveIsReadAndItsSkippedLineShownOnce)
{
    const QString hive = Reg::HiveFilePath(Reg::HKEY_CURRENT_USER);
    QDir().mkpath(QFileInfo(hive).path());
    QFile file(hive);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("REGEDIT4\r\n"
               "; written by hand\r\n"
               "[HKEY_CURRENT_USER\\Software\\Orbastel\\V3721Conf\\MainWindow]\r\n"
               "\"leKVIP_Text\"=\"10.0.0.9\" ; the plant's gateway\r\n"
               "\"leTMSName_Text\"=\"TMS;2\"\r\n"
               "leKVIP_Text=10.0.0.8\r\n");
    file.close();
    const QStringList aside = QDir(QFileInfo(hive).path()).entryList({QStringLiteral("*.bad-*")});
    MessageBoxRecorder boxes;
    {
        TfrmMain window;
        const TfrmMainProbe probe(window);
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(probe.leKVIP()->text(), QStringLiteral("10.0.0.9"));
        EXPECT_EQ(probe.leTMSName()->text(), QStringLiteral("TMS;2"));
        ASSERT_EQ(boxes.Boxes.size(), 1);
        EXPECT_EQ(boxes.Boxes[0].Icon, TMsgIcon::Warning);
        EXPECT_TRUE(boxes.Boxes[0].Text.contains(A("не удалось прочитать строку 6"))) << boxes.Boxes[0].Text.constData();
        window.close();
        QApplication::processEvents();
    }
    EXPECT_EQ(boxes.Boxes.size(), 1) << "the same line is not reported again when the settings are saved";
    EXPECT_EQ(RV::Get(Section, "leKVIP_Text"), "10.0.0.9");
    const QByteArray saved = [&] {
        QFile written(hive);
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    }();
    EXPECT_TRUE(saved.startsWith("REGEDIT4\r\n; written by hand\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("\"leKVIP_Text\"=\"10.0.0.9\" ; the plant's gateway\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("\r\nleKVIP_Text=10.0.0.8\r\n")) << saved.constData();
    EXPECT_EQ(QDir(QFileInfo(hive).path()).entryList({QStringLiteral("*.bad-*")}), aside);
}
