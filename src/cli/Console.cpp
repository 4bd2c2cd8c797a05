#include "Console.h"

#include <QIODevice>

Console::Console(QIODevice &out, QIODevice &err)
    : m_out(out)
    , m_err(err)
{}

void Console::out(const QString &line)
{
    write(m_out, line);
}

void Console::err(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    write(m_err, lines);
}

void Console::write(QIODevice &device, const QString &text)
{
    const QMutexLocker lock(&m_mutex);
    device.write((text + QLatin1Char('\n')).toUtf8());
}
