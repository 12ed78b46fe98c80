// The control's persisted properties: the PARAM names a page gives the
// control, in the order the control reads them from its property bag. Both
// hosts read this one table: the control for its property bag and stream,
// the command-line host for "--param NAME=VALUE" and its help text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"
#include "session/LoaderProperties.h"

// VARIANT types of the persisted values.
constexpr uint16_t kVtBstr = 8;
constexpr uint16_t kVtBool = 11;
constexpr uint16_t kVtUi4 = 19;

constexpr platform::HResult kDispEMemberNotFound = static_cast<platform::HResult>(0x80020003u);
constexpr platform::HResult kEInvalidArg = static_cast<platform::HResult>(0x80070057u);

struct PersistedProperty {
  const char* name;
  int32_t dispid;  // 0 for the control's extent, which the framework keeps
  uint16_t variantType;
  const char* meaning;
  const char* defaultValue;
};

const std::vector<PersistedProperty>& PersistedProperties();
// By name, without regard to case as a property bag looks names up; null
// when the control persists no such name.
const PersistedProperty* FindPersistedProperty(const std::string& name);

// "true"/"false" in any case, or an integer (non-zero is true): what a text
// PARAM becomes as a VT_BOOL. False when the text is neither.
bool ParseVariantBool(const std::string& text, VariantBool& value);

// Hands a persisted value to its property's setter, as loading the property
// bag does: the setter's result; E_INVALIDARG for a boolean that is no
// boolean; DISP_E_MEMBERNOTFOUND for a name without a setter (the extent,
// "DeploymentLocation").
platform::HResult ApplyPersistedProperty(LoaderProperties& properties,
                                         const PersistedProperty& property,
                                         const std::string& text);
