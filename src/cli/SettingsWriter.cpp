#include "SettingsWriter.h"

#include "CommandSet.h"
#include "DryRunChannel.h"
#include "PrinterCommands.h"
#include "PrinterSession.h"
#include "PrinterSurvey.h"

namespace {

// The plan's writes through `commands`: false, with `failure` set, at the first that failed;
// `written` counts those that reached the printer.
bool sendWrites(const ChangePlan &plan, CommandSet &commands, SettingsModel &record,
                QString &failure, int &written)
{
    written = 0;
    for (const SwitchChange &change : plan.switches) {
        record.switchToWrite(change.sw) = quint8(change.to);
        const WriteResult result = setSwitch(commands, change.sw);
        if (result != WriteResult::Written) {
            failure = result == WriteResult::NotRead
                          ? QStringLiteral("%1 was not read, so it was not written")
                          : QStringLiteral("%1 could not be written");
            failure = failure.arg(switchName(change.sw));
            return false;
        }
        ++written;
    }
    if (plan.language) {
        record.codePageToWrite = plan.language->codePage;
        record.charsetToWrite = plan.language->charset;
        if (commands.setLanguage() != WriteResult::Written) {
            failure = QStringLiteral("the language settings could not be written");
            return false;
        }
        ++written;
    }
    return true;
}

QString readBackFailure(const QString &name, std::optional<int> read, int written)
{
    if (!read)
        return QStringLiteral("%1 could not be read back").arg(name);
    return QStringLiteral("%1 reads %2 after %3 was written").arg(name).arg(*read).arg(written);
}

} // namespace

SettingsWriter::SettingsWriter(PrinterSession &session)
    : m_session(session)
{}

bool SettingsWriter::write(const ChangePlan &plan)
{
    return sendWrites(plan, m_session.commands(), m_session.record(), m_failure, m_written);
}

QList<QByteArray> SettingsWriter::dryRun(const ChangePlan &plan)
{
    // The same command set that read the printer makes the commands; they are held, not sent.
    DryRunChannel &channel = m_session.channel();
    channel.holdWrites(true);
    int held = 0;
    const bool made = sendWrites(plan, m_session.commands(), m_session.record(), m_failure, held);
    channel.holdWrites(false);
    const QList<QByteArray> commands = channel.takeHeld();
    return made ? commands : QList<QByteArray>();
}

bool SettingsWriter::readBack(const ChangePlan &plan)
{
    SettingsModel &record = m_session.record();
    for (const SwitchChange &change : plan.switches) {
        getSwitch(m_session.commands(), change.sw);
        if (record.switchByte(change.sw) != change.to) {
            m_failure =
                readBackFailure(switchName(change.sw), record.switchByte(change.sw), change.to);
            return false;
        }
    }
    if (plan.language) {
        record.languageInfo = {};
        PrinterSurvey(m_session.commands(), record).readLanguage();
        if (record.codePage() != plan.language->codePage) {
            m_failure = readBackFailure(QStringLiteral("codepage"), record.codePage(),
                                        plan.language->codePage);
            return false;
        }
        if (record.charset() != plan.language->charset) {
            m_failure = readBackFailure(QStringLiteral("charset"), record.charset(),
                                        plan.language->charset);
            return false;
        }
    }
    return true;
}

QString SettingsWriter::failure() const
{
    return m_failure;
}

int SettingsWriter::written() const
{
    return m_written;
}
