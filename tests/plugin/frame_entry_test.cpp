// The plug-in's entry points, class chain, virtual table order and the
// operations it does not support.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>

#include "PluginTestSupport.h"

extern "C" W::WPlugin* createPlugin();
extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace {

// Under the Itanium C++ ABI a pointer to a virtual member function holds
// 1 + the slot's byte offset in the virtual table. ARM's variant keeps the
// virtual flag in the low bit of the adjustment word instead, and the plain
// byte offset in the first.
template <class F>
std::ptrdiff_t slotOf(F member) {
  static_assert(sizeof(member) == 2 * sizeof(std::uintptr_t), "Itanium member pointer");
  std::uintptr_t raw[2];
  std::memcpy(raw, &member, sizeof raw);
#if defined(__arm__) || defined(__aarch64__)
  if ((raw[1] & 1) == 0) return -1;  // not virtual
  return static_cast<std::ptrdiff_t>(raw[0] / sizeof(void*));
#else
  return static_cast<std::ptrdiff_t>((raw[0] - 1) / sizeof(void*));
#endif
}

TEST(PluginEntry, CreateReturnsProviderNamedKinvaleWithServiceType12) {
  W::WPlugin* plugin = createPlugin();
  ASSERT_NE(plugin, nullptr);
  auto* oai = dynamic_cast<W::WKVOAI*>(plugin);
  ASSERT_NE(oai, nullptr);
  EXPECT_EQ(oai->getContentProvider().getName(), "Kinvale");
  EXPECT_EQ(oai->getContentProvider().getServiceType(), 12);
  EXPECT_EQ(oai->getContentProvider().getID(), kvtest::provider().getID());
  EXPECT_FALSE(plugin->isValid()) << "the host sets the handle after loading";
  plugin->setHandle(plugin);
  EXPECT_TRUE(plugin->isValid());
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_NE(oai->getService(), nullptr);
  EXPECT_FALSE(oai->getService()->isLoggedIn());
  destroyPlugin(plugin);
  destroyPlugin(nullptr);  // a host may pass what a failed create gave: ignored
}

// A provider whose deletion the test can see.
int g_deleted = 0;
struct WatchedOAI : W::WKVOAI {
  ~WatchedOAI() override { ++g_deleted; }
};

// What a host callback that unloads the provider saw.
struct Unloader {
  W::WPlugin* plugin = nullptr;
  int calls = 0;
  int deletedInCallback = -1;
  void unload() {
    ++calls;
    destroyPlugin(plugin);
    deletedInCallback = g_deleted;
  }
};

void unloadOnAccount(W::WSTATUS, const W::WContentProvider&, void* u) {
  static_cast<Unloader*>(u)->unload();
}
void unloadOnGroupList(W::WSTATUS, const W::WContentProvider&, const W::WContainer<W::WGroup>&,
                       const W::WPerson&, void* u) {
  static_cast<Unloader*>(u)->unload();
}

// "Login failed, unload the provider": a destroy from inside one of the
// provider's own callbacks is finished once the completion has returned, so
// the completion never goes on with a freed command, session or provider
// (AddressSanitizer holds the rest of this test).
TEST(PluginEntry, DestroyFromItsOwnCallbackWaitsForTheCompletion) {
  const std::string groups = "<rsp><result><stat>ok</stat></result><data/></rsp>";
  struct Row {
    const char* name;
    std::function<W::WSTATUS(W::WKVOAI&, Unloader&)> start;
    int code;
    std::string payload;
  };
  const Row rows[] = {
      {"refused authentication",
       [](W::WKVOAI& oai, Unloader& u) { return oai.authKV(&unloadOnAccount, &u); }, 401, ""},
      {"group list",
       [](W::WKVOAI& oai, Unloader& u) {
         return oai.retrieveGroupList(W::WPerson(), &unloadOnGroupList, 0, 5,
                                      W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &u);
       },
       200, groups},
      {"cancel callback",
       [](W::WKVOAI& oai, Unloader& u) {
         // The cancel callback is told with the cancelled operation's user data.
         const W::WSTATUS status =
             oai.retrieveGroupList(W::WPerson(), &unloadOnGroupList, 0, 5, W::KV_SORT_ALPHABETICAL,
                                   W::KV_INCLUDE_NONE, &u);
         if (status != 0) return status;
         return oai.cancel(kvtest::provider(), &unloadOnAccount, nullptr);
       },
       200, groups},
  };
  for (const Row& row : rows) {
    kvtest::configure();
    kvtest::CapturingExecutor executor;
    W::WKVOAI* oai = new WatchedOAI();
    kvtest::logIn(*oai);
    Unloader unloader;
    unloader.plugin = oai;
    g_deleted = 0;
    ASSERT_EQ(row.start(*oai, unloader), 0) << row.name;
    executor.completeLast(0, row.code, row.payload);
    EXPECT_EQ(unloader.calls, 1) << row.name;
    EXPECT_EQ(unloader.deletedInCallback, 0) << row.name << ": deleted under the completion";
    EXPECT_EQ(g_deleted, 1) << row.name << ": deleted once the completion returned";
    kvtest::clearConfiguration();
  }
}

TEST(PluginVirtualTable, SlotsFollowTheHostOrder) {
  using O = W::WKVOAI;
  struct Row {
    const char* name;
    std::ptrdiff_t slot;
    std::ptrdiff_t expected;
  };
  const Row rows[] = {
      {"isValid", slotOf(&W::WPlugin::isValid), 0},
      {"login", slotOf(&O::login), 3},
      {"logout", slotOf(&O::logout), 4},
      {"retrieveExceptions", slotOf(&O::retrieveExceptions), 5},
      {"resolveException", slotOf(&O::resolveException), 6},
      {"registerKV", slotOf(&O::registerKV), 7},
      {"unregisterKV", slotOf(&O::unregisterKV), 8},
      {"authKV", slotOf(&O::authKV), 9},
      {"retrieveGroupList", slotOf(&O::retrieveGroupList), 10},
      {"createGroup", slotOf(&O::createGroup), 11},
      {"deleteGroup", slotOf(&O::deleteGroup), 12},
      {"retrieveGroupFeeds", slotOf(&O::retrieveGroupFeeds), 13},
      {"retrieveGroupGallery", slotOf(&O::retrieveGroupGallery), 14},
      {"createContent", slotOf(&O::createContent), 15},
      {"deleteContent", slotOf(&O::deleteContent), 16},
      {"updateContent", slotOf(&O::updateContent), 17},
      {"viewContent", slotOf(&O::viewContent), 18},
      {"createComment", slotOf(&O::createComment), 19},
      {"deleteComment", slotOf(&O::deleteComment), 20},
      {"updateComment", slotOf(&O::updateComment), 21},
      {"viewComment", slotOf(&O::viewComment), 22},
      {"cancel", slotOf(&O::cancel), 23},
      {"download", slotOf(&O::download), 24},
      {"progressStatus", slotOf(&O::progressStatus), 25},
      {"retrieveComments", slotOf(&O::retrieveComments), 26},
  };
  for (const Row& row : rows) EXPECT_EQ(row.slot, row.expected) << row.name;
}

// Each unsupported operation answers -15 with one log line naming its
// fixed source line, and leaves the registry and the session alone.
TEST(PluginUnsupported, AnswerMinus15WithTheirLogLine) {
  kvtest::configure();
  W::WKVOAI oai;
  kvtest::logIn(oai);
  std::list<W::WException*> exceptions;
  W::WCaptchaException captcha;
  struct Row {
    const char* name;
    std::function<W::WSTATUS()> call;
    int line;
  };
  const Row rows[] = {
      {"login", [&] { return oai.login("u", "p", nullptr, nullptr); }, 371},
      {"logout", [&] { return oai.logout(kvtest::onAccount, nullptr); }, 493},
      {"unregisterKV", [&] { return oai.unregisterKV(kvtest::onAccount, nullptr); }, 655},
      {"retrieveExceptions", [&] { return oai.retrieveExceptions(exceptions); }, 790},
      {"resolveException", [&] { return oai.resolveException(&captcha, nullptr, nullptr); }, 815},
      {"retrieveGroupGallery",
       [&] {
         return oai.retrieveGroupGallery(W::WGroup(), W::KV_CONTENT_PHOTO, 1, W::KV_SEARCH_BEFORE,
                                         W::KV_SORT_ALPHABETICAL, W::KV_ORDER_ASCENDING, nullptr,
                                         nullptr);
       },
       1641},
      {"updateContent", [&] { return oai.updateContent(W::WContent(), "t", nullptr, nullptr); },
       1989},
      {"updateComment", [&] { return oai.updateComment(W::WComment(), nullptr, nullptr); }, 2485},
  };
  kvtest::resetLogs();
  for (const Row& row : rows) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(row.call(), -15) << row.name;
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "#ERROR WSTATUS:WSTATUS_NOT_SUPPORTED(-15)\tFILE:src/WKVOAI(" +
                       std::to_string(row.line) + ")\n\n")
        << row.name;
  }
  EXPECT_TRUE(exceptions.empty());
  EXPECT_EQ(oai.pendingCommands(), 0u);
  EXPECT_EQ(kvtest::callbacks().size(), 0u);
  EXPECT_TRUE(oai.getService()->isLoggedIn());
  kvtest::clearConfiguration();
}

}  // namespace
