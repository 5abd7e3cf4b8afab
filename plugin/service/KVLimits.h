// The limits the session puts on every request it hands to the host, read
// from the provider's options, and what each kind of request gets of them.
// The provider lives for days inside the host: no answer may take unbounded
// memory, and no service call may block for ever.
#pragma once

#include <W/HttpRequest.h>
#include <W/WTypes.h>

namespace W {

struct KVLimits {
  // Option "max_answer_bytes": the largest answer kept in memory. 0: no limit.
  static constexpr long long kDefaultMaxAnswerBytes = 32LL * 1024 * 1024;
  // Option "request_timeout", in seconds: the whole time of one service
  // call, synchronous ones included. 0: no limit.
  static constexpr long long kDefaultRequestTimeoutSeconds = 60;

  long long maxAnswerBytes = kDefaultMaxAnswerBytes;
  long long requestTimeoutSeconds = kDefaultRequestTimeoutSeconds;
  // Option "ca_file": a PEM bundle to trust instead of the system's store.
  STRING caFile;
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
// end after the request timeout; answers kept in memory are capped; media
// may be redirected (up to 5 times, http and https only); all trust
// `caFile` when it is set. File transfers keep only the host's stall rule:
// a large video over a slow line may take minutes, and can be cancelled.
void applyLimits(HttpRequest& request, KVRequestKind kind, const KVLimits& limits);

}  // namespace W
