// Provider identity: the ID is stable across processes and copies, tells
// service types apart, and is 0 only for the unnamed provider.
#include <W/WContentProvider.h>

#include <gtest/gtest.h>

namespace {

TEST(ContentProviderId, IsTheSameInEveryProcess) {
  // Fixed values: IDs tag requests and command keys, and a hash that changed
  // between builds would break stored keys and logs.
  EXPECT_EQ(W::WContentProvider("Kinvale", 12).getID(), 0x27bcbdb7u);
  EXPECT_EQ(W::WContentProvider("Kinvale", 13).getID(), 0xd7907ea6u);
}

TEST(ContentProviderId, SameNameAndTypeGiveEqualProviders) {
  const W::WContentProvider a("Kinvale", 12);
  const W::WContentProvider b("Kinvale", 12);
  EXPECT_EQ(a.getID(), b.getID());
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  const W::WContentProvider copy = a;
  EXPECT_EQ(copy.getID(), a.getID());
  EXPECT_EQ(copy.getName(), "Kinvale");
  EXPECT_EQ(copy.getServiceType(), 12);
}

TEST(ContentProviderId, DiffersByServiceTypeAndName) {
  const W::WContentProvider kinvale12("Kinvale", 12);
  const W::WContentProvider kinvale13("Kinvale", 13);
  const W::WContentProvider other12("Kinvalf", 12);
  const W::WContentProvider lower12("kinvale", 12);
  EXPECT_NE(kinvale12.getID(), kinvale13.getID());
  EXPECT_NE(kinvale12.getID(), other12.getID());
  EXPECT_NE(kinvale12.getID(), lower12.getID());
  EXPECT_TRUE(kinvale12 != kinvale13);
  EXPECT_TRUE(kinvale12 != other12);
}

TEST(ContentProviderId, NamedProvidersNeverGetZero) {
  const char* kNames[] = {"a", "Kinvale", " ", "\x01", "provider with a long name"};
  for (const char* name : kNames) {
    for (int type : {0, 1, 12, -1}) {
      EXPECT_NE(W::WContentProvider(name, type).getID(), 0u) << name << " " << type;
    }
  }
}

TEST(ContentProviderId, UnnamedProviderIsZeroAndDiffersFromNamed) {
  const W::WContentProvider none;
  EXPECT_EQ(none.getID(), 0u);
  EXPECT_TRUE(none.getName().empty());
  EXPECT_EQ(W::WContentProvider("", 12).getID(), 0u);
  EXPECT_TRUE(none != W::WContentProvider("Kinvale", 12));
}

}  // namespace
