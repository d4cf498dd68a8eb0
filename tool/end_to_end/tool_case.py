"""What every end-to-end case shares: the messages, the fixture of keys and machine key, the
placing of inputs and the checks that hold after every run."""

import os
import shutil
import stat
import tempfile
import unittest

from key_material import KEY_NAMES, SITE_PASSWORD, KeyMaterial, pem_body_lines
from tool_runner import TEMPORARY_FILE, Sandbox, conversion_arguments, prefixes

USAGE = (b"Usage: \n"
         b"   /sitePvkLocation:<absolute_path> /sitePvkPassword:<password> { /decrypt | /encrypt } "
         b"/dirIn:<absolute_path> /dirOut:<absolute_path> [ /hideUI ] \n")
DONE = "Elaboration successfully completed."
SITE_FAILURE = "Incorrect site password or error reading private key file. Please try again."
DIR_IN_NOT_ABSOLUTE = "The directory in input does not appear to be an absolute path."
DIR_OUT_NOT_ABSOLUTE = "The directory in output does not appear to be an absolute path."
DIR_IN_MISSING = "The input directory does not exist ... "
CONFLICT_HEAD = "Error: the following keys already exist in the output dir:\n\n"
ANSI_1252 = {"QUENDRA_LAYER_ANSI_CODE_PAGE": "1252"}


def no_keys_message(direction):
    return ("No keys found to be elaborated ... \nExpected file prefix is '%s'"
            % prefixes(direction)[0])


def exit_code(windows_code):
    """The process status a Windows error code gives on Linux."""
    low = windows_code & 0xFF
    return 31 if windows_code != 0 and low == 0 else low


class Fixture:
    """What every case shares: the platform, the generated keys, a machine key and a set of
    sealed keys made by the tool itself."""
    platform = None
    keys = None
    root = None
    machine_key = None
    secrets = []
    kill_runs = 40
    sealed = {}

    @classmethod
    def set_up(cls, platform, openssl, kill_runs):
        cls.platform = platform
        cls.kill_runs = kill_runs
        scratch = None
        if platform.is_wine:
            scratch = os.path.join(platform.drive_c, "quendra-e2e")
            os.makedirs(scratch, exist_ok=True)
        cls.root = tempfile.mkdtemp(prefix="quendra-e2e-", dir=scratch)
        key_dir = os.path.join(cls.root, "keys")
        os.mkdir(key_dir)
        cls.keys = KeyMaterial(openssl, key_dir)
        shared = Sandbox(platform, cls.root)
        cls.machine_key = shared.machine_key
        cls.secrets = cls.keys.secrets()
        if not platform.is_wine:
            with open(cls.machine_key, "rb") as file:
                cls.secrets.append(file.read())
        put_plain_inputs(shared, KEY_NAMES)
        result = shared.run(conversion_arguments(shared, "encrypt", cls.keys.site_plain,
                                                 SITE_PASSWORD))
        if result.stdout != (DONE + "\n").encode():
            raise RuntimeError("cannot make the sealed keys: %r" % result)
        for name in KEY_NAMES:
            with open(os.path.join(shared.output, "Encrypted" + name), "rb") as file:
                cls.sealed[name] = file.read()

    @classmethod
    def tear_down(cls):
        if cls.root and not os.environ.get("QUENDRA_E2E_KEEP"):
            shutil.rmtree(cls.root, ignore_errors=True)


# `material` names, for each key, the key whose content its input holds: itself by default.
def put_plain_inputs(sandbox, names, directory=None, material=None):
    for name in names:
        with open(os.path.join(directory or sandbox.input, "Decrypted" + name), "wb") as file:
            file.write(Fixture.keys.inputs[(material or {}).get(name, name)])


def put_sealed_inputs(sandbox, names, directory=None, material=None):
    for name in names:
        with open(os.path.join(directory or sandbox.input, "Encrypted" + name), "wb") as file:
            file.write(Fixture.sealed[(material or {}).get(name, name)])


def put_inputs(sandbox, direction, names, directory=None, material=None):
    if direction == "encrypt":
        put_plain_inputs(sandbox, names, directory, material)
    else:
        put_sealed_inputs(sandbox, names, directory, material)


def linux_only(method):
    def wrapper(self, *arguments, **keywords):
        if Fixture.platform.is_wine:
            self.skipTest("Linux only")
        return method(self, *arguments, **keywords)
    wrapper.__name__ = method.__name__
    wrapper.__doc__ = method.__doc__
    return wrapper


