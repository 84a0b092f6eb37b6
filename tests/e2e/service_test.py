"""The systemd unit stillmon@.service as docs/fleet.md's recipe sets it up, without systemd: the
test does what the unit's lines ask for stillmon@1 (its environment, its credential, a user of
its own in the group dialout, no display, no input) and runs its ExecStart line, against the
simulator and a broker that takes only the password handed over as a credential.
Needs root (to become that user). Program paths come in STILLMON and STILLSIM.
"""

import grp
import os
import re
import shlex
import shutil
import signal
import subprocess
import unittest

import harness
import mqtt_broker
import stillmon_harness as sh

UNIT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "packaging",
                    "systemd", "stillmon@.service")
RUN_USER = 61184  # the first user number systemd gives a DynamicUser=
PASSWORD = "pass word with spaces"


def unit_settings(instance):
    """Every setting of the unit's [Service] section, %i replaced: name -> list of values."""
    settings = {}
    with open(UNIT, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith(("#", "[")):
                name, value = line.rstrip("\n").split("=", 1)
                settings.setdefault(name, []).append(value.replace("%i", instance))
    return settings


def expand(command, environment):
    """systemd's rules for ExecStart: "$NAME" alone becomes the value's words, "${NAME}" the
    value as one word."""
    words = []
    for word in shlex.split(command):
        if re.fullmatch(r"\$\w+", word):
            words += environment.get(word[1:], "").split()
        else:
            words.append(re.sub(r"\$\{(\w+)\}", lambda m: environment.get(m.group(1), ""), word))
    return words


@unittest.skipUnless(os.geteuid() == 0, "becoming the service's user needs root")
class ServiceRecipe(harness.EndToEndTest):
    def setUp(self):
        sh.require_programs(self)
        directory = harness.temporary_directory()
        self.addCleanup(directory.cleanup)
        self.dir = directory.name
        os.chmod(self.dir, 0o755)  # the run's user passes through, as through /etc and /run
        self.settings = unit_settings("1")
        # Where docs/fleet.md puts them: /etc/credstore, /etc/stillmon, /var/lib/stillmon/1.
        self.credstore, self.etc, self.state = (os.path.join(self.dir, name) for name in (
            "credstore", "etc", "state"))
        for folder in (self.credstore, self.etc, self.state):
            os.mkdir(folder, 0o700)
        os.chmod(self.etc, 0o755)
        os.chown(self.state, RUN_USER, RUN_USER)
        with open(os.path.join(self.credstore, "stillmon.mqtt-password"), "w") as f:
            f.write(PASSWORD)

    def start_unit(self, options):
        """ExecStart run as systemd runs it; the environment file holds `options` and the
        simulator's link."""
        environment = harness.environment_without_display()
        for value in self.settings["Environment"]:
            environment.update([shlex.split(value)[0].split("=", 1)])
        environment.update(STILLMON_COM1=self.simulator.link, STILLMON_OPTIONS=options)
        # LoadCredential=ID:NAME finds NAME in the credential store and hands a copy that only
        # the run's user may read to the run, in $CREDENTIALS_DIRECTORY.
        credentials = os.path.join(self.dir, "credentials")
        os.mkdir(credentials, 0o500)
        for value in self.settings["LoadCredential"]:
            name, source = value.split(":", 1)
            copy = os.path.join(credentials, name)
            shutil.copyfile(os.path.join(self.credstore, source), copy)
            os.chmod(copy, 0o400)
            os.chown(copy, RUN_USER, RUN_USER)
        os.chown(credentials, RUN_USER, RUN_USER)
        environment["CREDENTIALS_DIRECTORY"] = credentials
        command = expand(self.settings["ExecStart"][0], environment)
        self.assertEqual(command[0], "/usr/bin/stillmon")
        groups = ",".join(str(grp.getgrnam(name).gr_gid)
                          for name in self.settings["SupplementaryGroups"])
        monitor = harness.Program(
            ["setpriv", f"--reuid={RUN_USER}", f"--regid={RUN_USER}", f"--groups={groups}",
             sh.STILLMON, *command[1:]], env=environment, cwd=self.state)
        self.addCleanup(monitor.stop)
        return monitor

    def test_the_password_comes_as_a_credential_and_a_wrong_file_stops_the_unit(self):
        self.simulator = sh.Simulator(self.dir, "--period", "0.2", link_name="ttyACM0")
        self.addCleanup(self.simulator.stop)
        # The recipe: the group that may open serial devices may open the simulator's too.
        terminal = os.path.realpath(self.simulator.link)
        os.chown(terminal, -1, grp.getgrnam("dialout").gr_gid)
        os.chmod(terminal, 0o660)
        broker = mqtt_broker.Broker(self.dir, user=("still", PASSWORD))
        self.addCleanup(broker.stop)
        subscriber = mqtt_broker.Subscriber(broker.port, topics=("still/1/#",))
        self.addCleanup(subscriber.close)
        config = os.path.join(self.etc, "1.toml")
        with open(config, "w") as f:
            f.write(f'[mqtt]\nbroker = "{broker.url()}"\nusername = "still"\n'
                    'password_file = "%d/mqtt-password"\ntopic = "still/1"\n')
        os.chmod(config, 0o644)

        monitor = self.start_unit(f"--config {config}")
        subscriber.wait_for("still/1/state")
        self.assertEqual(os.stat(os.path.join(self.state, "Run1.dat")).st_uid, RUN_USER)
        monitor.process.send_signal(signal.SIGTERM)
        self.assertIn(str(monitor.wait()), self.settings["SuccessExitStatus"][0].split())

        # A mistake in the file is said in the journal and ends the unit for good.
        with open(config, "a") as f:
            f.write('password = "in the open"\n')
        shutil.rmtree(os.path.join(self.dir, "credentials"))
        monitor = self.start_unit(f"--config {config}")
        self.assertEqual(monitor.wait(), 2)
        monitor.stop()
        self.assertIn("2", self.settings["RestartPreventExitStatus"][0].split())
        self.assertRegex(monitor.errors.all()[-1], r"1\.toml:6:1: \"password\" in mqtt")
