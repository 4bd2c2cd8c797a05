#include "ApplySettings.h"
#include "CliArguments.h"
#include "CliContext.h"
#include "Console.h"
#include "ExitStatus.h"
#include "InterruptGuard.h"
#include "LanguageTables.h"
#include "PrinterCommands.h"
#include "PrinterReport.h"
#include "PrinterResult.h"
#include "SharedOptions.h"
#include "SubcommandTable.h"
#include "Subcommands.h"
#include "SwitchBits.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <array>

namespace {

bool takeDryRun(CliArguments &arguments, const QString &, QString *)
{
    arguments.dryRun = true;
    return true;
}

const OptionSpec kDryRun{"dry-run", nullptr,
                         "read the printer, show what would change (in text also the bytes the "
                         "writes would send, in hex) and send no write",
                         takeDryRun, nullptr};

bool takeMeanings(CliArguments &arguments, const QString &, QString *)
{
    arguments.meanings = true;
    return true;
}

const OptionSpec kMeanings{"meanings", nullptr,
                           "with --json: each change also carries \"before\" and \"after\", the "
                           "setting as info shows it, a switch byte with every switch and its "
                           "meaning",
                           takeMeanings, nullptr};

// SW2=37 and SW2=38, or SW2=37 and SW2.3=OFF, ask for one switch twice.
bool overlaps(const SettingRequest &a, const SettingRequest &b)
{
    using Kind = SettingRequest::Kind;
    const bool aSwitch = a.kind == Kind::SwitchByte || a.kind == Kind::Switch;
    const bool bSwitch = b.kind == Kind::SwitchByte || b.kind == Kind::Switch;
    if (aSwitch != bSwitch)
        return false;
    if (!aSwitch)
        return a.kind == b.kind;
    return a.sw == b.sw &&
           (a.kind == Kind::SwitchByte || b.kind == Kind::SwitchByte || a.number == b.number);
}

bool takeSettings(CliArguments &arguments, const QStringList &values, QString *error)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        const std::optional<SettingRequest> setting = SettingRequest::parse(values.at(i), error);
        if (!setting)
            return false;
        for (qsizetype before = 0; before < i; ++before) {
            if (overlaps(arguments.settings.at(before), *setting))
                return SharedOptions::fail(
                    error, QStringLiteral("%1: the same setting is already given as %2")
                               .arg(values.at(i), values.at(before)));
        }
        arguments.settings << *setting;
    }
    return true;
}

// The list entry of a code page or character set number ("17 - 866 Cyrillic"); nothing for a
// switch byte, and for a number that is not in the list, as "no entry".
std::optional<QString> listEntry(const QString &setting, int value)
{
    const bool codePage = setting == QLatin1String("codepage");
    if (!codePage && setting != QLatin1String("charset"))
        return std::nullopt;
    const int index =
        codePage ? LanguageTables::findCodePage(value) : LanguageTables::findInterChars(value);
    if (index < 0)
        return QStringLiteral("no entry");
    return codePage ? LanguageTables::codePageEntries().at(index)
                    : LanguageTables::interCharsEntries().at(index);
}

SwitchByte switchOf(const SettingChange &change)
{
    return static_cast<SwitchByte>(change.setting.mid(2).toInt() - 1);
}

// What a plan changes: each switch byte with its changed switches and their new meanings, then
// the code page and character set with their list entries.
QStringList changeLines(const PrinterResult &result, const QString &model)
{
    QStringList lines;
    for (const SettingChange &change : result.changes) {
        const QString summary = ChangePlan::summary(change);
        if (const std::optional<QString> entry = listEntry(change.setting, change.to)) {
            lines << QStringLiteral("%1 (%2)").arg(summary, *entry);
            continue;
        }
        const std::array<bool, 8> from = SwitchBits::offStates(change.from.value_or(0));
        const std::array<bool, 8> to = SwitchBits::offStates(change.to);
        QList<int> changed;
        for (std::size_t i = 0; i < from.size(); ++i) {
            if (from[i] != to[i])
                changed << int(i + 1);
        }
        lines << summary << PrinterReport::switchLines(switchOf(change), model, change.to, changed);
    }
    return lines;
}

// A changed setting at `value` as info shows it: "SW2: 235" and its eight switches with their
// meanings, or "codepage: 17 (17 - 866 Cyrillic)".
QJsonArray settingLines(const SettingChange &change, const QString &model, std::optional<int> value)
{
    if (!value)
        return {change.setting + QStringLiteral(": (no number)")};
    const QString head = QStringLiteral("%1: %2").arg(change.setting).arg(*value);
    if (const std::optional<QString> entry = listEntry(change.setting, *value))
        return {QStringLiteral("%1 (%2)").arg(head, *entry)};
    return QJsonArray::fromStringList(QStringList{head} +
                                      PrinterReport::switchLines(switchOf(change), model, *value));
}