class ToolTestCase(unittest.TestCase):
    maxDiff = None

    @property
    def wine(self):
        return Fixture.platform.is_wine

    def sandbox(self):
        # One machine key for all, so the sealed inputs open everywhere; cases that need
        # another one make it.
        return Sandbox(Fixture.platform, Fixture.root, Fixture.machine_key)

    def p(self, sandbox, native):
        return sandbox.arg_path(native)

    def run_tool(self, sandbox, arguments, direction=None, env=None, machine_key=None,
                 timeout=None):
        """Runs to the end, then checks what holds after every run: no temporary file, no
        secret outside the inputs and the plain outputs, nothing on stderr."""
        before = set(sandbox.files())
        keywords = {} if timeout is None else {"timeout": timeout}
        result = sandbox.run(arguments, env=env, machine_key=machine_key, **keywords)
        self.assertEqual(result.stderr, b"", result)
        self.assert_no_temporary_files(sandbox)
        self.assert_no_secrets(sandbox, result, before, direction)
        return result

    def assert_no_temporary_files(self, sandbox):
        left = [f for f in sandbox.files() if TEMPORARY_FILE.match(os.path.basename(f))]
        self.assertEqual(left, [], "temporary files left")

    def assert_no_secrets(self, sandbox, result, before, direction):
        places = {"stdout": result.stdout, "stderr": result.stderr}
        for relative in sorted(set(sandbox.files()) - before):
            name = os.path.basename(relative)
            if direction == "decrypt" and name.startswith("Decrypted"):
                continue  # a plain output, checked for content instead
            path = os.path.join(sandbox.root, relative)
            if os.path.isfile(path):
                with open(path, "rb") as file:
                    places[relative] = file.read()
        for place, data in places.items():
            for index, secret in enumerate(Fixture.secrets):
                # Not shown: the failure names the secret by its place in the list.
                self.assertFalse(secret in data, "secret %d shows in %s" % (index, place))

    def assert_message(self, result, text, code):
        self.assertEqual((result.stdout, result.code), ((text + "\n").encode("utf-8"), code),
                         result)

    def assert_key_failure(self, result, dir_in, file_name, code):
        """The message of a key that failed with a Windows error, which is the exit code."""
        head = ("Error elaborating key '%s\\%s' : \"" % (dir_in, file_name)).encode("utf-8")
        self.assertTrue(result.stdout.startswith(head), result)
        self.assertTrue(result.stdout.endswith(b"\"\n"), result)
        self.assertEqual(result.stdout.count(b"\n"), 1, result)
        self.assertIn(b"Windows Error 0x%x: " % code, result.stdout, result)
        self.assertEqual(result.code, exit_code(code), result)

    def output_names(self, sandbox):
        if not os.path.isdir(sandbox.output):
            return []
        return sorted(os.listdir(sandbox.output))

    def assert_outputs(self, sandbox, direction, names, directory=None):
        """Exactly these outputs, each complete: a plain one is the key's PKCS#8 text with
        mode 0600, a sealed one holds no trace of the plain key."""
        directory = directory or sandbox.output
        out_prefix = prefixes(direction)[1]
        present = sorted(os.listdir(directory)) if os.path.isdir(directory) else []
        self.assertEqual(present, sorted(out_prefix + n for n in names))
        for name in names:
            path = os.path.join(directory, out_prefix + name)
            with open(path, "rb") as file:
                data = file.read()
            if direction == "decrypt":
                self.assertEqual(data, Fixture.keys.pkcs8[name], name)
                if not self.wine:
                    self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o600, name)
            else:
                self.assertNotEqual(data, Fixture.keys.inputs[name], name)
                self.assertNotIn(b"PRIVATE KEY", data, name)
                for line in pem_body_lines(Fixture.keys.pkcs8[name]):
                    self.assertNotIn(line, data, name)

    def decrypt_back(self, sealed_directory, names, machine_key=None):
        """The sealed outputs opened by a normal run into a fresh directory."""
        sandbox = self.sandbox()
        for name in names:
            shutil.copy(os.path.join(sealed_directory, "Encrypted" + name), sandbox.input)
        result = self.run_tool(sandbox, conversion_arguments(
            sandbox, "decrypt", Fixture.keys.site_plain, SITE_PASSWORD), "decrypt",
            machine_key=machine_key)
        self.assert_message(result, DONE, 0)
        self.assert_outputs(sandbox, "decrypt", names)
