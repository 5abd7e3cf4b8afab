// The plug-in linked into a benchmark: a provider made and destroyed by its
// entry points, as a host holds it, and the answer readers the parse
// figures time and weigh apart from the request around them. The readers
// are the one place where a benchmark reaches inside the provider.
#pragma once

#include <W/WContent.h>
#include <W/WGroup.h>

#include <string>

#include "frame/WKinvaleOAI.h"

namespace kvbench {

// createPlugin's provider, marked valid (a linked library has no loader to
// set its handle), and destroyPlugin once this goes. get() is null when the
// provider could not be made.
class LinkedProvider {
 public:
  LinkedProvider();
  ~LinkedProvider();
  LinkedProvider(const LinkedProvider&) = delete;
  LinkedProvider& operator=(const LinkedProvider&) = delete;

  W::WKinvaleOAI* get() const { return m_provider; }
  W::WKinvaleOAI& operator*() const { return *m_provider; }
  W::WKinvaleOAI* operator->() const { return m_provider; }

 private:
  W::WKinvaleOAI* m_provider = nullptr;
};

// The provider's own readers of a whole feed answer and a whole group list
// answer, as its completions call them: the reader's status, with the
// records in `out` and their number in `count`. `provider` is one that
// createPlugin made.
int parseFeedAnswer(W::WKinvaleOAI& provider, const std::string& payload,
                    W::WContainer<W::WContent>& out, W::UINT32& count);
int parseGroupListAnswer(W::WKinvaleOAI& provider, const std::string& payload,
                         W::WContainer<W::WGroup>& out, W::UINT32& count);

}  // namespace kvbench
