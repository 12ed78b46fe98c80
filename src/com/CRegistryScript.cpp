#include "com/CRegistryScript.h"

#include <cctype>
#include <cstdlib>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"

namespace {

using platform::kErrorFileNotFound;
using platform::kErrorSuccess;
using platform::RegistryKey;
using platform::RegistryRoot;
using platform::Win32Error;

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

struct Token {
  enum class Kind { End, Bad, Open, Close, Equals, Word, Quoted } kind = Kind::End;
  std::string text;
};

// Where a root of the script lands in the registry.
struct RootLocation {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::string path;  // empty, or a path without a trailing "\"
};

bool LocateRoot(const std::string& name, bool perUser, RootLocation& location) {
  if (platform::OrdinalEqualsNoCase(name, "HKCR") ||
      platform::OrdinalEqualsNoCase(name, "HKEY_CLASSES_ROOT")) {
    location = {perUser ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine,
                "Software\\Classes"};
    return true;
  }
  if (platform::OrdinalEqualsNoCase(name, "HKCU") ||
      platform::OrdinalEqualsNoCase(name, "HKEY_CURRENT_USER")) {
    location = {RegistryRoot::CurrentUser, ""};
    return true;
  }
  if (platform::OrdinalEqualsNoCase(name, "HKLM") ||
      platform::OrdinalEqualsNoCase(name, "HKEY_LOCAL_MACHINE")) {
    location = {RegistryRoot::LocalMachine, ""};
    return true;
  }
  return false;
}

std::string ChildPath(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

std::string Replaced(std::string text, const CRegistryScript::Replacements& replacements) {
  for (const auto& replacement : replacements) {
    text = ReplaceAll(std::move(text), replacement.first, replacement.second);
  }
  return text;
}

}  // namespace

class CRegistryScript::Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  bool Run(std::vector<Root>& roots, std::string& error) {
    Token token = Next();
    while (token.kind != Token::Kind::End) {
      Root root;
      RootLocation location;
      if (token.kind != Token::Kind::Word || !LocateRoot(token.text, false, location)) {
        return Fail("a registry root (HKCR, HKCU, HKLM)", token, error);
      }
      root.name = token.text;
      token = Next();
      if (token.kind != Token::Kind::Open) return Fail("'{' after the root", token, error);
      if (!Entries(root.entries, error)) return false;
      for (const Entry& entry : root.entries) {
        if (entry.isValue) return Fail("keys only beneath a root", Token{Token::Kind::Word, entry.name}, error);
      }
      roots.push_back(std::move(root));
      token = Next();
    }
    return true;
  }

 private:
  // Entries up to and including the closing brace.
  bool Entries(std::vector<Entry>& entries, std::string& error) {
    for (;;) {
      Token token = Next();
      if (token.kind == Token::Kind::Close) return true;
      Entry entry;
      while (token.kind == Token::Kind::Word &&
             (platform::OrdinalEqualsNoCase(token.text, "NoRemove") ||
              platform::OrdinalEqualsNoCase(token.text, "ForceRemove") ||
              platform::OrdinalEqualsNoCase(token.text, "val"))) {
        if (platform::OrdinalEqualsNoCase(token.text, "NoRemove")) entry.noRemove = true;
        if (platform::OrdinalEqualsNoCase(token.text, "ForceRemove")) entry.forceRemove = true;
        if (platform::OrdinalEqualsNoCase(token.text, "val")) entry.isValue = true;
        token = Next();
      }
      if (token.kind != Token::Kind::Word && token.kind != Token::Kind::Quoted) {
        return Fail("a key or value name", token, error);
      }
      entry.name = token.text;
      if (entry.name.empty() && !entry.isValue) return Fail("a key name", token, error);
      token = Next();
      if (token.kind == Token::Kind::Equals) {
        if (!Data(entry, error)) return false;
        token = Next();
      } else if (entry.isValue) {
        return Fail("'=' after a value name", token, error);
      }
      if (token.kind == Token::Kind::Open) {
        if (entry.isValue) return Fail("no '{' after a value", token, error);
        if (!Entries(entry.children, error)) return false;
        token = Next();
      }
      entries.push_back(std::move(entry));
      if (token.kind == Token::Kind::Close) return true;
      Back(token);
    }
  }

