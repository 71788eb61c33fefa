#pragma once

// Every word of the manual page that the command tree does not hold. The options, their
// values, defaults and sub-commands come from the tree; this file says what they mean.
//
// Markup: text between backquotes is set in bold. Paragraphs are separated by an empty
// line. Everything else is plain text, written as it should read; the page generator
// escapes it for the formatter.

#include <array>
#include <string_view>

namespace gorv::docs::prose {

// The date of the latest change to the page's wording, shown in its footer.
inline constexpr std::string_view date = "2026-12-10";

inline constexpr std::string_view description =
    "`gorv` fills a character terminal with symbols that flicker in place or fall down the "
    "screen in drops, until a key is pressed or the chosen duration has passed. Pressing any "
    "key ends it and gives the terminal back as it was.\n"
    "\n"
    "All settings come from the command line; `gorv` reads no configuration file and writes "
    "no file. Unless the run is bare, timed or in debug mode, a short opening comes first: "
    "the name appears letter by letter in the middle of the screen inside a running frame.\n"
    "\n"
    "A terminal smaller than 4 columns by 2 rows is refused with a warning. When the "
    "terminal size cannot be read, for example without a terminal, `gorv` falls back to "
    "debug mode by itself.";

// One heading in DESCRIPTION per enumeration-valued option, with words for every value
// that the option's description lists. The generator refuses a value without words and
// words for a value the option does not have.
struct ChoiceSection {
    std::string_view option;  // long name
    std::string_view heading;
    std::string_view lead;
};

struct ChoiceWords {
    std::string_view option;  // long name
    std::string_view choice;
    std::string_view words;
};

inline constexpr std::array choice_sections{
    ChoiceSection{"style", "Styles",
                  "The style decides how the screen moves. The first five redraw every cell "
                  "with new symbols on every frame and differ only in the blank lines they "
                  "leave; rain keeps its drops from frame to frame."},
    ChoiceSection{"mode", "Modes", "The mode decides which symbols are drawn."},
    ChoiceSection{"color", "Colours",
                  "Every symbol is drawn in the one chosen colour; the terminal's palette "
                  "decides the exact shade."},
    ChoiceSection{"accents", "Accents",
                  "Accents vary the symbols' attributes at random, symbol by symbol. Without "
                  "accents every symbol looks alike."},
    ChoiceSection{"speed", "Speeds",
                  "The speed sets the delay between frames; at slow and normal, rain waits "
                  "longer between frames than the other styles."},
};

inline constexpr std::array choice_words{
    ChoiceWords{"style", "default", "Every cell of the screen holds a symbol."},
    ChoiceWords{"style", "columns", "Columns of three symbols separated by one blank column."},
    ChoiceWords{"style", "crypto", "Blocks four symbols wide and two high."},
    ChoiceWords{"style", "grid", "Single symbols with blank columns and rows between them."},
    ChoiceWords{"style", "blocks", "Blocks nine symbols wide and five high."},
    ChoiceWords{"style", "rain",
                "Drops of symbols fall down the columns; columns start and stop raining at "
                "random, and a drop is at most half the screen long."},
    ChoiceWords{"mode", "binary", "The digits 0 and 1."},
    ChoiceWords{"mode", "decimal", "The digits 0 to 9."},
    ChoiceWords{"mode", "hexadecimal", "The digits 0 to 9 and A to F."},
    ChoiceWords{"mode", "textual",
                "Punctuation, digits, the capitals T, M, V and N, and half-width katakana; "
                "the katakana need a terminal that shows UTF-8 and a font that has them."},
    ChoiceWords{"color", "default", "The terminal's own foreground colour."},
    ChoiceWords{"color", "red", "Red."},
    ChoiceWords{"color", "green", "Green."},
    ChoiceWords{"color", "blue", "Blue."},
    ChoiceWords{"color", "yellow", "Yellow."},
    ChoiceWords{"color", "magenta", "Magenta."},
    ChoiceWords{"accents", "bold", "About half of the symbols are bold."},
    ChoiceWords{"accents", "bright", "About half of the symbols are bright."},
    ChoiceWords{"accents", "dim",
                "About half of the symbols are dim; in rain, some whole columns are dim."},
    ChoiceWords{"accents", "pulse",
                "About one symbol in 256 is drawn in reverse video, a sparse flicker."},
    ChoiceWords{"speed", "slow", "A frame about every 0.8 s in rain, 0.24 s otherwise."},
    ChoiceWords{"speed", "normal", "A frame about every 0.12 s in rain, 0.08 s otherwise."},
    ChoiceWords{"speed", "fast", "A frame about every 0.04 s."},
};

// Further words under an option in OPTIONS, after what the tree says about it.
struct OptionWords {
    std::string_view option;  // long name
    std::string_view words;
};

inline constexpr std::array option_words{
    OptionWords{"accents",
                "Given without an argument, the accents are bright, bold and dim. An accent "
                "named twice counts twice."},
    OptionWords{"time",
                "0 means no limit. A timed run has no opening. The number may be written "
                "with a 0x, 0o or 0b prefix and with _ between digits."},
    OptionWords{"debug",
                "Leaves the terminal alone: draws a single frame of a 12 by 10 screen as "
                "log lines on standard error, one line per cell, and ends after about "
                "0.2 s."},
    OptionWords{"version", "The same as the version command."},
};

// Words that OPTIONS opens with.
inline constexpr std::string_view options_lead =
    "Long options may be shortened to any prefix: the first option in the order below that "
    "starts with it is taken, so --s is --style and --sp is --speed. Several short options "
    "may share one argument, as in -vh, and the last of them may take the next argument, "
    "as in -as rain. An option given twice takes the later argument, except --accents, "
    "which gathers them.";

// Further words under a sub-command in COMMANDS, after its description; keyed by the
// command's path below the program, such as "version".
struct CommandWords {
    std::string_view path;
    std::string_view words;
};

inline constexpr std::array command_words{
    CommandWords{"version", "Prints one line: gorv version, a space and the version number."},
    CommandWords{"usage", "The same as --usage."},
    CommandWords{"help", "The same as --help."},
};

// Words that COMMANDS opens with.
inline constexpr std::string_view commands_lead =
    "Everything after a command's word belongs to that command. A command that shows a "
    "display ends `gorv` without touching the terminal.";

// A term and what it means, for the lists of EXIT STATUS and ENVIRONMENT.
struct Item {
    std::string_view term;
    std::string_view words;
};

inline constexpr std::array exit_status{
    Item{"0",
         "The run ended by a key or its duration; a help, usage or version text was written; "
         "the terminal was too small; or a debug run ended. The message that the option "
         "accents has already been set does not change it."},
    Item{"1",
         "A mistake on the command line, such as an unknown option or a value that is not "
         "one of the choices, was answered with a log line and a usage display; or a line "
         "\"error: \" followed by the name of the error was written to standard error. A "
         "value that cannot be read when it is attached to a short option, as in -t5x, ends "
         "with that line; so does a standard output that cannot be written."},
    Item{"128 + N",
         "The run was ended by the termination signal N, such as SIGHUP, SIGINT, SIGQUIT "
         "or SIGTERM; when it arrives while the screen is drawn, the terminal is given back "
         "first."},
};

inline constexpr std::array environment{
    Item{"TERM",
         "The terminal type; its terminfo description tells `gorv` how to draw and read "
         "keys."},
    Item{"LC_ALL, LC_CTYPE, LANG",
         "The locale is taken from the environment at the start. Whatever it says, the "
         "symbols go to the terminal as UTF-8, so the terminal must show UTF-8 for the "
         "katakana of textual mode and the frame of the opening."},
};

// Words for the examples of the command tree, keyed by the example's text, and further
// examples. A further example's lines are shown as typed, one per line.
struct Example {
    std::string_view lines;
    std::string_view words;
};

inline constexpr std::array tree_example_words{
    Example{"gorv -a -m decimal -s crypto",
            "Decimal digits in blocks, with the accents bright, bold and dim."},
};

inline constexpr std::array further_examples{
    Example{"gorv -s rain -c green", "Green rain of binary digits, after the opening."},
    Example{"gorv -s rain -m textual --accents bold,dim --speed slow",
            "Slow rain of katakana and punctuation, some symbols bold and some dim."},
    Example{"gorv -t 60",
            "One minute of the default style; a timed run has no opening, so --bare would "
            "add nothing, and any key ends it earlier."},
    Example{"set -g lock-command 'gorv -s rain'\nset -g lock-after-time 300",
            "These two lines in ~/.tmux.conf make `gorv` the lock screen of tmux: after 300 "
            "seconds without input tmux locks the session and runs gorv -s rain in the "
            "terminal of each of its clients; a key press ends it and unlocks the client."},
    Example{"blankerprg gorv -s rain\nidle 300 blanker",
            "These two lines in ~/.screenrc make `gorv` the screensaver of GNU screen: after "
            "300 seconds without input screen blanks the window with gorv -s rain, and a key "
            "press brings the window back as it was; the key itself does not reach the "
            "window."},
    Example{"TMOUT=300\nTRAPALRM() { gorv -s rain }",
            "These two lines in ~/.zshrc make `gorv` the screensaver of zsh: after 300 seconds "
            "at an idle prompt zsh runs gorv -s rain, and a key press ends it and brings back "
            "the prompt with the line being typed; the key itself is not added to the line."},
};

// The pages under SEE ALSO: a name and its section.
struct Reference {
    std::string_view name;
    std::string_view section;
};

inline constexpr std::array see_also{
    Reference{"tmux", "1"},     Reference{"screen", "1"}, Reference{"zshmisc", "1"},
    Reference{"terminfo", "5"}, Reference{"locale", "7"},
};

}  // namespace gorv::docs::prose
