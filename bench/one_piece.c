/* The one-piece limit of the benchmark: the least a DAT extractor can do
   while moving each entry in one piece, as orvex does. It reads the count,
   then the directory in one read sized by it, and for each entry whose name
   ends in .jpg, .mp3 or .wav (any case; the last four characters lowered, as
   orvex writes them) opens a new file, allocates exactly the entry's size,
   reads it with one pread, writes it with one write, frees and closes. It
   checks no name, no bound and no overlap, and prints nothing; the heap is
   tuned as orvex tunes it, and like orvex it asks for huge pages under
   large buffers. Static, one thread, like orvex.

     orvex_bench_one_piece ARCHIVE */
#include <fcntl.h>
#include <limits.h>
#include <malloc.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

enum { kRecordSize = 17, kNameSize = 13 };
#define kHugePage ((uintptr_t)2 << 20)

/* orvex's advice: the whole 2 MiB pages inside a buffer come as huge pages. */
static void adviseHugePages(char* buffer, size_t size) {
  const uintptr_t first = ((uintptr_t)buffer + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = ((uintptr_t)buffer + size) & ~(kHugePage - 1);
  if (last > first) {
    madvise((void*)first, last - first, MADV_HUGEPAGE);
  }
}

static uint32_t decode(const unsigned char* field) {
  return (uint32_t)field[0] | (uint32_t)field[1] << 8 | (uint32_t)field[2] << 16 |
         (uint32_t)field[3] << 24;
}

static int isExtractable(char* name, size_t length) {
  if (length < 4) {
    return 0;
  }
  char* ending = name + length - 4;
  for (int i = 0; i < 4; ++i) {
    if (ending[i] >= 'A' && ending[i] <= 'Z') {
      ending[i] = (char)(ending[i] - 'A' + 'a');
    }
  }
  return memcmp(ending, ".jpg", 4) == 0 || memcmp(ending, ".mp3", 4) == 0 ||
         memcmp(ending, ".wav", 4) == 0;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    return 2;
  }
  /* orvex's allocator tuning: no block gets a mapping of its own, and the
     heap's top is never handed back (its kHeapTrimThreshold is INT_MAX). */
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, INT_MAX);

  const int archive = open(argv[1], O_RDONLY | O_CLOEXEC);
  unsigned char countField[4];
  if (archive < 0 || pread(archive, countField, 4, 0) != 4) {
    return 1;
  }
  const size_t count = decode(countField); /* records, the terminator included */
  unsigned char* const directory = malloc(count * kRecordSize);
  if (directory == NULL ||
      pread(archive, directory, count * kRecordSize, 4) != (ssize_t)(count * kRecordSize)) {
    return 1;
  }
  for (const unsigned char* record = directory; record[4] != '\0'; record += kRecordSize) {
    char name[kNameSize + 1] = {0};
    memcpy(name, record + 4, kNameSize);
    if (!isExtractable(name, strlen(name))) {
      continue;
    }
    const uint32_t offset = decode(record);
    const size_t size = decode(record + kRecordSize) - offset;
    const int output = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    char* const buffer = malloc(size);
    if (buffer != NULL) {
      adviseHugePages(buffer, size);
    }
    if (output < 0 || buffer == NULL || pread(archive, buffer, size, offset) != (ssize_t)size ||
        write(output, buffer, size) != (ssize_t)size) {
      return 1;
    }
    free(buffer);
    close(output);
  }
  return 0;
}
