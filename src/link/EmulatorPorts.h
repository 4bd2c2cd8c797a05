#pragma once

#include <QString>
#include <QStringList>

// The pseudo-terminals that running printer emulators offer as serial ports. An emulator
// announces each one by a file "<pid>-<n>.pty" in the folder "printer-emulator" of the user's
// runtime folder, holding the slave path and a newline. Nothing of it is visible to other users.
class EmulatorPorts
{
public:
    // The announcement folder of this user.
    static QString announcementFolder();

    // Reads the announcements in `folder`; an empty one stands for the user's announcement
    // folder, looked up at the first read.
    explicit EmulatorPorts(QString folder = QString());

    // The slave paths announced by emulators that are running, in the order of their process
    // ids and then of their numbers. An announcement whose process has ended, or whose path is
    // no character device, is stale and passed over.
    QStringList livePorts() const;

private:
    mutable QString m_folder;
};
