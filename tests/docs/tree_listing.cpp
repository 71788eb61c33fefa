// Prints what the command tree offers to complete, one line per command: its path from
// the program (such as "gorv version"), a tab, its options as typed (short ones, then
// long ones), a tab, and its sub-commands. The completion tests compare the shells'
// answers with it; it reads the tree directly, not through the documentation generator.

#include <cstdio>
#include <memory_resource>
#include <string>

#include "cli/command.h"

namespace {

void list(const gorv::Command& command, const std::string& path) {
    std::string shorts, longs, subcommands;
    if (command.options) {
        for (const gorv::Option& option : *command.options) {
            if (option.hidden) continue;
            if (option.short_name) shorts += std::string(" -") + *option.short_name;
            if (option.long_name) longs.append(" --").append(*option.long_name);
            if (option.long_aliases) {
                for (std::string_view alias : *option.long_aliases)
                    longs.append(" --").append(alias);
            }
        }
    }
    if (command.subcommands) {
        for (const gorv::Command& subcommand : *command.subcommands) {
            if (!subcommand.hidden) subcommands.append(" ").append(subcommand.name);
        }
    }
    std::printf("%s\t%s\t%s\n", path.c_str(), (shorts + longs).c_str(), subcommands.c_str());
    if (command.subcommands) {
        for (const gorv::Command& subcommand : *command.subcommands) {
            if (!subcommand.hidden) list(subcommand, path + " " + std::string(subcommand.name));
        }
    }
}

}  // namespace

int main() {
    auto tree = gorv::make_gorv_command(std::pmr::new_delete_resource());
    if (!tree) {
        std::fprintf(stderr, "error: %s\n", std::string(gorv::error_name(tree.error())).c_str());
        return 1;
    }
    list(**tree, std::string((**tree).name));
    return 0;
}
