#include "CommandLine.h"

namespace vantrel {

FieldProblem CheckBuildFields(const BuildFields& fields) {
    if (fields.input.empty() || fields.output.empty()) {
        return FieldProblem::EmptyPath;
    }
    for (const std::string_view text : {fields.input, fields.output, fields.level}) {
        if (text.find('"') != std::string_view::npos) {
            return FieldProblem::DoubleQuote;
        }
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
