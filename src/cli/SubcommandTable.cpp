#include "SubcommandTable.h"

#include "Subcommands.h"

#include <algorithm>
#include <array>

namespace {

// What binds each command's name to its handler, in the order the help lists them.
constexpr std::array<const SubcommandSpec *, 7> kSubcommands{
    &Subcommands::ports,   &Subcommands::info, &Subcommands::set,      &Subcommands::backup,
    &Subcommands::restore, &Subcommands::scan, &Subcommands::selftest,
};

} // namespace

std::span<const SubcommandSpec *const> subcommandTable()
{
    return kSubcommands;
}

const SubcommandSpec *findSubcommand(const QString &name)
{
    const auto it =
        std::find_if(kSubcommands.cbegin(), kSubcommands.cend(),
                     [&name](const auto *spec) { return name == QLatin1String(spec->name); });
    return it == kSubcommands.cend() ? nullptr : *it;
}

QList<const OptionSpec *> everyOption()
{
    QList<const OptionSpec *> options;
    for (const SubcommandSpec *command : kSubcommands) {
        for (const OptionSpec *option : command->options) {
            if (!options.contains(option))
                options << option;
        }
    }
    return options;
}
