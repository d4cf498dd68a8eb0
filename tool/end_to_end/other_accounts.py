"""The tool against another local account that can change the directories it writes into, and
against a second run of itself on the same output directory. Linux only, as root: the other
account is uid 65534, taken by a forked child."""

import os
import shutil
import stat
import subprocess
import tempfile
import time

from key_material import KEY_NAMES, SITE_PASSWORD
from tool_case import CONFLICT_HEAD, DONE, Fixture, ToolTestCase, put_inputs
from tool_runner import TEMPORARY_FILE, conversion_arguments, expected_log, prefixes

OTHER_ACCOUNT = 65534
UNTRUSTED = "The directory in output can be changed by other accounts: '%s'"
ALREADY_EXISTS = 183
# Each key's input holds the next key's material: a run's outputs tell which inputs made them.
ROTATED = dict(zip(KEY_NAMES, KEY_NAMES[1:] + KEY_NAMES[:1]))


class Attacker:
    """Another account, polling a directory it can change and swapping each temporary key file
    for a link to `target` the moment it appears, as fast as it can."""

    def __init__(self, directory, target):
        stop_read, self.stop_write = os.pipe()
        self.result_read, result_write = os.pipe()
        self.pid = os.fork()
        if self.pid == 0:
            swaps = -1
            try:
                os.close(self.stop_write)
                os.close(self.result_read)
                os.set_blocking(stop_read, False)
                swaps = self._swap_until_stopped(directory, target, stop_read)
            finally:
                os.write(result_write, str(swaps).encode())
                os._exit(0)
        os.close(stop_read)
        os.close(result_write)

    @staticmethod
    def _swap_until_stopped(directory, target, stop):
        os.setgroups([])
        os.setgid(OTHER_ACCOUNT)
        os.setuid(OTHER_ACCOUNT)
        swaps = 0
        deadline = time.monotonic() + 120
        while time.monotonic() < deadline:
            try:
                if os.read(stop, 1) == b"":
                    break
            except BlockingIOError:
                pass
            for entry in os.scandir(directory):
                if TEMPORARY_FILE.match(entry.name) and not entry.is_symlink():
                    try:
                        os.unlink(entry.path)
                        os.symlink(target, entry.path)
                        swaps += 1
                    except OSError:
                        pass
        return swaps

    def stop(self):
        """The number of swaps it made; -1 when it failed."""
        os.close(self.stop_write)
        os.waitpid(self.pid, 0)
        with os.fdopen(self.result_read) as result:
            return int(result.read())


def tree_state(root):
    """Every entry below `root` with its kind, owner, mode and content."""
    state = {}
    for directory, names, files in os.walk(root):
        for name in names + files:
            path = os.path.join(directory, name)
            status = os.lstat(path)
            content = None
            if stat.S_ISREG(status.st_mode):
                with open(path, "rb") as file:
                    content = file.read()
            elif stat.S_ISLNK(status.st_mode):
                content = os.readlink(path)
            state[os.path.relpath(path, root)] = (status.st_mode, status.st_uid, content)
    return state


