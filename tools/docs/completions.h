#pragma once

#include <string>
#include <string_view>

#include "command_facts.h"
#include "core/error.h"

namespace gorv::docs {

// The shell completions of the program, each a complete file made from the facts and the
// hand-written shell code of tools/docs/shell (given as `shell_code`, which calls the
// functions made here and is placed where it can). They complete, for the command that
// the words before the cursor have reached, its short and long options, its
// sub-commands, and the argument of an option that takes one: the choices of an
// enumeration, and for a list the choices not given yet after the text up to its last
// separator. All fail with OutOfMemory only.

// For bash-completion (share/bash-completion/completions/<program>); needs its
// _init_completion. The shell code follows the functions that describe the tree.
[[nodiscard]] Result<std::string> bash_completion(const CommandFacts& root,
                                                  std::string_view shell_code);

// For zsh's completion system (share/zsh/vendor-completions/_<program>). The shell code
// follows the #compdef line, before a function per command.
[[nodiscard]] Result<std::string> zsh_completion(const CommandFacts& root,
                                                 std::string_view shell_code);

// For fish (share/fish/vendor_completions.d/<program>.fish), where each value of an
// enumeration is described by the manual page's words for it. The shell code follows the
// functions that describe the tree, before the complete commands.
[[nodiscard]] Result<std::string> fish_completion(const CommandFacts& root,
                                                  std::string_view shell_code);

}  // namespace gorv::docs
