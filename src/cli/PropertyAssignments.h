// NAME=VALUE assignments of the control's properties, from the command
// line and from files, checked in full before the session exists, then
// handed to the properties' setters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/PropertyCatalogue.h"
#include "session/LoaderProperties.h"

struct PropertyAssignment {
  const PropertyEntry* property = nullptr;
  std::string value;
  std::string origin;  // where it was given, for messages ("--param", "file.txt:3")
};

// One "NAME=VALUE" (split at the first "="): false with the reason when the
// name is unknown or read only, or the value does not suit the property.
bool ParseAssignment(const std::string& text, const std::string& origin,
                     PropertyAssignment& assignment, std::string& error);

// A file of NAME=VALUE lines: blank lines and lines starting with "#" are
// skipped; blanks around the name and the value are dropped; CR LF line
// ends and a UTF-8 mark at the start are accepted. Appends every assignment
// in order, or fails at the first bad line.
bool ReadAssignmentsFile(const std::string& path, std::vector<PropertyAssignment>& assignments,
                         std::string& error);

// Hands every assignment to its setter in order (a later one wins); the
// extent sets size instead. False with the reason when a setter refuses.
bool ApplyAssignments(const std::vector<PropertyAssignment>& assignments,
                      LoaderProperties& properties, ControlSize& size, std::string& error);
