// gorv_docs: writes the manual page or a shell completion of gorv, made from the
// program's command tree.
//
//     gorv_docs man OUTPUT
//     gorv_docs bash|zsh|fish OUTPUT SHELL_CODE
//
// SHELL_CODE is the completion's hand-written part (tools/docs/shell/gorv.bash and so
// on). Exit status 0 when OUTPUT was written; 1 after lines on standard error that say
// what is wrong.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <memory_resource>
#include <optional>
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

void say(const std::string& problem) {
    std::fprintf(stderr, "gorv_docs: %s\n", problem.c_str());
}

int fail(const std::string& problem) {
    say(problem);
    return 1;
}

// What an error of the generator's library means here, where only memory can run out.
std::string in_words(Error error) {
    if (error == Error::OutOfMemory) return "out of memory";
    return "unexpected failure (" + std::string(gorv::error_name(error)) + ")";
}

std::string system_problem(std::string_view doing, std::string_view path, int number) {
    return std::string(doing) + " " + std::string(path) + ": " + std::strerror(number);
}

// The whole file, or the problem in words.
std::optional<std::string> read_file(const std::string& path, std::string& problem) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        problem = system_problem("cannot read", path, errno);
        return std::nullopt;
    }
    std::string text;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    const int number = errno;
    std::fclose(file);
    if (failed) {
        problem = system_problem("cannot read", path, number);
        return std::nullopt;
    }
    return text;
}

// Writes the text to the path through a neighbouring temporary file, so that a failed
// run never leaves a half-written output behind. Returns the problem in words, or
// nothing when the file was written.
std::optional<std::string> write_file(const std::string& path, std::string_view text) {
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return system_problem("cannot write", temporary, errno);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int number = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && !closed) number = errno;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return system_problem("cannot write", temporary, number);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        number = errno;
        std::remove(temporary.c_str());
        return system_problem("cannot rename " + temporary + " to", path, number);
    }
    return std::nullopt;
}

Result<std::string> make(std::string_view kind, const gorv::docs::CommandFacts& root,
                         std::string_view shell_code) {
    if (kind == "man") return gorv::docs::man_page(root, gorv::program_version);
    if (kind == "bash") return gorv::docs::bash_completion(root, shell_code);
    if (kind == "zsh") return gorv::docs::zsh_completion(root, shell_code);
    return gorv::docs::fish_completion(root, shell_code);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view kind = argc >= 2 ? argv[1] : "";
    const bool completion = kind == "bash" || kind == "zsh" || kind == "fish";
    if (!(kind == "man" && argc == 3) && !(completion && argc == 4)) {
        std::fputs(
            "usage: gorv_docs man OUTPUT\n       gorv_docs bash|zsh|fish OUTPUT SHELL_CODE\n",
            stderr);
        return 1;
    }
    std::string shell_code;
    if (completion) {
        std::string problem;
        std::optional<std::string> read = read_file(argv[3], problem);
        if (!read) return fail(problem);
        shell_code = std::move(*read);
    }

    Result<std::unique_ptr<gorv::Command>> tree =
        gorv::make_gorv_command(std::pmr::new_delete_resource());
    if (!tree) return fail("the command tree: " + in_words(tree.error()));
    Result<gorv::docs::CommandFacts> facts = gorv::docs::gather_facts(**tree);
    if (!facts) {
        const Result<std::string> problem = gorv::docs::facts_problem(**tree);
        return fail("the command tree: " +
                    (problem && !problem->empty() ? *problem : in_words(facts.error())));
    }

    // The completions describe values with the manual page's words too.
    Result<std::vector<std::string>> problems = gorv::docs::prose_problems(*facts);
    if (!problems) return fail("prose.h: " + in_words(problems.error()));
    for (const std::string& problem : *problems)
        say("prose.h: " + problem);
    if (!problems->empty()) return 1;

    Result<std::string> text = make(kind, *facts, shell_code);
    if (!text) return fail(std::string(kind) + ": " + in_words(text.error()));
    if (std::optional<std::string> problem = write_file(argv[2], *text)) return fail(*problem);
    return 0;
}
