#include "cli/value_parsers.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace gorv {
namespace {

Option& option_named(Command& root, std::string_view name) {
    for (Option& option : *root.options) {
        if (option.name == name) return option;
    }
    ADD_FAILURE() << "no option " << name;
    return root.options->front();
}

std::vector<Entry> stored(const Value& value) {
    return {value.entries.begin(), value.entries.begin() + value.count};
}

struct SetValueRow {
    std::string_view option;
    std::vector<std::string> texts;  // all but the last must succeed
    Status last_result;
    std::vector<Entry> entries;
};

// Names the row after its option and texts, for the test's name.
void PrintTo(const SetValueRow& row, std::ostream* out) {
    *out << row.option;
    for (const std::string& text : row.texts) {
        *out << " '";
        for (const char c : text) {
            if (c == ' ' || c == '\t' || c == '\0') {
                *out << (c == ' ' ? "\\s" : c == '\t' ? "\\t" : "\\0");
            } else {
                *out << c;
            }
        }
        *out << "'";
    }
}

const Status ok{};
const Status cannot_parse{std::unexpect, Error::CannotParseArgToValue};
const Status invalid{std::unexpect, Error::InvalidCharacter};
const Status overflow{std::unexpect, Error::Overflow};

std::vector<Entry> seconds(std::uint32_t value) {
    return {Entry{value}};
}

class SetValueTable : public ::testing::TestWithParam<SetValueRow> {};

TEST_P(SetValueTable, StoresTheEntries) {
    const SetValueRow& row = GetParam();
    auto root = make_gorv_command(std::pmr::new_delete_resource());
    ASSERT_TRUE(root);
    Value& value = option_named(**root, row.option).value;
    for (std::size_t at = 0; at + 1 < row.texts.size(); ++at) {
        ASSERT_TRUE(set_value(value, row.texts[at])) << row.texts[at];
    }
    EXPECT_EQ(set_value(value, row.texts.back()), row.last_result);
    EXPECT_EQ(stored(value), row.entries);
    if (!row.entries.empty()) {
        EXPECT_TRUE(value.is_set);
        EXPECT_FALSE(value.is_empty);
    }
}

const Entry bold{Accent::bold}, bright{Accent::bright}, dim{Accent::dim}, pulse{Accent::pulse};

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SetValueTable,
    ::testing::Values(
        SetValueRow{"accents", {"bold,dim"}, ok, {bold, dim}},
        SetValueRow{"accents", {"dim;bold,pulse"}, ok, {dim, bold, pulse}},
        SetValueRow{"accents", {"bold;dim,pulse"}, ok, {bold, dim, pulse}},
        SetValueRow{"accents", {"bold, dim"}, ok, {bold, dim}},
        SetValueRow{"accents", {"bold,,dim"}, cannot_parse, {bold}},
        SetValueRow{"accents", {"bold,"}, cannot_parse, {bold}},
        SetValueRow{"accents", {"bold,dim,pulse,bright,dim"}, ok, {bold, dim, pulse, bright}},
        // The fifth piece is converted before it is dropped, so a bad one still fails.
        SetValueRow{
            "accents", {"bold,dim,pulse,bright,nope"}, cannot_parse, {bold, dim, pulse, bright}},
        SetValueRow{"accents", {"bold,dim", "pulse"}, ok, {bold, dim, pulse}},
        SetValueRow{"accents", {"bold,bold"}, ok, {bold, bold}},
        SetValueRow{"color", {"red,blue"}, cannot_parse, {}},
        SetValueRow{"color", {"red", "blue"}, ok, {Entry{Color::blue}}},
        SetValueRow{"color", {"  red \t"}, ok, {Entry{Color::red}}},
        SetValueRow{"color", {"\tred"}, ok, {Entry{Color::red}}},
        SetValueRow{"color", {std::string("red\0", 4)}, ok, {Entry{Color::red}}},
        SetValueRow{"color", {"Red"}, cannot_parse, {}},
        SetValueRow{"color", {"red", "Red"}, cannot_parse, {Entry{Color::red}}},
        SetValueRow{"time", {"0x1F"}, ok, seconds(31)},
        SetValueRow{"time", {"0b101"}, ok, seconds(5)},
        SetValueRow{"time", {"0o17"}, ok, seconds(15)},
        SetValueRow{"time", {"1_000"}, ok, seconds(1000)},
        SetValueRow{"time", {"+7"}, ok, seconds(7)}, SetValueRow{"time", {"-0"}, ok, seconds(0)},
        SetValueRow{"time", {"4294967295"}, ok, seconds(4294967295u)},
        SetValueRow{"time", {"-1"}, overflow, {}},
        SetValueRow{"time", {"4294967296"}, overflow, {}}, SetValueRow{"time", {""}, invalid, {}},
        SetValueRow{"time", {"_1"}, invalid, {}}, SetValueRow{"time", {"1_"}, invalid, {}},
        SetValueRow{"time", {"0x"}, invalid, {}}, SetValueRow{"time", {" 5"}, invalid, {}},
        SetValueRow{"time", {"5s"}, invalid, {}},
        // Time is not multi, so separators are part of the number text.
        SetValueRow{"time", {"1,2"}, invalid, {}}));

