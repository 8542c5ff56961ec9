/* The floor of a run's writes: the least any program can do for the same files, timed as a
 * whole process against the product by bench/measure.sh. A C program linked with libc
 * alone, writing the same bytes the same way as the product: each file to a temporary
 * beside it, its permissions set, fsync, close, rename; the files of a set held as flushed
 * temporaries and renamed together, then the folder flushed. Its steps, in order:
 *
 *   scenario_floor DEST STEP...
 *     write FILE   replaces DEST/<name of FILE> with the bytes of FILE at once
 *     hold FILE    writes them to a flushed temporary, renamed at the next commit
 *     commit       renames the held temporaries in order, then flushes DEST
 *     delete NAME  deletes DEST/NAME
 *   scenario_floor --line   prints one line, the least a program can do at all
 */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kMaxHeld = 16, kPath = 4096 };

static const char* dest;
static mode_t mode;
static char held_temp[kMaxHeld][kPath];
static char held_final[kMaxHeld][kPath];
static int held;

static void die(const char* what) {
  fprintf(stderr, "scenario_floor: %s: %s\n", what, strerror(errno));
  exit(1);
}

static const char* base_name(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash != NULL ? slash + 1 : path;
}

/* FILE's bytes, streamed through one buffer, into a flushed, closed temporary beside
 * DEST/<name>; the two paths out. */
static void write_temp(const char* source, char* temp, char* final_path) {
  static char buffer[256 * 1024];
  const int in = open(source, O_RDONLY);
  if (in < 0) die(source);
  snprintf(final_path, kPath, "%s/%s", dest, base_name(source));
  snprintf(temp, kPath, "%s/.%s.XXXXXX", dest, base_name(source));
  const int fd = mkstemp(temp);
  if (fd < 0) die(temp);
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0) die(source);
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t n = write(fd, buffer + done, (size_t)(got - done));
      if (n < 0) die(temp);
      done += n;
    }
  }
  close(in);
  if (fchmod(fd, mode) != 0 || fsync(fd) != 0 || close(fd) != 0) die(temp);
}

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "--line") == 0) {
    puts("scenario_floor 1");
    return 0;
  }
  if (argc < 3) {
    fprintf(stderr, "usage: scenario_floor DEST (write FILE | hold FILE | commit | delete NAME)...\n"
                    "       scenario_floor --line\n");
    return 2;
  }
  dest = argv[1];
  mode = umask(0);
  umask(mode);
  mode = 0666 & ~mode;
  char temp[kPath];
  char final_path[kPath];
  for (int i = 2; i < argc; ++i) {
    const char* step = argv[i];
    const int has_arg = strcmp(step, "commit") != 0;
    if (has_arg && i + 1 >= argc) {
      fprintf(stderr, "scenario_floor: %s needs an argument\n", step);
      return 2;
    }
    if (strcmp(step, "write") == 0) {
      write_temp(argv[++i], temp, final_path);
      if (rename(temp, final_path) != 0) die(final_path);
    } else if (strcmp(step, "hold") == 0) {
      if (held == kMaxHeld) {
        fprintf(stderr, "scenario_floor: more than %d files held\n", kMaxHeld);
        return 2;
      }
      write_temp(argv[++i], held_temp[held], held_final[held]);
      ++held;
    } else if (strcmp(step, "commit") == 0) {
      for (int k = 0; k < held; ++k)
        if (rename(held_temp[k], held_final[k]) != 0) die(held_final[k]);
      held = 0;
      const int fd = open(dest, O_RDONLY | O_DIRECTORY);
      if (fd < 0 || fsync(fd) != 0) die(dest);
      close(fd);
    } else if (strcmp(step, "delete") == 0) {
      snprintf(final_path, kPath, "%s/%s", dest, argv[++i]);
      if (unlink(final_path) != 0 && errno != ENOENT) die(final_path);
    } else {
      fprintf(stderr, "scenario_floor: unknown step '%s'\n", step);
      return 2;
    }
  }
  return 0;
}
