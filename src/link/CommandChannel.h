#pragma once

#include <QByteArray>
#include <QString>

// What a question of known answer showed about the link: the answer came as it is known, so the
// answers that follow are the printer's to the questions that follow; another answer came, so
// the answers are out of step with the questions; or the question could not be sent.
enum class InStepProof { Proven, OutOfStep, NotSent };

// Carries one command to the printer and its reply back. On entry `reply` holds the mode
// letter: "R" when a reply is expected, anything else for none. On return it holds the
// cleaned reply (every "_" and NUL removed), "" when nothing came back, when a block answer came
// without its closing NUL, or when none was asked for. Returns true when every byte of the command
// left for the open port in time, whatever the reply; false when nothing or not all of it could
// be sent (no port open or connected, a failed write, a printer that held the bytes up, a printer
// whose answers did not catch up with its questions, another transaction under way), and the
// reply is "" then. A command the printer held up is dropped, so that nothing of it reaches the
// printer later.
class CommandChannel
{
public:
    virtual ~CommandChannel() = default;

    virtual bool SendCommand(const QByteArray &command, QString &reply) = 0;
    // Whether the last reply came whole and alone: false when a byte that is not the printer's
    // answer came inside it (flow control on a link without that handshake, a status block, a
    // second frame) or it was cut at the most bytes a reply may have. Such a reply is still handed
    // back as it came, for the log, but it is no value.
    virtual bool replyWasWhole() const { return true; }
    // Asks the question of known answer, the maker's name: before a write, and at the end of a
    // survey of the printer. When another answer comes the link drops what comes until it is in
    // step again before its next command.
    virtual InStepProof proveInStep() { return InStepProof::Proven; }

    // Sends a command that expects no reply and must reach the printer however late, such as the
    // lock that follows an unlock the printer took: when the printer holds it up, it stays
    // queued and leaves as soon as the printer takes data again. Returns whether it left in time.
    virtual bool SendClosingCommand(const QByteArray &command)
    {
        QString reply = QStringLiteral("W");
        return SendCommand(command, reply);
    }
};
