// Version texts of setup descriptors and version resources ("11.0.0.1",
// "11, 0, 0, 1") read as four numbers, and the rule by which a file's
// version matches the one a descriptor expects.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using VersionNumber = std::array<uint32_t, 4>;

// The separator is the first of ".", ",", "-", ";" found in the text; the
// pieces between separators are trimmed, empty ones dropped, and the first
// four read like atoi (leading digits, 0 for none). A text without any of
// the separators is 0.0.0.0; missing components are 0.
VersionNumber ParseVersionText(const std::string& text);

// The value that marks a locally built file in its third or fourth component.
constexpr uint32_t kLocalBuildMark = 9999;

// True when the file's third or fourth component is the local-build mark,
// whatever is expected; otherwise only all four components equal match. A
// newer file does not match an older expectation.
bool VersionMatches(const VersionNumber& expected, const VersionNumber& file);
