#include "HelpLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

// The data folder's name under each data directory, and its place relative to the installed
// executable (set by the build from the install layout).
const char *const kDataFolderName = "printer-switch-utility";
const char *const kDataFolderFromExecutable = PSU_DATA_DIR_FROM_BIN;

} // namespace

QString HelpLocator::helpFileName()
{
    return QStringLiteral("KV_SW_Help.txt");
}

HelpLocator HelpLocator::forThisProgram()
{
    const QString executableFolder = QCoreApplication::applicationDirPath();
    QStringList folders{
        QDir::currentPath(), executableFolder,
        QDir::cleanPath(
            QDir(executableFolder).absoluteFilePath(QString::fromUtf8(kDataFolderFromExecutable)))};
    const QString dataFolderName = QString::fromUtf8(kDataFolderName);
    const QStringList dataDirectories =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString &directory : dataDirectories)
        folders.append(QDir(directory).absoluteFilePath(dataFolderName));
    return HelpLocator(folders);
}

HelpLocator::HelpLocator(QStringList folders)
    : m_folders(std::move(folders))
{}

QString HelpLocator::find() const
{
    for (const QString &folder : m_folders) {
        const QFileInfo candidate(QDir(folder), helpFileName());
        if (candidate.isFile() && candidate.isReadable())
            return candidate.absoluteFilePath();
    }
    return {};
}

QStringList HelpLocator::folders() const
{
    return m_folders;
}
