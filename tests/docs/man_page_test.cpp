// The manual page: its escaping, its check of the words against the tree, and its
// sections.

#include "man_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory_resource>
#include <string>
#include <string_view>

#include "program_facts.h"

namespace gorv::docs {
namespace {

struct EscapeCase {
    std::string_view text;
    bool code;
    std::string_view roff;
};

TEST(ManPage, EscapesTextForTheFormatter) {
    const EscapeCase cases[] = {
        {"--style and -s", false, "\\-\\-style and \\-s"},
        {"(-t5x) x-y", false, "(\\-t5x) x-y"},
        {"half-width UTF-8", false, "half-width UTF-8"},
        {"lock-after-time", true, "lock\\-after\\-time"},
        {"a\\b", false, "a\\eb"},
        {"\xEF\xBD\xB1 and \xC3\xA9", false, "\\[uFF71] and \\[u00E9]"},
        {"\xF0\x9F\x98\x80", false, "\\[u1F600]"},
        {"bad \xFF byte", false, "bad \\[uFFFD] byte"},
        {"cut \xE2\x94", false, "cut \\[uFFFD]\\[uFFFD]"},
    };
    for (const EscapeCase& each : cases) {
        SCOPED_TRACE(each.text);
        EXPECT_EQ(roff_escape(each.text, each.code), std::string(each.roff));
    }
}

struct ProseCase {
    std::string_view prose;
    std::string_view roff;
};

TEST(ManPage, TurnsProseIntoLinesAndParagraphs) {
    const ProseCase cases[] = {
        {"One. Two.", "One.\nTwo.\n"},
        {"About 0.2 s. Then 128 + N.", "About 0.2 s.\nThen 128 + N.\n"},
        {"a.b and e.g. lower", "a.b and e.g. lower\n"},
        {"Run `gorv -s rain`. `gorv` ends.", "Run \\fBgorv \\-s rain\\fR.\n\\fBgorv\\fR ends.\n"},
        {"One.\n\nTwo.", "One.\n.PP\nTwo.\n"},
        {".dot and 'quote. .Again", "\\&.dot and 'quote. .Again\n"},
        {"'quote", "\\&'quote\n"},
        {"`open", "\\fBopen\\fR\n"},
    };
    for (const ProseCase& each : cases) {
        SCOPED_TRACE(each.prose);
        EXPECT_EQ(roff_prose(each.prose), std::string(each.roff));
    }
}

bool mentions(const std::vector<std::string>& problems, std::string_view problem) {
    return std::ranges::find(problems, problem) != problems.end();
}

TEST(ManPage, TheWordsFitTheProgramsTree) {
    const ProgramFacts program = program_facts();
    EXPECT_EQ(prose_problems(program.root), std::vector<std::string>{});
}

TEST(ManPage, NamesWhatTheWordsLackOrHaveTooMuchOf) {
    ProgramFacts program = program_facts();
    CommandFacts& root = program.root;
    for (OptionFacts& option : root.options) {
        if (option.long_name == "style") option.choices.emplace_back("matrix");
        if (option.long_name == "time") option.long_name = "duration";
        if (option.long_name == "mode") option.choices.clear();
    }
    root.examples.clear();
    root.subcommands.erase(root.subcommands.begin());  // version

    const Result<std::vector<std::string>> problems = prose_problems(root);
    ASSERT_TRUE(problems.has_value());
    EXPECT_TRUE(mentions(*problems, "no words for the value 'matrix' of --style"));
    EXPECT_TRUE(mentions(*problems, "words for --time, which is no option"));
    EXPECT_TRUE(mentions(*problems, "a section for --mode, which is no option with values"));
    EXPECT_TRUE(
        mentions(*problems, "words for the value 'binary' of --mode, which has no such value"));
    EXPECT_TRUE(mentions(*problems, "words for the command 'version', which does not exist"));
    EXPECT_TRUE(mentions(*problems,
                         "words for the example 'gorv -a -m decimal -s crypto', which the "
                         "command tree does not have"));
    EXPECT_EQ(man_page(root, "1.2.3").error(), Error::ValueNotSet);
}

TEST(ManPage, SectionsInTheirOrderAndTheVersionInTheHeader) {
    const ProgramFacts program = program_facts();
    const Result<std::string> page = man_page(program.root, "1.2.3");
    ASSERT_TRUE(page.has_value());
    EXPECT_NE(page->find("\n.TH GORV 1 "), std::string::npos);
    EXPECT_NE(page->find(" \"gorv 1.2.3\" \"User Commands\"\n"), std::string::npos);
    EXPECT_NE(page->find(".SH NAME\ngorv \\- 2D matrix screensaver\n"), std::string::npos);
    std::size_t previous = 0;
    for (std::string_view section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "COMMANDS",
                                     "EXIT STATUS", "ENVIRONMENT", "EXAMPLES", "SEE ALSO"}) {
        const std::size_t at = page->find(".SH " + std::string(section) + "\n");
        ASSERT_NE(at, std::string::npos) << section;
        EXPECT_GT(at, previous) << section;
        previous = at;
    }
}

}  // namespace
}  // namespace gorv::docs
