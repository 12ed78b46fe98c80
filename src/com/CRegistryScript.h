// A registry script: the keys and values a class writes on registration and
// removes again on unregistration, as text:
//
//   HKCR
//   {
//     'Some.ProgID' = s 'Description'
//     {
//       CLSID = s '{...}'
//     }
//     NoRemove CLSID
//     {
//       ForceRemove {...} = s 'Description'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// A key is a bare word or a quoted name ('' stands for a quote inside
// one); "= s 'text'" or "= d 'number'" gives its default value; "val" makes
// the entry a named value of the enclosing key. Braces stand on their own,
// separated by white space. Roots: HKCR, HKCU, HKLM (or their long names).
//
// Registering creates every key and writes every value; a ForceRemove key
// is first deleted with everything beneath it. Unregistering deletes every
// key with everything beneath it, except NoRemove keys, which stay and are
// only walked into. Per-user registration writes HKCR under the current
// user's Software\Classes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"

class CRegistryScript {
 public:
  // Texts such as "%MODULE%" and what replaces them in names and values.
  // The replacement is made after parsing, so a path holding a quote or a
  // brace cannot change the script's structure.
  using Replacements = std::vector<std::pair<std::string, std::string>>;

  // False, with a description of the first fault, when the text is not a
  // script.
  bool Parse(const std::string& text, std::string& error);

  // The first registry error met (kErrorSuccess when none). Register stops
  // at it; Unregister carries on with the other keys.
  platform::Win32Error Register(const Replacements& replacements, bool perUser) const;
  platform::Win32Error Unregister(const Replacements& replacements, bool perUser) const;

 private:
  struct Entry {
    std::string name;
    bool isValue = false;
    bool noRemove = false;
    bool forceRemove = false;
    enum class Data { None, String, Dword } data = Data::None;
    std::string text;
    uint32_t number = 0;
    std::vector<Entry> children;
  };
  struct Root {
    std::string name;
    std::vector<Entry> entries;
  };
  class Parser;
  class Writer;

  platform::Win32Error Apply(const Replacements& replacements, bool perUser,
                             bool registering) const;

  std::vector<Root> roots_;
};
