#pragma once

#include "CommandLink.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A link that records every command with the mode it was sent in and answers "R" commands from
// a script, one reply per command, "" once the script has run out. The commands at the
// positions in `undeliverable` (0 the first) are recorded but reported as not sent.
class RecordingLink : public CommandLink
{
public:
    struct Sent
    {
        QByteArray command;
        QString mode;
    };

    bool SendCommand(const QByteArray &command, QString &reply) override
    {
        const bool delivered = !undeliverable.contains(sent.size());
        sent.append({command, reply});
        if (onSend)
            onSend();
        const bool wantsReply = delivered && reply == QStringLiteral("R");
        reply = wantsReply && !replies.isEmpty() ? replies.takeFirst() : QString();
        return delivered;
    }

    // Every command as its mode, a blank and its bytes in hex: "W 1d67756e6c00".
    QStringList transcript() const
    {
        QStringList lines;
        for (const Sent &s : sent)
            lines.append(s.mode + u' ' + QString::fromLatin1(s.command.toHex()));
        return lines;
    }

    QStringList replies;
    QList<Sent> sent;
    QList<qsizetype> undeliverable;
    // Runs while a command is with the printer, before its reply is given.
    std::function<void()> onSend;
};
