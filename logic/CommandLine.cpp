#include "CommandLine.h"

#include <algorithm>

namespace vantrel {

FieldProblem CheckBuildFields(const BuildFields& fields) {
    if (fields.input.empty() || fields.output.empty()) {
        return FieldProblem::EmptyPath;
    }
    const auto anyFieldHolds = [&fields](char character) {
        const std::array texts{fields.input, fields.output, fields.level};
        return std::any_of(texts.begin(), texts.end(), [character](std::string_view text) {
            return text.find(character) != std::string_view::npos;
        });
    };
    if (anyFieldHolds('"')) {
        return FieldProblem::DoubleQuote;
    }
    if (anyFieldHolds('\0')) {
        return FieldProblem::NulCharacter;
    }
    return FieldProblem::None;
}

std::string ComposeSwitches(const BuildOptions& options) {
    std::string switches;
    for (const SwitchRow& row : kSwitchTable) {
        switches += IsOn(options, row.member) ? row.whenOn : row.whenOff;
    }
    return switches;
}

std::string ComposeCommandLine(const BuildOptions& options, const BuildFields& fields) {
    std::string line{kNodeBuilderName};
    line += ' ';
    line += ComposeSwitches(options);
    line += '"';
    line += fields.input;
    line += "\" ";
    line += fields.level;
    line += " -o \"";
    line += fields.output;
    line += '"';
    return line;
}

} // namespace vantrel
