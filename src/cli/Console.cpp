#include "Console.h"

#include <QIODevice>

namespace {

// Line ends stay; every other control character becomes "?".
QString printable(QString text)
{
    for (QChar &c : text) {
        if (c != u'\n' && c.category() == QChar::Other_Control)
            c = u'?';
    }
    return text;
}

} // namespace

Console::Console(QIODevice &out, QIODevice &err)
    : m_out(out)
    , m_err(err)
{}

void Console::out(const QString &line)
{
    if (!write(m_out, line)) {
        const QMutexLocker lock(&m_mutex);
        if (m_outputError.isEmpty())
            m_outputError = m_out.errorString();
    }
}

void Console::err(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    write(m_err, lines);
}

QString Console::outputError() const
{
    const QMutexLocker lock(&m_mutex);
    return m_outputError;
}

bool Console::write(QIODevice &device, const QString &text)
{
    const QByteArray bytes = (printable(text) + QLatin1Char('\n')).toUtf8();
    const QMutexLocker lock(&m_mutex);
    // The devices are unbuffered: a line that was written has left.
    return device.write(bytes) == bytes.size();
}
