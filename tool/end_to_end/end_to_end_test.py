#!/usr/bin/env python3
"""End-to-end tests of the Quendra executable, run as a user runs it: on Linux natively, on the
Windows build through Wine in console mode (/hideUI).

    end_to_end_test.py --executable PATH [--wine WINE] [--kill-runs N] [--openssl PATH]
                       [--group end-to-end|fault-injection|kill|other-accounts] [-k NAME] [-v]

Under Wine, WINEPREFIX names the prefix. QUENDRA_E2E_KEEP=1 keeps the scratch directories,
QUENDRA_E2E_RUN_TIMEOUT bounds one run (seconds). Each group prints one closing line, such as
"end-to-end: 42 passed, 0 failed"."""

import argparse
import os
import pathlib
import shutil
import stat
import sys
import tempfile
import time
import unittest

# The helpers beside this file, without compiled copies left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from key_material import ANSI_PASSWORD, CONVERSION_ORDER, KEY_NAMES, SITE_PASSWORD  # noqa: E402
from other_accounts import TWO_RUN_OUTCOMES, UNTRUSTED, OtherAccounts  # noqa: E402
from tool_case import (ANSI_1252, CONFLICT_HEAD, DIR_IN_MISSING, DIR_IN_NOT_ABSOLUTE,  # noqa: E402
                       DIR_OUT_NOT_ABSOLUTE, DONE, SITE_FAILURE, USAGE, Fixture, ToolTestCase,
                       linux_only, no_keys_message, put_inputs, put_plain_inputs,
                       put_sealed_inputs)
from tool_runner import (TEMPORARY_FILE, Platform, conversion_arguments,  # noqa: E402
                         expected_log, log_stamps, prefixes)


