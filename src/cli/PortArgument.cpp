#include "PortArgument.h"

#include <QFile>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::optional<quint16> portNumber(const QString &text)
{
    bool ok = false;
    const uint number = text.toUInt(&ok);
    if (!ok || number == 0 || number > 0xFFFF || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return quint16(number);
}

std::optional<PortArgument> tcpSpec(const QString &target, QString *error)
{
    QString host = target;
    QString port;
    if (target.startsWith(QLatin1Char('['))) {
        // An IPv6 address in brackets, then perhaps ":PORT".
        const qsizetype close = target.indexOf(QLatin1Char(']'));
        if (close < 0 || (close + 1 < target.size() && target.at(close + 1) != QLatin1Char(':'))) {
            *error = QStringLiteral("an address in brackets must end with ] before :PORT");
            return std::nullopt;
        }
        host = target.mid(1, close - 1);
        port = target.mid(close + 2);
        if (close + 1 < target.size() && port.isEmpty()) {
            *error = QStringLiteral("the port after : is missing");
            return std::nullopt;
        }
    } else if (target.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = target.indexOf(QLatin1Char(':'));
        host = target.left(colon);
        port = target.mid(colon + 1);
        if (port.isEmpty()) {
            *error = QStringLiteral("the port after : is missing");
            return std::nullopt;
        }
    } else if (target.contains(QLatin1Char(':'))) {
        *error = QStringLiteral("write an IPv6 address in brackets, as in tcp:[::1]:9100");
        return std::nullopt;
    }
    if (host.isEmpty() || host.contains(QLatin1Char(' '))) {
        *error = QStringLiteral("the printer's address is missing");
        return std::nullopt;
    }
    quint16 number = PortArgument::kDefaultTcpPort;
    if (!port.isEmpty()) {
        const std::optional<quint16> given = portNumber(port);
        if (!given) {
            *error = QStringLiteral("\"%1\" is no TCP port (1 to 65535)").arg(port);
            return std::nullopt;
        }
        number = *given;
    }
    return PortArgument::tcp(host, number);
}

// Linux names its printer devices lp0, lp1 ... (/dev/lp0, /dev/usb/lp0).
bool isPrinterDevice(const QString &path)
{
    const QString name = path.section(QLatin1Char('/'), -1);
    return name.startsWith(QLatin1String("lp"));
}

} // namespace

QString PortArgument::formsHelp()
{
    return QStringLiteral("tcp:HOST[:PORT] (port 9100 when left out), COMn (COM1 to COM16, as in "
                          "the window's port list), a serial device path such as /dev/ttyUSB0, "
                          "or LPT1 (on Windows also a USB printer's own port, USB001 and on, as "
                          "ports lists them)");
}

PortArgument PortArgument::tcp(const QString &host, quint16 port)
{
    PortArgument spec;
    spec.kind = PortKind::Tcp;
    spec.host = host;
    spec.tcpPort = port;
    return spec;
}

std::optional<PortArgument> PortArgument::parse(const QString &text, QString *error,
                                                bool printerPortNames)
{
    if (text.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        return tcpSpec(text.mid(4), error);
    PortArgument spec;
    if (text.compare(QLatin1String("LPT1"), Qt::CaseInsensitive) == 0) {
        spec.kind = PortKind::PrinterDevice;
        return spec;
    }
    static const QRegularExpression usbPort(QStringLiteral("^USB[0-9]{3}$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (printerPortNames && usbPort.match(text).hasMatch()) {
        spec.kind = PortKind::PrinterDevice;
        spec.printerPort = text.toUpper();
        return spec;
    }
    if (text.startsWith(QLatin1Char('/'))) {
        spec.kind = isPrinterDevice(text) ? PortKind::PrinterDevice : PortKind::Serial;
        spec.devicePath = text;
        return spec;
    }
    if (text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        if (const std::optional<int> number = PortChoice::comNumberOfEntry(text)) {
            spec.comNumber = *number;
            return spec;
        }
        *error = QStringLiteral("\"%1\" is not in the port list (COM1 to COM%2)")
                     .arg(text)
                     .arg(PortChoice::kSerialPortCount);
        return std::nullopt;
    }
    *error = QStringLiteral("\"%1\" names no port: give tcp:HOST[:PORT], COMn, a device path or "
                            "LPT1")
                 .arg(text);
    return std::nullopt;
}

QString PortArgument::text() const
{
    switch (kind) {
    case PortKind::Tcp: {
        const bool ipv6 = host.contains(QLatin1Char(':'));
        const QString shownHost = ipv6 ? QLatin1Char('[') + host + QLatin1Char(']') : host;
        return QStringLiteral("tcp:%1:%2").arg(shownHost).arg(tcpPort);
    }
    case PortKind::PrinterDevice:
        if (!printerPort.isEmpty())
            return printerPort;
        return devicePath.isEmpty() ? QStringLiteral("LPT1") : devicePath;
    case PortKind::Serial:
        break;
    }
    return devicePath.isEmpty() ? PortChoice::comEntry(comNumber) : devicePath;
}

QString PortArgument::deviceProblem() const
{
#ifdef Q_OS_UNIX
    if (devicePath.isEmpty())
        return {};
    const QByteArray path = QFile::encodeName(devicePath);
    struct stat status = {};
    // A path that is not there, or not for this user, is left to the link, which says why.
    if (::stat(path.constData(), &status) != 0)
        return {};
    const QString problem = kind == PortKind::Serial ? QStringLiteral("not a serial device")
                                                     : QStringLiteral("not a printer device");
    if (!S_ISCHR(status.st_mode))
        return problem;
    if (kind != PortKind::Serial)
        return {};
    // A character device that is no terminal (/dev/null, /dev/zero) is no serial port either.
    // Opened without waiting for the modem lines and without becoming the controlling terminal.
    const int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal ? QString() : problem;
#else
    return {};
#endif
}
