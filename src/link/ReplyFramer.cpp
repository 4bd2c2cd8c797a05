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

ReplyFramer::ReplyFramer(qint64 maxBytes)
    : m_maxBytes(maxBytes)
{}

void ReplyFramer::feed(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        if (m_state == State::Complete)
            return;
        take(byte);
    }
}

void ReplyFramer::take(char byte)
{
    if (m_state == State::Block) {
        append(QByteArrayView(&byte, 1));
        if (byte == kBlockEnd && m_state == State::Block)
            m_state = State::Complete;
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
            return;
        }
        append(std::exchange(m_held, {}));
        if (m_state == State::Complete)
            return;
    }
    if (byte == kXon || byte == kXoff)
        return;
    if (opensStatusBlock(byte)) {
        m_held.append(byte);
        return;
    }
    if (m_state == State::Waiting && byte == kBlockHeader)
        m_state = State::Block;
    append(QByteArrayView(&byte, 1));
}

void ReplyFramer::append(QByteArrayView bytes)
{
    if (m_state == State::Waiting)
        m_state = State::Unframed;
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
