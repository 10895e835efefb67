#!/usr/bin/python3
"""Checks the Windows programs as a user's system sees them, with mingw's objdump.

    check_windows_exe.py BUILD_DIR     (the windows-qt build: quelo.exe, quelo-sample.exe, quelo-pack.exe)

Each imports only DLLs that every Windows 10 has (no Qt, C++ runtime or
pthread DLL left to deploy), carries a version resource with the project's
version, and quelo.exe a window subsystem, the icon Explorer shows and the
manifest with the UTF-8 code page. Exits 77 when objdump is missing.
"""

import os
import re
import shutil
import subprocess
import sys

OBJDUMP = "x86_64-w64-mingw32-objdump"
SYSTEM_DLLS = {
    "advapi32.dll", "authz.dll", "comdlg32.dll", "d3d11.dll", "d3d9.dll", "dwrite.dll", "dwmapi.dll", "dxgi.dll",
    "gdi32.dll", "imm32.dll", "kernel32.dll", "msvcrt.dll", "netapi32.dll", "ole32.dll", "oleaut32.dll",
    "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "userenv.dll", "uxtheme.dll", "version.dll",
    "winmm.dll", "ws2_32.dll", "wtsapi32.dll", "api-ms-win-core-synch-l1-2-0.dll",
    "api-ms-win-core-winrt-l1-1-0.dll", "api-ms-win-core-winrt-string-l1-1-0.dll"}


def project_version(build):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", cache.read(), re.M).group(1)


def resource_string(data, key):
    """The value of a version resource's string entry (UTF-16LE key, padding, value)."""
    at = data.find(key.encode("utf-16-le") + b"\0\0")
    if at < 0:
        return None
    at += 2 * len(key) + 2
    while data[at:at + 2] == b"\0\0":
        at += 2
    end = data.find(b"\0\0", at)
    end += (end - at) % 2
    return data[at:end].decode("utf-16-le", "replace")


def check(build, name, window):
    path = os.path.join(build, name)
    problems = []
    headers = subprocess.run([OBJDUMP, "-p", path], capture_output=True, text=True, check=True).stdout
    imports = {m.lower() for m in re.findall(r"DLL Name: (\S+)", headers)}
    if imports - SYSTEM_DLLS:
        problems.append("imports DLLs that Windows does not have: %s" % sorted(imports - SYSTEM_DLLS))
    subsystem = re.search(r"^Subsystem\s+\S+\s+\((.*)\)", headers, re.M).group(1)
    if window and subsystem != "Windows GUI":
        problems.append("is a %s program, not a window program" % subsystem)
    with open(path, "rb") as f:
        data = f.read()
    version = project_version(build)
    for key in ("FileVersion", "ProductVersion"):
        if resource_string(data, key) != version:
            problems.append("%s is %r, not the project's %s" % (key, resource_string(data, key), version))
    if resource_string(data, "OriginalFilename") != name.replace("-sample", ""):
        problems.append("OriginalFilename is %r" % resource_string(data, "OriginalFilename"))
    if window:
        manifest = re.search(rb"<assembly.*?</assembly>", data, re.S)
        text = manifest.group(0).decode() if manifest else ""
        if not re.search(r"<activeCodePage[^>]*>UTF-8</activeCodePage>", text):
            problems.append("has no manifest asking for the UTF-8 code page")
        if "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" not in text:
            problems.append("does not declare Windows 10 in its manifest")
        # The resource directory: type 14 (group icon) before the version (16).
        if not re.search(r"Entry: ID: 0x00000e,", headers):
            problems.append("has no icon for Explorer and the task bar")
    return ["%s %s" % (name, p) for p in problems]


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if not shutil.which(OBJDUMP):
        print("skipped: %s is not installed" % OBJDUMP)
        return 77
    build = sys.argv[1]
    problems = []
    for name, window in (("quelo.exe", True), ("quelo-sample.exe", True), ("quelo-pack.exe", False)):
        problems += check(build, name, window)
    for p in problems:
        print("FAIL   " + p)
    print("Windows programs: %s" % ("%d problems" % len(problems) if problems else "imports, versions, manifest, icon ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
