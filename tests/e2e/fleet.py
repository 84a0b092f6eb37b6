"""Columns watched as a distillery runs them: N device simulators, N stillmon runs without a
window serving their pages, and one real Prometheus scraping them all. Shared by the fleet's
end-to-end test and scripts/bench-fleet."""

import json
import os
import re
import shutil
import socket
import urllib.parse

import harness
import stillmon_harness as sh
from page_client import request

MONITORING = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "monitoring")


class Column:
    """One simulator and the stillmon run on it, in a folder of its own: column `number` on
    serial port 1-9 (ports repeat past nine, each column's device its own), its page on a
    port of its own."""

    def __init__(self, directory, number, simulator_options=(), options=()):
        self.directory = os.path.join(directory, f"column{number}")
        os.makedirs(self.directory, exist_ok=True)
        self.simulator = sh.Simulator(self.directory, *simulator_options)
        self.monitor = sh.Monitor(None, self.directory, self.simulator.link,
                                  port=str((number - 1) % 9 + 1),
                                  options=("--serve", "127.0.0.1:0", *options))
        self.url = self.monitor.output.wait_for(r"^Page served at (http://\S+)$").group(1)
        self.address = urllib.parse.urlsplit(self.url).netloc

    def stop(self):
        self.monitor.stop()
        self.simulator.stop()


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Prometheus(harness.Program):
    """Debian's Prometheus on a port of its own, its data in `directory`, scraping
    `targets` (host:port) every `interval_s` in the job "stillmon", with `rule_files`."""

    def __init__(self, directory, targets, interval_s, rule_files=()):
        self.port = free_port()
        config = os.path.join(directory, "prometheus.yml")
        with open(config, "w") as f:
            json.dump({"global": {"scrape_interval": f"{interval_s}s",
                                  "evaluation_interval": f"{interval_s}s"},
                       "rule_files": list(rule_files),
                       "scrape_configs": [{"job_name": "stillmon",
                                           "static_configs": [{"targets": list(targets)}]}]},
                      f)  # JSON is YAML
        super().__init__([shutil.which("prometheus") or "prometheus",
                          f"--config.file={config}",
                          f"--storage.tsdb.path={os.path.join(directory, 'prometheus-data')}",
                          f"--web.listen-address=127.0.0.1:{self.port}", "--log.level=warn"],
                         cwd=directory)
        self.url = f"http://127.0.0.1:{self.port}"
        harness.wait_until(self._ready, 30, interval_s=0.2, what="Prometheus ready")

    def _ready(self):
        try:
            return request(self.url, path="/-/ready", timeout_s=2)[0] == 200
        except OSError:
            return False

    def api(self, path, **parameters):
        query = urllib.parse.urlencode(parameters)
        status, _, body = request(self.url, path=f"/api/v1/{path}?{query}", timeout_s=10)
        answer = json.loads(body)
        if status != 200 or answer.get("status") != "success":
            raise harness.HarnessError(f"{path} {parameters}: {status} {body[:300]!r}")
        return answer["data"]

    def query(self, expression):
        """The instant vector of `expression` now: a list of (labels, value)."""
        data = self.api("query", query=expression)
        if data["resultType"] == "matrix":
            return [(r["metric"], float(r["values"][-1][1])) for r in data["result"]]
        return [(r["metric"], float(r["value"][1])) for r in data["result"]]

    def firing_alerts(self, name):
        return [a["labels"] for a in self.api("alerts")["alerts"]
                if a["labels"].get("alertname") == name and a["state"] == "firing"]


def dashboard_expressions():
    """Every PromQL expression of the shipped Grafana dashboard."""
    with open(os.path.join(MONITORING, "grafana-dashboard.json")) as f:
        dashboard = json.load(f)
    return [target["expr"] for panel in dashboard["panels"] for target in panel["targets"]]


def as_query(expression, rate_interval="30s", whole_range="5m"):
    """A dashboard expression with Grafana's variables as a query of every column."""
    return (expression.replace('"$instance"', '".*"')
            .replace("$__rate_interval", rate_interval).replace("$__range", whole_range))


def process_sample(pid):
    """(CPU seconds, resident KiB) of a process."""
    with open(f"/proc/{pid}/status") as f:
        rss = int(re.search(r"^VmRSS:\s+(\d+)", f.read(), re.M).group(1))
    return harness.cpu_seconds(pid), rss
