#!/usr/bin/env python3
"""Runs a command where 32-bit x86 Linux programs run, even on a kernel that cannot run them.

    scripts/wine32-namespace.py -- command...   run the command there
    scripts/wine32-namespace.py --check         say how, or why not (exit status 1)

Where the kernel runs 32-bit programs itself, the command simply runs. Otherwise the command
runs in a new user and mount namespace with a binfmt_misc of its own (Linux 6.7 and later), in
which qemu's user-mode emulator is the handler of ELF32 i386 programs: Wine's 32-bit loader then
starts there, and only there (the machine's own binfmt_misc is not touched). Every user and
group id is mapped onto itself, so that services started inside, such as a private CUPS with
its PDF back end, can change to their own users as they would outside.

With KAVLOR_WINE32_EMULATE set (to anything but empty or 0), the namespace and qemu are taken even
where the kernel runs 32-bit programs itself, so that the emulated route can be tested on any
machine: the namespace's handler comes before the kernel's own loader of 32-bit programs.
"""
import ctypes
import os
import signal
import subprocess
import sys

CLONE_NEWNS = 0x00020000
CLONE_NEWUSER = 0x10000000
MS_REC = 0x4000
MS_PRIVATE = 1 << 18
BINFMT = "/proc/sys/fs/binfmt_misc"

# qemu's own binfmt entry for i386: ELF32, little-endian, an executable or shared object of
# machine EM_386.
I386_MAGIC = r"\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00"
I386_MASK = r"\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff"

# Wine's 32-bit loader: what has to run.
WINE32 = ["/usr/lib/wine/wine", "--version"]

libc = ctypes.CDLL(None, use_errno=True)


def qemu_i386():
    for path in ("/usr/bin/qemu-i386", "/usr/bin/qemu-i386-static"):
        if os.access(path, os.X_OK):
            return path
    return None


def wine32_runs():
    try:
        return subprocess.run(WINE32, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=60).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def mount(source, target, fstype, flags):
    if libc.mount(source.encode() if source else None, target.encode(),
                  fstype.encode() if fstype else None, flags, None) != 0:
        raise OSError(ctypes.get_errno(), f"mount {target}")


def enter_namespace(qemu):
    """Forks; the child gets a user and mount namespace with every id mapped and qemu as the
    i386 handler, and returns. The parent waits for the child and exits with its status."""
    ready_r, ready_w = os.pipe()
    mapped_r, mapped_w = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(ready_r)
        os.close(mapped_w)
        if libc.unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0:
            os.write(ready_w, b"e%d" % ctypes.get_errno())
            os._exit(125)
        os.write(ready_w, b"k")
        if os.read(mapped_r, 1) != b"k":
            os._exit(125)
        # Mounts made here stay in this namespace.
        mount(None, "/", None, MS_REC | MS_PRIVATE)
        mount("binfmt_misc", BINFMT, "binfmt_misc", 0)
        with open(f"{BINFMT}/register", "w") as f:
            f.write(f":kavlor-i386:M::{I386_MAGIC}:{I386_MASK}:{qemu}:F")
        return
    os.close(ready_w)
    os.close(mapped_r)
    answer = os.read(ready_r, 16)
    if answer != b"k":
        errno = int(answer[1:] or b"0")
        os.waitpid(pid, 0)
        raise OSError(errno, "unshare of a user and mount namespace")
    # A parent with CAP_SETUID and CAP_SETGID may map the whole id range onto itself.
    for name in ("uid_map", "gid_map"):
        with open(f"/proc/{pid}/{name}", "w") as f:
            f.write("0 0 4294967295\n")
    os.write(mapped_w, b"k")
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, lambda s, _f: os.kill(pid, s))
    _, status = os.waitpid(pid, 0)
    sys.exit(os.waitstatus_to_exitcode(status) if os.WIFEXITED(status) else 128 + os.WTERMSIG(status))


def check_namespace(qemu):
    """Tries Wine's 32-bit loader in the namespace; returns None when it runs, else the reason."""
    r, w = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(r)
        try:
            enter_namespace(qemu)
            os.write(w, b"ok" if wine32_runs() else b"Wine's 32-bit loader did not start under qemu-i386")
        except OSError as e:
            # Ours name the step in the text; the system's name the file.
            os.write(w, f"{e.filename or e.strerror}: {os.strerror(e.errno)}".encode())
        os._exit(0)
    os.close(w)
    reason = b""
    while chunk := os.read(r, 256):
        reason += chunk
    os.waitpid(pid, 0)
    return None if reason == b"ok" else reason.decode()


def emulation_forced():
    return os.environ.get("KAVLOR_WINE32_EMULATE", "") not in ("", "0")


def route():
    """("native" | "namespace", None) where 32-bit programs can run, else (None, reason)."""
    if not os.access(WINE32[0], os.X_OK):
        return None, "Wine's 32-bit loader is not installed (wine32:i386)"
    if not emulation_forced() and wine32_runs():
        return "native", None
    qemu = qemu_i386()
    if qemu is None:
        return None, "qemu-i386 is not installed (qemu-user from bookworm-backports)"
    reason = check_namespace(qemu)
    if reason:
        if emulation_forced():
            return None, f"KAVLOR_WINE32_EMULATE is set, and qemu-i386 could not run 32-bit programs in a user namespace ({reason})"
        return None, f"this kernel cannot run 32-bit programs, and qemu-i386 could not run them in a user namespace ({reason})"
    return "namespace", None


def main():
    args = sys.argv[1:]
    if args == ["--check"]:
        how, reason = route()
        print(how or reason)
        sys.exit(0 if how else 1)
    if not args or args[0] != "--" or len(args) < 2:
        sys.exit(__doc__)
    how, reason = route()
    if how is None:
        sys.exit(f"32-bit programs cannot run here: {reason}")
    if how == "namespace":
        enter_namespace(qemu_i386())
    os.execvp(args[1], args[1:])


if __name__ == "__main__":
    main()
