// Compose then split: whatever the fields hold (double quotes aside, which the build refuses) and whatever
// state the options are in, the launcher's splitter hands NodeBuilder exactly the switches, the input path,
// the level's words, "-o" and the output path.
//
// Input: a line of option characters, then the input path, the level and the output path, one per line
// (the output path takes the rest, newlines included). Option characters come in switch-table order
// (nodes 0-2, blockmap 0-2, Check1 0-2, Check2 0-3, Check3, Check4): a button is selected unless its
// character is '0', a check box holds the character's distance from '0'; missing characters count as '0'.
#include "CommandLine.h"
#include "ExecuteCmd.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using namespace vantrel;

BuildOptions OptionsFrom(std::string_view characters) {
    std::size_t next = 0;
    const auto take = [&]() { return next < characters.size() ? characters[next++] - '0' : 0; };
    // Written member by member, not through Assign: the composer must cope with groups of any shape.
    BuildOptions options;
    for (bool& button : options.nodes) {
        button = take() != 0;
    }
    for (bool& button : options.blockmap) {
        button = take() != 0;
    }
    for (int& box : options.Check1) {
        box = take();
    }
    for (int& box : options.Check2) {
        box = take();
    }
    options.Check3 = take();
    options.Check4 = take();
    return options;
}

// The field as the window holds it and hands it on: typed text is UTF-16 in the widget, UTF-8 here.
QString AsTyped(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string WithoutDoubleQuotes(std::string_view text) {
    std::string result{text};
    std::erase(result, '"');
    return result;
}

QStringList Words(const QString& text) {
    return text.split(u' ', Qt::SkipEmptyParts);
}

std::string Shown(const QStringList& arguments) {
    return arguments.join(QStringLiteral("] [")).toStdString();
}

void CheckComposeThenSplit(const BuildOptions& options, const QString& input, const QString& level,
                           const QString& output) {
    const std::string inputText = input.toStdString();
    const std::string levelText = level.toStdString();
    const std::string outputText = output.toStdString();
    const std::string line = ComposeCommandLine(options, {inputText, outputText, levelText});

    QStringList expected{QString::fromUtf8(kNodeBuilderName.data(), kNodeBuilderName.size())};
    for (const SwitchRow& row : kSwitchTable) {
        const std::string_view text = IsOn(options, row.member) ? row.whenOn : row.whenOff;
        expected += Words(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    expected << input << Words(level) << QStringLiteral("-o") << output;

    const QStringList got = SplitCommandLine(QString::fromStdString(line));
    if (got != expected) {
        fuzz::Fail("splitting the composed line gives back its parts (line: " + line + ")", Shown(got),
                   Shown(expected));
    }
}

// What passes the build's check must survive the trip to NodeBuilder: the system takes each argument, and on
// Windows the whole line, as a C string, which ends at the first NUL.
void CheckReachesNodeBuilderWhole(std::string_view input, std::string_view level, std::string_view output) {
    if (CheckBuildFields({input, output, level}) != FieldProblem::None) {
        return;
    }
    const std::string line = ComposeCommandLine(InitialOptions(), {input, output, level});
    if (line.find('\0') != std::string::npos) {
        fuzz::Fail("a line the build accepts holds no NUL, which would cut it short", line, "");
    }
}

void CheckFieldProblem(std::string_view input, std::string_view level, std::string_view output) {
    const auto anyHolds = [&](char character) {
        return input.find(character) != std::string_view::npos || level.find(character) != std::string_view::npos ||
               output.find(character) != std::string_view::npos;
    };
    FieldProblem expected = FieldProblem::None;
    if (input.empty() || output.empty()) {
        expected = FieldProblem::EmptyPath;
    } else if (anyHolds('"')) {
        expected = FieldProblem::DoubleQuote;
    } else if (anyHolds('\0')) {
        expected = FieldProblem::NulCharacter;
    }
    if (CheckBuildFields({input, output, level}) != expected) {
        fuzz::Fail("the build refuses exactly the empty paths, double quotes and NULs", "another verdict", "");
    }
}

// The splitter on its own, on any text: quotes never survive, and without quotes it splits at blanks only.
void CheckSplitAlone(std::string_view bytes) {
    const QString text = AsTyped(bytes);
    const QStringList got = SplitCommandLine(text);
    if (std::any_of(got.begin(), got.end(), [](const QString& argument) { return argument.contains(u'"'); })) {
        fuzz::Fail("no argument keeps a double quote", Shown(got), "");
    }
    if (!text.contains(u'"') && got != Words(text)) {
        fuzz::Fail("a text without double quotes splits at blanks", Shown(got), Shown(Words(text)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckSplitAlone(bytes);

    std::string_view rest = bytes;
    const BuildOptions options = OptionsFrom(fuzz::TakeLine(rest));
    const std::string_view input = fuzz::TakeLine(rest);
    const std::string_view level = fuzz::TakeLine(rest);
    const std::string_view output = rest;
    CheckFieldProblem(input, level, output);
    CheckReachesNodeBuilderWhole(input, level, output);
    CheckComposeThenSplit(options, AsTyped(WithoutDoubleQuotes(input)), AsTyped(WithoutDoubleQuotes(level)),
                          AsTyped(WithoutDoubleQuotes(output)));
    return 0;
}
