#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "command_facts.h"
#include "core/error.h"

namespace gorv::docs {

// The manual page gorv.1 in the man macros: NAME, SYNOPSIS, DESCRIPTION, OPTIONS,
// COMMANDS, EXIT STATUS, ENVIRONMENT, EXAMPLES and SEE ALSO. Every option, value,
// default and sub-command comes from the facts, the words from prose.h. Fails with
// ValueNotSet when prose_problems would report something, and with OutOfMemory.
[[nodiscard]] Result<std::string> man_page(const CommandFacts& root, std::string_view version);

// What prose.h lacks or has too much of for these facts, one sentence each: a value of
// an enumeration without words, words for an option, value, command or example that the
// facts do not have. Empty when the words fit the tree. Fails with OutOfMemory.
[[nodiscard]] Result<std::vector<std::string>> prose_problems(const CommandFacts& root);

// Turns prose into roff input lines for the man macros: backquoted spans are set in
// bold, a sentence that ends with ". " before a capital, a digit or a backquote starts a
// new input line, and an empty line starts a new paragraph (.PP). Backslashes are
// escaped, a line never starts with a control character, characters outside ASCII
// become \[uXXXX], and a "-" that begins a word, or stands inside a bold span, becomes
// the minus sign \- so that options can be copied from the page. The result ends with a
// line feed. Fails with OutOfMemory.
[[nodiscard]] Result<std::string> roff_prose(std::string_view prose);

// Escapes one piece of text to be placed inside a line, as roff_prose does but without
// markup and line breaks. With `code`, every "-" becomes \-. Fails with OutOfMemory.
[[nodiscard]] Result<std::string> roff_escape(std::string_view text, bool code = false);

}  // namespace gorv::docs
