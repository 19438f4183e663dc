"""Shared pieces of the robustness tests: a scratch working folder for the
program, its SimConnect.cfg, placement files, running the stand-in, and
sampling a process's memory from /proc."""

import os
import pathlib
import shutil
import subprocess
import tempfile
import threading
import time


def make_workdir(prefix):
    return pathlib.Path(tempfile.mkdtemp(prefix=prefix))


def write_config(workdir, port):
    (workdir / "SimConnect.cfg").write_text(
        "[SimConnect]\nProtocol=Ipv4\nAddress=127.0.0.1\nPort=%d\n" % port)


def write_placement(workdir, name, text):
    folder = workdir / "Quillmar" / "BrindlewickV2"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_text(text, encoding="latin-1")


def copy_examples(workdir, examples):
    shutil.copytree(pathlib.Path(examples) / "Quillmar", workdir / "Quillmar")


class StandIn:
    """sim-standin in `folder`, with its port file, transcript and output."""

    def __init__(self, program, folder, scenario, refused=(), timeout=120, scenario_file=False):
        self.folder = pathlib.Path(folder)
        self.port_file = self.folder / "standin.port"
        self.transcript = self.folder / "standin.jsonl"
        self.output = self.folder / "standin.out"
        args = [program, "--port-file", str(self.port_file), "--transcript",
                str(self.transcript), "--timeout", str(timeout)]
        if scenario_file:
            path = self.folder / "scenario.txt"
            path.write_text(scenario)
            args += ["--scenario-file", str(path)]
        else:
            args += ["--scenario", scenario]
        for title in refused:
            args += ["--refuse", title]
        self.out = open(self.output, "w")
        self.process = subprocess.Popen(args, stdout=self.out, stderr=subprocess.STDOUT)

    def port(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if self.port_file.exists():
                return int(self.port_file.read_text())
            if self.process.poll() is not None:
                break
            time.sleep(0.01)
        raise RuntimeError("sim-standin did not start:\n" + self.output.read_text())

    def wait(self, timeout):
        code = self.process.wait(timeout)
        self.out.close()
        return code

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.out.close()


def memory_kib(pid):
    """VmRSS and VmHWM of a running process, in KiB; None once it has gone."""
    try:
        text = pathlib.Path("/proc/%d/status" % pid).read_text()
    except OSError:
        return None
    values = {}
    for line in text.splitlines():
        key, _, rest = line.partition(":")
        if key in ("VmRSS", "VmHWM"):
            values[key] = int(rest.split()[0])
    return values.get("VmRSS"), values.get("VmHWM")


class MemorySampler:
    """Samples a process's VmRSS and VmHWM every `interval` seconds."""

    def __init__(self, pid, interval=0.05):
        self.samples = []  # (seconds since start, rss KiB, hwm KiB)
        self._pid = pid
        self._interval = interval
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._start = time.monotonic()
        self._thread.start()

    def _run(self):
        while not self._stop.is_set():
            values = memory_kib(self._pid)
            if values is None or values[0] is None:
                break
            self.samples.append((time.monotonic() - self._start,) + values)
            self._stop.wait(self._interval)

    def stop(self):
        self._stop.set()
        self._thread.join()
        return self.samples
