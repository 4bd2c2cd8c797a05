#pragma once

struct SubcommandSpec;

// The subcommands of printer-switch, each with its options, help and run function in a file of its
// own (ports in PortsSubcommand.cpp, ...); SubcommandTable lists them.
namespace Subcommands {

extern const SubcommandSpec ports;
extern const SubcommandSpec info;
extern const SubcommandSpec set;
extern const SubcommandSpec backup;
extern const SubcommandSpec restore;
extern const SubcommandSpec scan;
extern const SubcommandSpec selftest;

} // namespace Subcommands
