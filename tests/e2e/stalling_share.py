#!/usr/bin/python3
"""A share whose server stops answering: BACKING served read-only at MOUNT.

Look-ups below a top-level directory of BACKING wait while it holds a file
"stall" reading "SECONDS [COUNT] [inside]": the next COUNT look-ups (all,
without a count) wait SECONDS, as calls to a dead file server wait for the
network; with "inside", only those of names inside a directory of it (the
share's files, not the share itself: a share that answers its first look and
then drops). While it holds
a file "deny", they are refused (EACCES), as a server refuses a user without
the right to the share; while it holds "slow" reading SECONDS, each read of
a file waits that long, as a slow line brings a large copy; while it holds
"slow-from" reading "SECONDS FROM", each read past byte FROM waits that long,
as a server that stops answering in the middle of a copy.
Opening and reading never wait: Wine opens files in its server process, and a
stalled open would freeze every Wine process. The kernel looks up one name of
a directory at a time, so each test stalls below a directory of its own.
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

STAT = ("st_mode", "st_nlink", "st_size", "st_uid", "st_gid", "st_atime", "st_mtime", "st_ctime")


class StallingShare(Operations):
    def __init__(self, backing):
        self.backing, self.guard, self.used = backing, threading.Lock(), {}

    def _stall(self, path):
        parts = path.strip("/").split("/")
        if len(parts) >= 2 and os.path.exists(os.path.join(self.backing, parts[0], "deny")):
            raise FuseOSError(errno.EACCES)
        control = os.path.join(self.backing, parts[0], "stall")
        if len(parts) < 2 or not os.path.exists(control):
            return
        words = open(control).read().split()
        if words[-1] == "inside" and len(parts) < 3:
            return
        seconds, count = ([word for word in words if word != "inside"] + [None])[:2]
        with self.guard:
            used = self.used[control] = self.used.get(control, 0) + 1
        if count is None or used <= int(count):
            time.sleep(float(seconds))

    def getattr(self, path, fh=None):
        self._stall(path)
        try:
            st = os.lstat(self.backing + path)
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in STAT}

    def readdir(self, path, fh):
        self._stall(path)
        return [".", ".."] + os.listdir(self.backing + path)

    def open(self, path, flags):
        return os.open(self.backing + path, os.O_RDONLY)

    def read(self, path, size, offset, fh):
        slow = os.path.join(self.backing, path.strip("/").split("/")[0], "slow")
        if os.path.exists(slow):
            time.sleep(float(open(slow).read()))
        if os.path.exists(slow + "-from"):
            seconds, start = open(slow + "-from").read().split()
            if offset + size > int(start):
                time.sleep(float(seconds))
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)


if __name__ == "__main__":
    # No caching in the kernel: every look-up reaches the file system.
    FUSE(StallingShare(sys.argv[1]), sys.argv[2], foreground=True, ro=True,
         attr_timeout=0, entry_timeout=0, negative_timeout=0)
