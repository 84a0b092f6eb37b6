"""End-to-end test of many columns: three device simulators, three stillmon runs without a
window serving their pages, and Debian's Prometheus scraping them every second with the
shipped alert rules (the silent device's `for` shortened in a test copy) and the shipped
dashboard's expressions.

Program paths come in STILLMON and STILLSIM; prometheus comes from PATH.
"""

import collections
import os
import unittest

import yaml

import fleet
import harness
import stillmon_harness as sh
import text_log

# An alarm that fires at the first cycle, so every column has its alarm series.
CONFIG = """
[[alarm]]
name = "tank-warm"
value = "tank"
above = -100.0
"""


class FleetInPrometheus(sh.ProgramTestCase):
    def start_fleet(self):
        config = os.path.join(self.dir, "still.toml")
        with open(config, "w") as f:
            f.write(CONFIG)
        columns = []
        for number in (1, 2, 3):
            column = fleet.Column(self.dir, number, options=("--config", config))
            self.addCleanup(column.stop)
            columns.append(column)
        with open(os.path.join(fleet.MONITORING, "stillmon.rules.yml")) as f:
            rules = yaml.safe_load(f)
        for rule in rules["groups"][0]["rules"]:
            if rule["alert"] == "StillmonDeviceSilent":
                rule["for"] = "1s"
        rules_copy = os.path.join(self.dir, "rules.yml")
        with open(rules_copy, "w") as f:
            yaml.safe_dump(rules, f)
        prometheus = fleet.Prometheus(self.dir, [c.address for c in columns], 1, [rules_copy])
        self.addCleanup(prometheus.stop)
        return columns, prometheus

    def test_three_columns_scraped_alerted_and_charted(self):
        columns, prometheus = self.start_fleet()

        # Each column's temperatures, scraped together with their record number, are the
        # values of that record's line in the column's log.
        harness.wait_until(lambda: len(prometheus.query("stillmon_temperature_celsius")) == 24,
                           30, interval_s=0.5, what="3 x 8 temperature series")
        scraped = collections.defaultdict(dict)
        for labels, value in prometheus.query(
                '{__name__=~"stillmon_temperature_celsius|stillmon_record_number"}'):
            scraped[labels["instance"]][labels.get("channel", "record")] = value
        self.assertEqual(set(scraped), {c.address for c in columns})
        for column in columns:
            values = scraped[column.address]
            lines = {sh.record_numbers([line])[0]: line for line in column.monitor.logged_lines()}
            fields = text_log.split_fields(lines[int(values["record"])])
            for channel in range(8):
                logged = text_log.read_number(fields[1 + channel][6:])
                self.assertAlmostEqual(values[str(channel)], logged, delta=0.05 + 1e-9,
                                       msg=f"{column.address} channel {channel}")

        # Every chart of the dashboard has data.
        for expression in fleet.dashboard_expressions():
            harness.wait_until(lambda: prometheus.query(fleet.as_query(expression)), 20,
                               interval_s=0.5, what=f"data for {expression}")

        # A device that goes silent raises the alert for its column alone.
        silent = columns[1]
        silent.simulator.stop()
        harness.wait_until(lambda: prometheus.firing_alerts("StillmonDeviceSilent"), 30,
                           interval_s=0.5, what="the silent-device alert")
        firing = prometheus.firing_alerts("StillmonDeviceSilent")
        self.assertEqual([a["instance"] for a in firing], [silent.address])
        self.assertEqual(firing[0]["severity"], "critical")


if __name__ == "__main__":
    unittest.main()
