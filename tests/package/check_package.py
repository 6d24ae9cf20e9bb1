#!/usr/bin/env python3
"""Checks release packages as an administrator receives them.

    python3 tests/package/check_package.py DIST

For each archive in DIST (quarlane-*.tar.gz, quarlane-*.zip): its sum in
DIST/SHA256SUMS, then, unpacked into an empty folder outside the source tree,
the files INSTALL.md promises, the package's own SHA256SUMS, and for Windows
packages that every program and library imports only the system's own DLLs.
Then it runs, from the unpacked folder and with nothing of the source tree
or the build in reach, the first check that INSTALL.md tells an
administrator to run: its `sh` block natively for the Linux package, its
`bat` block through Wine's cmd for the 64-bit Windows package (the 32-bit
one where this machine runs 32-bit programs). Every program prints the
package's version with --version. Exit status 0 when everything held.
"""

import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
from package_archive import WINDOWS_SYSTEM_DLLS, file_sha256 as sha256  # noqa: E402  (one rule for both)

WINE64_CANDIDATES = ["/usr/lib/wine/wine64", "/usr/lib64/wine/wine64",
                     "/usr/lib/x86_64-linux-gnu/wine/wine64"]


class Check:
    def __init__(self):
        self.failures = []

    def expect(self, condition, what, detail=""):
        print(("ok   - " if condition else "FAIL - ") + what)
        if not condition:
            self.failures.append(what)
            if detail:
                print("       " + detail.replace("\n", "\n       "))
        return condition


def read_sums(path):
    sums = {}
    with open(path, encoding="utf-8") as listing:
        for line in listing:
            digest, name = line.rstrip("\n").split("  ", 1)
            sums[name] = digest
    return sums


def unpack(archive, into):
    if archive.endswith(".tar.gz"):
        with tarfile.open(archive) as tar:
            tar.extractall(into, filter="data") if hasattr(tarfile, "data_filter") else tar.extractall(into)
    else:
        with zipfile.ZipFile(archive) as zipped:
            for info in zipped.infolist():
                zipped.extract(info, into)
                mode = (info.external_attr >> 16) & 0o777
                if mode:
                    os.chmod(os.path.join(into, info.filename), mode)
    names = os.listdir(into)
    return os.path.join(into, names[0]) if len(names) == 1 else None


def first_check_block(install_md, language):
    """The first fenced block of this language in INSTALL.md's first section."""
    text = open(install_md, encoding="utf-8").read()
    section = re.search(r"^## 1\..*?(?=^## )", text, re.S | re.M)
    if not section:
        return None
    block = re.search(r"^```%s\n(.*?)^```" % language, section.group(0), re.S | re.M)
    return [line for line in block.group(1).splitlines() if line.strip()] if block else None


