#include "ReplyFramer.h"

#include <algorithm>

namespace {

constexpr char kBlockHeader = '_';
constexpr char kBlockEnd = '\0';
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr qsizetype kStatusBlockLength = 4;

bool opensStatusBlock(char byte)
{
    return (quint8(byte) & 0x93) == 0x10;
}

bool continuesStatusBlock(char byte)
{
    return (quint8(byte) & 0x90) == 0;
}

bool isControl(char byte)
{
    return quint8(byte) < 0x20;
}

} // namespace

ReplyFramer::ReplyFramer(qint64 maxBytes, bool flowControlOnLink)
    : m_maxBytes(maxBytes)
    , m_flowControlOnLink(flowControlOnLink)
{}

void ReplyFramer::feed(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        // What follows a cut reply is the rest of it; what follows a block is looked at.
        if (m_state == State::Complete && (m_cut || m_mixed))
            return;
        take(byte);
    }
}

bool ReplyFramer::isFlowControl(char byte) const
{
    return byte == kXon || byte == kXoff;
}

void ReplyFramer::take(char byte)
{
    if (m_flowControlOnLink && isFlowControl(byte))
        return;
    if (m_state == State::Complete) {
        takeAfterBlock(byte);
        return;
    }
    if (m_state == State::Block) {
        takeInBlock(byte);
        return;
    }
    if (!m_held.isEmpty()) {
        if (continuesStatusBlock(byte)) {
            m_held.append(byte);
            if (m_held.size() < kStatusBlockLength)
                return;
            const bool flags = std::any_of(m_held.cbegin(), m_held.cend(), isControl);
            const QByteArray held = std::exchange(m_held, {});
            if (!flags) // four printable characters: text after all
                append(held);
            else if (m_state == State::Unframed)
                m_ownSinceStart = true;
            return;
        }
        append(std::exchange(m_held, {}));
        if (m_state == State::Complete)
            return;
    }
    if (isFlowControl(byte)) {
        if (m_state == State::Unframed)
            m_ownSinceStart = true;
        return;
    }
    if (opensStatusBlock(byte)) {
        m_held.append(byte);
        return;
    }
    if (m_state == State::Waiting && byte == kBlockHeader)
        m_state = State::Block;
    append(QByteArrayView(&byte, 1));
}

void ReplyFramer::takeInBlock(char byte)
{
    // XON, XOFF, the control byte that opens a status block and a second header inside a block
    // are no part of its text: the block is kept as it came, but it is no answer. Other control
    // characters are text the printer holds.
    if (byte == kBlockHeader || isFlowControl(byte) || (isControl(byte) && opensStatusBlock(byte)))
        m_mixed = true;
    append(QByteArrayView(&byte, 1));
    if (byte == kBlockEnd && m_state == State::Block)
        m_state = State::Complete;
}

// Right after a block only the printer's own bytes may come; anything else is a second reply,
// and which of the two answers the query is unknown.
void ReplyFramer::takeAfterBlock(char byte)
{
    if (isFlowControl(byte))
        return;
    if (m_held.isEmpty() ? opensStatusBlock(byte) : continuesStatusBlock(byte)) {
        m_held.append(byte);
        if (m_held.size() == kStatusBlockLength) {
            const QByteArray held = std::exchange(m_held, {});
            m_mixed = std::none_of(held.cbegin(), held.cend(), isControl);
        }
        return;
    }
    m_mixed = true;
}

void ReplyFramer::append(QByteArrayView bytes)
{
    if (m_state == State::Waiting)
        m_state = State::Unframed;
    else if (m_state == State::Unframed && m_ownSinceStart)
        m_mixed = true;
    const qsizetype room = m_maxBytes - m_reply.size();
    m_reply.append(bytes.first(std::min(room, bytes.size())));
    if (m_reply.size() >= m_maxBytes) {
        m_cut = m_state != State::Block || m_reply.back() != kBlockEnd;
        m_state = State::Complete;
    }
}

bool ReplyFramer::hasStarted() const
{
    return !m_reply.isEmpty();
}

bool ReplyFramer::isBlock() const
{
    return !m_reply.isEmpty() && m_reply.front() == kBlockHeader;
}

bool ReplyFramer::isComplete() const
{
    return m_state == State::Complete;
}

bool ReplyFramer::isCut() const
{
    return m_cut;
}

bool ReplyFramer::isMixed() const
{
    return m_mixed;
}

qsizetype ReplyFramer::size() const
{
    return m_reply.size();
}

QByteArray ReplyFramer::reply() const
{
    if (m_state == State::Complete)
        return m_reply;
    return (m_reply + m_held).left(m_maxBytes);
}