class EndToEnd(ToolTestCase):
    """Whole runs and their messages, codes, logs and files."""

    def arguments(self, sandbox, direction, site_key=None, password=SITE_PASSWORD, **keywords):
        return conversion_arguments(sandbox, direction, site_key or Fixture.keys.site_plain,
                                    password, **keywords)

    def test_round_trip(self):
        # Arguments are UTF-8 bytes on Linux. Under Wine the tool's narrow arguments are in the
        # ANSI code page (1252), converted by Wine from the UTF-8 locale: only a site key
        # encrypted with the 1252 bytes of an accented password opens there.
        site_keys = [("plain password", Fixture.keys.site_plain, SITE_PASSWORD, {})]
        if self.wine:
            site_keys.append(("ANSI password", Fixture.keys.site_ansi, ANSI_PASSWORD, {}))
        else:
            site_keys.append(("accented password in UTF-8", Fixture.keys.site_utf8_accent,
                              ANSI_PASSWORD, {}))
            site_keys.append(("ANSI password", Fixture.keys.site_ansi, ANSI_PASSWORD,
                              ANSI_1252))
        for label, site_key, password, env in site_keys:
            with self.subTest(label):
                sandbox = self.sandbox()
                put_plain_inputs(sandbox, KEY_NAMES)
                dir_in = self.p(sandbox, sandbox.input)
                dir_out = self.p(sandbox, sandbox.output)
                result = self.run_tool(sandbox, self.arguments(sandbox, "encrypt", site_key,
                                                               password), "encrypt", env=env)
                self.assert_message(result, DONE, 0)
                self.assertEqual(result.log, expected_log("encrypt", dir_in, dir_out,
                                                          CONVERSION_ORDER))
                self.assert_outputs(sandbox, "encrypt", KEY_NAMES)

                back = self.sandbox()
                for name in KEY_NAMES:
                    shutil.copy(os.path.join(sandbox.output, "Encrypted" + name), back.input)
                result = self.run_tool(back, self.arguments(back, "decrypt", site_key,
                                                            password), "decrypt", env=env)
                self.assert_message(result, DONE, 0)
                self.assertEqual(result.log, expected_log(
                    "decrypt", self.p(back, back.input), self.p(back, back.output),
                    CONVERSION_ORDER))
                self.assert_outputs(back, "decrypt", KEY_NAMES)
                for name in KEY_NAMES:
                    with open(os.path.join(back.output, "Decrypted" + name), "rb") as file:
                        self.assertEqual(Fixture.keys.public_of(file.read()),
                                         Fixture.keys.public[name], name)

    def test_sealing_is_fresh_each_time(self):
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["GatewayKey"])
        result = self.run_tool(sandbox, self.arguments(sandbox, "encrypt"), "encrypt")
        self.assert_message(result, DONE, 0)
        with open(os.path.join(sandbox.output, "EncryptedGatewayKey"), "rb") as file:
            self.assertNotEqual(file.read(), Fixture.sealed["GatewayKey"])

    def test_partial_key_sets(self):
        cases = [
            ("encrypt", ["CoreKey"]),
            ("encrypt", ["ViewerRootKey", "HubSealKey"]),
            ("decrypt", ["PortalRootKey", "AgentRootKey", "GatewayKey"]),
        ]
        for direction, names in cases:
            with self.subTest(direction=direction, names=names):
                sandbox = self.sandbox()
                put_inputs(sandbox, direction, names)
                # Files of the other direction and of no direction are no inputs.
                other = prefixes("decrypt" if direction == "encrypt" else "encrypt")[0]
                for name in KEY_NAMES:
                    if name not in names:
                        with open(os.path.join(sandbox.input, other + name), "wb") as file:
                            file.write(b"not an input of this direction")
                with open(os.path.join(sandbox.input, "readme.txt"), "wb") as file:
                    file.write(b"unrelated")
                result = self.run_tool(sandbox, self.arguments(sandbox, direction), direction)
                self.assert_message(result, DONE, 0)
                converted = [n for n in CONVERSION_ORDER if n in names]
                self.assertEqual(result.log, expected_log(
                    direction, self.p(sandbox, sandbox.input), self.p(sandbox, sandbox.output),
                    converted, missing=[n for n in KEY_NAMES if n not in names]))
                self.assert_outputs(sandbox, direction, names)
                if direction == "encrypt":
                    self.decrypt_back(sandbox.output, names)

    def test_incomplete_command_lines_show_usage(self):
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["CoreKey"])
        full = self.arguments(sandbox, "encrypt")
        site, password, direction, dir_out, dir_in = full[:5]
        extra = full[5:]
        cases = [
            ("nothing", []),
            ("no site key", [password, direction, dir_out, dir_in]),
            ("no password", [site, direction, dir_out, dir_in]),
            ("no direction", [site, password, dir_out, dir_in]),
            ("no dirOut", [site, password, direction, dir_in]),
            ("no dirIn", [site, password, direction, dir_out]),
            ("both directions", [site, password, "/decrypt", "/encrypt", dir_out, dir_in]),
            ("both directions, odd case", [site, password, "/ENCRYPT", "/Decrypt", dir_out,
                                           dir_in]),
            ("options without the slash", [site[1:], password, direction, dir_out, dir_in]),
            ("misspelt name", [site, password, direction, "/dirOutput:x", dir_in]),
            ("dash instead of slash", [site, password, "-encrypt", dir_out, dir_in]),
        ]
        for label, arguments in cases:
            with self.subTest(label):
                result = self.run_tool(sandbox, arguments + extra)
                self.assertEqual((result.stdout, result.code), (USAGE, 13), result)
                self.assertIn(result.log, (None, []), "the usage path logs nothing")
                self.assertEqual(self.output_names(sandbox), [])

    def test_option_spelling(self):
        """Names are case-insensitive, the last of a name wins, "=" also separates, and a
        value keeps its colons."""
        sandbox = self.sandbox()
        dir_in = self.p(sandbox, sandbox.input)
        site = "/sitePvkLocation:" + self.p(sandbox, Fixture.keys.site_plain)
        password = "/sitePvkPassword:" + SITE_PASSWORD
        hide = ["/hideUI"] if self.wine else []
        cases = [
            ("odd case", ["/SITEPVKLOCATION:" + site.split(":", 1)[1],
                          "/SitePvkPassword:" + SITE_PASSWORD, "/EnCrYpT",
                          "/DIROUT:%s", "/DIRIN:" + dir_in] + (["/HIDEUI"] if self.wine else [])),
            ("equals sign", ["/sitePvkLocation=" + site.split(":", 1)[1],
                             "/sitePvkPassword=" + SITE_PASSWORD, "/encrypt",
                             "/dirOut=%s", "/dirIn=" + dir_in] + hide),
            ("last one wins", [site, "/sitePvkPassword:wrong", password, "/encrypt",
                               "/dirIn:relative", "/dirOut:relative", "/dirOut:%s",
                               "/dirIn:" + dir_in] + hide),
            ("stray words", ["hello", site, password, "/encrypt", "world", "/dirOut:%s",
                             "/dirIn:" + dir_in] + hide),
        ]
        for index, (label, template) in enumerate(cases):
            with self.subTest(label):
                put_plain_inputs(sandbox, ["AgentRootKey"])
                output = os.path.join(sandbox.root, "out%d" % index)
                arguments = [a.replace("%s", self.p(sandbox, output)) for a in template]
                result = self.run_tool(sandbox, arguments, "encrypt")
                self.assert_message(result, DONE, 0)
                self.assert_outputs(sandbox, "encrypt", ["AgentRootKey"], output)

        with self.subTest("a later relative dirIn wins over an absolute one"):
            arguments = [site, password, "/encrypt", "/dirIn:" + dir_in, "/dirIn:in",
                         "/dirOut:" + self.p(sandbox, sandbox.output)] + hide
            result = self.run_tool(sandbox, arguments)
            self.assert_message(result, DIR_IN_NOT_ABSOLUTE, 13)

    def test_site_key_failures(self):
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, KEY_NAMES)
        keys = os.path.join(sandbox.root, "site")
        os.mkdir(keys)
        files = {"empty": b"", "junk": b"this is no key\n" * 20,
                 "binary": bytes(range(256)) * 8}
        with open(Fixture.keys.site_plain, "rb") as file:
            whole = file.read()
        files["truncated"] = whole[:len(whole) // 2]
        files["certificate request"] = b"-----BEGIN CERTIFICATE REQUEST-----\nAAAA\n" \
                                       b"-----END CERTIFICATE REQUEST-----\n"
        for name, data in files.items():
            with open(os.path.join(keys, name), "wb") as file:
                file.write(data)
        cases = [
            ("wrong password", Fixture.keys.site_plain, "wrong-password", {}),
            ("empty password", Fixture.keys.site_plain, "", {}),
            ("password of another key", Fixture.keys.site_plain, ANSI_PASSWORD, {}),
            ("missing file", os.path.join(keys, "absent.pem"), SITE_PASSWORD, {}),
            ("a directory", keys, SITE_PASSWORD, {}),
        ] + [(name, os.path.join(keys, name), SITE_PASSWORD, {}) for name in files]
        if not self.wine:
            # The layer's ANSI code page is UTF-8 unless told otherwise, so the retry fails.
            cases.append(("ANSI password without code page 1252", Fixture.keys.site_ansi,
                          ANSI_PASSWORD, {}))
        for label, site_key, password, env in cases:
            with self.subTest(label):
                result = self.run_tool(sandbox, self.arguments(sandbox, "encrypt", site_key,
                                                               password), "encrypt", env=env)
                self.assert_message(result, SITE_FAILURE, 13)
                self.assertEqual(result.log, ["Entering Quendra ...", SITE_FAILURE,
                                              "Exit Quendra ..."])
                self.assertEqual(self.output_names(sandbox), [])

    def test_directory_failures(self):
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, KEY_NAMES)
        good_in = self.p(sandbox, sandbox.input)
        good_out = self.p(sandbox, sandbox.output)
        # Paths with a drive letter and rooted ones count as absolute on both.
        if self.wine:
            not_absolute = ["in", ".\\in", "..\\tmp", ""]
        else:
            not_absolute = ["in", "./in", "~/in", "", "in/../in"]
        cases = []
        for text in not_absolute:
            cases.append(("dirIn %r" % text, text, good_out, DIR_IN_NOT_ABSOLUTE, 13))
            cases.append(("dirOut %r" % text, good_in, text, DIR_OUT_NOT_ABSOLUTE, 13))
        cases.append(("both relative", "in", "out", DIR_IN_NOT_ABSOLUTE, 13))
        missing = self.p(sandbox, os.path.join(sandbox.root, "no-such-dir"))
        cases.append(("dirIn missing", missing, good_out, DIR_IN_MISSING, 0))
        for label, dir_in, dir_out, message, code in cases:
            with self.subTest(label):
                result = self.run_tool(sandbox, self.arguments(
                    sandbox, "encrypt", dir_in=dir_in, dir_out=dir_out), "encrypt")
                self.assert_message(result, message, code)
                # The directories are logged before they are checked.
                self.assertEqual(result.log, expected_log(
                    "encrypt", dir_in, dir_out, [], missing=KEY_NAMES, message=message,
                    rows=code == 0))
                self.assertEqual(self.output_names(sandbox), [])

    def test_output_directory_is_made(self):
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["PortalRootKey"])
        nested = os.path.join(sandbox.root, "new", "deeper", "out")
        result = self.run_tool(sandbox, self.arguments(
            sandbox, "encrypt", dir_out=self.p(sandbox, nested)), "encrypt")
        self.assert_message(result, DONE, 0)
        self.assert_outputs(sandbox, "encrypt", ["PortalRootKey"], nested)

    def test_output_under_the_shared_temporary_directory(self):
        """A private directory in the shared temporary directory: Linux trusts a sticky one, as
        no other account may remove what it holds; Wine reports it open to everyone."""
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["CoreKey"])
        shared = tempfile.gettempdir()
        dir_out = tempfile.mkdtemp(prefix="quendra-shared-", dir=shared)
        try:
            result = self.run_tool(sandbox, self.arguments(
                sandbox, "encrypt", dir_out=self.p(sandbox, dir_out)), "encrypt")
            open_to_all = stat.S_IMODE(os.stat(shared).st_mode) & 0o002
            if self.wine and open_to_all:
                self.assert_message(result, UNTRUSTED % self.p(sandbox, shared), 13)
                self.assertEqual(os.listdir(dir_out), [])
            else:
                self.assert_message(result, DONE, 0)
                self.assert_outputs(sandbox, "encrypt", ["CoreKey"], dir_out)
        finally:
            shutil.rmtree(dir_out)

    def test_no_keys_found(self):
        for direction in ("encrypt", "decrypt"):
            with self.subTest(direction):
                sandbox = self.sandbox()
                # Inputs of the other direction only, and an output directory already there.
                put_inputs(sandbox, "decrypt" if direction == "encrypt" else "encrypt",
                           KEY_NAMES)
                os.mkdir(sandbox.output)
                result = self.run_tool(sandbox, self.arguments(sandbox, direction), direction)
                message = no_keys_message(direction)
                self.assert_message(result, message, 0)
                self.assertEqual(result.log, expected_log(
                    direction, self.p(sandbox, sandbox.input), self.p(sandbox, sandbox.output),
                    [], missing=KEY_NAMES, message=message))
                self.assertEqual(self.output_names(sandbox), [])

    def test_existing_outputs_stop_the_run(self):
        cases = [
            ("encrypt", ["CoreKey"], []),
            ("decrypt", ["ViewerRootKey"], ["HubSealKey"]),   # a directory counts too
            ("encrypt", [], ["PortalRootKey", "AgentRootKey"]),
        ]
        for direction, as_files, as_dirs in cases:
            with self.subTest(direction=direction, files=as_files, directories=as_dirs):
                sandbox = self.sandbox()
                put_inputs(sandbox, direction, KEY_NAMES)
                out_prefix = prefixes(direction)[1]
                os.mkdir(sandbox.output)
                for name in as_files:
                    with open(os.path.join(sandbox.output, out_prefix + name), "wb") as file:
                        file.write(b"already here")
                for name in as_dirs:
                    os.mkdir(os.path.join(sandbox.output, out_prefix + name))
                existing = [n for n in KEY_NAMES if n in as_files or n in as_dirs]
                message = CONFLICT_HEAD + "".join(out_prefix + n + "\n" for n in existing)
                result = self.run_tool(sandbox, self.arguments(sandbox, direction), direction)
                self.assert_message(result, message, 0)
                self.assertEqual(result.log, expected_log(
                    direction, self.p(sandbox, sandbox.input), self.p(sandbox, sandbox.output),
                    [], existing=existing, message=message))
                self.assertEqual(self.output_names(sandbox),
                                 sorted(out_prefix + n for n in existing))
                for name in as_files:
                    with open(os.path.join(sandbox.output, out_prefix + name), "rb") as file:
                        self.assertEqual(file.read(), b"already here")

        with self.subTest("an output without its input is no conflict"):
            sandbox = self.sandbox()
            put_plain_inputs(sandbox, ["GatewayKey"])
            os.mkdir(sandbox.output)
            with open(os.path.join(sandbox.output, "EncryptedCoreKey"), "wb") as file:
                file.write(b"stale")
            result = self.run_tool(sandbox, self.arguments(sandbox, "encrypt"), "encrypt")
            self.assert_message(result, DONE, 0)
            self.assertEqual(self.output_names(sandbox), ["EncryptedCoreKey",
                                                          "EncryptedGatewayKey"])
            with open(os.path.join(sandbox.output, "EncryptedCoreKey"), "rb") as file:
                self.assertEqual(file.read(), b"stale")

    def test_output_directory_is_a_file(self):
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["HubSealKey"])
        with open(sandbox.output, "wb") as file:
            file.write(b"a file where the output directory should be")
        for label, dir_out in (("the directory", sandbox.output),
                               ("its parent", os.path.join(sandbox.output, "sub"))):
            with self.subTest(label):
                result = self.run_tool(sandbox, self.arguments(
                    sandbox, "encrypt", dir_out=self.p(sandbox, dir_out)), "encrypt")
                message = 'File error "class FileFoundError" on "%s"' % self.p(sandbox,
                                                                         sandbox.output)
                self.assert_message(result, message, 31)
                self.assertEqual(result.log, expected_log(
                    "encrypt", self.p(sandbox, sandbox.input), self.p(sandbox, dir_out), [],
                    missing=[n for n in KEY_NAMES if n != "HubSealKey"], message=message))
                with open(sandbox.output, "rb") as file:
                    self.assertEqual(file.read(), b"a file where the output directory should be")

        with self.subTest("nothing to convert"):
            sandbox = self.sandbox()
            with open(sandbox.output, "wb") as file:
                file.write(b"file")
            result = self.run_tool(sandbox, self.arguments(sandbox, "encrypt"), "encrypt")
            self.assert_message(result, no_keys_message("encrypt"), 0)

    def bad_input_cases(self, direction):
        """(label, content of HubSealKey's input, (description, exit code)). The exit code is
        the Windows error of the failing call, or 31 when it has none."""
        good = (Fixture.keys.inputs if direction == "encrypt" else Fixture.sealed)["HubSealKey"]
        junk = b"\x00\xff junk \x13\x37 " * 4096
        huge = (junk * (3 * 1024 * 1024 // len(junk) + 1))[:3 * 1024 * 1024]
        if direction == "encrypt":
            unreadable = ("unsupported (class ReadPrivateKeyFailed)", 31)
            with open(Fixture.keys.site_plain, "rb") as file:
                encrypted = file.read()
            return [
                ("empty", b"", ("class NewBIOFailed", 31)),
                ("huge junk", huge, unreadable),
                ("binary", bytes(range(256)) * 16, unreadable),
                ("truncated", good[:len(good) // 2], unreadable),
                ("one byte", good[:1], unreadable),
                # Plain inputs must not need a pass phrase.
                ("encrypted PEM", encrypted,
                 ("bad decrypt; pkcs12 cipherfinal error; bad decrypt; pkcs12 cipherfinal "
                  "error (class ReadPrivateKeyFailed)", 31)),
                ("public key only", Fixture.keys.public["HubSealKey"], unreadable),
                ("sealed given as plain", Fixture.sealed["HubSealKey"], unreadable),
            ]
        malformed = ("Windows Error 0xd: The data is not in a form that can be used.", 13)
        damaged = ("Windows Error 0x80090005: The sealed data was altered or damaged.", 5)
        if self.wine:
            # Wine's own data protection tells no damage from a malformed blob.
            malformed = damaged = ("Windows Error 0xd: Invalid data.", 13)
        middle = bytearray(good)
        middle[len(middle) // 2] ^= 0x01
        last = bytearray(good)
        last[-1] ^= 0x80
        return [
            ("empty", b"", malformed),
            ("huge junk", huge, malformed),
            ("binary", bytes(range(256)) * 16, malformed),
            ("truncated", good[:len(good) // 2], damaged),
            ("one byte", good[:1], malformed),
            ("one byte changed in the middle", bytes(middle), damaged),
            ("last byte changed", bytes(last), damaged),
            ("plain given as sealed", Fixture.keys.inputs["HubSealKey"], malformed),
        ]

    def test_bad_key_inputs(self):
        """A key that cannot be read stops the run at that key, with the keys before it
        converted and none after it."""
        for direction in ("encrypt", "decrypt"):
            in_prefix = prefixes(direction)[0]
            for label, content, (description, code) in self.bad_input_cases(direction):
                with self.subTest(direction=direction, input=label):
                    sandbox = self.sandbox()
                    # AgentRootKey converts first, HubSealKey fourth, ViewerRootKey last.
                    put_inputs(sandbox, direction, ["AgentRootKey", "ViewerRootKey"])
                    with open(os.path.join(sandbox.input, in_prefix + "HubSealKey"),
                              "wb") as file:
                        file.write(content)
                    dir_in = self.p(sandbox, sandbox.input)
                    result = self.run_tool(sandbox, self.arguments(sandbox, direction),
                                           direction)
                    self.assert_message(result, "Error elaborating key '%s\\%s' : \"%s\"" % (
                        dir_in, in_prefix + "HubSealKey", description), code)
                    self.assert_outputs(sandbox, direction, ["AgentRootKey"])
                    message = result.stdout[:-1].decode("utf-8")
                    self.assertEqual(result.log, expected_log(
                        direction, dir_in, self.p(sandbox, sandbox.output),
                        ["AgentRootKey", "HubSealKey"],
                        missing=["GatewayKey", "CoreKey", "PortalRootKey"], message=message))

    def test_directory_in_a_keys_place(self):
        """It counts as no key."""
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["CoreKey"])
        os.mkdir(os.path.join(sandbox.input, "DecryptedHubSealKey"))
        result = self.run_tool(sandbox, self.arguments(sandbox, "encrypt"), "encrypt")
        self.assert_message(result, DONE, 0)
        self.assertEqual(result.log, expected_log(
            "encrypt", self.p(sandbox, sandbox.input), self.p(sandbox, sandbox.output),
            ["CoreKey"], missing=[n for n in KEY_NAMES if n != "CoreKey"]))
        self.assert_outputs(sandbox, "encrypt", ["CoreKey"])

    @linux_only
    def test_fifo_in_a_keys_place(self):
        """Opened without waiting for a writer, then refused as no disk file, with the code
        that the refusal names."""
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["CoreKey"])
        fifo = os.path.join(sandbox.input, "DecryptedAgentRootKey")
        os.mkfifo(fifo)
        result = self.run_tool(sandbox, self.arguments(sandbox, "encrypt"), "encrypt",
                               timeout=15)
        self.assert_message(result, (
            "Error elaborating key '%s\\DecryptedAgentRootKey' : \"File error \"class "
            "FilePermissionError\" on \"%s\\DecryptedAgentRootKey\" : \"Windows Error 0x5: "
            "Permission for the operation was refused.\"\"") % (sandbox.input, sandbox.input),
            5)
        self.assertEqual(self.output_names(sandbox), [])

    @linux_only
    def test_sealed_keys_of_another_machine(self):
        sandbox = self.sandbox()
        put_sealed_inputs(sandbox, ["GatewayKey"])
        other = sandbox.new_machine_key("other-machine")
        result = self.run_tool(sandbox, self.arguments(sandbox, "decrypt"), "decrypt",
                               machine_key=other)
        self.assert_key_failure(result, sandbox.input, "EncryptedGatewayKey", 0x8009000B)
        self.assertEqual(self.output_names(sandbox), [])

        with self.subTest("no machine key at all"):
            missing = os.path.join(sandbox.root, "other-machine", "absent")
            result = self.run_tool(sandbox, self.arguments(sandbox, "decrypt"), "decrypt",
                                   machine_key=missing)
            self.assert_key_failure(result, sandbox.input, "EncryptedGatewayKey", 0x80090016)
            self.assertFalse(os.path.exists(missing), "decrypting made a machine key")

        with self.subTest("encrypting makes a missing machine key"):
            fresh = self.sandbox()
            put_plain_inputs(fresh, ["GatewayKey"])
            directory = os.path.join(fresh.root, "fresh-machine")
            os.mkdir(directory, 0o700)
            key = os.path.join(directory, "machine-key")
            result = self.run_tool(fresh, self.arguments(fresh, "encrypt"), "encrypt",
                                   machine_key=key)
            self.assert_message(result, DONE, 0)
            self.assertEqual(stat.S_IMODE(os.stat(key).st_mode), 0o600)
            self.assertEqual(os.path.getsize(key), 32)
            self.decrypt_back(fresh.output, ["GatewayKey"], machine_key=key)

    @linux_only
    def test_arguments_that_are_not_utf8(self):
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["CoreKey"])
        bad_dir = os.path.join(sandbox.root.encode(), b"in-\xff\xfe")
        os.mkdir(bad_dir)
        put_plain_inputs(sandbox, ["CoreKey"], bad_dir.decode("utf-8", "surrogateescape"))
        shutil.copy(Fixture.keys.site_plain.encode(), bad_dir + b"/site-plain.pem")
        full = self.arguments(sandbox, "encrypt")
        # Bytes reach OpenSSL unchanged, so a password in other bytes than UTF-8 still opens a
        # key encrypted with them; a path that is no UTF-8 names nothing that exists.
        cases = [
            ("password", [full[0], b"/sitePvkPassword:\xff" + SITE_PASSWORD.encode()] + full[2:],
             SITE_FAILURE, 13),
            ("password in Windows-1252 bytes",
             ["/sitePvkLocation:" + Fixture.keys.site_ansi,
              b"/sitePvkPassword:" + ANSI_PASSWORD.encode("cp1252")] + full[2:], DONE, 0),
            ("dirIn", full[:4] + [b"/dirIn:" + bad_dir], DIR_IN_MISSING, 0),
            ("dirOut", full[:3] + [b"/dirOut:" + bad_dir + b"-out", full[4]],
             "WindowsCharacterSetResult: Error 1113 (The text holds a character that cannot be "
             "converted.) in TranscodeU8ToU16", 31),
            ("site key location", [b"/sitePvkLocation:" + bad_dir + b"/site.pem"] + full[1:],
             SITE_FAILURE, 13),
            ("option name", full + [b"/\xc0\xafhideUI"], DONE, 0),
        ]
        for label, arguments, message, code in cases:
            with self.subTest(label):
                result = self.run_tool(sandbox, arguments, "encrypt")
                self.assert_message(result, message, code)
                self.assertEqual(sorted(os.listdir(bad_dir)),
                                 [b"DecryptedCoreKey", b"site-plain.pem"])
                self.assertFalse(os.path.exists(bad_dir + b"-out"))
                self.assertEqual(self.output_names(sandbox), ["EncryptedCoreKey"] if code == 0
                                 and message == DONE else [])
                shutil.rmtree(sandbox.output, ignore_errors=True)

    def test_accented_directories(self):
        if self.wine:
            self.skipTest("the Windows tool reads its ANSI arguments as UTF-8, so a path with "
                          "a letter outside ASCII names no existing directory")
        sandbox = self.sandbox()
        dir_in = sandbox.make_dir("entrée")
        dir_out = os.path.join(sandbox.root, "sortie-ünd-ñ")
        put_plain_inputs(sandbox, ["PortalRootKey"], dir_in)
        result = self.run_tool(sandbox, self.arguments(
            sandbox, "encrypt", dir_in=self.p(sandbox, dir_in),
            dir_out=self.p(sandbox, dir_out)), "encrypt")
        self.assert_message(result, DONE, 0)
        self.assertEqual(result.log, expected_log(
            "encrypt", self.p(sandbox, dir_in), self.p(sandbox, dir_out), ["PortalRootKey"],
            missing=[n for n in KEY_NAMES if n != "PortalRootKey"]))
        self.assert_outputs(sandbox, "encrypt", ["PortalRootKey"], dir_out)

    @linux_only
    def test_drive_form_paths_on_linux(self):
        """The Linux layer maps drive Z: onto the root, as Wine does, for the directories; the
        site key is opened by OpenSSL, which takes native paths only."""
        sandbox = self.sandbox()
        put_plain_inputs(sandbox, ["CoreKey"])
        dir_in = "Z:" + sandbox.input.replace("/", "\\")
        dir_out = "Z:" + sandbox.output.replace("/", "\\")
        result = self.run_tool(sandbox, self.arguments(
            sandbox, "encrypt", dir_in=dir_in, dir_out=dir_out), "encrypt")
        self.assert_message(result, DONE, 0)
        self.assertEqual(result.log, expected_log(
            "encrypt", dir_in, dir_out, ["CoreKey"],
            missing=[n for n in KEY_NAMES if n != "CoreKey"]))
        self.assert_outputs(sandbox, "encrypt", ["CoreKey"])


class FaultInjection(ToolTestCase):
    """Each step of writing a key failing through the Linux layer's switch."""

    def setUp(self):
        if Fixture.platform.is_wine:
            self.skipTest("the failure switch is the Linux layer's")

    def run_failing(self, direction, failure, names=KEY_NAMES):
        sandbox = self.sandbox()
        put_inputs(sandbox, direction, names)
        arguments = conversion_arguments(sandbox, direction, Fixture.keys.site_plain,
                                         SITE_PASSWORD)
        result = self.run_tool(sandbox, arguments, direction,
                               env={"QUENDRA_LAYER_FAIL": failure})
        return sandbox, result

    # (step, call, code, directions, calls of it before the first key, calls per key). The
    # switch counts from the start of the process; nothing before the first key reaches these
    # calls: the site key is read by OpenSSL itself and the log is written at the end.
    STEPS = [
        ("reading the input", "ReadFile", 1307, ("encrypt", "decrypt"), 0, 1),
        ("unsealing", "CryptUnprotectData", 13, ("decrypt",), 0, 1),
        ("the temporary file", "GetTempFileNameW", 5, ("encrypt", "decrypt"), 0, 1),
        ("opening the temporary file", "CreateFileW", 32, ("encrypt", "decrypt"), 1, 2),
        ("sealing", "CryptProtectData", 1307, ("encrypt",), 0, 1),
        ("writing", "WriteFile", 112, ("encrypt", "decrypt"), 0, 1),
        ("moving", "MoveFileExW", 32, ("encrypt", "decrypt"), 0, 1),
        ("moving, code with a zero low byte", "MoveFileExW", 256, ("encrypt", "decrypt"), 0, 1),
        ("writing, code with a zero low byte", "WriteFile", 0x500, ("decrypt",), 0, 1),
    ]

    def test_each_write_step_fails_cleanly(self):
        for step, call, code, directions, first, per_key in self.STEPS:
            for direction in directions:
                for position in (0, 1):
                    with self.subTest(step=step, code=code, direction=direction,
                                      key=CONVERSION_ORDER[position]):
                        self.check_failure_at(call, code, direction, position,
                                              first + position * per_key)

    def check_failure_at(self, call, code, direction, position, after):
        sandbox, result = self.run_failing(direction, "%s:%d:%d" % (call, code, after))
        in_prefix = prefixes(direction)[0]
        failing = CONVERSION_ORDER[position]
        self.assert_key_failure(result, sandbox.input, in_prefix + failing, code)
        self.assert_outputs(sandbox, direction, CONVERSION_ORDER[:position])
        message = result.stdout[:-1].decode("utf-8")
        self.assertEqual(result.log, expected_log(
            direction, sandbox.input, sandbox.output, CONVERSION_ORDER[:position + 1],
            message=message))

    def test_security_steps_are_best_effort(self):
        """Owner and access list are applied on a file that is private from its creation; a
        failure to apply them leaves it so, and the key is written all the same."""
        # The output's chain is checked first, one read of each directory's security.
        checked = len(pathlib.PurePath(self.sandbox().output).parents) + 1
        for call, after in (("GetNamedSecurityInfoW", checked), ("SetNamedSecurityInfoW", 0)):
            for direction in ("encrypt", "decrypt"):
                with self.subTest(call=call, direction=direction):
                    sandbox, result = self.run_failing(direction, "%s:5:%d" % (call, after))
                    self.assert_message(result, DONE, 0)
                    self.assert_outputs(sandbox, direction, KEY_NAMES)
                    for name in os.listdir(sandbox.output):
                        mode = stat.S_IMODE(os.stat(os.path.join(sandbox.output, name)).st_mode)
                        self.assertEqual(mode & 0o077, 0, name)

    def test_unreadable_directory_security_stops_the_run(self):
        """A directory whose security cannot be read is not trusted: nothing is written."""
        for after in (0, 2):
            with self.subTest(after=after):
                sandbox, result = self.run_failing("encrypt", "GetNamedSecurityInfoW:5:%d" % after)
                self.assertEqual(result.code, 31, result)
                self.assertIn(b"Windows Error 0x5: ", result.stdout, result)
                self.assertEqual(self.output_names(sandbox), [])

    def test_failures_outside_the_keys(self):
        """The output directory that cannot be made ends the run as a failure raised out of
        it; the log and the sockets are no part of the result."""
        with self.subTest("making the output directory"):
            sandbox, result = self.run_failing("encrypt", "CreateDirectoryW:5")
            self.assert_message(result, (
                "File error \"class FilePermissionError\" on \"%s\" : \"Windows Error 0x5: "
                "Permission for the operation was refused.\"") % sandbox.output, 31)
            self.assertFalse(os.path.exists(sandbox.output))
            self.assertEqual(result.log[-2:], [result.stdout[:-1].decode(), "Exit Quendra ..."])
        # Each key opens two files and writes one before the log is opened and written.
        for label, failure in (("opening the log", "CreateFileW:5:12"),
                               ("writing the log", "WriteFile:112:6"),
                               ("sockets", "WSAStartup:10091")):
            with self.subTest(label):
                sandbox, result = self.run_failing("decrypt", failure)
                self.assert_message(result, DONE, 0)
                self.assert_outputs(sandbox, "decrypt", KEY_NAMES)

    def test_time_zone_failure(self):
        """The log's stamps need the time zone: a stamp taken while it cannot be had is in
        UTC, the run goes on, and the zone is asked again for the next stamp."""
        # A zone without tzdata: one hour east of UTC.
        zone = {"TZ": "QQQ-1"}
        for code in (5, 1307):
            with self.subTest(code=code):
                sandbox = self.sandbox()
                put_plain_inputs(sandbox, KEY_NAMES)
                result = self.run_tool(sandbox, conversion_arguments(
                    sandbox, "encrypt", Fixture.keys.site_plain, SITE_PASSWORD), "encrypt",
                    env=dict(zone, QUENDRA_LAYER_FAIL="GetTimeZoneInformation:%d" % code))
                self.assert_message(result, DONE, 0)
                self.assertEqual(result.log, expected_log(
                    "encrypt", sandbox.input, sandbox.output, CONVERSION_ORDER))
                self.assert_outputs(sandbox, "encrypt", KEY_NAMES)
                offsets = [stamp[-5:] for stamp in log_stamps(result.raw_log)]
                self.assertEqual(offsets, ["+0000"] + ["+0100"] * (len(offsets) - 1))
                TIME_ZONE_RESULTS.append((code, result.code, result.stdout, offsets[:2]))


TIME_ZONE_RESULTS = []


class KillLoop(ToolTestCase):
    """Runs killed at any moment: every output is absent or complete."""

    def setUp(self):
        if Fixture.platform.is_wine:
            self.skipTest("Linux only")

    def test_outputs_are_never_partial(self):
        sandbox = self.sandbox()
        directions = ("encrypt", "decrypt")
        timings = {}
        for direction in directions:
            inputs = sandbox.make_dir("in-" + direction)
            put_inputs(sandbox, direction, KEY_NAMES, inputs)
            durations = []
            for attempt in range(3):
                output = os.path.join(sandbox.root, "measure-%s-%d" % (direction, attempt))
                started = time.monotonic()
                process = sandbox.start(conversion_arguments(
                    sandbox, direction, Fixture.keys.site_plain, SITE_PASSWORD, dir_in=inputs,
                    dir_out=output))
                process.wait()
                durations.append(time.monotonic() - started)
                self.assertEqual(process.returncode, 0)
            timings[direction] = min(durations)
        runs = Fixture.kill_runs
        killed_outputs = {"absent": 0, "complete": 0, "key leftovers": 0}
        for run in range(runs):
            direction = directions[run % 2]
            # Spread over the whole run, a little past its usual end.
            delay = timings[direction] * 1.1 * (run // 2) / max(1, (runs + 1) // 2 - 1)
            output = os.path.join(sandbox.root, "killed-%d" % run)
            # A sealing run makes its machine key afresh, so that a kill can meet its creation.
            key_directory = os.path.join(sandbox.root, "machine-key-%d" % run)
            os.mkdir(key_directory, 0o700)
            machine_key = (os.path.join(key_directory, "machine-key")
                           if direction == "encrypt" else None)
            process = sandbox.start(conversion_arguments(
                sandbox, direction, Fixture.keys.site_plain, SITE_PASSWORD,
                dir_in=os.path.join(sandbox.root, "in-" + direction), dir_out=output),
                machine_key=machine_key)
            time.sleep(delay)
            process.kill()
            process.wait()
            with self.subTest(run=run, direction=direction, delay="%.4f" % delay):
                key_leftovers = [n for n in os.listdir(key_directory) if n != "machine-key"]
                killed_outputs["key leftovers"] += len(key_leftovers)
                self.assertEqual(key_leftovers, [])
                complete = self.check_killed_output(output, direction, machine_key)
                killed_outputs["complete"] += complete
                killed_outputs["absent"] += len(KEY_NAMES) - complete
        KILL_SUMMARY.update(killed_outputs, timings=timings, runs=runs)
        KILL_SUMMARY["temporary"] = sum(
            1 for f in sandbox.files() if TEMPORARY_FILE.match(os.path.basename(f)))

    def check_killed_output(self, output, direction, machine_key):
        out_prefix = prefixes(direction)[1]
        names = os.listdir(output) if os.path.isdir(output) else []
        finished = []
        for name in names:
            path = os.path.join(output, name)
            if TEMPORARY_FILE.match(name):
                # The killed process could not remove it, but it was private from the start.
                self.assertEqual(stat.S_IMODE(os.stat(path).st_mode) & 0o077, 0, name)
                continue
            self.assertTrue(name.startswith(out_prefix) and name[len(out_prefix):] in KEY_NAMES,
                            name)
            finished.append(name[len(out_prefix):])
        if direction == "decrypt":
            for name in finished:
                path = os.path.join(output, out_prefix + name)
                with open(path, "rb") as file:
                    self.assertEqual(file.read(), Fixture.keys.pkcs8[name], name)
                self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o600, name)
        elif finished:
            self.decrypt_back(output, finished, machine_key)
        return len(finished)


KILL_SUMMARY = {}

GROUPS = {"end-to-end": EndToEnd, "fault-injection": FaultInjection, "kill": KillLoop,
          "other-accounts": OtherAccounts}


class CountingResult(unittest.TextTestResult):
    """Counts cases: each sub-test, or a test that has none."""

    def __init__(self, *arguments, **keywords):
        super().__init__(*arguments, **keywords)
        self.passed = 0
        self.failed = 0
        self.subtests_seen = set()

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        self.subtests_seen.add(test.id())
        if err is None:
            self.passed += 1
        else:
            self.failed += 1

    def addSuccess(self, test):
        super().addSuccess(test)
        if test.id() not in self.subtests_seen:
            self.passed += 1

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.failed += 1

    def addError(self, test, err):
        super().addError(test, err)
        self.failed += 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--executable", required=True)
    parser.add_argument("--wine", help="the Wine loader; the executable is then a Windows one")
    parser.add_argument("--group", action="append", choices=sorted(GROUPS))
    parser.add_argument("--kill-runs", type=int,
                        default=int(os.environ.get("QUENDRA_E2E_KILL_RUNS", "40")))
    parser.add_argument("--openssl", default=shutil.which("openssl") or "openssl")
    parser.add_argument("-k", dest="patterns", action="append",
                        help="only the tests whose names contain this text")
    parser.add_argument("-v", dest="verbosity", action="store_const", const=2, default=1)
    options = parser.parse_args()

    platform = Platform(options.executable, options.wine, os.environ.get("WINEPREFIX"))
    started = time.monotonic()
    Fixture.set_up(platform, options.openssl, options.kill_runs)
    failed = False
    try:
        for group in options.group or list(GROUPS):
            loader = unittest.TestLoader()
            if options.patterns:
                loader.testNamePatterns = ["*%s*" % p for p in options.patterns]
            suite = loader.loadTestsFromTestCase(GROUPS[group])
            group_started = time.monotonic()
            runner = unittest.TextTestRunner(stream=sys.stdout, verbosity=options.verbosity,
                                             resultclass=CountingResult)
            result = runner.run(suite)
            failed = failed or not result.wasSuccessful()
            seconds = time.monotonic() - group_started
            if group == "kill" and KILL_SUMMARY:
                print("kill: %d runs killed with SIGKILL; outputs complete %d, absent %d, "
                      "temporary files left %d, machine-key files left %d; normal run %.3f s "
                      "(encrypt) %.3f s (decrypt)" % (
                          KILL_SUMMARY["runs"], KILL_SUMMARY["complete"],
                          KILL_SUMMARY["absent"], KILL_SUMMARY["temporary"],
                          KILL_SUMMARY["key leftovers"],
                          KILL_SUMMARY["timings"]["encrypt"],
                          KILL_SUMMARY["timings"]["decrypt"]))
            if group == "other-accounts" and TWO_RUN_OUTCOMES:
                print("other-accounts: two runs at once, outcomes: %s" % "; ".join(
                    "%s %d" % (" and ".join(kinds), count)
                    for kinds, count in sorted(TWO_RUN_OUTCOMES.items())))
            if group == "fault-injection":
                for injected, code, stdout, offsets in TIME_ZONE_RESULTS:
                    print("fault-injection: GetTimeZoneInformation failing with %d: exit %d, "
                          "%r, log offsets %s then %s" % (injected, code, stdout, *offsets))
            where = "under Wine" if platform.is_wine else "on Linux"
            print("%s: %.1f s %s" % (group, seconds, where))
            print("%s: %d passed, %d failed" % (group, result.passed, result.failed))
    finally:
        Fixture.tear_down()
    print("total: %.1f s" % (time.monotonic() - started))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
