#include "SerialTransport.h"

#include "DeviceResolver.h"
#include "LinkMessages.h"
#include "LinkReporter.h"
#include "OpenFailure.h"
#include "PortChoice.h"
#include "ReplyReader.h"
#include "SerialDevice.h"

SerialTransport::SerialTransport(SerialDevice &port, const DeviceResolver &resolver,
                                 const LinkSettings &chosen, LinkReporter &reporter,
                                 EventPump &pump)
    : m_port(port)
    , m_resolver(resolver)
    , m_chosen(chosen)
    , m_reporter(reporter)
    , m_pump(pump)
    , m_reader(port, pump)
{}

SerialSettings SerialTransport::settings() const
{
    return m_settings;
}

bool SerialTransport::setOpen(bool open)
{
    // An open, too, starts from a closed port, so that it takes the options now chosen.
    const int number = m_chosen.port.comNumber;
    if (m_port.isOpen())
        m_port.close();
    OpenFailure failure;
    if (m_port.isOpen() != open) {
        m_settings = m_chosen.serial;
        m_reader.setFlowControlOnLink(m_settings.handshake == Handshake::XonXoff);
        if (!open) {
            m_port.close();
        } else if (const QString device = m_resolver.serialPortName(number); device.isEmpty()) {
            failure.errorClass = OpenFailure::Class::CallerBug;
            failure.cause = OpenFailure::Cause::NoDevice;
        } else if (!m_port.open(device, m_settings)) {
            failure = m_port.openFailure();
        }
    }
    if (m_port.isOpen() != open) {
        const QString reason = LinkMessages::openFailureReason(PortChoice::comEntry(number),
                                                               failure, QStringLiteral("dialout"));
        const QString message = LinkMessages::comCannot(number, open);
        m_reporter.report({LinkProblem::Source::Port, LinkMessages::withReason(message, reason),
                           LinkMessages::oneLine(reason.isEmpty() ? message : reason)});
        return false;
    }
    if (open && (!m_port.dsr() || !m_port.cts())) {
        m_reporter.report({LinkProblem::Source::Port, LinkMessages::comBusy(number),
                           LinkMessages::comBusyReason()});
        return false;
    }
    return true;
}

bool SerialTransport::exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                               QByteArray &received)
{
    const Receiving receiving(m_port);
    m_reader.prepare();
    const bool sent = writeCommand(m_port, m_pump, command, whenHeld);
    if (sent && replyWanted)
        received = m_reader.collect();
    return sent;
}
