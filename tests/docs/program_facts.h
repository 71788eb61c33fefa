#pragma once

// The program's command tree with the facts gathered from it, for the generator's tests.

#include <gtest/gtest.h>

#include <memory>
#include <memory_resource>
#include <utility>

#include "cli/command.h"
#include "command_facts.h"

namespace gorv::docs {

// The tree and its facts, which point into it.
struct ProgramFacts {
    std::unique_ptr<Command> tree;
    CommandFacts root;
};

inline ProgramFacts program_facts() {
    Result<std::unique_ptr<Command>> tree = make_gorv_command(std::pmr::new_delete_resource());
    EXPECT_TRUE(tree.has_value());
    Result<CommandFacts> facts = gather_facts(**tree);
    EXPECT_TRUE(facts.has_value());
    return {std::move(*tree), std::move(*facts)};
}

}  // namespace gorv::docs
