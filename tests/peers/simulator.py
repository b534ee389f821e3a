"""Starts and stops kelo-printer-sim for tests and talks to its control interface.

Also a command line for ctest fixtures (see kelo_sim_fixture in cmake/Native.cmake):
    simulator.py start PROGRAM SCENARIO STATE_DIR [CONTROL]   starts it in the background
    simulator.py stop STATE_DIR                               stops it (POST /stop, then SIGTERM)
"""
import http.client
import os
import signal
import subprocess
import sys
import tempfile
import time


class StartError(RuntimeError):
    pass


class Simulator:
    def __init__(self, program, scenario_text, extra_args=(), workdir=None):
        self.program = program
        self.scenario_text = scenario_text
        self.extra_args = list(extra_args)
        self._tempdir = None if workdir else tempfile.TemporaryDirectory(prefix="kelo-sim-")
        self.workdir = workdir or self._tempdir.name
        self.ready_file = os.path.join(self.workdir, "ready")
        self.log_path = os.path.join(self.workdir, "sim.log")
        self.process = None
        self.control_address = None

    def start(self, timeout=20.0, detach=False):
        scenario = os.path.join(self.workdir, "test.scenario")
        with open(scenario, "w") as out:
            out.write(self.scenario_text)
        args = [self.program, "--scenario", scenario, "--ready-file", self.ready_file] + self.extra_args
        if not any(a == "--control" for a in self.extra_args):
            args += ["--control", "127.0.0.1:0"]
        with open(self.log_path, "wb") as log:
            # Detached (own session, no inherited pipes) so a ctest fixture step can end
            # while the simulator keeps running.
            self.process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=log, start_new_session=detach)
        deadline = time.monotonic() + timeout
        while not os.path.exists(self.ready_file):
            if self.process.poll() is not None:
                raise StartError("kelo-printer-sim exited with %d: %s" % (self.process.returncode, self.log()))
            if time.monotonic() > deadline:
                self.process.kill()
                raise StartError("kelo-printer-sim not ready after %.0f s: %s" % (timeout, self.log()))
            time.sleep(0.01)
        with open(self.ready_file) as ready:
            fields = dict(line.split(" ", 1) for line in ready.read().splitlines() if " " in line)
        self.control_address = fields["control"]
        return self

    def log(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode("utf-8", "replace")[-4000:]

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def control(self, method, path, body=None, timeout=5.0):
        host, port = self.control_address.rsplit(":", 1)
        connection = http.client.HTTPConnection(host, int(port), timeout=timeout)
        try:
            connection.request(method, path, body=body)
            response = connection.getresponse()
            return response.status, response.read()
        finally:
            connection.close()

    def apply(self, printer, settings):
        """Applies scenario lines; fails the caller on refusal."""
        status, body = self.control("POST", "/printers/%s/settings" % printer, settings.encode())
        if status != 200:
            raise AssertionError("settings refused (%d): %s" % (status, body.decode()))

    def received(self, printer, what=""):
        status, body = self.control("GET", "/printers/%s/received%s" % (printer, what))
        if status != 200:
            raise AssertionError("received%s of %s: %d" % (what, printer, status))
        return body

    def counts(self, printer):
        return {name: int(value) for name, value in
                (line.split(" ") for line in self.received(printer).decode().splitlines())}

    def stop(self, timeout=10.0):
        """Stops through the control interface; returns the exit code."""
        if self.process is None:
            return None
        if self.process.poll() is None:
            try:
                self.control("POST", "/stop")
            except OSError:
                self.process.terminate()
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
                raise AssertionError("kelo-printer-sim did not stop: " + self.log())
        return self.process.returncode


def _fixture_start(program, scenario_path, state_dir, control="127.0.0.1:0"):
    os.makedirs(state_dir, exist_ok=True)
    with open(scenario_path) as scenario:
        simulator = Simulator(program, scenario.read(), ["--control", control], workdir=state_dir)
    simulator.start(detach=True)
    with open(os.path.join(state_dir, "pid"), "w") as pid:
        pid.write(str(simulator.process.pid))
    print("kelo-printer-sim %d ready, control %s" % (simulator.process.pid, simulator.control_address))


def _fixture_stop(state_dir):
    # The simulator removes its ready file as the last thing before it exits; a zombie
    # nobody reaps would still answer kill(pid, 0).
    ready = os.path.join(state_dir, "ready")
    try:
        with open(os.path.join(state_dir, "pid")) as pid_file:
            pid = int(pid_file.read())
    except (OSError, ValueError):
        print("no simulator recorded in " + state_dir)
        return
    os.remove(os.path.join(state_dir, "pid"))

    def gone(timeout):
        deadline = time.monotonic() + timeout
        while os.path.exists(ready) and time.monotonic() < deadline:
            time.sleep(0.01)
        return not os.path.exists(ready)

    for stop_signal in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.kill(pid, stop_signal)
        except ProcessLookupError:
            return
        if gone(10):
            return
    os.remove(ready)


if __name__ == "__main__":
    if len(sys.argv) >= 5 and sys.argv[1] == "start":
        _fixture_start(*sys.argv[2:6])
    elif len(sys.argv) == 3 and sys.argv[1] == "stop":
        _fixture_stop(sys.argv[2])
    else:
        sys.exit(__doc__)
