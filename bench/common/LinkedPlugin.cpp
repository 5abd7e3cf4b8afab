// The only benchmark source that sees the provider's class: its readers are
// members of WKVOAI, which createPlugin hands out.
#include "LinkedPlugin.h"

#include "frame/WKVOAI.h"

extern "C" W::WPlugin* createPlugin();
extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace kvbench {

namespace {

W::WKVOAI& provider(W::WKinvaleOAI& oai) {
  return static_cast<W::WKVOAI&>(oai);
}

}  // namespace

LinkedProvider::LinkedProvider() {
  W::WPlugin* plugin = createPlugin();
  if (plugin == nullptr) return;
  plugin->setHandle(this);
  m_provider = static_cast<W::WKinvaleOAI*>(plugin);
}

LinkedProvider::~LinkedProvider() {
  destroyPlugin(m_provider);
}

int parseFeedAnswer(W::WKinvaleOAI& oai, const std::string& payload,
                    W::WContainer<W::WContent>& out, W::UINT32& count) {
  return provider(oai).parseString(payload, out, count);
}

int parseGroupListAnswer(W::WKinvaleOAI& oai, const std::string& payload,
                         W::WContainer<W::WGroup>& out, W::UINT32& count) {
  return provider(oai).parseString(payload, out, count);
}

}  // namespace kvbench