TEST(SetEmpty, SucceedsUntilAnArgumentIsStored) {
    Value value;
    value.set_behavior = SetBehavior::multi;
    value.max_entries = 4;
    value.type = ValueKind::u32;
    ASSERT_TRUE(set_empty(value));
    ASSERT_TRUE(set_empty(value));
    EXPECT_TRUE(value.is_set);
    EXPECT_TRUE(value.is_empty);
    EXPECT_EQ(value.count, 0);
    ASSERT_TRUE(set_value(value, "3"));
    EXPECT_EQ(set_empty(value), (Status{std::unexpect, Error::NotEmpty}));
    EXPECT_EQ(value.count, 1);
}

TEST(SetValue, NeverStoresMoreThanTheEntryCapacity) {
    Value value;
    value.type = ValueKind::u32;
    value.set_behavior = SetBehavior::multi;
    value.max_entries = 200;  // beyond the capacity: only the capacity is used
    for (int round = 0; round < 20; ++round)
        ASSERT_TRUE(set_value(value, "1,2"));
    EXPECT_EQ(value.count, entry_capacity);
}

TEST(SetValue, RefusesAParseFunctionThatGivesAnotherKind) {
    Value value;
    value.type = ValueKind::mode;
    value.parse_function = [](std::string_view) -> Result<Entry> { return Entry{Color::red}; };
    EXPECT_EQ(set_value(value, "red"), cannot_parse);
    EXPECT_FALSE(value.is_set);
}

template <class Enum>
struct NameRow {
    std::string_view text;
    Result<Enum> expected;
};

constexpr auto no_tag = std::unexpected(Error::EnumTagDoesNotExist);

TEST(EnumerationParsers, AcceptExactlyTheirNames) {
    const NameRow<Color> colors[] = {{"default", Color::default_},
                                     {"red", Color::red},
                                     {"green", Color::green},
                                     {"yellow", Color::yellow},
                                     {"blue", Color::blue},
                                     {"magenta", Color::magenta},
                                     {"Red", no_tag},
                                     {"1", no_tag},
                                     {"", no_tag},
                                     {" \t ", no_tag},
                                     {"re d", no_tag}};
    for (const auto& row : colors)
        EXPECT_EQ(parse_color(row.text), row.expected) << row.text;
    const NameRow<Style> styles[] = {{"default", Style::default_},
                                     {"columns", Style::columns},
                                     {"crypto", Style::crypto},
                                     {"grid", Style::grid},
                                     {"blocks", Style::blocks},
                                     {"rain", Style::rain},
                                     {"Rain", no_tag},
                                     {"0", no_tag}};
    for (const auto& row : styles)
        EXPECT_EQ(parse_style(row.text), row.expected) << row.text;
    const NameRow<Mode> modes[] = {{"binary", Mode::binary},
                                   {"decimal", Mode::decimal},
                                   {"hexadecimal", Mode::hexadecimal},
                                   {"textual", Mode::textual},
                                   {"hex", no_tag}};
    for (const auto& row : modes)
        EXPECT_EQ(parse_mode(row.text), row.expected) << row.text;
    const NameRow<Accent> accents[] = {{"bold", Accent::bold},
                                       {"bright", Accent::bright},
                                       {"dim", Accent::dim},
                                       {"pulse", Accent::pulse},
                                       {"BOLD", no_tag}};
    for (const auto& row : accents)
        EXPECT_EQ(parse_accent(row.text), row.expected) << row.text;
    const NameRow<Speed> speeds[] = {{"slow", Speed::slow},
                                     {"normal", Speed::normal},
                                     {"fast", Speed::fast},
                                     {"norm", no_tag},
                                     {std::string_view(" \0fast\t\0", 8), Speed::fast}};
    for (const auto& row : speeds)
        EXPECT_EQ(parse_speed(row.text), row.expected) << row.text;
}

TEST(ParseUnsigned, SignsBasesAndUnderscores) {
    const NameRow<std::uint32_t> rows[] = {
        {"0", 0u},
        {"0X1f", 31u},
        {"0B11", 3u},
        {"0O10", 8u},
        {"0xFFFFFFFF", 4294967295u},
        {"0x100000000", std::unexpected(Error::Overflow)},
        {"99999999999", std::unexpected(Error::Overflow)},
        {"1__0", 10u},
        {"0x_1", std::unexpected(Error::InvalidCharacter)},
        {"0b102", std::unexpected(Error::InvalidCharacter)},
        {"ff", std::unexpected(Error::InvalidCharacter)},
        {"-", std::unexpected(Error::InvalidCharacter)},
        {"+", std::unexpected(Error::InvalidCharacter)},
        {"-00", 0u},
        {"-0x0", 0u},
        {"-0_0", 0u},
        {"-5x", std::unexpected(Error::Overflow)},  // the non-zero digit comes first
        {"-x5", std::unexpected(Error::InvalidCharacter)},
        {"--1", std::unexpected(Error::InvalidCharacter)},
        {"08", 8u},
    };
    for (const auto& row : rows)
        EXPECT_EQ(parse_unsigned(row.text), row.expected) << row.text;
}

}  // namespace
}  // namespace gorv
