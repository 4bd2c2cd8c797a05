#pragma once

#include <QString>

// Makes a running emulator's pseudo-terminal known to the switch utility, which lists it as a
// serial port: one file per pseudo-terminal in the user's runtime folder,
// <runtime>/printer-emulator/<pid>-<n>.pty, holding the slave path and a newline. The folder is
// the user's own (mode 0700; any other is not used), the file is written atomically, rewritten when
// the pseudo-terminal is replaced and removed when the announcement ends. A reader takes a file
// whose process is not alive as stale.
class PtyAnnouncement
{
public:
    // Takes the next number of this process, so that several emulators in one process each
    // have a file of their own.
    PtyAnnouncement();
    ~PtyAnnouncement();

    PtyAnnouncement(const PtyAnnouncement &) = delete;
    PtyAnnouncement &operator=(const PtyAnnouncement &) = delete;

    // <runtime>/printer-emulator; empty without a runtime folder
    static QString folder();

    // Writes (or rewrites) the file with `slavePath`.
    bool announce(const QString &slavePath, QString *error);
    // Removes the file.
    void withdraw();

    // The file's path once announced; empty before and after.
    QString path() const { return m_path; }

private:
    int m_number;
    QString m_path;
};
