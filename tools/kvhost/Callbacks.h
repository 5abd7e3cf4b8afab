// The provider callbacks kvhost passes to the plug-in. Each turns what it
// receives into a Report and hands it to the Waiter; they run on the
// executor's thread and receive a CallContext* as user data.
#pragma once

#include <W/WMediaResource.h>

#include <istream>
#include <string>

#include "Waiter.h"
#include "frame/KVTypes.h"

namespace kvhost {

// The user data of every operation kvhost starts. It must outlive the
// plug-in, since a completion may run until destroyPlugin returns.
struct CallContext {
  Waiter waiter;
  // fetch: file that receives a copy of the downloaded bytes; empty: only
  // count them. Set before the operation starts.
  std::string fetchOutPath;
};

namespace callbacks {

using namespace W;

void onAccount(WSTATUS status, const WContentProvider& provider, VOID* userData);
void onGroupList(WSTATUS status, const WContentProvider& provider, const WContainer<WGroup>& groups,
                 const WPerson& person, VOID* userData);
void onGroup(WSTATUS status, const WContentProvider& provider, const WGroup& group, VOID* userData);
void onContentList(WSTATUS status, const WContentProvider& provider,
                   const WContainer<WContent>& contents, VOID* userData);
void onContentCreation(WSTATUS status, const WContentProvider& provider, const WGroup& group,
                       const WContent& content, const STRING& filePath, VOID* userData);
void onContent(WSTATUS status, const WContentProvider& provider, const WContent& content,
               VOID* userData);
void onCommentList(WSTATUS status, const WContentProvider& provider,
                   const WContainer<WComment>& comments, VOID* userData);
void onCommentText(WSTATUS status, const WContentProvider& provider, const WComment& comment,
                   const STRING& text, VOID* userData);
void onComment(WSTATUS status, const WContentProvider& provider, const WComment& comment,
               VOID* userData);
void onCancel(WSTATUS status, const WContentProvider& provider, void* userData);
void onDirectDownload(WSTATUS status, const WContentProvider& provider, const STRING& name,
                      void* userData);
// Reads the whole stream; with CallContext::fetchOutPath set, also writes
// the bytes there (a write failure turns the status into -5).
void onContentDownload(int status, const WContentProvider& provider, const WMediaResource& resource,
                       std::istream& stream, void* userData);

}  // namespace callbacks
}  // namespace kvhost
