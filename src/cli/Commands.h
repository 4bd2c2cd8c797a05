#pragma once

struct CommandSpec;

// The commands of printer-switch, each with its options, help and run function in a file of its
// own (ports in PortsCommand.cpp, ...); CommandTable lists them.
namespace Commands {

extern const CommandSpec ports;
extern const CommandSpec info;
extern const CommandSpec set;
extern const CommandSpec backup;
extern const CommandSpec restore;
extern const CommandSpec scan;
extern const CommandSpec selftest;

} // namespace Commands
