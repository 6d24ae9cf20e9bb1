#!/usr/bin/env python3
"""Lays out one release package from a Release build folder and archives it.

    package_archive.py TARGET BUILD_FOLDER DIST    prints the archive's path
    package_archive.py --sums DIST                 writes DIST/SHA256SUMS

Called by scripts/package. The archive holds one folder named like the
archive; its entries are sorted, owned by nobody in particular and stamped
with the commit's time, so the same commit gives the same bytes.
"""

import gzip
import hashlib
import os
import re
import shutil
import stat
import subprocess
import sys
import tarfile
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO_PROFILES = os.path.join(ROOT, "demo", "drive", "Program Files (x86)", "PRTG Network Monitor",
                             "Custom Sensors", "ExeXml")

# The notices of the MinGW-w64 runtime that the Windows programs carry.
MINGW_NOTICES = "/usr/share/doc/mingw-w64-common/copyright"

TARGETS = {
    #            archive suffix         program ext  library          strip
    "linux": ("linux-x86_64", "tar.gz", "", "librfc32.so", "strip"),
    "windows64": ("windows-x64", "zip", ".exe", "librfc32.dll", "x86_64-w64-mingw32-strip"),
    "windows": ("windows-x86", "zip", ".exe", "librfc32.dll", "i686-w64-mingw32-strip"),
}

# What a Windows program of the package may import: the system's own DLLs.
# A MinGW runtime DLL (libstdc++-6, libgcc_s_*, libwinpthread-1) would have to
# lie beside the program on every probe.
WINDOWS_SYSTEM_DLLS = re.compile(
    r"^(kernel32|msvcrt|advapi32|user32|ws2_32|shell32|ole32|bcrypt|ntdll|api-ms-win-.*)\.dll$",
    re.IGNORECASE)

SDK_FILES_NOTE = """\
The NetWeaver RFC bridge
========================

{library} in this folder is a second RFC library for the sensor: it reaches
real SAP systems through SAP's NetWeaver RFC SDK. SAP's SDK is not part of
this package: download "SAP NetWeaver RFC SDK" 7.50 for this platform
({platform}) from the SAP Support Portal (Software Downloads), and unpack the
.SAR file with SAPCAR; the files are in its nwrfcsdk/lib folder.{runtime}

For a real system, copy into the sensor's folder (the one that holds
{sensor}), replacing the simulated {library} there:

  - {library} from this folder (the bridge),
  - quarlane-nwrfc-check{ext} from this folder (the first-contact check),
  - every file of the SDK's lib folder: {sdk_files}

Then run the first-contact check there against one system profile:

  quarlane-nwrfc-check{ext} PRD

It says whether the SDK loads, the logon works, and which function modules
the monitoring user may call. See INSTALL.md beside this folder.
"""

# Public installation guides of products that ship on the SDK name this
# runtime for the Windows SDK 7.50 (Qlik's "Installing SAP NetWeaver RFC SDK").
WINDOWS_SDK_RUNTIME = """
The Windows SDK's DLLs need Microsoft's Visual C++ 2013 Redistributable of
the same width on the probe."""

SDK_LISTING = {
    "linux": "libsapnwrfc.so, libsapucum.so and the ICU libraries "
             "(libicuuc.so.NN, libicudata.so.NN, libicui18n.so.NN, libicudecnumber.so if present)",
    "windows": "sapnwrfc.dll, libsapucum.dll and the ICU DLLs "
               "(icuucNN.dll, icudtNN.dll, icuinNN.dll, libicudecnumber.dll if present)",
}


def commit_time():
    try:
        out = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], check=True,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return int(time.time())


def build_version(build):
    """The version the build's programs print (cmake/version.cmake wrote it)."""
    with open(os.path.join(build, "generated", "version.cpp"), encoding="utf-8") as source:
        match = re.search(r'return "([^"]*)";', source.read())
    if not match:
        sys.exit("package: no version in %s/generated/version.cpp" % build)
    return match.group(1)


def windows_imports(path):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], check=True,
                         stdout=subprocess.PIPE).stdout.decode("latin-1")
    return re.findall(r"DLL Name: (\S+)", out)


def check_windows_imports(folder):
    """Every .exe and .dll imports only the system's own DLLs."""
    for base, _, files in os.walk(folder):
        for name in files:
            if name.lower().endswith((".exe", ".dll")):
                path = os.path.join(base, name)
                foreign = [dll for dll in windows_imports(path) if not WINDOWS_SYSTEM_DLLS.match(dll)]
                if foreign:
                    sys.exit("package: %s imports %s: it would need them beside it on every probe"
                             % (os.path.relpath(path, folder), ", ".join(foreign)))


def copy_program(source, target, strip):
    shutil.copyfile(source, target)
    os.chmod(target, 0o755)
    subprocess.run([strip, target], check=True)


