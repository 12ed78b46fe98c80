#include <gtest/gtest.h>

#include <string>

#include "integrity/AcceptedPublishers.h"

namespace {

TEST(AcceptedPublishersTest, EveryEntryMatchesExactly) {
  for (const char* publisher : kAcceptedPublishers) EXPECT_TRUE(IsAcceptedPublisher(publisher)) << publisher;
}

TEST(AcceptedPublishersTest, NearMissesAreRefused) {
  const char* nearMisses[] = {
      "microsoft corporation",   // letter case counts
      "MICROSOFT CORPORATION",
      "Microsoft Corporation ",  // whole string, no trimming
      " Microsoft Corporation",
      "Microsoft",               // no prefix match
      "Nordak Labs Inc",         // entry is "Nordak Labs Inc."
      "Nordak",
      "",
  };
  for (const char* name : nearMisses) EXPECT_FALSE(IsAcceptedPublisher(name)) << '"' << name << '"';
}

TEST(AcceptedPublishersTest, EmbeddedZeroDoesNotPassForThePrefix) {
  const std::string forged("Microsoft Corporation\0Evil Tools", 32);
  EXPECT_FALSE(IsAcceptedPublisher(forged));
  EXPECT_FALSE(IsAcceptedPublisher(std::string("Nordak Labs\0", 12)));
}

}  // namespace
