/* Recognition of the device paths the simulator owns. */
#define _GNU_SOURCE
#include "fesim_path.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "fesim_config.h"

#define MAX_LINK_HOPS 40

int fesim_path_clean(const char* path, char* out, unsigned long cap) {
  size_t n = 0;
  const char* p = path;
  if (cap < 2 || *p != '/') {
    return -1;
  }
  out[n++] = '/';
  while (*p != '\0') {
    size_t len;
    const char* end;
    while (*p == '/') {
      p++;
    }
    end = strchr(p, '/');
    len = end ? (size_t)(end - p) : strlen(p);
    if (len == 0) {
      break;
    }
    if (len == 1 && p[0] == '.') {
      /* nothing */
    } else if (len == 2 && p[0] == '.' && p[1] == '.') {
      if (n > 1) {
        n--; /* drop the trailing slash, then the component */
        while (n > 1 && out[n - 1] != '/') {
          n--;
        }
      }
    } else {
      if (n + len + 2 > cap) {
        return -1;
      }
      memcpy(out + n, p, len);
      n += len;
      out[n++] = '/';
    }
    p += len;
  }
  if (n > 1) {
    n--; /* no trailing slash */
  }
  out[n] = '\0';
  return 0;
}

static struct fesim_path classify_clean(const char* clean) {
  unsigned long bus;
  const char* rest;
  char* end = NULL;
  struct fesim_path r = {FESIM_PATH_OTHER, -1, 0};
  static const char i2c[] = "/dev/i2c";
  if (strcmp(clean, "/dev/mem") == 0) {
    r.kind = FESIM_PATH_MEM;
    return r;
  }
  if (strcmp(clean, FESIM_SYSFS_PATH) == 0) {
    r.kind = FESIM_PATH_SYSFS;
    return r;
  }
  if (strncmp(clean, i2c, sizeof(i2c) - 1) != 0) {
    return r;
  }
  r.kind = FESIM_PATH_I2C;
  rest = clean + sizeof(i2c) - 1;
  if (*rest != '-' && *rest != '/') {
    return r;
  }
  r.node = *rest == '-' ? FESIM_NODE_DASH : FESIM_NODE_SLASH;
  rest++;
  if (*rest < '0' || *rest > '9' || (rest[0] == '0' && rest[1] != '\0')) {
    return r;
  }
  bus = strtoul(rest, &end, 10);
  if (*end == '\0' && bus <= 255) {
    r.bus = (int)bus;
  }
  return r;
}

struct fesim_path fesim_path_classify(const char* path) {
  char joined[PATH_MAX];
  char clean[PATH_MAX];
  char resolved[PATH_MAX];
  struct fesim_path r = {FESIM_PATH_OTHER, -1, 0};
  if (!path) {
    return r;
  }
  if (path[0] == '/') {
    if (strlen(path) >= sizeof(joined)) {
      return r;
    }
    strcpy(joined, path);
  } else {
    size_t n;
    if (!getcwd(joined, sizeof(joined))) {
      return r;
    }
    n = strlen(joined);
    if (n + 1 + strlen(path) >= sizeof(joined)) {
      return r;
    }
    joined[n] = '/';
    strcpy(joined + n + 1, path);
  }
  if (fesim_path_clean(joined, clean, sizeof(clean)) != 0) {
    return r;
  }
  r = classify_clean(clean);
  if (r.kind != FESIM_PATH_OTHER) {
    return r;
  }
  /* A link elsewhere that leads to a device is that device. The links of the
   * last component are followed by hand, since the device need not exist. */
  for (int hops = 0; hops < MAX_LINK_HOPS; hops++) {
    char target[PATH_MAX];
    ssize_t n = readlink(clean, target, sizeof(target) - 1);
    if (n <= 0) {
      break;
    }
    target[n] = '\0';
    if (target[0] == '/') {
      strcpy(joined, target);
    } else {
      char* slash = strrchr(clean, '/');
      size_t dir_len = (size_t)(slash - clean);
      if (dir_len + 1 + (size_t)n >= sizeof(joined)) {
        break;
      }
      memcpy(joined, clean, dir_len);
      joined[dir_len] = '/';
      strcpy(joined + dir_len + 1, target);
    }
    if (fesim_path_clean(joined, clean, sizeof(clean)) != 0) {
      break;
    }
    r = classify_clean(clean);
    if (r.kind == FESIM_PATH_MEM || r.kind == FESIM_PATH_I2C) {
      return r;
    }
  }
  if (realpath(clean, resolved) && strcmp(resolved, clean) != 0) {
    struct fesim_path target = classify_clean(resolved);
    if (target.kind == FESIM_PATH_MEM || target.kind == FESIM_PATH_I2C) {
      return target;
    }
  }
  r.kind = FESIM_PATH_OTHER;
  return r;
}
