// The output-name rule on any input: it never crashes, valid UTF-8 in gives valid UTF-8 out, "Input File =
// Output File" checked copies the input, and otherwise exactly the last four characters give way to the
// suffix (all of the input when it is shorter).
//
// Input: one character for Check4 (its distance from '0'), then the input path.
#include "BuildOptions.h"
#include "FileNames.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using namespace vantrel;

std::string ExpectedOutput(const std::vector<std::string_view>& characters) {
    const std::size_t kept = characters.size() - std::min<std::size_t>(characters.size(), 4);
    std::string expected;
    for (std::size_t i = 0; i < kept; ++i) {
        expected += characters[i];
    }
    return expected + std::string{kOutputSuffix};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int check4 = static_cast<char>(data[0]) - '0';
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string output = OutputNameFor(input, check4);

    if (check4 == kChecked) {
        if (output != input) {
            fuzz::Fail("a checked box copies the input", output, input);
        }
        return 0;
    }
    const auto characters = fuzz::Utf8Characters(input);
    if (!characters) {
        return 0; // text the window can never hold: only crash-freedom is asked of it
    }
    if (!fuzz::IsValidUtf8(output)) {
        fuzz::Fail("valid UTF-8 in gives valid UTF-8 out", output, input);
    }
    if (const std::string expected = ExpectedOutput(*characters); output != expected) {
        fuzz::Fail("the last four characters give way to the suffix", output, expected);
    }
    return 0;
}
