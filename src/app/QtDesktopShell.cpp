#include "QtDesktopShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

void QtDesktopShell::quit()
{
    QApplication::quit();
}

void QtDesktopShell::openHelp(const QString &path, QObject *context,
                              std::function<void()> cannotShow)
{
#if defined(Q_OS_WIN)
    // Notepad is on every Windows. It runs on by itself, once started, while the window goes on.
    Q_UNUSED(context)
    if (!QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)}))
        cannotShow();
    return;
#elif defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        // xdg-open returns once the desktop's viewer has the file, and fails when it finds
        // none or the viewer fails. It is not waited for: the window goes on meanwhile.
        auto *process = new QProcess;
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        QObject::connect(process, &QProcess::finished, context,
                         [cannotShow](int exitCode, QProcess::ExitStatus status) {
                             if (status != QProcess::NormalExit || exitCode != 0)
                                 cannotShow();
                         });
        QObject::connect(process, &QProcess::errorOccurred, context,
                         [process, cannotShow](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) {
                                 process->deleteLater();
                                 cannotShow();
                             }
                         });
        process->start(opener, {path});
        return;
    }
#endif
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        cannotShow();
}
