#pragma once

#include <QDir>
#include <QImage>

// Saves a picture of a window when V3721_SCREENSHOT_DIR names a folder.
inline void KeepScreenshot(const QImage &image, const char *name)
{
    const QString dir = qEnvironmentVariable("V3721_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        image.save(QDir(dir).filePath(QLatin1String(name)));
}
