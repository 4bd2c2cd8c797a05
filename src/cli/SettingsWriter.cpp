#include "SettingsWriter.h"

#include "CommandSet.h"
#include "DryRunChannel.h"
#include "PrinterCommands.h"
#include "PrinterSession.h"
#include "PrinterSurvey.h"

#include <algorithm>
#include <utility>

namespace {

using State = PrinterResult::State;

// Why the write of `name` was not made, or did not end.
QString writeFailure(WriteResult result, const QString &name)
{
    switch (result) {
    case WriteResult::Written:
    case WriteResult::Refused:
    case WriteResult::Failed:
        break;
    case WriteResult::NotRead:
        return QStringLiteral("%1 was not read, so it was not written").arg(name);
    case WriteResult::OutOfStep:
        return QStringLiteral("the printer's answers were out of step with the questions, so %1 "
                              "was not written")
            .arg(name);
    case WriteResult::Changed:
        return QStringLiteral("%1 read again before the write was not what it was read as, so "
                              "it was not written")
            .arg(name);
    case WriteResult::Unknown:
        return QStringLiteral("the link ended while %1 was written; %2")
            .arg(name, PrinterCommands::mayBeUnlocked());
    }
    return QStringLiteral("%1 could not be written").arg(name);
}

const QString kLanguageSettings = QStringLiteral("the language settings");

// The plan's writes through `commands`, up to the first that was not made or did not end, which
// `failure` then names; `states` gets an entry for each write that was sent, to be read back.
void sendWrites(const ChangePlan &plan, CommandSet &commands, SettingsModel &record,
                QString &failure, QList<State> &states)
{
    states.clear();
    const auto sent = [&](WriteResult result, const QString &name) {
        if (result == WriteResult::Written || result == WriteResult::Unknown)
            states.append(State::Unknown);
        if (result != WriteResult::Written)
            failure = writeFailure(result, name);
        return result == WriteResult::Written;
    };
    for (const SwitchChange &change : plan.switches) {
        record.switchToWrite(change.sw) = quint8(change.to);
        if (!sent(commands.setSwitch(change.sw), switchName(change.sw)))
            return;
    }
    if (plan.language) {
        record.codePageToWrite = plan.language->codePage;
        record.charsetToWrite = plan.language->charset;
        sent(commands.setLanguage(), kLanguageSettings);
    }
}

QString readBackFailure(const QString &name, std::optional<int> read, int written)
{
    if (!read)
        return QStringLiteral("%1 could not be read back").arg(name);
    return QStringLiteral("%1 reads %2 after %3 was written").arg(name).arg(*read).arg(written);
}

// What a read-back shows: the new value, the old one, or neither.
State shown(bool isNew, bool isOld)
{
    return isNew ? State::Written : isOld ? State::NotWritten : State::Unknown;
}

} // namespace

SettingsWriter::SettingsWriter(PrinterSession &session)
    : m_session(session)
{}

void SettingsWriter::write(const ChangePlan &plan)
{
    sendWrites(plan, m_session.commands(), m_session.record(), m_failure, m_states);
}

QList<QByteArray> SettingsWriter::dryRun(const ChangePlan &plan)
{
    // The same command set that read the printer makes the commands; they are held, not sent.
    DryRunChannel &channel = m_session.channel();
    channel.holdWrites(true);
    QList<State> held;
    sendWrites(plan, m_session.commands(), m_session.record(), m_failure, held);
    channel.holdWrites(false);
    const QList<QByteArray> commands = channel.takeHeld();
    return m_failure.isEmpty() ? commands : QList<QByteArray>();
}

void SettingsWriter::readBack(const ChangePlan &plan)
{
    bool reconnected = false;
    for (qsizetype step = 0; step < m_states.size(); ++step) {
        QString why;
        m_states[step] = readBackStep(plan, step, why);
        // A link that ended after the bytes went out may have lost the lock as well: a TCP printer
        // gets it once more over a new connection, which then reads back.
        const bool linkEnded = m_unanswered;
        if (linkEnded && !std::exchange(reconnected, true) && m_session.reconnect()) {
            m_session.commands().sendLock();
            m_states[step] = readBackStep(plan, step, why);
        }
        if (!why.isEmpty())
            addFailure(why);
        if (linkEnded)
            addFailure(PrinterCommands::mayBeUnlocked());
    }
    // What was read back is the printer's only when its answers are still in step.
    if (std::all_of(m_states.cbegin(), m_states.cend(),
                    [](State state) { return state == State::Unknown; }) ||
        m_session.commands().proveInStep() == InStepProof::Proven)
        return;
    for (State &state : m_states)
        state = State::Unknown;
    addFailure(QStringLiteral("what was read back is unknown, since the printer's answers are "
                              "not proved in step with the questions"));
}

State SettingsWriter::readBackStep(const ChangePlan &plan, qsizetype step, QString &why)
{
    return step < plan.switches.size() ? readBackSwitch(plan.switches.at(step), why)
                                       : readBackLanguage(*plan.language, why);
}

State SettingsWriter::readBackSwitch(const SwitchChange &change, QString &why)
{
    SettingsModel &record = m_session.record();
    m_session.commands().getSwitch(change.sw);
    const std::optional<quint8> read = record.switchByte(change.sw);
    m_unanswered = !read;
    why = read == change.to ? QString() : readBackFailure(switchName(change.sw), read, change.to);
    return shown(read == change.to, read == change.from);
}

State SettingsWriter::readBackLanguage(const LanguageChange &change, QString &why)
{
    SettingsModel &record = m_session.record();
    record.languageInfo = {};
    PrinterSurvey(m_session.commands(), record).readLanguage();
    m_unanswered = !record.codePage() && !record.charset();
    why.clear();
    if (record.codePage() != change.codePage)
        why = readBackFailure(QStringLiteral("codepage"), record.codePage(), change.codePage);
    else if (record.charset() != change.charset)
        why = readBackFailure(QStringLiteral("charset"), record.charset(), change.charset);
    return shown(record.codePage() == change.codePage && record.charset() == change.charset,
                 record.codePage() == change.codePageFrom &&
                     record.charset() == change.charsetFrom);
}

void SettingsWriter::addFailure(const QString &failure)
{
    if (!m_failure.contains(failure))
        m_failure = m_failure.isEmpty() ? failure : m_failure + QStringLiteral("; ") + failure;
}

QString SettingsWriter::failure() const
{
    return m_failure;
}

QList<State> SettingsWriter::states() const
{
    return m_states;
}
