#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Lines the operator types on the program's standard input (or a script pipes into it). Reads
// without ever blocking the event loop, holds at most one line of kMaxLine bytes, and stops
// quietly at the end of the input. A program started in the background of a terminal does not
// read it (the terminal would stop the program for trying).
class OperatorInput : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kMaxLine = 256;

    explicit OperatorInput(int descriptor, QObject *parent = nullptr);

Q_SIGNALS:
    void lineEntered(const QString &line);
    // A line longer than kMaxLine, dropped.
    void lineTooLong();

private:
    void readSome();
    // Splits what was read into lines.
    void take(const QByteArray &bytes);

    int m_descriptor;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_line;
    bool m_overlong = false;
};
