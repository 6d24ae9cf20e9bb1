"""End-to-end harness: runs the real programs in a throw-away drive tree.

A test gets a Sandbox: a drive tree with a working folder ("C:\\Work") and a
bin folder ("C:\\Bin") holding quarlane, quarlane-passwd and librfc32 from the
build. Tests name files by their Windows paths, exactly as an administrator
writes them into "C:\\PRTG_Path.Txt" or passes them on the command line:

- target "native": the drive tree is a temporary folder given to the sensor as
  QUARLANE_ROOT; every drive letter means that tree.
- target "wine": one Wine prefix serves the whole suite; its drive_c is the
  drive tree (and drive D: is a folder of the harness beside it). The harness
  creates and removes only its own items there, so tests stay independent.

The sensor finds librfc32 in the folder of its own executable (the resolved
path, so symbolic links would point it back into the build): the bin folder
therefore holds hard links or copies, never symbolic links. A file is always
unlinked before it is written, so a hard link never writes through into the
build folder.
"""

import contextlib
import fcntl
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

# Set by run.py (or from the environment when a suite is run on its own).
TARGET = os.environ.get("QUARLANE_E2E_TARGET", "native")
BIN = os.environ.get("QUARLANE_E2E_BIN", "")

RUN_TIMEOUT = 60  # seconds; a hung sensor fails the test instead of the suite

# The Wine loader: "wine", or the 64-bit loader for the x86_64 build (CTest
# passes the one that runs the build's unit tests).
WINE = os.environ.get("QUARLANE_WINE") or "wine"


def configure(bin_folder, target):
    global TARGET, BIN
    if target not in ("native", "wine"):
        raise ValueError("target must be native or wine, not %r" % target)
    TARGET = target
    BIN = os.path.abspath(bin_folder)


def is_wine():
    return TARGET == "wine"


def eol():
    """The line end of text files written on the target."""
    return "\r\n" if is_wine() else "\n"


def exe(name):
    """File name of a program or of the RFC library on the target."""
    if name == "librfc32":
        return "librfc32.dll" if is_wine() else "librfc32.so"
    return name + ".exe" if is_wine() else name


def as_bytes(data):
    return data.encode("latin-1") if isinstance(data, str) else bytes(data)


def xml_text(text):
    """Element content as the sensor writes it: &, < and > escaped once."""
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def error_document(message):
    """The error document carrying message (given unescaped), as bytes."""
    return as_bytes("<Prtg>\n<Error>1</Error>\n<Text>" + xml_text(message) + "</Text>\n</Prtg>\n")


_TIME = re.compile(rb"(?<![0-9])[0-9]{2}:[0-9]{2}:[0-9]{2}(?![0-9])")


def normalise_times(output):
    """Replaces every time of day hh:mm:ss in output (bytes) by b"hh:mm:ss"."""
    return _TIME.sub(b"hh:mm:ss", output)


class RunResult(tuple):
    """(stdout, status) of one run, with stderr kept for failure messages."""

    def __new__(cls, stdout, status, stderr=b""):
        result = super().__new__(cls, (stdout, status))
        result.stderr = stderr
        return result

    @property
    def stdout(self):
        return self[0]

    @property
    def status(self):
        return self[1]


# ---------------------------------------------------------------- Wine prefix

_wine_prefix = None
_wine_lock = None


