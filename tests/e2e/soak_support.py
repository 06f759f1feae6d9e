"""The soak: many consecutive runs of one client installation against the fault server, each run
publishing a new release (some files changed) with one seeded random fault on one changed file.
After every run: it ended by itself within its deadline, it reported success only if every file of
the release is installed byte for byte, no installed file is partial or missing (each holds its
old or its new content), nothing is left beside the files or in Update, and no process of the run
is left. Used by test_soak.py (a short form) and scripts/soak.py (the long form)."""

import json
import os
import random
import time

from harness import Install, UpdaterRun, slow, wine_popen
from download_support import SUCCESS, FaultServer, Site, config, fault_pattern, sleeper_path
from procutil import pids_of_program

FILES = ["alpha.bin", "beta.dat", "gamma.dll", "delta.cfg"]
# Fault kinds and how often each is drawn.
KINDS = {"none": 3, "stall": 1, "reset": 2, "trickle": 1, "wronglength": 2, "404": 2, "500": 2,
         "range200": 1, "killed": 1, "held": 2}
DEADLINE = 30 + 60  # the no-progress time-out, and room for the rest of a run


def file_bytes(size, tag):
    return bytes(b ^ tag for b in fault_pattern(size))


class Soak:
    def __init__(self, work, nginx_factory, seed, kinds=None, log=print):
        self.work = work
        self.rng = random.Random(seed)
        self.kinds = kinds or KINDS
        self.log = log
        self.plan_path = os.path.join(work, "plan.json")
        self.fault = FaultServer(os.path.join(work, "fault"), lifetime=24 * 3600, plan=self.plan_path).start()
        self.site = Site(os.path.join(work, "site"))
        self.nginx = nginx_factory(self.site.path)
        self.install = Install(os.path.join(work, "client"))
        self.install.write_config(config(self.nginx.url))
        self.release = {}  # name -> (size, tag) of the current publication
        self.counts = {"runs": 0, "successes": 0, "clean failures": 0, "anything else": 0}
        self.faults = {k: 0 for k in self.kinds}
        self.problems = []

    def stop(self):
        self.fault.stop()

    def installed(self, name):
        try:
            with open(self.install.file(name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def new_size(self, name, size):
        """The updater fetches a file only when its size differs from the installed one: a changed
        file must not come back at the size of what is installed now (which after failed runs may
        be older than the last publication)."""
        installed = self.installed(name)
        return size + 1 if installed is not None and len(installed) == size else size

    def publish(self):
        before = dict(self.release)
        changed = []
        for name in FILES:
            if name not in self.release or self.rng.random() < 0.6:
                size = self.new_size(name, self.rng.randrange(1000, 40000))
                self.release[name] = (size, self.rng.randrange(1, 255))
                changed.append(name)
        if not changed:
            name = self.rng.choice(FILES)
            self.release[name] = (self.new_size(name, self.release[name][0] + 1), self.rng.randrange(1, 255))
            changed.append(name)
        return before, changed

    def plan(self, fault, target):
        entries = {}
        for name, (size, tag) in self.release.items():
            entries[name] = {"mode": "files", "size": size, "tag": tag}
        modes = {"stall": ("stall", None), "reset": ("drop", None), "trickle": ("slow", 1000),
                 "wronglength": ("wronglength", 64), "404": ("status", 404), "500": ("status", 500),
                 "range200": ("ignorerange", 0), "killed": ("slow", 400)}
        if fault in modes:
            mode, arg = modes[fault]
            if arg is None:
                arg = self.release[target][0] // 2
            entries[target].update(mode=mode, arg=arg)
        if fault == "trickle":
            # 1 KB/s: a small file, so the run ends in seconds, however slowly it comes.
            size = self.new_size(target, min(self.release[target][0], 3000))
            self.release[target] = (size, self.release[target][1])
            entries[target]["size"] = size
        with open(self.plan_path + ".tmp", "w") as f:
            json.dump(entries, f)
        os.replace(self.plan_path + ".tmp", self.plan_path)

    def one_run(self, index):
        old = {name: self.installed(name) for name in FILES}
        before, changed = self.publish()
        fault = self.rng.choices(list(self.kinds), weights=list(self.kinds.values()))[0]
        target = self.rng.choice(changed)
        if fault == "held" and old.get(target) is None:
            fault = "none"  # nothing installed yet to hold
        self.faults[fault] += 1
        self.plan(fault, target)
        self.site.write_lists([f"{n}|{self.release[n][0]}|" for n in FILES], [self.fault.url("plan/")])

        holder = None
        if fault == "held":
            holder = wine_popen([sleeper_path(), "60", self.install.file(target)])
            time.sleep(slow(2))
        run = UpdaterRun(self.install, watch=True, watch_ms=500)
        started = time.monotonic()
        outcome = "anything else"
        try:
            if fault == "killed":
                partial = self.install.file("Update", target)
                deadline = time.monotonic() + slow(60)
                while time.monotonic() < deadline and not (os.path.exists(partial) and os.path.getsize(partial) > 0):
                    time.sleep(0.1)
                run.kill()
                # The next publication changes that file's content, and so its Last-Modified: the
                # next run must start the partial copy over, not append to it.
                self.release[target] = (self.release[target][0], self.rng.randrange(1, 255))
                outcome = "clean failures"
            else:
                try:
                    run.wait_exit(slow(DEADLINE))
                except AssertionError as e:
                    self.problems.append(f"run {index} ({fault} on {target}): did not end: {e}")
                    run.kill()
                else:
                    outcome = self.judge(index, fault, target, old, run)
        finally:
            if holder and holder.poll() is None:
                holder.kill()
                holder.wait(10)
        if fault != "killed" and self.leftover_process():
            self.problems.append(f"run {index} ({fault}): a process of the run was left behind")
            outcome = "anything else"
        self.counts["runs"] += 1
        self.counts[outcome] += 1
        self.log(f"soak: run {index + 1}: fault {fault} on {target}: {outcome} "
                 f"({time.monotonic() - started:.1f} s)")

    def judge(self, index, fault, target, old, run):
        lines = run.final_log()
        succeeded = bool(lines) and lines[-1] == SUCCESS
        problems = []
        all_new = True
        for name in FILES:
            now = self.installed(name)
            new = file_bytes(*self.release[name])
            if now != new:
                all_new = False
            if now is not None and now != new and now != old.get(name):
                problems.append(f"{name} is neither its old nor its new content ({len(now)} bytes)")
            if now is None and old.get(name) is not None:
                problems.append(f"{name} went missing")
            if os.path.exists(self.install.file(name + ".new")):
                problems.append(f"{name}.new was left behind")
        if os.path.exists(self.install.file("Update")):
            problems.append("Update was left behind")
        if succeeded and not all_new:
            problems.append("success reported but not every file is the published one")
        if problems:
            self.problems.append(f"run {index} ({fault} on {target}): " + "; ".join(problems))
            return "anything else"
        return "successes" if succeeded else "clean failures"

    def leftover_process(self):
        """Whether an update.exe of this installation still runs (a second later)."""
        time.sleep(1)
        return bool(pids_of_program(self.install.file("update.exe")))

    def report(self):
        faults = ", ".join(f"{k} {v}" for k, v in self.faults.items())
        return (f"soak: runs {self.counts['runs']}; faults: {faults}; successes {self.counts['successes']}, "
                f"clean failures {self.counts['clean failures']}, anything else {self.counts['anything else']}")
