#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// The few socket calls of the emulator's TCP links, on POSIX and on Winsock alike. Descriptors
// are those QTcpServer hands over.
namespace Sockets {

enum class Failure { WouldBlock, Interrupted, Broken };

inline Failure lastFailure()
{
#ifdef Q_OS_WIN
    return ::WSAGetLastError() == WSAEWOULDBLOCK ? Failure::WouldBlock : Failure::Broken;
#else
    if (errno == EINTR)
        return Failure::Interrupted;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Failure::WouldBlock : Failure::Broken;
#endif
}

inline void makeNonBlocking(int socket)
{
#ifdef Q_OS_WIN
    u_long on = 1;
    ::ioctlsocket(static_cast<SOCKET>(socket), FIONBIO, &on);
#else
    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK);
#endif
}

inline void setNoDelay(int socket)
{
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
}

// What arrived, at most `size` bytes; 0 at the end of the input, -1 on a failure.
inline qint64 receive(int socket, char *buffer, qint64 size)
{
#ifdef Q_OS_WIN
    return ::recv(static_cast<SOCKET>(socket), buffer, static_cast<int>(size), 0);
#else
    return ::read(socket, buffer, static_cast<size_t>(size));
#endif
}

// Looks at the next byte without taking it and without waiting, as receive() counts.
inline qint64 peek(int socket)
{
    char byte;
#ifdef Q_OS_WIN
    makeNonBlocking(socket);
    return ::recv(static_cast<SOCKET>(socket), &byte, 1, MSG_PEEK);
#else
    return ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
#endif
}

// Sends what the socket takes now; -1 on a failure. A client that has gone is a failure, never
// a signal that ends the program.
inline qint64 send(int socket, const char *bytes, qint64 size)
{
#ifdef Q_OS_WIN
    return ::send(static_cast<SOCKET>(socket), bytes, static_cast<int>(size), 0);
#else
    return ::send(socket, bytes, static_cast<size_t>(size), MSG_NOSIGNAL);
#endif
}

inline void shutdownSending(int socket)
{
#ifdef Q_OS_WIN
    ::shutdown(static_cast<SOCKET>(socket), SD_SEND);
#else
    ::shutdown(socket, SHUT_WR);
#endif
}

inline void close(int socket)
{
#ifdef Q_OS_WIN
    ::closesocket(static_cast<SOCKET>(socket));
#else
    ::close(socket);
#endif
}

} // namespace Sockets
