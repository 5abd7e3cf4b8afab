// Closing a client's connection from inside a request handler, for the
// "drop" fault: the HTTP library does not hand out the socket, so it is
// found among the process's descriptors by its two endpoints.
#pragma once

namespace kvsim {

// Shuts down (both directions) the TCP socket whose local port is
// `localPort` and whose peer port is `remotePort`. Returns false when no
// such socket is open. The descriptor itself stays open for its owner.
bool shutdownConnection(int localPort, int remotePort);

}  // namespace kvsim
