"""The short soak (about three minutes): consecutive runs of one installation against a fault
server with a seeded random fault per run; see soak_support.py for what every run must satisfy.
The long form is scripts/soak.py."""

import os

from harness import E2ETestCase
from soak_support import Soak

RUNS = int(os.environ.get("UPDATER_SOAK_RUNS", "12"))
SEED = int(os.environ.get("UPDATER_SOAK_SEED", "1"))


class ShortSoak(E2ETestCase):
    def test_consecutive_runs_under_random_faults(self):
        # The stall costs its full 30 s deadline: the short form leaves it to the long one.
        kinds = {"none": 2, "reset": 2, "trickle": 1, "wronglength": 1, "404": 1, "500": 1, "range200": 1,
                 "killed": 1, "held": 2}
        soak = Soak(self.work, self.serve, SEED, kinds)
        self.addCleanup(soak.stop)
        for i in range(RUNS):
            soak.one_run(i)
        print(soak.report())
        self.assertEqual(soak.problems, [], soak.report())
        self.assertGreater(soak.counts["successes"], 0, soak.report())