def wine_prefix():
    """The suite's Wine prefix, created on first use and kept for later runs.

    One prefix per build folder (so two build trees never share one), held
    under an exclusive lock for the whole process, so suites that share it run
    one after another.
    """
    global _wine_prefix, _wine_lock
    if _wine_prefix:
        return _wine_prefix
    prefix = os.environ.get("QUARLANE_E2E_WINEPREFIX")
    if not prefix:
        digest = hashlib.sha1(os.path.realpath(BIN).encode()).hexdigest()[:10]
        prefix = os.path.join(tempfile.gettempdir(), "quarlane-e2e-wine-" + digest)
    os.makedirs(prefix, exist_ok=True)
    _wine_lock = open(prefix + ".lock", "w")
    fcntl.flock(_wine_lock, fcntl.LOCK_EX)
    env = _wine_env(prefix)
    if not os.path.exists(os.path.join(prefix, "system.reg")):
        subprocess.run([WINE, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        subprocess.run(["wineserver", "-w"], env=env, check=False)
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            raise RuntimeError("could not create the Wine prefix " + prefix)
    # A server that outlives each run by a few seconds, so that the runs of a
    # suite do not each start Wine afresh.
    subprocess.run(["wineserver", "-p10"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    # Drive D: is a folder of the harness, so that D:\ paths work as on Windows.
    os.makedirs(os.path.join(prefix, "drive_d"), exist_ok=True)
    link = os.path.join(prefix, "dosdevices", "d:")
    if not os.path.islink(link):
        os.symlink("../drive_d", link)
    _wine_prefix = prefix
    return prefix


def _run_captured(command, workdir, env, stdin=None):
    """Runs command (with stdin, bytes, as its standard input); returns
    (stdout, stderr, status or "timeout")."""
    # Output goes to files, not pipes: a wineserver started by the run
    # inherits them, and a pipe would stay open until that server ends.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err, tempfile.TemporaryFile() as given:
        given.write(stdin or b"")
        given.seek(0)
        try:
            status = subprocess.run(command, cwd=workdir, env=env,
                                    stdin=given if stdin is not None else subprocess.DEVNULL,
                                    stdout=out, stderr=err, timeout=RUN_TIMEOUT).returncode
        except subprocess.TimeoutExpired:
            status = "timeout"
        out.seek(0)
        err.seek(0)
        return out.read(), err.read(), status


def _wine_env(prefix):
    env = dict(os.environ)
    env.pop("QUARLANE_ROOT", None)
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    return env


# -------------------------------------------------------------------- Sandbox


class Sandbox:
    """One test's drive tree, working folder and bin folder."""

    WORK = "C:\\Work"
    BIN_FOLDER = "C:\\Bin"

    def __init__(self):
        if not BIN or not os.path.isdir(BIN):
            raise RuntimeError("no bin folder: run through run.py --bin <build>/bin")
        self._created = []  # host paths of the files and folders this sandbox made
        if is_wine():
            self._prefix = wine_prefix()
            self._drives = {"C": os.path.join(self._prefix, "drive_c"),
                            "D": os.path.join(self._prefix, "drive_d")}
            self._manifest = os.path.join(self._prefix, "quarlane-e2e-items.txt")
            self._remove_leftovers()
            self._tmp = None
        else:
            self._tmp = tempfile.mkdtemp(prefix="quarlane-e2e-")
            root = os.path.join(self._tmp, "root")
            os.mkdir(root)
            self.root = root
            self._drives = None
            self._manifest = None
        self.work = self.host(self.WORK)
        self.bin = self.host(self.BIN_FOLDER)
        self._make_dirs(self.work)
        self._make_dirs(self.bin)
        for name in ("quarlane", "quarlane-passwd", "librfc32"):
            source = os.path.join(BIN, exe(name))
            if os.path.exists(source):
                _link_or_copy(source, os.path.join(self.bin, exe(name)))

    # -- paths

    def host(self, windows_path):
        """The host path of a Windows-form path (relative: the working folder)."""
        path = windows_path
        drive = "C"
        if re.match(r"^[A-Za-z]:", path):
            drive, path = path[0].upper(), path[2:]
        elif path.startswith("\\\\"):
            raise ValueError("network paths are not supported by the harness: " + path)
        elif not path.startswith("\\"):
            parts = [p for p in path.split("\\") if p]
            return os.path.join(self.work, *parts) if parts else self.work
        parts = [p for p in path.split("\\") if p]
        if is_wine():
            if drive not in self._drives:
                raise ValueError("drive %s: is not mapped under Wine" % drive)
            base = self._drives[drive]
        else:
            base = self.root  # every drive letter means the one drive tree
        return os.path.join(base, *parts)

    def windows(self, host_path):
        """The Windows form of a host path under the drive tree (for messages)."""
        if is_wine():
            for drive, base in sorted(self._drives.items()):
                rel = os.path.relpath(host_path, base)
                if not rel.startswith(".."):
                    return drive + ":\\" + ("" if rel == "." else rel.replace("/", "\\"))
        rel = os.path.relpath(host_path, self.root)
        return "C:\\" + ("" if rel == "." else rel.replace("/", "\\"))

    # -- files

    def put(self, windows_path, data):
        """Writes data (bytes, or text taken as Latin-1) at the Windows path."""
        path = self.host(windows_path)
        self._make_dirs(os.path.dirname(path))
        self._write(path, as_bytes(data))
        return path

    def put_text(self, windows_path, lines):
        """Writes the lines, each ended by the target's line end."""
        return self.put(windows_path, "".join(line + eol() for line in lines))

    def read(self, windows_path):
        with open(self.host(windows_path), "rb") as f:
            return f.read()

    def exists(self, windows_path):
        return os.path.exists(self.host(windows_path))

    def listdir(self, windows_path):
        return sorted(os.listdir(self.host(windows_path)))

    def make_dir(self, windows_path):
        path = self.host(windows_path)
        self._make_dirs(path)
        return path

    def remove(self, windows_path):
        path = self.host(windows_path)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        else:
            os.unlink(path)

    def files(self):
        """Every file of the drive tree that this sandbox owns (the bin folder
        left out), as {host path: content}: take it before a run and compare it
        after to see that the run created, changed and removed nothing."""
        found = {}
        roots = [self.root] if not is_wine() else list(self._created)
        for top in roots:
            if os.path.isfile(top):
                found[top] = _read(top)
                continue
            for folder, dirs, names in os.walk(top):
                if os.path.realpath(folder) == os.path.realpath(self.bin):
                    dirs[:] = []
                    continue
                for name in names:
                    path = os.path.join(folder, name)
                    found[path] = _read(path)
                dirs.sort()
        return found

    # -- programs

    def program(self, name, source="quarlane"):
        """Adds to the bin folder a copy of a program under another name, e.g.
        quarlane-kelbrun (the output mode follows the program's name)."""
        target = os.path.join(self.bin, exe(name))
        if not os.path.exists(target):
            _link_or_copy(os.path.join(BIN, exe(source)), target)
        return name

    def drop_library(self):
        """Removes librfc32 from the bin folder; returns the path the sensor
        then tries, in the form it prints it."""
        path = os.path.join(self.bin, exe("librfc32"))
        if os.path.exists(path):
            os.unlink(path)
        return self.library_path()

    def replace_library(self, data):
        """Puts data in place of librfc32 in the bin folder; returns the path
        the sensor then tries."""
        path = os.path.join(self.bin, exe("librfc32"))
        self._write(path, as_bytes(data))
        return self.library_path()

    def library_path(self):
        """The full path of librfc32 beside the sensor, as the sensor names it."""
        if is_wine():
            return self.windows(self.bin) + "\\" + exe("librfc32")
        return os.path.join(os.path.realpath(self.bin), exe("librfc32"))

    def run(self, args, program="quarlane", env=None, cwd=None, stdin=None):
        """Runs a program of the bin folder in the working folder (or cwd, a
        Windows path); returns RunResult (stdout, status).

        Under Wine the console writes in text mode, so the captured standard
        output has each CR LF turned back into LF here; file contents are
        always compared raw.
        """
        executable = os.path.join(self.bin, exe(program))
        if not os.path.exists(executable):
            raise FileNotFoundError(executable + " is not built")
        workdir = self.host(cwd) if cwd else self.work
        if is_wine():
            command = [WINE, executable] + list(args)
            run_env = _wine_env(self._prefix)
        else:
            command = [executable] + list(args)
            run_env = dict(os.environ)
            run_env["QUARLANE_ROOT"] = self.root
        if env:
            run_env.update(env)
        stdout, stderr, status = _run_captured(command, workdir, run_env, stdin)
        if is_wine() and stdout == b"" and stderr == b"":
            # Our programs write to standard output before anything else they
            # do, so a run that wrote nothing anywhere never got going: 64-bit
            # Wine fails a start now and then (about once in a few thousand
            # runs, cause not found). Such a run is started once more, and
            # said so; a program that really writes nothing fails again.
            sys.stderr.write("harness: %r wrote nothing at all (status %s) under Wine; started once more\n"
                             % (list(args), status))
            stdout, stderr, status = _run_captured(command, workdir, run_env, stdin)
        if is_wine():
            stdout = stdout.replace(b"\r\n", b"\n")
        return RunResult(stdout, status, stderr)

    def stored_password(self, password):
        """The stored form of password, as quarlane-passwd writes it."""
        key = (TARGET, BIN, password)
        if key not in _stored_passwords:
            stdout, status = self.run([password], program="quarlane-passwd")
            lines = [line.strip() for line in stdout.decode("latin-1").splitlines() if line.strip()]
            if status != 0 or not lines or len(lines[-1]) != 24:
                raise RuntimeError("quarlane-passwd %s gave status %s and %r" % (password, status, stdout))
            _stored_passwords[key] = lines[-1]
        return _stored_passwords[key]

    # -- lifetime

    def close(self):
        """Removes everything the sandbox made; may be called more than once."""
        if self._tmp:
            shutil.rmtree(self._tmp, ignore_errors=True)
            return
        for path in reversed(self._created):
            _remove(path)
        self._created = []
        open(self._manifest, "w").close()

    def _remove_leftovers(self):
        # Items of an earlier run that was killed before it could clean up.
        if os.path.exists(self._manifest):
            with open(self._manifest) as f:
                for line in reversed(f.read().splitlines()):
                    if line:
                        _remove(line)
        open(self._manifest, "w").close()

    def _track(self, path):
        self._created.append(path)
        if self._manifest:
            with open(self._manifest, "a") as f:
                f.write(path + "\n")

    def _make_dirs(self, folder):
        missing = []
        while not os.path.isdir(folder):
            missing.append(folder)
            folder = os.path.dirname(folder)
        for path in reversed(missing):
            os.mkdir(path)
            if path == missing[-1] and not self._inside_created(path):
                self._track(path)  # the topmost new folder takes the rest with it

    def _write(self, path, data):
        existed = os.path.lexists(path)
        if existed:
            os.unlink(path)
        with open(path, "wb") as f:
            f.write(data)
        if not existed and not self._inside_created(path):
            self._track(path)

    def _inside_created(self, path):
        return any(path.startswith(item + os.sep) for item in self._created)


_stored_passwords = {}


def _read(path):
    with open(path, "rb") as f:
        return f.read()


def _remove(path):
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path, ignore_errors=True)
    elif os.path.lexists(path):
        os.unlink(path)


def _link_or_copy(source, target):
    try:
        os.link(source, target)
    except OSError:
        shutil.copy2(source, target)


# ---------------------------------------------------------- system profiles

PROFILE_LABELS = (
    ("Extcompany", "Extcompany.:"), ("Destination", "Destination:"), ("Client", "Client.....:"),
    ("User", "User.......:"), ("Password", "Password...:"), ("Language", "Language...:"),
    ("Mode", "Mode.......:"), ("Hostname", "Hostname...:"), ("Sysnr", "Sysnr......:"),
    ("Gwhost", "Gwhost.....:"), ("Gwservice", "Gwservice..:"))

GOOD_PASSWORD = "Secret12"


def profile_lines(values):
    """Profile lines for values {parameter: value}, in the usual label order;
    a value of None leaves its line out, a value "" writes the bare label."""
    lines = []
    for name, label in PROFILE_LABELS:
        value = values.get(name)
        if value is not None:
            lines.append(label + " " + value if value != "" else label)
    return lines


def good_values(box, **changes):
    """The parameters of a profile that passes every check, with changes."""
    values = dict(Extcompany="Corvanta AG", Destination="PRD", Client="100", User="monitor",
                  Password=box.stored_password(GOOD_PASSWORD), Language="EN", Mode="R/3",
                  Hostname="sapprd01", Sysnr="00", Gwhost="sapprd01", Gwservice="sapgw00")
    values.update(changes)
    return values


# ------------------------------------------------------------ test case base


class SensorTest(unittest.TestCase):
    """A test with its own Sandbox in self.box."""

    maxDiff = None

    def setUp(self):
        self.box = Sandbox()
        self.addCleanup(lambda: self.box.close())

    @contextlib.contextmanager
    def case(self, **params):
        """One case of a table: a subtest with a fresh Sandbox in self.box."""
        with self.subTest(**params):
            # Under Wine the sandboxes share C:\Work and C:\Bin: one at a time.
            self.box.close()
            self.box = Sandbox()
            yield self.box

    def run_sensor(self, args, program="quarlane", env=None):
        return self.box.run(args, program=program, env=env)

    def assertRun(self, args, stdout, status, program="quarlane", times=False, files_kept=True):
        """Runs and compares standard output byte for byte and the exit
        status; with times, every hh:mm:ss is normalised first. With
        files_kept, the run must leave every file of the drive tree as it was.
        Native runs must write nothing to standard error."""
        before = self.box.files() if files_kept else None
        result = self.run_sensor(args, program=program)
        got = normalise_times(result.stdout) if times else result.stdout
        context = "run %s %r, status %s; stderr:\n%s" % (program, args, result.status,
                                                          result.stderr.decode("latin-1"))
        self.assertEqual(got, as_bytes(stdout), context)
        self.assertEqual(result.status, status, context)
        if not is_wine():
            self.assertEqual(result.stderr, b"", context)
        if files_kept:
            self.assertEqual(self.box.files(), before, "files changed by " + context)
        return result

    def assertFails(self, args, message, program="quarlane"):
        """The run ends with the error document carrying message, status 2,
        and leaves every file as it was."""
        return self.assertRun(args, error_document(message), 2, program=program)

    def put_profile(self, windows_path, values, extra_lines=()):
        """A system profile with the given parameters and further lines."""
        return self.box.put_text(windows_path, profile_lines(values) + list(extra_lines))


EXEXML_FOLDERS = {
    "Programme": "C:\\Programme\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "Program Files": "C:\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "Program Files (x86)": "C:\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
}
# The usual place of the profiles in an installation.
EXEXML = EXEXML_FOLDERS["Program Files"]