  bool Data(Entry& entry, std::string& error) {
    const Token type = Next();
    const Token value = Next();
    if (value.kind != Token::Kind::Word && value.kind != Token::Kind::Quoted) {
      return Fail("the data after its type", value, error);
    }
    if (type.kind == Token::Kind::Word && platform::OrdinalEqualsNoCase(type.text, "s")) {
      entry.data = Entry::Data::String;
      entry.text = value.text;
      return true;
    }
    if (type.kind == Token::Kind::Word && platform::OrdinalEqualsNoCase(type.text, "d")) {
      char* end = nullptr;
      const unsigned long long number = std::strtoull(value.text.c_str(), &end, 0);
      if (value.text.empty() || *end != '\0' || number > 0xFFFFFFFFull) {
        return Fail("a 32-bit number", value, error);
      }
      entry.data = Entry::Data::Dword;
      entry.number = static_cast<uint32_t>(number);
      return true;
    }
    return Fail("the data type s or d", type, error);
  }

  Token Next() {
    if (pushedBack_) {
      pushedBack_ = false;
      return pending_;
    }
    while (position_ < text_.size() && IsSpace(text_[position_])) ++position_;
    Token token;
    if (position_ >= text_.size()) return token;
    const char c = text_[position_];
    const bool standsAlone = position_ + 1 >= text_.size() || IsSpace(text_[position_ + 1]);
    if ((c == '{' || c == '}') && standsAlone) {
      token.kind = c == '{' ? Token::Kind::Open : Token::Kind::Close;
      ++position_;
    } else if (c == '=') {
      token.kind = Token::Kind::Equals;
      ++position_;
    } else if (c == '\'') {
      token.kind = Token::Kind::Quoted;
      ++position_;
      for (;;) {
        if (position_ >= text_.size()) return Token{Token::Kind::Bad, "an unterminated quote"};
        if (text_[position_] == '\'') {
          if (position_ + 1 < text_.size() && text_[position_ + 1] == '\'') {
            token.text += '\'';
            position_ += 2;
            continue;
          }
          ++position_;
          break;
        }
        token.text += text_[position_++];
      }
    } else {
      token.kind = Token::Kind::Word;
      while (position_ < text_.size() && !IsSpace(text_[position_]) && text_[position_] != '=') {
        token.text += text_[position_++];
      }
    }
    return token;
  }

  void Back(const Token& token) {
    pending_ = token;
    pushedBack_ = true;
  }

  bool Fail(const char* expected, const Token& found, std::string& error) const {
    std::string what = "'" + found.text + "'";
    if (found.kind == Token::Kind::End) what = "the end";
    if (found.kind == Token::Kind::Bad) what = found.text;
    if (found.kind == Token::Kind::Open) what = "'{'";
    if (found.kind == Token::Kind::Close) what = "'}'";
    if (found.kind == Token::Kind::Equals) what = "'='";
    error = Format("expected %s, found %s near offset %zu", expected, what.c_str(), position_);
    return false;
  }

  const std::string& text_;
  size_t position_ = 0;
  Token pending_;
  bool pushedBack_ = false;
};

class CRegistryScript::Writer {
 public:
  Writer(const Replacements& replacements, RegistryRoot root)
      : replacements_(replacements), root_(root) {}

