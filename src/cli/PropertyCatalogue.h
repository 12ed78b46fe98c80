// Every property the command-line host takes: the control's persisted
// PARAM names from the session's table, then the properties a page can set
// only by script (the authentication properties). One entry says what a
// value must look like, what the property means and its default.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/PersistedProperties.h"

// The control's size in pixels, as a container gives it: at 96 dots per
// inch from the HIMETRIC extent, and 400 x 200 when none is given.
struct ControlSize {
  int32_t width = 400;
  int32_t height = 200;
};

int32_t HimetricToPixels(uint32_t himetric);
uint32_t PixelsToHimetric(int32_t pixels);

enum class ValueKind {
  Flag,        // true, false or a number (non-zero is true)
  Text,        // anything
  Colour,      // "#" and hexadecimal digits, or a decimal number
  PrereqPage,  // an http: or https: URL, or NO_URL
  Extent,      // the control's width or height in HIMETRIC, above 0
  Port,        // 0 to 65535
  ReadOnly,    // worked out by the loader; no value is taken
};

struct PropertyEntry {
  std::string name;
  ValueKind kind = ValueKind::Text;
  std::string meaning;
  std::string defaultValue;
  const PersistedProperty* persisted = nullptr;  // null for a script-only property
};

const std::vector<PropertyEntry>& PropertyCatalogue();
// By name without regard to case, as a property bag looks names up; null
// when there is no such property.
const PropertyEntry* FindProperty(const std::string& name);

// Empty when value suits the property; otherwise why it does not.
std::string CheckPropertyValue(const PropertyEntry& property, const std::string& value);

// The property list of "deploy --help".
std::string PropertyHelpText();
