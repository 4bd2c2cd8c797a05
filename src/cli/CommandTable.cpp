#include "CommandTable.h"

#include "Commands.h"

#include <algorithm>
#include <array>

namespace {

// What binds each command's name to its handler, in the order the help lists them.
constexpr std::array<const CommandSpec *, 7> kCommands{
    &Commands::ports,   &Commands::info, &Commands::set,      &Commands::backup,
    &Commands::restore, &Commands::scan, &Commands::selftest,
};

} // namespace

std::span<const CommandSpec *const> commandTable()
{
    return kCommands;
}

const CommandSpec *findCommand(const QString &name)
{
    const auto it = std::find_if(kCommands.cbegin(), kCommands.cend(), [&name](const auto *spec) {
        return name == QLatin1String(spec->name);
    });
    return it == kCommands.cend() ? nullptr : *it;
}

QList<const OptionSpec *> everyOption()
{
    QList<const OptionSpec *> options;
    for (const CommandSpec *command : kCommands) {
        for (const OptionSpec *option : command->options) {
            if (!options.contains(option))
                options << option;
        }
    }
    return options;
}
