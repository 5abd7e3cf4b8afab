// Provider identity: the ID is a hash of name and service type, so the same
// provider gets the same ID in every process and every copy.
#include <W/WContentProvider.h>

namespace W {

namespace {

const UINT32 kFnvOffset = 2166136261u;
const UINT32 kFnvPrime = 16777619u;

UINT32 fnv1a(UINT32 hash, const unsigned char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    hash ^= bytes[i];
    hash *= kFnvPrime;
  }
  return hash;
}

}  // namespace

WContentProvider::WContentProvider(const STRING& name, int serviceType)
    : m_name(name), m_serviceType(serviceType) {
  if (name.empty()) return;  // an unnamed provider keeps ID 0
  UINT32 hash = fnv1a(kFnvOffset, reinterpret_cast<const unsigned char*>(name.data()), name.size());
  // The service type as four little-endian bytes, independent of host order.
  const UINT32 type = static_cast<UINT32>(serviceType);
  const unsigned char typeBytes[4] = {
      static_cast<unsigned char>(type), static_cast<unsigned char>(type >> 8),
      static_cast<unsigned char>(type >> 16), static_cast<unsigned char>(type >> 24)};
  hash = fnv1a(hash, typeBytes, sizeof typeBytes);
  m_id = hash == 0 ? 1 : hash;
}

}  // namespace W
