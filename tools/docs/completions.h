#pragma once

#include <string>

#include "command_facts.h"
#include "core/error.h"

namespace gorv::docs {

// The shell completions of the program, each a complete file made from the facts alone.
// They complete, for the command that the words before the cursor have reached, its
// short and long options, its sub-commands, and the argument of an option that takes
// one: the choices of an enumeration, and for a list the choices not given yet after
// the text up to its last separator. All fail with OutOfMemory only.

// For bash-completion (share/bash-completion/completions/<program>); needs its
// _init_completion.
[[nodiscard]] Result<std::string> bash_completion(const CommandFacts& root);

// For zsh's completion system (share/zsh/vendor-completions/_<program>).
[[nodiscard]] Result<std::string> zsh_completion(const CommandFacts& root);

// For fish (share/fish/vendor_completions.d/<program>.fish).
[[nodiscard]] Result<std::string> fish_completion(const CommandFacts& root);

}  // namespace gorv::docs
