"""Runs the built tool as a user would: natively on Linux or through Wine, each run from a
private copy of the executable, since the log file is written beside it."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

from key_material import KEY_NAMES

LOG_NAME = "Quendra.out"
TEMPORARY_FILE = re.compile(r"^Tem.*\.TMP$", re.IGNORECASE)
_STAMP = re.compile(rb"(Sun|Mon|Tue|Wed|Thu|Fri|Sat), [0-3][0-9] "
                    rb"(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
                    rb"[0-2][0-9]:[0-5][0-9]:[0-5][0-9] [+-][0-9]{4} -- ")
# A hung tool is a failure, not a stuck test run.
RUN_TIMEOUT = float(os.environ.get("QUENDRA_E2E_RUN_TIMEOUT", "60"))


class LogFormatError(AssertionError):
    pass


def log_stamps(data):
    """The time stamps of a log file's lines, in order."""
    return [line[:31].decode("ascii") for line in data[:-2].split(b"\r\n")] if data else []


def parse_log(data):
    """The messages of a log file, stamps taken away. Lines end with CR LF; a message may hold
    bare LF line breaks of its own."""
    if not data:
        return []
    if not data.endswith(b"\r\n"):
        raise LogFormatError("log does not end with CR LF: %r" % data[-80:])
    messages = []
    for line in data[:-2].split(b"\r\n"):
        stamp = _STAMP.match(line)
        if not stamp:
            raise LogFormatError("line without a time stamp: %r" % line)
        messages.append(line[stamp.end():].decode("utf-8", "surrogateescape"))
    return messages


class Result:
    def __init__(self, stdout, stderr, code, raw_log, seconds):
        self.stdout = stdout
        self.stderr = stderr
        self.code = code
        self.raw_log = raw_log
        # The messages, or None when there is no log file.
        self.log = None if raw_log is None else parse_log(raw_log)
        self.seconds = seconds

    def __repr__(self):
        return "Result(code=%r, stdout=%r, stderr=%r, log=%r)" % (
            self.code, self.stdout, self.stderr[:2000], self.log)


class Platform:
    """How the tool is started and how it names paths."""

    def __init__(self, executable, wine=None, wine_prefix=None):
        self.executable = os.path.abspath(executable)
        self.wine = wine
        self.wine_prefix = wine_prefix

    @property
    def is_wine(self):
        return self.wine is not None

    @property
    def drive_c(self):
        """Under Wine, the prefix's C: drive, where the cases work: Wine reports the shared /tmp
        as open to everyone, sticky bit or not, so the tool would write no output below it."""
        return os.path.join(self.wine_prefix, "drive_c") if self.is_wine else None

    def path(self, native):
        """A native absolute path as the tool is given it."""
        if self.is_wine:
            drive_c = self.drive_c + os.sep
            if native.startswith(drive_c):
                return "C:\\" + native[len(drive_c):].replace("/", "\\")
            return "Z:" + native.replace("/", "\\")
        return native

    def command(self, executable, arguments):
        encoded = [a if isinstance(a, bytes) else a.encode("utf-8") for a in arguments]
        if self.is_wine:
            return [self.wine, executable, *encoded]
        return [executable, *encoded]

    def environment(self, extra):
        env = dict(os.environ)
        for name in ("QUENDRA_LAYER_FAIL", "QUENDRA_LAYER_ANSI_CODE_PAGE",
                     "QUENDRA_LAYER_MACHINE_KEY"):
            env.pop(name, None)
        if self.is_wine:
            env["WINEDEBUG"] = "-all"
            if self.wine_prefix:
                env["WINEPREFIX"] = self.wine_prefix
        env.update(extra)
        return env


