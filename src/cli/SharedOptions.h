#pragma once

#include "SubcommandTable.h"

#include <QString>

#include <array>
#include <optional>

// The options that several subcommands of printer-switch share, and what each subcommand needs to
// take options of its own.
namespace SharedOptions {

extern const OptionSpec port;
extern const OptionSpec baud;
extern const OptionSpec parity;
extern const OptionSpec handshake;
extern const OptionSpec json;
extern const OptionSpec jobs;
extern const OptionSpec replyTimeout;
// The options of a subcommand that talks to one printer and takes no others: the port, its serial
// settings and the reply timeout.
extern const std::array<const OptionSpec *, 5> onePrinter;

// `text` as a whole number from `low` to `high`; nothing for any other text.
std::optional<int> boundedNumber(const QString &text, int low, int high);
// Sets `error` to `text` and returns false.
bool fail(QString *error, const QString &text);

} // namespace SharedOptions
