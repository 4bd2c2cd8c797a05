#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// What the printer's sensors report: the cover, the paper roll, and whether it is off-line. The
// bytes it answers status requests with follow from it, with the fixed bits that ESC/POS gives
// every status byte.
struct PrinterStatus
{
    bool coverOpen = false;
    bool paperNearEnd = false;
    bool paperEnd = false;
    bool offline = false; // off-line for a reason of its own (another than cover or paper)

    // Groups of status that automatic status back (GS a n) can be enabled for, by bit of n.
    enum Group : int {
        DrawerGroup = 0x01,
        OnlineGroup = 0x02,
        ErrorGroup = 0x04,
        PaperGroup = 0x08,
        AllGroups = 0x0F,
    };

    // The printer stops printing while the cover is open, the paper has run out, or it was put
    // off-line.
    bool isOffline() const { return offline || coverOpen || paperEnd; }
    // The roll's near-end sensor sees the end of the paper too.
    bool nearEndSensed() const { return paperNearEnd || paperEnd; }

    // DLE EOT n, n = 1 (printer), 2 (off-line cause), 3 (error cause), 4 (roll paper sensor).
    std::optional<quint8> realTimeStatus(int n) const;
    // GS r n, n = 1 or 49 (paper sensor), 2 or 50 (drawer kick-out connector).
    std::optional<quint8> transmittedStatus(int n) const;
    // The four bytes of automatic status back.
    QByteArray autoStatusBlock() const;

    // The groups whose bytes differ between two states.
    static int changedGroups(const PrinterStatus &before, const PrinterStatus &after);

    // "ready", or what is wrong: "cover open, paper near end, off-line".
    QString describe() const;

    // A line an operator types to change the state ("cover open", "paper end", "ok" ...), as the
    // new state; nothing for a line that is not one of them.
    static std::optional<PrinterStatus> applyLine(const PrinterStatus &current,
                                                  const QString &line);
    // The lines applyLine accepts, for the help text.
    static QString acceptedLines();

    friend bool operator==(const PrinterStatus &, const PrinterStatus &) = default;
};
