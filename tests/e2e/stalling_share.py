#!/usr/bin/python3
"""A share whose server stops answering: BACKING served read-only at MOUNT.

Look-ups and attributes of everything below a top-level directory of
BACKING wait while that directory holds a file named "stall" reading
"SECONDS [COUNT]": each of the next COUNT look-ups (all, without a count)
waits SECONDS first, as a call to a dead file server waits for the network.
The top-level directories themselves answer at once: the kernel looks up one
name of a directory at a time, so each test's share has a directory of its
own to stall in. Opening and reading never wait: Wine opens files inside its server
process, and a stalled open would freeze every Wine process, not the caller.
Runs in the foreground until unmounted (fusermount -u MOUNT).
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations


class StallingShare(Operations):
    def __init__(self, backing):
        self.backing = backing
        self.guard = threading.Lock()
        self.used = {}  # stall file -> look-ups stalled so far

    def _real(self, path):
        return os.path.join(self.backing, path.lstrip("/"))

    def _stall(self, path):
        parts = path.lstrip("/").split("/")
        if len(parts) < 2:
            return
        top = parts[0]
        control = os.path.join(self.backing, top, "stall")
        try:
            with open(control) as f:
                fields = f.read().split()
        except OSError:
            return
        seconds = float(fields[0]) if fields else 60.0
        count = int(fields[1]) if len(fields) > 1 else None
        with self.guard:
            used = self.used.get(control, 0)
            if count is not None and used >= count:
                return
            self.used[control] = used + 1
        time.sleep(seconds)

    def getattr(self, path, fh=None):
        self._stall(path)
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {k: getattr(st, k) for k in ("st_mode", "st_nlink", "st_size", "st_uid", "st_gid",
                                            "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        self._stall(path)
        return [".", ".."] + os.listdir(self._real(path))

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        return {k: getattr(st, k) for k in ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail",
                                            "f_ffree", "f_files", "f_flag", "f_frsize", "f_namemax")}

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)


if __name__ == "__main__":
    backing, mount = sys.argv[1], sys.argv[2]
    # No caching in the kernel: every look-up reaches the file system.
    FUSE(StallingShare(backing), mount, foreground=True, nothreads=False, ro=True,
         attr_timeout=0, entry_timeout=0, negative_timeout=0, allow_other=False)