def clean_env():
    """The environment of an administrator's shell: nothing of ours in it."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QUARLANE_", "LD_", "ASAN_", "UBSAN_"))}
    env["PATH"] = "/usr/local/bin:/usr/bin:/bin"
    return env


def wine64():
    for candidate in [shutil.which("wine64")] + WINE64_CANDIDATES:
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    return None


def wine32_works():
    try:
        return subprocess.run(["wine", "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0
    except OSError:
        return False


def run_first_check(check, label, folder, kind, work):
    """Runs INSTALL.md's first check and returns its output (text)."""
    install = os.path.join(folder, "INSTALL.md")
    block = first_check_block(install, "sh" if kind == "linux" else "bat")
    if not check.expect(block, "%s: INSTALL.md has a first check for this platform" % label):
        return None
    env = clean_env()
    if kind == "linux":
        command = ["bash", "-c", "set -e\n" + "\n".join(block)]
    else:
        loader = wine64() if kind == "windows64" else "wine"
        env.update(WINEPREFIX=os.path.join(work, "wine-" + kind), WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        command = [loader, "cmd.exe", "/c", " && ".join(block)]
    result = subprocess.run(command, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
    output = result.stdout.decode("latin-1").replace("\r\n", "\n")
    check.expect(result.returncode == 0, "%s: the first check (%s) ends with status 0"
                 % (label, " / ".join(block)), output)
    return output


def versions(check, label, folder, kind, work, expected):
    ext = "" if kind == "linux" else ".exe"
    for program, line_start in (("quarlane", "quarlane "), ("quarlane-passwd", "quarlane-passwd "),
                                ("nwrfc/quarlane-nwrfc-check", "quarlane-nwrfc-check ")):
        path = os.path.join(folder, program + ext)
        if kind == "linux":
            command = [path, "--version"]
            env = clean_env()
        else:
            command = [wine64() if kind == "windows64" else "wine", path, "--version"]
            env = dict(clean_env(), WINEPREFIX=os.path.join(work, "wine-" + kind), WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=")
        result = subprocess.run(command, cwd=work, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        out = result.stdout.decode("latin-1").replace("\r\n", "\n")
        first = out.split("\n")[0]
        check.expect(result.returncode == 0 and first.startswith(line_start + expected)
                     and (len(first) == len(line_start + expected) or first[len(line_start + expected)] == " "),
                     "%s: %s --version prints the package's version %s" % (label, program, expected),
                     out + result.stderr.decode("latin-1"))


def check_archive(check, archive, dist_sums, work):
    name = os.path.basename(archive)
    match = re.match(r"quarlane-(.+)-(linux-x86_64|windows-x64|windows-x86)\.(tar\.gz|zip)$", name)
    if not check.expect(match, "%s: named quarlane-VERSION-PLATFORM" % name):
        return
    version, platform = match.group(1), match.group(2)
    kind = {"linux-x86_64": "linux", "windows-x64": "windows64", "windows-x86": "windows"}[platform]
    check.expect(dist_sums.get(name) == sha256(archive), "%s: its sum in SHA256SUMS matches" % name)

    place = os.path.join(work, kind)
    os.makedirs(place)
    folder = unpack(archive, place)
    stem = name[:-len("." + match.group(3))]
    if not check.expect(folder is not None and os.path.basename(folder) == stem,
                        "%s: unpacks into one folder named like the archive" % name):
        return
    ext = "" if kind == "linux" else ".exe"
    lib = "librfc32.so" if kind == "linux" else "librfc32.dll"
    wanted = ["INSTALL.md", "SCRIPT-V2.md", "LICENSE", "THIRD-PARTY.md", "SHA256SUMS", "quarlane" + ext,
              "quarlane-passwd" + ext, lib, "nwrfc/" + lib, "nwrfc/quarlane-nwrfc-check" + ext,
              "nwrfc/SDK-FILES.txt", "first-try/PRD.P00", "first-try/SapLandscape.ini"]
    if kind != "linux":
        wanted.append("licenses/mingw-w64.txt")
    missing = [w for w in wanted if not os.path.isfile(os.path.join(folder, w))]
    check.expect(not missing, "%s: holds what INSTALL.md lists" % name, "missing: %s" % missing)

    sums = read_sums(os.path.join(folder, "SHA256SUMS"))
    files = set()
    for base, _, names in os.walk(folder):
        for n in names:
            files.add(os.path.relpath(os.path.join(base, n), folder).replace(os.sep, "/"))
    files.discard("SHA256SUMS")
    wrong = [f for f in sorted(files) if sums.get(f) != sha256(os.path.join(folder, f))]
    check.expect(not wrong and set(sums) == files,
                 "%s: SHA256SUMS lists every file with its sum" % name,
                 "wrong or missing: %s; listed but absent: %s" % (wrong, sorted(set(sums) - files)))

    if kind != "linux":
        foreign = {}
        for f in sorted(files):
            if f.lower().endswith((".exe", ".dll")):
                out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", os.path.join(folder, f)],
                                     stdout=subprocess.PIPE, check=True).stdout.decode("latin-1")
                others = [d for d in re.findall(r"DLL Name: (\S+)", out) if not WINDOWS_SYSTEM_DLLS.match(d)]
                if others:
                    foreign[f] = others
        check.expect(not foreign, "%s: every program imports only Windows' own DLLs" % name,
                     "%s" % foreign)
        if kind == "windows" and not wine32_works():
            print("skip - %s: this machine runs no 32-bit programs: built and imports checked only" % name)
            return

    versions(check, name, folder, kind, work, version)
    output = run_first_check(check, name, folder, kind, work)
    if output is not None:
        check.expect("(PRD) Summary:  Trans=" in output and "<Channel>TransActions</Channel>" in output
                     and output.rstrip().endswith("now processed..."),
                     "%s: the first check shows PRD's summary document" % name, output)


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    dist = os.path.abspath(argv[1])
    check = Check()
    archives = sorted(os.path.join(dist, n) for n in os.listdir(dist)
                      if n.startswith("quarlane-") and n.endswith((".tar.gz", ".zip")))
    check.expect(archives, "packages in %s" % dist)
    dist_sums = read_sums(os.path.join(dist, "SHA256SUMS")) if os.path.exists(
        os.path.join(dist, "SHA256SUMS")) else {}
    work = tempfile.mkdtemp(prefix="quarlane-package-check-")
    try:
        for archive in archives:
            check_archive(check, archive, dist_sums, work)
    finally:
        for kind in ("windows64", "windows"):
            prefix = os.path.join(work, "wine-" + kind)
            if os.path.isdir(prefix):
                subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        shutil.rmtree(work, ignore_errors=True)
    print("packages: %s" % ("FAILED: " + "; ".join(check.failures) if check.failures
                            else "all checks held"))
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
