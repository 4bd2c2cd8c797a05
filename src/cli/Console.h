#pragma once

#include <QMutex>
#include <QString>

class QIODevice;

// Standard output and standard error of printer-switch, safe to use from every thread: each call
// writes whole lines at once. Results go to `out`, messages to `err`. Control characters that a
// printer may send (ESC, OSC ...) are shown as "?", so that no text reaches the terminal raw.
class Console
{
public:
    Console(QIODevice &out, QIODevice &err);

    // One line of results.
    void out(const QString &line);
    // A message; the CR LF and CR line ends of the printer's messages become plain line ends.
    void err(const QString &text);

    // Why a line of results did not reach standard output; empty while every one did.
    QString outputError() const;

private:
    bool write(QIODevice &device, const QString &text);

    mutable QMutex m_mutex;
    QIODevice &m_out;
    QIODevice &m_err;
    QString m_outputError;
};
