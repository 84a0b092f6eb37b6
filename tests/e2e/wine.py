"""The Windows build of stillmon run under Wine (Debian's wine): a Wine prefix made once per
test run and copied for each test, so every test has a Wine server of its own.

Wine gives Windows programs the machine name (COMPUTERNAME, which picks the small window)
from the host name its server first runs under, ignoring the variable of the same name: each
Wine command here runs in a UTS namespace of its own with the host name set, which needs root.
Serial port N reaches a pseudo-terminal through the prefix's registry (HKLM\\Software\\Wine\\
Ports), read when the server starts.

The Windows program's path comes in STILLMON_EXE.
"""

import os
import subprocess

import harness

STILLMON_EXE = os.environ.get("STILLMON_EXE", "")
DEFAULT_COMPUTER_NAME = "STILLMON-TEST"


def wine_environment(prefix, base=None):
    env = dict(os.environ if base is None else base)
    env.pop("COMPUTERNAME", None)
    # No .NET or browser parts to offer for download, and none of Wine's own chatter.
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    return env


def make_prefix_template(directory):
    """A freshly set-up Wine prefix under `directory`, its server ended; returns its path."""
    harness.require_tools("wine", "wineboot", "wineserver", "unshare")
    path = os.path.join(directory, "template")
    env = wine_environment(path)
    subprocess.run(["wineboot", "-i"], env=env, capture_output=True, timeout=300,
                   check=True)
    subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=120)
    return path


class WinePrefix:
    """A copy of the template prefix in `directory`, for programs on a machine named
    `computer_name`. As a launcher of stillmon_harness.Monitor it runs STILLMON_EXE."""

    def __init__(self, template, directory, computer_name=DEFAULT_COMPUTER_NAME):
        self.path = os.path.join(directory, "wine")
        subprocess.run(["cp", "-a", template, self.path], check=True, timeout=120)
        self.computer_name = computer_name

    def env(self, base=None):
        return wine_environment(self.path, base)

    def wine_command(self, *argv):
        return ["unshare", "--uts", "sh", "-c", 'hostname "$0" && exec wine "$@"',
                self.computer_name, *argv]

    def command(self, arguments):
        return self.wine_command(STILLMON_EXE, *arguments)

    def run(self, *argv, timeout_s=60):
        result = subprocess.run(self.wine_command(*argv), env=self.env(), capture_output=True,
                                timeout=timeout_s)
        if result.returncode != 0:
            raise harness.HarnessError(f"wine {argv} failed ({result.returncode}): "
                                       f"{result.stderr.decode(errors='replace')}")

    def map_serial_port(self, number, device):
        """COM<number> is `device` for every program started after this."""
        self.run("reg", "add", r"HKLM\Software\Wine\Ports", "/v", f"COM{number}", "/d", device,
                 "/f")
        self.close()

    def close(self):
        """Ends the prefix's server and every program still running in it."""
        subprocess.run(["wineserver", "-k"], env=self.env(), capture_output=True,
                       timeout=60)