// The JSON line of a result; with --meanings each change also carries its setting as it was
// ("before") and as it is to be ("after").
QJsonObject jsonLine(const PrinterResult &result, const QString &model, bool meanings)
{
    QJsonObject line = result.json();
    if (!meanings)
        return line;
    QJsonArray changes = line.value(QStringLiteral("changes")).toArray();
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const SettingChange &change = result.changes.at(i);
        QJsonObject entry = changes.at(i).toObject();
        entry.insert(QStringLiteral("before"), settingLines(change, model, change.from));
        entry.insert(QStringLiteral("after"), settingLines(change, model, change.to));
        changes[i] = entry;
    }
    line.insert(QStringLiteral("changes"), changes);
    return line;
}

// Tells what became of the printer: in text the changes with their meanings (and the commands of
// a dry run), or one JSON line; failures and reminders on standard error.
int report(PrinterSession &session, Console &console, const PrinterResult &result,
           const CliArguments &arguments)
{
    using Kind = PrinterResult::Kind;
    const bool json = arguments.json;
    const bool dryRun = arguments.dryRun;
    if (json) {
        const QJsonObject line = jsonLine(result, session.record().modelName(), arguments.meanings);
        console.out(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
    }
    switch (result.kind) {
    case Kind::Unchanged:
        if (!json)
            console.out(QStringLiteral("unchanged"));
        return kExitOk;
    case Kind::Refused:
        session.tell(QStringLiteral("refused: %1; nothing was written").arg(result.error));
        return kExitFailure;
    case Kind::Failed:
    case Kind::Interrupted:
        session.tell(result.writeStarted ? result.error
                                         : result.error + QStringLiteral("; nothing was written"));
        // Only a write read back as made wants the power cycle.
        if (result.anyWritten())
            session.tell(PrinterCommands::powerCycleReminder());
        return kExitFailure;
    case Kind::Ok:
        break;
    }
    if (!json) {
        for (const QString &line : changeLines(result, session.record().modelName()))
            console.out(line);
    }
    if (dryRun) {
        if (!json) {
            for (const QByteArray &command : result.dryRun)
                console.out(QString::fromLatin1(command.toHex(' ').toUpper()));
        }
        session.tell(QStringLiteral("dry run: nothing was written"));
        return kExitOk;
    }
    session.tell(PrinterCommands::powerCycleReminder());
    return kExitOk;
}

int run(CliContext &context, const CliArguments &arguments)
{
    const PortArgument &port = arguments.ports.first();
    const InterruptGuard guard;
    PrinterSession session(port, CliContext::sessionOptions(arguments), context.console,
                           context.resolvers);
    PrinterResult result;
    // A number the lists do not have is refused before the printer is asked anything.
    if (const QString refusal = listRefusal(arguments.settings); !refusal.isEmpty()) {
        result = PrinterResult::failed(port.text(), PrinterResult::Kind::Refused, refusal);
    } else if (const TestStop stop = session.communicationTest(); stop != TestStop::None) {
        result = PrinterResult::failed(port.text(), PrinterResult::Kind::Failed,
                                       session.stopReason(stop));
    } else {
        result = applySettings(session, arguments.settings, arguments.dryRun);
    }
    const int status = report(session, context.console, result, arguments);
    if (const int signal = InterruptGuard::signal()) {
        context.console.err(stopLine(signal, {result}));
        return kExitSignal + signal;
    }
    return status;
}

// The options of set, in the order its help lists them.
constexpr std::array<const OptionSpec *, 8> kOptions{&SharedOptions::port,
                                                     &SharedOptions::baud,
                                                     &SharedOptions::parity,
                                                     &SharedOptions::handshake,
                                                     &SharedOptions::json,
                                                     &kMeanings,
                                                     &kDryRun,
                                                     &SharedOptions::replyTimeout};

} // namespace

const SubcommandSpec Subcommands::set{
    .name = "set",
    .usage = "set --port P [--dry-run] [--reply-timeout MS] [--json] SETTING...",
    .summary = "change switches and language",
    .description = "SETTING is SW1=N, SW2=N, SW3=N (0 to 255), SWn.k=ON|OFF (switch k of byte "
                   "n), codepage=N or charset=N (numbers from the window's lists), each setting "
                   "once. The printer is read first; a switch byte its model does not have or "
                   "that could not be read, a number that is not in the lists and a printer of "
                   "another maker are refused, and nothing is written then. Every changed byte, "
                   "and the language settings, are written as the window writes them (unlock, "
                   "write, lock), read back and compared.",
    .options = kOptions,
    .minPorts = 1,
    .maxPorts = 1,
    .positional = "SETTING",
    .minPositional = 1,
    .maxPositional = -1,
    .takePositionals = takeSettings,
    .run = run};
