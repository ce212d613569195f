// The drop's ".wad" test on arbitrary names: it never crashes, it agrees with a character-by-character
// reading of the rule on every valid UTF-8 name, and a name it accepts derives its output name by
// replacing exactly the extension.
//
// Input: the dropped name.
#include "FileNames.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using namespace vantrel;

char LowerAscii(std::string_view character) {
    const char c = character.size() == 1 ? character.front() : '\0';
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The last four characters, each lower-cased on its own, read ".wad"; a non-ASCII one never lower-cases to
// ASCII, so it never matches.
bool EndsInWad(const std::vector<std::string_view>& characters) {
    constexpr std::string_view kExtension = ".wad";
    if (characters.size() < kExtension.size()) {
        return false;
    }
    const std::size_t first = characters.size() - kExtension.size();
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        if (LowerAscii(characters[first + i]) != kExtension[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const bool accepted = IsWadFileName(name);
    const auto characters = fuzz::Utf8Characters(name);
    if (!characters) {
        return 0; // only crash-freedom is asked of text that is not UTF-8
    }
    if (accepted != EndsInWad(*characters)) {
        fuzz::Fail("the drop accepts exactly the names ending in .wad, any case", accepted ? "accepted" : "refused",
                   accepted ? "refused" : "accepted");
    }
    if (accepted) {
        const std::string expected = std::string{name.substr(0, name.size() - 4)} + std::string{kOutputSuffix};
        if (const std::string output = OutputNameFor(name, 0); output != expected) {
            fuzz::Fail("an accepted name loses exactly its extension", output, expected);
        }
    }
    return 0;
}
