// Completion handlers of the group, feed and gallery operations, built on
// the list completion sequence.
#include "common/ListCompletion.h"
#include "groups/GroupCommands.h"

namespace W {

namespace {

// Feeds and galleries: a page of contents, with more to come when the
// answer held more than the page asked for (`page`).
template <class Cmd>
void completeContentPage(WKVOAI& oai, SESSION_STATUS status, const HttpResponse& response, Cmd* cmd,
                         UINT32 page) {
  completeList<WContent>(
      status, response, cmd, [page](UINT32 parsed) { return page < parsed; },
      [&](WSTATUS result, const WContainer<WContent>& contents) {
        cmd->callback(result, oai.getContentProvider(), contents, cmd->userData);
      });
}

}  // namespace

void WKVOAI::cbGroupListRetrievalDone(SESSION_STATUS status, const HttpResponse& response,
                                      GroupListRetrievalCMD* cmd) {
  completeList<WGroup>(
      status, response, cmd,
      // More groups than index + the count asked for, summed without
      // wrapping: an index near 2^32 asks for nothing beyond it.
      [cmd](UINT32 parsed) {
        const unsigned long long pageEnd = static_cast<unsigned long long>(cmd->searchIndex) +
                                           pageAsked(cmd->searchCount, kGroupListPageWhenUnset);
        return pageEnd < parsed;
      },
      [&](WSTATUS result, const WContainer<WGroup>& groups) {
        cmd->callback(result, m_provider, groups, cmd->person, cmd->userData);
      });
}

void WKVOAI::cbGroupCreationDone(SESSION_STATUS status, const HttpResponse& response,
                                 GroupCreationCMD* cmd) {
  completeList<WGroup>(status, response, cmd, &noFurtherPages,
                       [&](WSTATUS result, const WContainer<WGroup>& groups) {
                         // A failed parse has emptied the list already.
                         cmd->callback(result, m_provider, firstOr(groups, cmd->group),
                                       cmd->userData);
                       });
}

void WKVOAI::cbGroupDeletionDone(SESSION_STATUS status, const HttpResponse& response,
                                 GroupDeletionCMD* cmd) {
  completeList<WGroup>(status, response, cmd, &noFurtherPages,
                       [&](WSTATUS result, const WContainer<WGroup>&) {
                         cmd->callback(result, m_provider, cmd->group, cmd->userData);
                       });
}

void WKVOAI::cbGroupFeedsRetrievalDone(SESSION_STATUS status, const HttpResponse& response,
                                       GroupFeedsRetrievalCMD* cmd) {
  completeContentPage(*this, status, response, cmd, pageAsked(cmd->count, kFeedPageWhenUnset));
}

void WKVOAI::cbGroupGalleryRetrievalDone(SESSION_STATUS status, const HttpResponse& response,
                                         GroupGalleryRetrievalCMD* cmd) {
  completeContentPage(*this, status, response, cmd, cmd->count);
}

}  // namespace W
