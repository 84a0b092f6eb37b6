"""End-to-end tests of the alarms on the window: stillmon live against the device simulator
with a configuration file, its tone written by SDL's `disk` audio driver to a file.

Program paths come in STILLMON and STILLSIM.
"""

import array
import os
import unittest

import harness
import screen_text
import stillmon_harness as sh

ALARM_ROW, ALARM_COLUMN, RED = 29, 30, 12

# The tank is always above -100 °C: this alarm fires at the first cycle.
FIRING_AT_ONCE = """
[[alarm]]
name = "tank-hot"
value = "tank"
above = -100.0
severity = "critical"

[[alarm]]
name = "never"
value = "steam"
above = 1000.0
"""


def samples(path, start_byte=0):
    data = sh.read_bytes(path)[start_byte:]
    return array.array("h", data[:len(data) // 2 * 2])


class AlarmWindow(sh.ProgramTestCase):
    def start(self, config_text, **environment):
        config = os.path.join(self.dir, "still.toml")
        with open(config, "w") as f:
            f.write(config_text)
        simulator = sh.Simulator(self.dir)
        self.addCleanup(simulator.stop)
        monitor = sh.Monitor(self.x, self.dir, simulator.link, options=("--config", config),
                             environment=environment)
        self.addCleanup(monitor.stop)
        return monitor

    def test_a_critical_alarm_shows_red_and_sounds_until_acknowledged(self):
        audio = os.path.join(self.dir, "tone.raw")
        monitor = self.start(FIRING_AT_ONCE, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=audio)
        monitor.errors.wait_for(r"^stillmon: alarm tank-hot firing: tank \S+ above -100$")
        sh.wait_for_screen_text(monitor, ALARM_ROW, ALARM_COLUMN, "ALARM tank-hot ", RED)
        harness.wait_until(lambda: any(samples(audio)), 10, what="the tone in the audio file")

        self.x.send_keys(monitor.window(), "F2")
        monitor.errors.wait_for(r"^stillmon: alarm tank-hot acknowledged$")
        # The device is paused a moment after the line; from the next second on only silence.
        heard = len(sh.read_bytes(audio))
        harness.wait_until(lambda: len(sh.read_bytes(audio)) > heard + 88200, 10,
                           what="a second more of audio")
        after = samples(audio, heard + 44100)
        self.assertGreater(len(after), 0)
        self.assertFalse(any(after), "the tone sounds on after F2")
        # Acknowledged, the alarm still fires: its name stays on the row.
        image = monitor.x.screenshot(monitor.window())
        self.assertEqual(screen_text.read_text(image, ALARM_ROW, ALARM_COLUMN, 14, RED),
                         "ALARM tank-hot")

    def test_without_sound_the_tone_is_skipped_and_said_once(self):
        monitor = self.start(FIRING_AT_ONCE, SDL_AUDIODRIVER="no-such-driver")
        monitor.errors.wait_for(r"^stillmon: no sound for the alarm tone \(.+\); "
                                r"the tone is skipped$")
        monitor.wait_for_cycles(4)
        self.assertEqual(sum("no sound" in line for line in monitor.errors.all()), 1)


if __name__ == "__main__":
    unittest.main()
