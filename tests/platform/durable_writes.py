#!/usr/bin/python3
"""Records the system calls of a save and of quelo-pack with strace and checks
that each new file is synced before it is renamed into place, and that its
folder is synced after the rename. Extracted files, created anew rather than
renamed into place, are each synced, and so is their folder after the last.

durable_writes.py REPLACE_PROBE QUELO_PACK PROGRAM SAMPLE_FOLDER
Exits 77 (skipped) with the reason when strace is missing."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

QUOTED = re.compile(r'"((?:[^"\\]|\\.)*)"')
# "PID call(args) = result", the descriptors shown with their paths (-y).
CALL = re.compile(r'^(?:\d+\s+)?(\w+)\((.*)\)\s+=\s+(-?\d+)')
FD_PATH = re.compile(r'^\d+<(.*)>')


def traced(log, command):
    """Runs command under strace; returns the (call, args, result) it made."""
    env = dict(os.environ)
    # LeakSanitizer cannot run under ptrace; the sanitizer build's leak checks run elsewhere.
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    subprocess.run(["strace", "-f", "-qq", "-y", "-o", log,
                    "-e", "trace=%file,fsync,fdatasync"] + command,
                   check=True, stdout=subprocess.DEVNULL, env=env)
    calls = []
    with open(log, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = CALL.match(line)
            if m:
                calls.append((m.group(1), m.group(2), int(m.group(3))))
    return calls


def is_replacement(call):
    return call[0].startswith("rename") and call[2] == 0 and ".quelo-" in call[1]


def check(calls, what, at_least):
    """Every rename of a temporary file follows a sync of that file, and a sync
    of the folder it lands in follows before the next one. Returns the failures."""
    failures, synced, renames = [], [], 0
    for i, (call, args, result) in enumerate(calls):
        if call in ("fsync", "fdatasync") and result == 0:
            m = FD_PATH.match(args)
            if m:
                synced.append((i, m.group(1)))
        if is_replacement(calls[i]):
            old, new = QUOTED.findall(args)[:2]
            renames += 1
            if not any(j < i and path == old for j, path in synced):
                failures.append("%s: %s renamed to %s without a sync before" % (what, old, new))
            folder = os.path.dirname(new)
            until = next((j for j in range(i + 1, len(calls)) if is_replacement(calls[j])), len(calls))
            later = [c for c in calls[i + 1:until] if c[0] in ("fsync", "fdatasync") and c[2] == 0]
            if not any(FD_PATH.match(a) and FD_PATH.match(a).group(1) == folder for _, a, _ in later):
                failures.append("%s: the folder %s not synced after %s" % (what, folder, new))
    if renames < at_least:
        failures.append("%s: %d file(s) renamed into place, expected %d" % (what, renames, at_least))
    return failures


def check_created(calls, what, at_least):
    """Every file created exclusively is synced, and its folder after the last one."""
    failures, created = [], []
    for i, (call, args, result) in enumerate(calls):
        if call.startswith("open") and "O_EXCL" in args and result >= 0:
            created.append((i, os.path.realpath(QUOTED.findall(args)[0])))
    synced = [(i, FD_PATH.match(a).group(1)) for i, (c, a, r) in enumerate(calls)
              if c in ("fsync", "fdatasync") and r == 0 and FD_PATH.match(a)]
    for i, path in created:
        if not any(j > i and p == path for j, p in synced):
            failures.append("%s: %s not synced" % (what, path))
    if created:
        last, path = created[-1]
        folder = os.path.dirname(path)
        if not any(j > last and p == folder for j, p in synced):
            failures.append("%s: the folder %s not synced after the last file" % (what, folder))
    if len(created) < at_least:
        failures.append("%s: %d file(s) created, expected %d" % (what, len(created), at_least))
    return failures


def main():
    probe, pack_tool, program, sample = sys.argv[1:5]
    if not shutil.which("strace"):
        print("skipped: strace is not installed (scripts/deps.sh installs it)")
        return 77
    work = os.path.realpath(tempfile.mkdtemp(prefix="quelo-strace-"))
    try:
        log = os.path.join(work, "log")
        saved = os.path.join(work, "strip.bmp")
        with open(saved, "wb") as f:
            f.write(b"earlier")
        failures = []
        failures += check(traced(log, [probe, saved, "new"]), "replacing save", 1)
        failures += check(traced(log, [probe, os.path.join(work, "fresh.bmp"), "new"]), "new save", 1)
        packed = os.path.join(work, "packed")
        build = [pack_tool, program, sample, os.path.join(sample, "quelo-pack.txt"), "-o", packed]
        failures += check(traced(log, build), "quelo-pack build", 1)
        failures += check(traced(log, build), "quelo-pack rebuild", 1)
        members = len(os.listdir(sample))  # the images and the definition text, as many as the pack holds
        failures += check_created(traced(log, [pack_tool, "--extract", packed, os.path.join(work, "out")]),
                                  "quelo-pack --extract", members)
        for f in failures:
            print("FAIL", f)
        print("durable writes: %d failure(s) in 5 traced runs" % len(failures))
        return 1 if failures else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
