// The limits the session puts on every request it hands to the host and on
// what an answer may cost once it is in, read from the provider's options,
// and what each kind of request gets of them. The provider lives for days
// inside the host: no answer may take unbounded memory, whatever its shape,
// no download unbounded disk, and no service call may block for ever.
#pragma once

#include <W/HttpRequest.h>
#include <W/WStatus.h>
#include <W/WTypes.h>

#include <cstddef>

namespace W {

struct KVLimits {
  // Option "max_answer_bytes": the largest answer kept in memory, and the
  // most text the records may take from one answer (a text named again and
  // again must not cost more than the answer could hold). 0: no limit.
  static constexpr long long kDefaultMaxAnswerBytes = 32LL * 1024 * 1024;
  // Option "request_timeout", in seconds: the whole time of one service
  // call, synchronous ones included. 0: no limit.
  static constexpr long long kDefaultRequestTimeoutSeconds = 60;

  long long maxAnswerBytes = kDefaultMaxAnswerBytes;
  long long requestTimeoutSeconds = kDefaultRequestTimeoutSeconds;
  // Option "ca_file": a PEM bundle to trust instead of the system's store.
  STRING caFile;

  // Option "max_answer_elements": the most nodes a parsed answer may hold
  // (elements, attributes, comments and processing instructions; a feed
  // page of 30 items has about 1,500). Past it the parse stops and the
  // answer is refused as unreadable. 0: no limit.
  static constexpr long long kDefaultMaxAnswerElements = 100000;
  // Option "max_answer_records": the most records a list answer gives; the
  // first ones are kept and the operation reports more items. 0: no limit.
  static constexpr long long kDefaultMaxAnswerRecords = 10000;
  // Option "max_download_bytes": the largest media file a download writes.
  // Past it the transfer stops and its partial file is removed. 0: no limit.
  static constexpr long long kDefaultMaxDownloadBytes = 1024LL * 1024 * 1024;

  long long maxAnswerElements = kDefaultMaxAnswerElements;
  long long maxAnswerRecords = kDefaultMaxAnswerRecords;
  long long maxDownloadBytes = kDefaultMaxDownloadBytes;
};

// The records one list answer may give (max_answer_records). A reader asks
// admits() before it appends a record; once the list is full the answer is
// false, the walk stops, and status() tells the completion there was more.
class KVRecordCap {
 public:
  // `most` records; 0: no limit.
  explicit KVRecordCap(long long most) : m_most(most) {}
  // True when a list holding `held` records may take one more.
  bool admits(size_t held) {
    if (m_most > 0 &&
        static_cast<unsigned long long>(held) >= static_cast<unsigned long long>(m_most))
      m_cut = true;
    return !m_cut;
  }
  // True once a record was refused.
  bool cut() const { return m_cut; }
  // WSTATUS_MORE_ITEMS once a record was refused, else WSTATUS_SUCCESS.
  WSTATUS status() const { return m_cut ? WSTATUS_MORE_ITEMS : WSTATUS_SUCCESS; }

 private:
  long long m_most;
  bool m_cut = false;
};

enum class KVRequestKind {
  ServiceCall,    // an API request whose answer is read in memory
  MediaProbe,     // a media URL asked only for its content type
  MediaDownload,  // a media file into a local file
  Upload,         // a file sent as a multipart form
};

// A limit option's value: `fallback` when the text is empty or not a whole
// number from 0 to 2^53 (a bad value is reported once per key).
long long limitOption(const char* key, const STRING& text, long long fallback);

// Sets on `request` what its kind is limited by: service calls and probes
// end after the request timeout; answers kept in memory are capped, and so
// are media files; media may be redirected (up to 5 times, http and https
// only); all trust `caFile` when it is set. File transfers keep only the host's stall rule:
// a large video over a slow line may take minutes, and can be cancelled.
void applyLimits(HttpRequest& request, KVRequestKind kind, const KVLimits& limits);

}  // namespace W
