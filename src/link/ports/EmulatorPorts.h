#pragma once

#include <QString>
#include <QStringList>

// The pseudo-terminals that running printer emulators offer as serial ports. An emulator
// announces each one by a file "<pid>-<n>.pty" in the folder "printer-emulator" of the user's
// runtime folder, holding the slave path and a newline. Nothing of it is visible to other users:
// the folder is used only while it is the user's own.
class EmulatorPorts
{
public:
    // The announcement folder of this user; empty when Qt finds no runtime folder it trusts.
    static QString announcementFolder();
    // Why `folder` must not be used: a symbolic link, not a folder, another user's, or open to
    // others (mode other than 0700); empty when it is the user's own, or does not exist.
    static QString folderProblem(const QString &folder);

    // Reads the announcements in `folder`; an empty one stands for the user's announcement
    // folder, looked up at the first read.
    explicit EmulatorPorts(QString folder = QString());

    // The slave paths announced by emulators that are running, in the order of their process
    // ids and then of their numbers. An announcement whose process has ended, or whose path is
    // no pseudo-terminal, is stale and passed over. A folder with a problem is passed over with
    // one line on standard error.
    QStringList livePorts() const;

private:
    mutable QString m_folder;
    mutable QString m_reported; // the problem last told on standard error
};
