// Closing a client's connection from inside a request handler, for the
// "drop" fault: the HTTP library does not hand out the socket, so it is
// found by its two ports in the kernel's TCP table and then among the
// process's descriptors by its inode, without touching any other descriptor.
#pragma once

namespace kvsim {

// Shuts down (both directions) this process's IPv4 TCP socket whose local
// port is `localPort` and whose peer port is `remotePort`. Returns false when
// no such socket is found. The descriptor itself stays open for its owner.
bool shutdownConnection(int localPort, int remotePort);

}  // namespace kvsim
