#pragma once

struct CliArguments;
struct CliContext;

// The commands of printer-switch, each in a file of its own; each returns its exit status.
namespace Commands {

int ports(CliContext &context, const CliArguments &arguments);
int info(CliContext &context, const CliArguments &arguments);
int set(CliContext &context, const CliArguments &arguments);
int backup(CliContext &context, const CliArguments &arguments);
int restore(CliContext &context, const CliArguments &arguments);
int scan(CliContext &context, const CliArguments &arguments);
int selftest(CliContext &context, const CliArguments &arguments);

} // namespace Commands
