// Registry scripts applied to scratch keys of the current user: what
// registering writes, what ForceRemove and NoRemove keep or remove, and
// scripts that are not scripts.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/CRegistryScript.h"
#include "com_test_support.h"
#include "infra/SystemInfo.h"
#include "scratch_registry_key.h"

namespace {

using platform::RegistryKey;
using platform::RegistryRoot;

class RegistryScriptTest : public ::testing::Test {
 protected:
  // A script whose keys all lie beneath the scratch key.
  std::string Script(const std::string& body) const {
    return "HKCU\n{\n  NoRemove '" + scratch_.Path() + "'\n  {\n" + body + "\n  }\n}\n";
  }
  std::string Path(const std::string& below) const { return scratch_.Path() + "\\" + below; }

  CRegistryScript Parsed(const std::string& text) {
    CRegistryScript script;
    std::string error;
    EXPECT_TRUE(script.Parse(text, error)) << error;
    return script;
  }

  ScratchRegistryKey scratch_;
};

const char kClassBody[] = R"(
    ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Some Class'
    {
      ProgID = s 'Some.Class.1'
      Programmable
      InprocServer32 = s '%MODULE%'
      {
        val ThreadingModel = s 'Apartment'
      }
      ToolboxBitmap32 = s '%MODULE%, 101'
      'Misc Status' = d '131473'
      Flags = d 0x10
    }
    Plain = s 'plain'
)";

TEST_F(RegistryScriptTest, RegisterWritesKeysValuesAndTheModulePath) {
  const CRegistryScript script = Parsed(Script(kClassBody));
  // A path with a quote and braces cannot change what the script says.
  const std::string module = "C:\\O'Brien {x}\\varnik.dll";
  ASSERT_EQ(script.Register({{"%MODULE%", module}}, false), platform::kErrorSuccess);

  const std::string key = Path("{11111111-2222-3333-4444-555555555555}");
  const RegistryRoot user = RegistryRoot::CurrentUser;
  EXPECT_EQ(DefaultValue(user, key), "Some Class");
  EXPECT_EQ(DefaultValue(user, key + "\\ProgID"), "Some.Class.1");
  EXPECT_TRUE(KeyExists(user, key + "\\Programmable"));
  EXPECT_EQ(DefaultValue(user, key + "\\Programmable"), "<missing>");
  EXPECT_EQ(DefaultValue(user, key + "\\InprocServer32"), module);
  EXPECT_EQ(NamedValue(user, key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(DefaultValue(user, key + "\\ToolboxBitmap32"), module + ", 101");
  RegistryKey misc;
  uint32_t number = 0;
  ASSERT_EQ(RegistryKey::Open(user, key + "\\Misc Status", platform::RegistryAccess::Read, misc),
            platform::kErrorSuccess);
  EXPECT_EQ(misc.ReadDword("", number), platform::kErrorSuccess);
  EXPECT_EQ(number, 131473u);
  RegistryKey flags;
  ASSERT_EQ(RegistryKey::Open(user, key + "\\Flags", platform::RegistryAccess::Read, flags),
            platform::kErrorSuccess);
  EXPECT_EQ(flags.ReadDword("", number), platform::kErrorSuccess);
  EXPECT_EQ(number, 16u);
  EXPECT_EQ(DefaultValue(user, Path("Plain")), "plain");
}

TEST_F(RegistryScriptTest, ForceRemoveClearsAKeyBeforeWritingItAndPlainKeysKeepWhatTheyHold) {
  const std::string key = Path("{11111111-2222-3333-4444-555555555555}");
  RegistryKey stray;
  ASSERT_EQ(RegistryKey::Create(RegistryRoot::CurrentUser, key + "\\Stale", stray),
            platform::kErrorSuccess);
  RegistryKey plain;
  ASSERT_EQ(RegistryKey::Create(RegistryRoot::CurrentUser, Path("Plain\\Kept"), plain),
            platform::kErrorSuccess);
  stray.Close();
  plain.Close();

  ASSERT_EQ(Parsed(Script(kClassBody)).Register({{"%MODULE%", "m.dll"}}, false),
            platform::kErrorSuccess);
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, key + "\\Stale"));
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, Path("Plain\\Kept")));
}

