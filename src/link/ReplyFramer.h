#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// Sorts what a printer sends after a query into the reply and what belongs to no reply. A reply
// that begins with "_" is a block and ends with its NUL; any other reply is unframed and ends
// when the printer falls silent, which the caller decides. Before a reply starts, and after it,
// bytes the printer sends on its own are dropped: XON and XOFF (11 and 13), and automatic status
// blocks, four bytes whose first has the form 0xx1xx00 and whose others have bits 4 and 7 clear.
// Four such bytes that are all printable are taken as text, since a status block holds flag bytes
// that are mostly 00. Inside a reply any such byte is foreign: the reply is then no value, since
// nothing tells which of its bytes are the answer. The same holds for a second "_" inside a block,
// and for another reply that comes on the heels of a block. Where the link's
// handshake is XON/XOFF, XON and XOFF are the link's own and dropped wherever they come.
// Pure: no I/O, no clock.
class ReplyFramer
{
public:
    explicit ReplyFramer(qint64 maxBytes, bool flowControlOnLink = false);

    void feed(QByteArrayView bytes);

    // A reply byte has come (dropped bytes do not count).
    bool hasStarted() const;
    bool isBlock() const;
    // A block up to its NUL, or a reply of the most bytes allowed; later bytes are not taken.
    bool isComplete() const;
    // The reply was cut at the most bytes allowed.
    bool isCut() const;
    // A byte that is no part of the answer came inside the reply, or another reply right after
    // its block.
    bool isMixed() const;
    // The count of reply bytes so far; grows only when reply bytes come.
    qsizetype size() const;

    // The reply as it stands when nothing more comes: bytes held back as the possible start of a
    // status block are reply text after all.
    QByteArray reply() const;

private:
    void take(char byte);
    void takeInBlock(char byte);
    void takeAfterBlock(char byte);
    bool isFlowControl(char byte) const;
    void append(QByteArrayView bytes);

    enum class State { Waiting, Block, Unframed, Complete };

    qint64 m_maxBytes;
    bool m_flowControlOnLink;
    State m_state = State::Waiting;
    QByteArray m_reply;
    // The first bytes of a possible status block, decided once it has four or a byte breaks it.
    QByteArray m_held;
    bool m_cut = false;
    // A byte of the printer's own came since the reply started: any reply byte after it mixes.
    bool m_ownSinceStart = false;
    bool m_mixed = false;
};
