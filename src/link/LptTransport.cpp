#include "LptTransport.h"

#include "DeviceResolver.h"
#include "EventPump.h"
#include "LinkMessages.h"
#include "LinkReporter.h"
#include "ReplyReader.h"

#include <chrono>

namespace {

// The pause before the device is switched to reading.
constexpr std::chrono::milliseconds kReadPause{5};
// The device answers with at most 30 bytes.
constexpr ReplyLimits kReplyLimits{.maxBytes = 30};

} // namespace

LptTransport::LptTransport(LptDevice &device, const DeviceResolver &resolver,
                           LinkReporter &reporter, EventPump &pump)
    : m_device(device)
    , m_resolver(resolver)
    , m_reporter(reporter)
    , m_pump(pump)
    , m_reader(device, pump, kReplyLimits)
{}

bool LptTransport::setOpen(bool open)
{
    OpenLpt(open, LptDevice::Access::Write);
    return true;
}

void LptTransport::OpenLpt(bool open, LptDevice::Access access)
{
    bool done = m_device.close();
    QString reason;
    if (done && open) {
        done = m_device.open(m_resolver.lptDeviceName(), access);
        if (!done) {
            // A printer port of the system is named as the user knows it ("USB001").
            OpenFailure failure = m_device.openFailure();
            if (!failure.device.isEmpty())
                failure.device = printerDeviceName(m_resolver, failure.device);
            reason = LinkMessages::openFailureReason(QStringLiteral("LPT1"), failure,
                                                     QStringLiteral("lp"));
        }
    }
    if (!done)
        m_reporter.report(
            {LinkProblem::Source::Port,
             LinkMessages::withReason(LinkMessages::lptError(m_device.lastError()), reason),
             LinkMessages::oneLine(reason.isEmpty() ? m_device.lastError().text : reason)});
}

bool LptTransport::exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                            QByteArray &received)
{
    // The device is opened for reading inside a query only, so nothing waits on it before one.
    if (!writeCommand(m_device, m_pump, command, whenHeld))
        return false;
    if (!replyWanted)
        return true;
    m_pump.sleep(kReadPause);
    OpenLpt(false, LptDevice::Access::Write);
    OpenLpt(true, LptDevice::Access::Read);
    received = m_reader.collect();
    OpenLpt(true, LptDevice::Access::Write);
    return true;
}
