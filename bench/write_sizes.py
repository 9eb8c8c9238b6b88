#!/usr/bin/env python3
"""Times writing 64 new files of 4 MiB each with one write per file, and with
the same bytes split into smaller writes, on the file system of FOLDER.

    bench/write_sizes.py FOLDER

The sizes come back in turn, so that a change in the machine's state (not in
the write size) shows as a change in the time of one and the same size."""
import os
import sys
import tempfile
import time

folder = sys.argv[1] if len(sys.argv) > 1 else "."
data = os.urandom(4 << 20)
view = memoryview(data)
for piece in [16 << 10, 64 << 10, 4 << 20, 256 << 10, 4 << 20, 64 << 10]:
    for repeat in range(2):
        target = tempfile.mkdtemp(dir=folder)
        os.sync()
        start = time.perf_counter()
        for i in range(64):
            fd = os.open(os.path.join(target, f"f{i}"), os.O_WRONLY | os.O_CREAT | os.O_EXCL)
            for offset in range(0, len(data), piece):
                os.write(fd, view[offset:offset + piece])
            os.close(fd)
        elapsed = (time.perf_counter() - start) * 1000
        print(f"writes of {piece >> 10:5} KiB: {elapsed:6.0f} ms for 64 files of 4 MiB")