  Win32Error Register(const std::string& parent, const Entry& entry) const {
    const std::string path = ChildPath(parent, Replaced(entry.name, replacements_));
    if (entry.forceRemove) {
      const Win32Error error = RegistryKey::DeleteTree(root_, path);
      if (error != kErrorSuccess && error != kErrorFileNotFound) return Logged("delete", path, error);
    }
    RegistryKey key;
    Win32Error error = RegistryKey::Create(root_, path, key);
    if (error != kErrorSuccess) return Logged("create", path, error);
    if ((error = WriteData(key, "", entry)) != kErrorSuccess) return Logged("write", path, error);
    for (const Entry& child : entry.children) {
      if (child.isValue) {
        error = WriteData(key, Replaced(child.name, replacements_), child);
        if (error != kErrorSuccess) return Logged("write a value of", path, error);
      } else if ((error = Register(path, child)) != kErrorSuccess) {
        return error;
      }
    }
    return kErrorSuccess;
  }

  Win32Error Unregister(const std::string& parent, const Entry& entry) const {
    const std::string path = ChildPath(parent, Replaced(entry.name, replacements_));
    if (!entry.noRemove) {
      const Win32Error error = RegistryKey::DeleteTree(root_, path);
      if (error == kErrorSuccess || error == kErrorFileNotFound) return kErrorSuccess;
      return Logged("delete", path, error);
    }
    RegistryKey key;
    const Win32Error opened =
        RegistryKey::Open(root_, path, platform::RegistryAccess::ReadWrite, key);
    if (opened == kErrorFileNotFound) return kErrorSuccess;
    if (opened != kErrorSuccess) return Logged("open", path, opened);
    Win32Error first = kErrorSuccess;
    for (const Entry& child : entry.children) {
      Win32Error error = kErrorSuccess;
      if (child.isValue) {
        error = key.DeleteValue(Replaced(child.name, replacements_));
        if (error == kErrorFileNotFound) error = kErrorSuccess;
        if (error != kErrorSuccess) Logged("delete a value of", path, error);
      } else {
        error = Unregister(path, child);
      }
      if (first == kErrorSuccess) first = error;
    }
    return first;
  }

 private:
  Win32Error WriteData(RegistryKey& key, const std::string& name, const Entry& entry) const {
    switch (entry.data) {
      case Entry::Data::String:
        return key.WriteString(name, Replaced(entry.text, replacements_));
      case Entry::Data::Dword:
        return key.WriteDword(name, entry.number);
      case Entry::Data::None:
        break;
    }
    return kErrorSuccess;
  }

  static Win32Error Logged(const char* action, const std::string& path, Win32Error error) {
    SimpleLogger::GetInstance()->Error(
        "CRegistryScript::Apply",
        Format("Cannot %s key '%s': error %ld", action, path.c_str(), static_cast<long>(error)));
    return error;
  }

  const Replacements& replacements_;
  RegistryRoot root_;
};

bool CRegistryScript::Parse(const std::string& text, std::string& error) {
  roots_.clear();
  std::vector<Root> roots;
  if (!Parser(text).Run(roots, error)) return false;
  roots_ = std::move(roots);
  return true;
}

platform::Win32Error CRegistryScript::Apply(const Replacements& replacements, bool perUser,
                                            bool registering) const {
  Win32Error first = kErrorSuccess;
  for (const Root& root : roots_) {
    RootLocation location;
    LocateRoot(root.name, perUser, location);
    const Writer writer(replacements, location.root);
    for (const Entry& entry : root.entries) {
      const Win32Error error = registering ? writer.Register(location.path, entry)
                                           : writer.Unregister(location.path, entry);
      if (error == kErrorSuccess) continue;
      if (registering) return error;
      if (first == kErrorSuccess) first = error;
    }
  }
  return first;
}

platform::Win32Error CRegistryScript::Register(const Replacements& replacements,
                                               bool perUser) const {
  return Apply(replacements, perUser, true);
}

platform::Win32Error CRegistryScript::Unregister(const Replacements& replacements,
                                                 bool perUser) const {
  return Apply(replacements, perUser, false);
}