class OtherAccounts(ToolTestCase):
    """Directories that another account can change, and two runs on one output."""

    def setUp(self):
        if Fixture.platform.is_wine:
            self.skipTest("Linux only: another uid")
        if os.geteuid() != 0:
            self.skipTest("needs root to act as another account")
        # Reachable by the other account, unlike the sandboxes.
        self.area = tempfile.mkdtemp(prefix="quendra-accounts-")
        os.chmod(self.area, 0o755)

    def tearDown(self):
        shutil.rmtree(self.area, ignore_errors=True)

    def area_dir(self, name, mode, owner=0):
        path = os.path.join(self.area, name)
        os.mkdir(path)
        os.chown(path, owner, owner)
        os.chmod(path, mode)
        return path

    def test_attack_on_an_untrusted_output_directory(self):
        """The temporary file swapped for a link: to the other account's own file when
        decrypting (it would get the plain key), to a file of root's when encrypting (root
        would overwrite it). The run must refuse before it writes anything."""
        theirs = self.area_dir("theirs", 0o755, OTHER_ACCOUNT)
        loot = os.path.join(self.area_dir("loot", 0o755, OTHER_ACCOUNT), "loot")
        with open(loot, "wb"):
            pass
        os.chown(loot, OTHER_ACCOUNT, OTHER_ACCOUNT)
        open_dir = self.area_dir("open", 0o777)
        precious = os.path.join(self.area_dir("root-only", 0o755), "precious")
        with open(precious, "wb") as file:
            file.write(b"root's own data")
        sandbox = self.sandbox()
        for direction in ("encrypt", "decrypt"):
            inputs = sandbox.make_dir("in-" + direction)
            put_inputs(sandbox, direction, KEY_NAMES, inputs)
        runs = 20
        for run in range(2 * runs):
            direction = ("encrypt", "decrypt")[run % 2]
            dir_out = (theirs, open_dir)[(run // 2) % 2]
            target = precious if direction == "encrypt" else loot
            before = tree_state(self.area)
            attacker = Attacker(dir_out, target)
            try:
                result = sandbox.run(conversion_arguments(
                    sandbox, direction, Fixture.keys.site_plain, SITE_PASSWORD,
                    dir_in=os.path.join(sandbox.root, "in-" + direction), dir_out=dir_out))
            finally:
                swaps = attacker.stop()
            with self.subTest(run=run, direction=direction, dir_out=dir_out):
                self.assertEqual((result.stdout, result.code),
                                 ((UNTRUSTED % dir_out + "\n").encode(), 13), result)
                self.assertEqual(swaps, 0)
                self.assertEqual(tree_state(self.area), before)
            # Each run meets an empty directory, whatever the last one left.
            for name in os.listdir(dir_out):
                os.remove(os.path.join(dir_out, name))

    def test_trust_of_output_directories(self):
        """Which directories pass: the output's whole chain is checked, each on its own."""
        sandbox = self.sandbox()
        put_inputs(sandbox, "encrypt", ["CoreKey"])
        theirs = self.area_dir("theirs", 0o755, OTHER_ACCOUNT)
        mine_in_theirs = os.path.join(theirs, "mine")
        os.mkdir(mine_in_theirs, 0o700)
        sticky = self.area_dir("sticky", 0o1777)
        group_writable = self.area_dir("group-writable", 0o775)
        other_writable = self.area_dir("other-writable", 0o757)
        theirs_in_sticky = os.path.join(sticky, "theirs")
        os.mkdir(theirs_in_sticky)
        os.chown(theirs_in_sticky, OTHER_ACCOUNT, OTHER_ACCOUNT)
        # Its target and the directories named above it are root's; the one above the target
        # is not, and could rename the target away and put another in its place.
        link = os.path.join(self.area, "link")
        os.symlink(mine_in_theirs, link)
        cases = [
            ("owned by another account", theirs, theirs),
            ("a link to a private directory under another account's", link, link),
            ("a private directory under another account's", mine_in_theirs, theirs),
            ("a new directory under another account's", os.path.join(theirs, "new"), theirs),
            ("group-writable", group_writable, group_writable),
            ("other-writable", other_writable, other_writable),
            ("another account's in a sticky directory", theirs_in_sticky, theirs_in_sticky),
            ("sticky, root's", sticky, None),
            ("root's inside a sticky directory", os.path.join(sticky, "new"), None),
        ]
        for label, dir_out, refused in cases:
            with self.subTest(label):
                before = os.listdir(dir_out) if os.path.isdir(dir_out) else []
                result = self.run_tool(sandbox, conversion_arguments(
                    sandbox, "encrypt", Fixture.keys.site_plain, SITE_PASSWORD,
                    dir_out=dir_out), "encrypt")
                if refused:
                    message = UNTRUSTED % refused
                    self.assert_message(result, message, 13)
                    self.assertEqual(result.log, expected_log(
                        "encrypt", sandbox.input, dir_out, [],
                        missing=[n for n in KEY_NAMES if n != "CoreKey"], message=message))
                    self.assertEqual(os.listdir(dir_out), before)
                else:
                    self.assert_message(result, DONE, 0)
                    self.assertEqual(sorted(os.listdir(dir_out)),
                                     sorted(before + ["EncryptedCoreKey"]))
                    os.remove(os.path.join(dir_out, "EncryptedCoreKey"))

    def test_directories_made_under_umask_000(self):
        sandbox = self.sandbox()
        put_inputs(sandbox, "decrypt", KEY_NAMES)
        dir_out = os.path.join(sandbox.root, "made", "under", "umask")
        previous = os.umask(0)
        try:
            result = self.run_tool(sandbox, conversion_arguments(
                sandbox, "decrypt", Fixture.keys.site_plain, SITE_PASSWORD, dir_out=dir_out),
                "decrypt")
        finally:
            os.umask(previous)
        self.assert_message(result, DONE, 0)
        self.assert_outputs(sandbox, "decrypt", KEY_NAMES, dir_out)
        for made in (dir_out, os.path.dirname(dir_out), os.path.dirname(os.path.dirname(dir_out))):
            self.assertEqual(stat.S_IMODE(os.stat(made).st_mode), 0o755, made)

    def test_two_runs_on_one_output_directory(self):
        """Started together, with inputs that differ: never both report success, and a run
        that reports success has all its own outputs and nothing of the other's."""
        outcomes = {}
        for direction in ("encrypt", "decrypt"):
            for pair in range(20):
                first, second = self.sandbox(), self.sandbox()
                put_inputs(first, direction, KEY_NAMES)
                put_inputs(second, direction, KEY_NAMES, material=ROTATED)
                dir_out = first.output
                os.mkdir(dir_out, 0o700)
                results = self.run_together(direction, (first, second), dir_out)
                with self.subTest(direction=direction, pair=pair):
                    kinds = [self.outcome(direction, r) for r in results]
                    outcomes[tuple(sorted(kinds))] = outcomes.get(tuple(sorted(kinds)), 0) + 1
                    self.assertLessEqual(kinds.count("done"), 1, results)
                    left = [n for n in os.listdir(dir_out) if TEMPORARY_FILE.match(n)]
                    self.assertEqual(left, [])
                    keys = self.opened_outputs(direction, dir_out)
                    if "done" in kinds:
                        rotated = kinds.index("done") == 1
                        self.assertEqual(keys, {
                            name: Fixture.keys.pkcs8[ROTATED[name] if rotated else name]
                            for name in KEY_NAMES})
        TWO_RUN_OUTCOMES.update(outcomes)

    def run_together(self, direction, sandboxes, dir_out):
        processes = []
        outputs = []
        for sandbox in sandboxes:
            out = tempfile.TemporaryFile()
            outputs.append(out)
            processes.append(sandbox.start(conversion_arguments(
                sandbox, direction, Fixture.keys.site_plain, SITE_PASSWORD, dir_out=dir_out),
                stdout=out, stderr=subprocess.STDOUT))
        results = []
        for process, out in zip(processes, outputs):
            process.wait(timeout=60)
            out.seek(0)
            results.append((process.returncode, out.read().decode("utf-8")))
            out.close()
        return results

    def outcome(self, direction, result):
        """What a run of a pair reported: success, the other's outputs in its way, or the
        other's output met at its move."""
        code, stdout = result
        if (code, stdout) == (0, DONE + "\n"):
            return "done"
        if code == 0 and stdout.startswith(CONFLICT_HEAD):
            return "conflict"
        self.assertEqual(code, ALREADY_EXISTS, result)
        self.assertTrue(stdout.startswith("Error elaborating key '"), result)
        self.assertIn("Windows Error 0x%x: " % ALREADY_EXISTS, stdout, result)
        return "met at the move"

    def opened_outputs(self, direction, dir_out):
        """The PKCS#8 text of each output, sealed ones opened by a normal run."""
        out_prefix = prefixes(direction)[1]
        names = [n[len(out_prefix):] for n in os.listdir(dir_out)]
        if direction == "encrypt" and names:
            reader = self.sandbox()
            for name in names:
                shutil.copy(os.path.join(dir_out, out_prefix + name), reader.input)
            result = self.run_tool(reader, conversion_arguments(
                reader, "decrypt", Fixture.keys.site_plain, SITE_PASSWORD), "decrypt")
            self.assert_message(result, DONE, 0)
            dir_out, out_prefix = reader.output, "Decrypted"
        keys = {}
        for name in names:
            with open(os.path.join(dir_out, out_prefix + name), "rb") as file:
                keys[name] = file.read()
        return keys


TWO_RUN_OUTCOMES = {}
