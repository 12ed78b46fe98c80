// The publishers whose signed files never raise a Windows trust prompt: the
// maker's own signing names, then Microsoft.
#pragma once

#include <array>
#include <string>

constexpr std::array<const char*, 8> kAcceptedPublishers = {
    "Nordak Labs",
    "Nordak Labs Inc.",
    "Nordak Labs GmbH",
    "Nordak Labs Ltd.",
    "Nordak Software",
    "Nordak Labs Trialdesk",
    "Trialdesk Clinical",
    "Microsoft Corporation",
};

// Whole-string, case-sensitive comparison against every entry. The name is
// compared with its full length, so a name with an embedded zero never
// passes for the entry in front of that zero.
bool IsAcceptedPublisher(const std::string& simpleDisplayName);