class Sandbox:
    """One case's private directories: the executable's copy, input, output, machine key."""

    def __init__(self, platform, root, machine_key=None):
        self.platform = platform
        self.root = tempfile.mkdtemp(prefix="case-", dir=root)
        self.bin = os.path.join(self.root, "bin")
        os.mkdir(self.bin)
        name = "Quendra.exe" if platform.is_wine else "Quendra"
        self.executable = os.path.join(self.bin, name)
        shutil.copy2(platform.executable, self.executable)
        self.input = self.make_dir("in")
        self.output = os.path.join(self.root, "out")
        self.machine_key = machine_key or self.new_machine_key("machine")

    def make_dir(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path, exist_ok=True)
        return path

    def new_machine_key(self, directory_name):
        """A private machine key file for the Linux layer, as its own creation would leave it."""
        directory = os.path.join(self.root, directory_name)
        os.mkdir(directory, 0o700)
        os.chmod(directory, 0o700)
        path = os.path.join(directory, "machine-key")
        descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        os.write(descriptor, os.urandom(32))
        os.close(descriptor)
        os.chmod(path, 0o600)
        return path

    def arg_path(self, native):
        return self.platform.path(native)

    @property
    def log_path(self):
        return os.path.join(self.bin, LOG_NAME)

    def read_log(self):
        try:
            with open(self.log_path, "rb") as file:
                return file.read()
        except FileNotFoundError:
            return None

    def remove_log(self):
        try:
            os.remove(self.log_path)
        except FileNotFoundError:
            pass

    def environment(self, extra=None, machine_key=None):
        env = {}
        if not self.platform.is_wine:
            env["QUENDRA_LAYER_MACHINE_KEY"] = machine_key or self.machine_key
        env.update(extra or {})
        return self.platform.environment(env)

    def start(self, arguments, env=None, machine_key=None, stdout=subprocess.DEVNULL,
              stderr=subprocess.DEVNULL):
        """The running tool; by itself for the runs that are killed."""
        return subprocess.Popen(self.platform.command(self.executable, arguments),
                                stdin=subprocess.DEVNULL, stdout=stdout, stderr=stderr,
                                cwd=self.root, env=self.environment(env, machine_key))

    def run(self, arguments, env=None, machine_key=None, timeout=RUN_TIMEOUT):
        """Runs to the end from a fresh log; the log's messages come with the result."""
        self.remove_log()
        # Files rather than pipes: a wineserver started by this run inherits them and outlives
        # it, and pipes would reach their end only when that server exits.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            started = time.monotonic()
            process = self.start(arguments, env, machine_key, out, err)
            try:
                process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                process.send_signal(signal.SIGKILL)
                process.wait()
                raise AssertionError("the tool did not end within %.0f s: %r"
                                     % (timeout, arguments))
            seconds = time.monotonic() - started
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read(), err.read()
        raw = self.read_log()
        return Result(stdout, stderr, process.returncode, raw, seconds)

    def files(self):
        """Every regular file below the sandbox, as paths relative to it."""
        found = []
        for directory, _, names in os.walk(self.root):
            for name in names:
                found.append(os.path.relpath(os.path.join(directory, name), self.root))
        return sorted(found)


def conversion_arguments(sandbox, direction, site_key, password, dir_in=None, dir_out=None):
    """A complete command line; `direction` is "encrypt" or "decrypt"."""
    arguments = [
        "/sitePvkLocation:" + sandbox.arg_path(site_key),
        b"/sitePvkPassword:" + (password if isinstance(password, bytes)
                                else password.encode("utf-8")),
        "/" + direction,
        "/dirOut:" + (dir_out if dir_out is not None else sandbox.arg_path(sandbox.output)),
        "/dirIn:" + (dir_in if dir_in is not None else sandbox.arg_path(sandbox.input)),
    ]
    if sandbox.platform.is_wine:
        arguments.append("/hideUI")
    return arguments


def prefixes(direction):
    """(input prefix, output prefix) of a direction."""
    return ("Decrypted", "Encrypted") if direction == "encrypt" else ("Encrypted", "Decrypted")


def expected_log(direction, dir_in, dir_out, converted, missing=(), existing=(),
                 message="Elaboration successfully completed.", rows=True):
    """The log of a run that got past the site key. `converted` in conversion order, the
    others by name; `message` is the text shown. Without `rows` the run stopped before it
    looked for the keys."""
    in_prefix, out_prefix = prefixes(direction)
    lines = ["Entering Quendra ...",
             ("encrypting ..." if direction == "encrypt" else "decrypting ..."),
             "Input '%s'" % dir_in, "Output '%s'" % dir_out]
    for name in KEY_NAMES if rows else ():
        if name in missing:
            lines.append("Key in input not found '%s' ..." % (in_prefix + name))
        elif name in existing:
            lines.append("Key in output already exists '%s' ..." % (out_prefix + name))
    for name in converted:
        lines.append("Elaborating key='%s\\%s'" % (dir_in, in_prefix + name))
    lines.append(message)
    lines.append("Exit Quendra ...")
    return lines
