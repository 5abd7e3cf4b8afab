// Finds a connection's socket by its ports and shuts it down.
#include "SocketDrop.h"

#include <dirent.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kvsim {

namespace {

// Port of an address field of /proc/net/tcp ("0100007F:D431").
int portOfField(const std::string& field) {
  size_t colon = field.find(':');
  if (colon == std::string::npos) return -1;
  return static_cast<int>(std::strtol(field.c_str() + colon + 1, nullptr, 16));
}

// Inode of the socket with these ports, or "" when there is none.
std::string socketInode(int localPort, int remotePort) {
  std::ifstream table("/proc/self/net/tcp");
  std::string line;
  std::getline(table, line);  // column titles
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
    fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
        timeout >> inode;
    if (portOfField(local) == localPort && portOfField(remote) == remotePort) return inode;
  }
  return "";
}

}  // namespace

bool shutdownConnection(int localPort, int remotePort) {
  const std::string inode = socketInode(localPort, remotePort);
  if (inode.empty() || inode == "0") return false;
  const std::string target = "socket:[" + inode + "]";
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return false;
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    char link[64];
    ssize_t n = readlinkat(dirfd(dir), entry->d_name, link, sizeof link - 1);
    if (n <= 0) continue;
    link[n] = '\0';
    if (target == link) {
      shutdown(std::atoi(entry->d_name), SHUT_RDWR);
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace kvsim