TEST_F(RegistryScriptTest, UnregisterRemovesItsKeysWholeButKeepsNoRemoveKeys) {
  const CRegistryScript script = Parsed(Script(kClassBody));
  ASSERT_EQ(script.Register({{"%MODULE%", "m.dll"}}, false), platform::kErrorSuccess);
  RegistryKey added;
  ASSERT_EQ(RegistryKey::Create(RegistryRoot::CurrentUser, Path("Plain\\AddedLater"), added),
            platform::kErrorSuccess);
  RegistryKey neighbour;
  ASSERT_EQ(RegistryKey::Create(RegistryRoot::CurrentUser, Path("Neighbour"), neighbour),
            platform::kErrorSuccess);
  added.Close();
  neighbour.Close();

  ASSERT_EQ(script.Unregister({{"%MODULE%", "m.dll"}}, false), platform::kErrorSuccess);
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, Path("{11111111-2222-3333-4444-555555555555}")));
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, Path("Plain")));
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, scratch_.Path()));
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, Path("Neighbour")));
  // Nothing left to remove is no failure.
  EXPECT_EQ(script.Unregister({{"%MODULE%", "m.dll"}}, false), platform::kErrorSuccess);
}

TEST_F(RegistryScriptTest, PerUserRegistrationMovesClassesRootToTheUsersClasses) {
  const std::string name = "VarnikTests-" + NewGuidString();
  ScratchRegistryKey userClass(RegistryRoot::CurrentUser, "Software\\Classes\\" + name);
  ScratchRegistryKey machineClass(RegistryRoot::LocalMachine, "Software\\Classes\\" + name);
  const CRegistryScript script =
      Parsed("HKCR\n{\n  '" + name + "' = s 'per user'\n  {\n    CLSID = s '{x}'\n  }\n}\n");

  ASSERT_EQ(script.Register({}, true), platform::kErrorSuccess);
  EXPECT_EQ(DefaultValue(RegistryRoot::CurrentUser, userClass.Path()), "per user");
  EXPECT_EQ(DefaultValue(RegistryRoot::CurrentUser, userClass.Path() + "\\CLSID"), "{x}");
  EXPECT_FALSE(KeyExists(RegistryRoot::LocalMachine, machineClass.Path()));
  ASSERT_EQ(script.Unregister({}, true), platform::kErrorSuccess);
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, userClass.Path()));
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, "Software\\Classes"));
}

TEST(RegistryScriptParseTest, TextsThatAreNotScriptsAreRefusedWithAReason) {
  const std::vector<std::string> broken = {
      "HKCR",                                     // no block
      "HKXX\n{\n}\n",                             // unknown root
      "HKCR\n{\n  Key = s 'unterminated\n}\n",    // quote never closed
      "HKCR\n{\n  Key = s 'value'\n",             // block never closed
      "HKCR\n{\n  Key = x 'value'\n}\n",          // unknown data type
      "HKCR\n{\n  Key = d 'lots'\n}\n",           // not a number
      "HKCR\n{\n  Key = d '4294967296'\n}\n",     // beyond 32 bits
      "HKCR\n{\n  val Name = s 'v'\n}\n",         // a value straight beneath a root
      "HKCR\n{\n  Key\n  {\n    val V = s 'v'\n    {\n    }\n  }\n}\n",  // a value with keys
      "HKCR\n{\n  Key =\n}\n",                    // '=' without data
      "HKCR\n{\n  ''\n}\n",                       // a key without a name
  };
  for (const std::string& text : broken) {
    CRegistryScript script;
    std::string error;
    EXPECT_FALSE(script.Parse(text, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  CRegistryScript script;
  std::string error;
  EXPECT_TRUE(script.Parse("HKCR\n{\n  'it''s' = s 'a ''quoted'' name'\n}\n", error)) << error;
}

}  // namespace
