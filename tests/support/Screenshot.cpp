#include "Screenshot.h"

#include <QDir>

QString screenshotPath(const QString &file)
{
    const QDir folder(QDir(qEnvironmentVariable("PSU_BINARY_DIR", QDir::currentPath()))
                          .filePath(QStringLiteral("screenshots")));
    folder.mkpath(QStringLiteral("."));
    return folder.filePath(file);
}
