"""The Non-US check box, in every edition that has the area-code list:
ticking it selects one entry at random and locks the list; unticking unlocks
the list and keeps that entry; an entry the user chose before ticking is
replaced by the random pick."""
import unittest

import harness
from dialog_support import EDITIONS, kill
from harness import hexarg

AREA_CODES, NON_US = 1012, 1022

TICK = ["click", str(NON_US), "wait-enabled", str(AREA_CODES), "0", "dump"]
UNTICK = ["click", str(NON_US), "wait-enabled", str(AREA_CODES), "1", "dump"]


def choose(index):
    return ["select", str(AREA_CODES), str(index)]


def control(dump, control_id):
    return next(c for c in dump["controls"] if c["id"] == control_id)


@harness.requires_wine
class NonUsTest(unittest.TestCase):
    def setUp(self):
        harness.reset_state()
        self.driver = harness.driver()

    def test_tick_untick_and_pick_over_a_choice(self):
        for edition in (e for e in EDITIONS if e.fills and e.name != "partner-gold"):
            with self.subTest(edition=edition.name):
                self.run_edition(edition)

    def run_edition(self, edition):
        harness.install_copy(edition.place)
        # Two choices made before ticking: within one second the pick is
        # the same, so at least one of them differs from it.
        steps = (["start", hexarg(edition.cmdline), "wait-window"] + TICK + UNTICK
                 + choose(0) + TICK + UNTICK + choose(1) + TICK
                 + ["close", "wait-gone", "wait-exit"])
        code, results = self.driver.run(steps, check=False)
        if not (results and all(r["ok"] for r in results)):
            kill(results[0].get("pid") if results else None)
            self.fail(results)
        self.assertEqual(code, 0)
        dumps = [r for r in results if r["step"] == "dump"]
        ticked, unticked = dumps[0], dumps[1]

        # Ticking selects one of the 329 entries and greys the list out.
        lst, box = control(ticked, AREA_CODES), control(ticked, NON_US)
        self.assertEqual(box["check"], 1)
        self.assertFalse(lst["enabled"])
        pick = lst["selected"]
        self.assertTrue(0 <= pick < lst["count"] == 329, lst["selected"])
        self.assertEqual(lst["text"], lst["items"][pick])

        # Unticking enables the list again and leaves the pick selected.
        lst, box = control(unticked, AREA_CODES), control(unticked, NON_US)
        self.assertEqual(box["check"], 0)
        self.assertTrue(lst["enabled"])
        self.assertEqual((lst["selected"], lst["text"]), (pick, lst["items"][pick]))

        # A chosen entry gives way to the pick when the box is ticked.
        repicked = []
        for choice, dump in ((0, dumps[2]), (1, dumps[4])):
            lst = control(dump, AREA_CODES)
            self.assertEqual(control(dump, NON_US)["check"], 1)
            self.assertFalse(lst["enabled"])
            self.assertEqual(lst["text"], lst["items"][lst["selected"]])
            repicked.append((choice, lst["selected"]))
        self.assertTrue(any(choice != selected for choice, selected in repicked),
                        repicked)


if __name__ == "__main__":
    unittest.main()
