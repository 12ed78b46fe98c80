#include "cli/PropertyCatalogue.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>

#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"
#include "session/SessionState.h"

namespace {

constexpr int32_t kLargestWindow = 32767;
constexpr uint64_t kHimetricPerInch = 2540;
constexpr uint64_t kPixelsPerInch = 96;

bool AllDigits(const std::string& text, size_t from, bool (*isDigit)(int)) {
  if (from >= text.size()) return false;
  for (size_t at = from; at < text.size(); ++at) {
    if (!isDigit(static_cast<unsigned char>(text[at]))) return false;
  }
  return true;
}

bool IsDecimal(int c) { return std::isdigit(c) != 0; }
bool IsHex(int c) { return std::isxdigit(c) != 0; }

// Decimal digits only, at most limit; false for anything else.
bool ReadUnsigned(const std::string& text, uint64_t limit, uint64_t& value) {
  if (!AllDigits(text, 0, IsDecimal)) return false;
  value = 0;
  for (char c : text) {
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) return false;
  }
  return true;
}

ValueKind KindOf(const PersistedProperty& property) {
  const std::string name = property.name;
  if (property.dispid == 0) return ValueKind::Extent;
  // The one persisted name without a setter.
  if (name == "DeploymentLocation") return ValueKind::ReadOnly;
  if (name == "ProgColor" || name == "ProgBkColor") return ValueKind::Colour;
  if (name == "CustomPreReqPageUrl") return ValueKind::PrereqPage;
  return property.variantType == kVtBool ? ValueKind::Flag : ValueKind::Text;
}

std::vector<PropertyEntry> BuildCatalogue() {
  std::vector<PropertyEntry> entries;
  const ControlSize size;
  for (const PersistedProperty& property : PersistedProperties()) {
    PropertyEntry entry{property.name, KindOf(property), property.meaning, property.defaultValue,
                        &property};
    // The container keeps the extent; this host is the container.
    if (entry.kind == ValueKind::Extent) {
      const int32_t pixels = entry.name == "_cx" ? size.width : size.height;
      entry.defaultValue = Format("%u (%d pixels)", PixelsToHimetric(pixels), pixels);
    }
    entries.push_back(entry);
  }
  // The defaults of the script-only properties are those of a new session.
  const SessionState fresh;
  entries.push_back({"AuthUser", ValueKind::Text, "user name for the server's authentication",
                     fresh.network.authUser, nullptr});
  entries.push_back({"AuthPassword", ValueKind::Text,
                     "password for the server's authentication (never logged)",
                     fresh.network.authPassword, nullptr});
  entries.push_back({"AuthProxyUser", ValueKind::Text, "user name for the proxy",
                     fresh.network.authProxyUser, nullptr});
  entries.push_back({"AuthProxyPassword", ValueKind::Text, "password for the proxy (never logged)",
                     fresh.network.authProxyPassword, nullptr});
  entries.push_back({"AuthProxyURL", ValueKind::Text, "URL of the proxy", fresh.network.authProxyUrl,
                     nullptr});
  entries.push_back({"AuthProxyPort", ValueKind::Port, "port of the proxy",
                     std::to_string(fresh.network.authProxyPort), nullptr});
  entries.push_back({"AuthReserved", ValueKind::Text,
                     "where the network configuration comes from, or the page's client type",
                     fresh.network.authReserved, nullptr});
  return entries;
}

const char* KindText(ValueKind kind) {
  switch (kind) {
    case ValueKind::Flag: return "true|false";
    case ValueKind::Text: return "text";
    case ValueKind::Colour: return "colour";
    case ValueKind::PrereqPage: return "URL|NO_URL";
    case ValueKind::Extent: return "HIMETRIC";
    case ValueKind::Port: return "0-65535";
    case ValueKind::ReadOnly: return "read only";
  }
  return "text";
}

}  // namespace

int32_t HimetricToPixels(uint32_t himetric) {
  const uint64_t pixels =
      (static_cast<uint64_t>(himetric) * kPixelsPerInch + kHimetricPerInch / 2) / kHimetricPerInch;
  return static_cast<int32_t>(std::clamp<uint64_t>(pixels, 1, kLargestWindow));
}

uint32_t PixelsToHimetric(int32_t pixels) {
  return static_cast<uint32_t>(
      (static_cast<uint64_t>(std::max(pixels, 0)) * kHimetricPerInch + kPixelsPerInch / 2) /
      kPixelsPerInch);
}

const std::vector<PropertyEntry>& PropertyCatalogue() {
  static const std::vector<PropertyEntry> catalogue = BuildCatalogue();
  return catalogue;
}

const PropertyEntry* FindProperty(const std::string& name) {
  for (const PropertyEntry& entry : PropertyCatalogue()) {
    if (platform::CodePageEqualsNoCase(name, entry.name)) return &entry;
  }
  return nullptr;
}

std::string CheckPropertyValue(const PropertyEntry& property, const std::string& value) {
  const std::string& name = property.name;
  uint64_t number = 0;
  switch (property.kind) {
    case ValueKind::Text: return std::string();
    case ValueKind::ReadOnly:
      return name + " is read only: the loader works it out and takes no value for it";
    case ValueKind::Flag: {
      VariantBool flag = 0;
      if (ParseVariantBool(value, flag)) return std::string();
      return name + " takes true, false or a number, not \"" + value + "\"";
    }
    case ValueKind::Colour: {
      const bool hex = !value.empty() && value[0] == '#' && value.size() <= 9 &&
                       AllDigits(value, 1, IsHex);
      const size_t digits = !value.empty() && (value[0] == '+' || value[0] == '-') ? 1 : 0;
      if (hex || AllDigits(value, digits, IsDecimal)) return std::string();
      return name + " takes \"#\" and up to 8 hexadecimal digits (0xBBGGRR) or a decimal number, "
                    "not \"" + value + "\"";
    }
    case ValueKind::PrereqPage: {
      if (platform::CodePageEqualsNoCase(value.substr(0, 5), "http:") ||
          platform::CodePageEqualsNoCase(value.substr(0, 6), "https:") ||
          platform::CodePageEqualsNoCase(value, "NO_URL"))
        return std::string();
      return name + " takes an http: or https: URL, or NO_URL, not \"" + value + "\"";
    }
    case ValueKind::Extent:
      if (ReadUnsigned(value, std::numeric_limits<uint32_t>::max(), number) && number > 0)
        return std::string();
      return name + " takes a size in HIMETRIC above 0, not \"" + value + "\"";
    case ValueKind::Port:
      if (ReadUnsigned(value, 65535, number)) return std::string();
      return name + " takes a port number from 0 to 65535, not \"" + value + "\"";
  }
  return std::string();
}

std::string PropertyHelpText() {
  std::string text =
      "Properties (NAME=VALUE; names in any case). A page gives the first ones as PARAMs:\n";
  bool scriptOnly = false;
  for (const PropertyEntry& entry : PropertyCatalogue()) {
    if (!entry.persisted && !scriptOnly) {
      text += "A page sets these by script only:\n";
      scriptOnly = true;
    }
    const std::string fallback = entry.kind == ValueKind::ReadOnly ? std::string()
                                 : entry.defaultValue.empty()      ? ", default empty"
                                                                   : ", default " + entry.defaultValue;
    text += "  " + entry.name + " (" + KindText(entry.kind) + fallback + ")\n";
    text += "      " + entry.meaning + "\n";
  }
  return text;
}