def write_text(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


def lay_out(target, build, folder):
    suffix, _, ext, library, strip = TARGETS[target]
    os.makedirs(os.path.join(folder, "nwrfc"))
    os.makedirs(os.path.join(folder, "first-try"))
    for program in ("quarlane", "quarlane-passwd"):
        copy_program(os.path.join(build, "bin", program + ext), os.path.join(folder, program + ext), strip)
    copy_program(os.path.join(build, "bin", library), os.path.join(folder, library), strip)
    copy_program(os.path.join(build, "nwrfc", library), os.path.join(folder, "nwrfc", library), strip)
    copy_program(os.path.join(build, "bin", "quarlane-nwrfc-check" + ext),
                 os.path.join(folder, "nwrfc", "quarlane-nwrfc-check" + ext), strip)
    write_text(os.path.join(folder, "nwrfc", "SDK-FILES.txt"), SDK_FILES_NOTE.format(
        library=library, ext=ext, sensor="quarlane" + ext, platform=suffix,
        runtime="" if target == "linux" else WINDOWS_SDK_RUNTIME,
        sdk_files=SDK_LISTING["linux" if target == "linux" else "windows"]))

    # The first try: the demo's profiles and a simulated landscape for today
    # (its figures are those of the moment the package was made).
    for name in sorted(os.listdir(DEMO_PROFILES)):
        shutil.copyfile(os.path.join(DEMO_PROFILES, name), os.path.join(folder, "first-try", name))
    landscape = subprocess.run([sys.executable, os.path.join(ROOT, "demo", "landscape.py")],
                               check=True, stdout=subprocess.PIPE).stdout
    with open(os.path.join(folder, "first-try", "SapLandscape.ini"), "wb") as out:
        out.write(landscape)

    for source, name in (("docs/INSTALL.md", "INSTALL.md"), ("docs/prtg-script-v2.md", "SCRIPT-V2.md"),
                         ("LICENSE", "LICENSE"),
                         ("docs/THIRD-PARTY.md", "THIRD-PARTY.md")):
        shutil.copyfile(os.path.join(ROOT, source), os.path.join(folder, name))

    if target != "linux":
        os.makedirs(os.path.join(folder, "licenses"))
        shutil.copyfile(MINGW_NOTICES, os.path.join(folder, "licenses", "mingw-w64.txt"))
        check_windows_imports(folder)
    write_sums(folder)


def file_sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as data:
        for block in iter(lambda: data.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def write_sums(folder):
    """SHA256SUMS of every other file, in `sha256sum -c` form, sorted."""
    lines = []
    for base, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(base, name)
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            if relative != "SHA256SUMS":
                lines.append("%s  %s\n" % (file_sha256(path), relative))
    write_text(os.path.join(folder, "SHA256SUMS"), "".join(sorted(lines, key=lambda l: l[66:])))


def entries(folder):
    """(relative name, path) of every folder and file below folder, sorted."""
    found = []
    for base, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(base, name)
            found.append((os.path.relpath(path, os.path.dirname(folder)).replace(os.sep, "/"), path))
    return sorted(found)


def archive(folder, path, kind, stamp):
    if kind == "tar.gz":
        with open(path, "wb") as raw:
            # gzip's own header time is fixed too (mtime=stamp).
            with gzip.GzipFile(fileobj=raw, mode="wb", mtime=stamp) as zipped:
                with tarfile.open(fileobj=zipped, mode="w", format=tarfile.PAX_FORMAT) as tar:
                    for name, source in entries(folder):
                        info = tar.gettarinfo(source, arcname=name)
                        info.mtime = stamp
                        info.uid = info.gid = 0
                        info.uname = info.gname = "root"
                        info.mode = 0o755 if info.isdir() or os.access(source, os.X_OK) else 0o644
                        if info.isfile():
                            with open(source, "rb") as data:
                                tar.addfile(info, data)
                        else:
                            tar.addfile(info)
        return
    date = time.gmtime(max(stamp, 315532800))[:6]  # zip knows no time before 1980
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as out:
        for name, source in entries(folder):
            if os.path.isdir(source):
                info = zipfile.ZipInfo(name + "/", date)
                info.external_attr = (0o40755 << 16) | 0x10
                out.writestr(info, b"")
            else:
                info = zipfile.ZipInfo(name, date)
                info.compress_type = zipfile.ZIP_DEFLATED
                mode = 0o755 if os.access(source, os.X_OK) else 0o644
                info.external_attr = (stat.S_IFREG | mode) << 16
                with open(source, "rb") as data:
                    out.writestr(info, data.read())


def make_package(target, build, dist):
    suffix, kind = TARGETS[target][:2]
    name = "quarlane-%s-%s" % (build_version(build), suffix)
    path = os.path.join(dist, "%s.%s" % (name, kind))
    with tempfile.TemporaryDirectory(prefix="quarlane-package-") as work:
        folder = os.path.join(work, name)
        lay_out(target, build, folder)
        archive(folder, path + ".part", kind, commit_time())
    os.replace(path + ".part", path)
    return path


def write_dist_sums(dist):
    names = sorted(n for n in os.listdir(dist) if n.startswith("quarlane-") and
                   (n.endswith(".tar.gz") or n.endswith(".zip")))
    write_text(os.path.join(dist, "SHA256SUMS"),
               "".join("%s  %s\n" % (file_sha256(os.path.join(dist, n)), n) for n in names))


def main(argv):
    if len(argv) == 3 and argv[1] == "--sums":
        write_dist_sums(argv[2])
        return 0
    if len(argv) != 4 or argv[1] not in TARGETS:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    print(make_package(argv[1], argv[2], argv[3]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
