/* A small client for the preload's own tests: performs one way of opening a
 * path per argument ("open:PATH", "openat-dev:NAME", "fopen:PATH",
 * "read:PATH") and prints one result line for each, so the tests can check
 * that every spelling of a device reaches the simulator. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static void report(const char* how, const char* path, int ok) {
  if (ok) {
    printf("%s %s ok\n", how, path);
  } else {
    printf("%s %s %s\n", how, path, strerror(errno));
  }
}

static void read_all(const char* path) {
  ssize_t n;
  char buf[256];
  int fd = open(path, O_RDONLY);
  if (fd < 0) {
    report("read", path, 0);
    return;
  }
  n = read(fd, buf, sizeof(buf) - 1);
  buf[n > 0 ? n : 0] = '\0';
  printf("read %s [%s]\n", path, buf);
  close(fd);
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    char* arg = argv[i];
    char* path = strchr(arg, ':');
    if (!path) {
      return 2;
    }
    *path++ = '\0';
    if (strcmp(arg, "open") == 0) {
      int fd = open(path, O_RDWR);
      report(arg, path, fd >= 0);
      if (fd >= 0) {
        close(fd);
      }
    } else if (strcmp(arg, "openat-dev") == 0) {
      int dir = open("/dev", O_RDONLY | O_DIRECTORY);
      int fd = openat(dir, path, O_RDWR | O_SYNC);
      report(arg, path, fd >= 0);
      if (fd >= 0) {
        close(fd);
      }
      close(dir);
    } else if (strcmp(arg, "fopen") == 0) {
      FILE* f = fopen(path, "r+");
      report(arg, path, f != NULL);
      if (f) {
        fclose(f);
      }
    } else if (strcmp(arg, "read") == 0) {
      read_all(path);
    } else {
      return 2;
    }
  }
  return 0;
}
