// gorv_docs: writes the manual page or a shell completion of gorv, made from the
// program's command tree.
//
//     gorv_docs man|bash|zsh|fish OUTPUT
//
// Exit status 0 when OUTPUT was written; 1 after a line on standard error.

#include <cstdio>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>

#include "cli/command.h"
#include "command_facts.h"
#include "completions.h"
#include "core/version.h"
#include "man_page.h"

namespace {

using gorv::Error;
using gorv::Result;
using gorv::Status;

// Writes the text to the path through a neighbouring temporary file, so that a failed
// run never leaves a half-written output behind. Fails with WriteFailed.
Status write_file(const std::string& path, std::string_view text) {
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return std::unexpected(Error::WriteFailed);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return std::unexpected(Error::WriteFailed);
    }
    return {};
}

Result<std::string> make(std::string_view kind, const gorv::docs::CommandFacts& root) {
    if (kind == "man") return gorv::docs::man_page(root, gorv::program_version);
    if (kind == "bash") return gorv::docs::bash_completion(root);
    if (kind == "zsh") return gorv::docs::zsh_completion(root);
    return gorv::docs::fish_completion(root);
}

int fail(Error error) {
    std::fprintf(stderr, "error: %s\n", std::string(gorv::error_name(error)).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view kind = argc == 3 ? argv[1] : "";
    if (kind != "man" && kind != "bash" && kind != "zsh" && kind != "fish") {
        std::fputs("usage: gorv_docs man|bash|zsh|fish OUTPUT\n", stderr);
        return 1;
    }
    Result<std::unique_ptr<gorv::Command>> tree =
        gorv::make_gorv_command(std::pmr::new_delete_resource());
    if (!tree) return fail(tree.error());
    Result<gorv::docs::CommandFacts> facts = gorv::docs::gather_facts(**tree);
    if (!facts) return fail(facts.error());

    if (kind == "man") {
        Result<std::vector<std::string>> problems = gorv::docs::prose_problems(*facts);
        if (!problems) return fail(problems.error());
        for (const std::string& problem : *problems)
            std::fprintf(stderr, "gorv_docs: prose.h: %s\n", problem.c_str());
        if (!problems->empty()) return 1;
    }
    Result<std::string> text = make(kind, *facts);
    if (!text) return fail(text.error());
    if (Status written = write_file(argv[2], *text); !written) return fail(written.error());
    return 0;
}
