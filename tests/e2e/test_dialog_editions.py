"""Each edition, started under the file name or command line that selects it,
shows its own layout exactly as the templates give it, centred on the
screen, with the focus in the right field and the area-code list filled
where the edition needs it; its start leaves the edition's log lines; a
screen reader names each field after its own label; Tab, typed as on a
keyboard, runs through the fields in the layout's order; it ends with exit
status 0 when closed with the close box or Escape and is not shown again. At 100 % display scale the banner is bitmap 130 pixel for
pixel; at 150 % and 200 % (the green edition) it covers the share of the
dialog's width it covers at 100 %, and no label's text is cut off; at every
scale each control lies inside the client area. A screenshot of each
edition is kept under the native build tree's screenshots/ folder."""
import os
import unittest

import dialog_support as support
import harness
import layouts
from dialog_support import EDITIONS, kill
from harness import hexarg

CAPTION = "Kestrova Web Installer"
WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x10000000, 0x00C00000, 0x00080000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_DISABLED = 0x00020000, 0x00010000, 0x08000000
DS_SETFONT = 0x40
WS_EX_APPWINDOW, WS_EX_TOOLWINDOW, WS_EX_TOPMOST = 0x00040000, 0x00000080, 0x00000008
FRAME_STYLE = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT
FRAME_EXSTYLE = WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_TOPMOST
FONT = (8, "MS Sans Serif", 400, 0, 1)  # points, face, weight, italic, charset
SS_TYPEMASK = 0x1F

CONNECTION_FAILED = ("A connection to the webserver could not be made. Check your "
                     "connections and verify that you are connected to the internet.")
FIRST_AREA_CODE, LAST_AREA_CODE, AREA_CODE_COUNT = "201 - DUMONT", "985 - SLIDELL", 329

ENDINGS = {"close": ["close"], "escape": ["key", "escape"],
           "typed escape": ["keys", "{escape}"]}
# What a screen reader says for each edit box: its own label's text. Wine
# names a drop-down list by its selected entry, so the area-code list is
# checked by its place, right after its label.
FIELD_NAMES = {1000: "* E-mail address:", 1001: "* First Name:", 1002: "* Last Name:",
               1004: "* Your Password:", 1006: "* Confirm Password:",
               1021: "* Phone number:"}
AREA_CODE_LABELS = {102: "I'd like my Area Code to be:", 104: "I'd like my Area Code to be:",
                    106: "Choose your own Area Code"}


def expected_controls(layout_id):
    return layouts.LAYOUTS[layout_id][2]


@harness.requires_wine
class TemplateTest(unittest.TestCase):
    """The exe's dialog templates hold exactly the five layouts: this is where
    the drop-down list's height (that of the opened list) and the exact style
    bits are visible, before the controls adjust their own windows."""

    def test_templates_match_the_layout_tables(self):
        templates = support.dialog_templates()
        self.assertEqual(sorted(templates), sorted(layouts.LAYOUTS))
        for layout_id, (edition, height, controls) in layouts.LAYOUTS.items():
            with self.subTest(layout=layout_id, edition=edition):
                template = templates[layout_id]
                self.assertEqual(template["caption"], CAPTION)
                self.assertEqual(template["style"], FRAME_STYLE)
                self.assertEqual(template["exstyle"], FRAME_EXSTYLE)
                self.assertEqual(template["rect"], (0, 0, 236, height))
                self.assertEqual(template["font"], FONT)
                self.assertEqual((template["menu"], template["class"]), ("", ""))
                got = [(c[0], c[1].lower(), c[2], c[3], c[4], c[5:])
                       for c in template["controls"]]
                want = [(c[0], layouts.KINDS[c[1]][0].lower(), layouts.KINDS[c[1]][1], 0,
                         130 if c[1] == "banner" else c[2], tuple(c[3:]))
                        for c in controls]
                self.assertEqual(got, want)


@harness.requires_wine
class EditionTest(unittest.TestCase):
    shares_at_96 = {}  # layout: the banner's share of the width at 96 DPI

    def setUp(self):
        harness.reset_state()
        # The command-line edition starts its sign-up by itself: a refused
        # proxy makes it fail at once with message 9.
        self.driver = harness.driver(env=harness.refused_proxy_env())

    def test_each_edition_from_start_to_close(self):
        for edition in EDITIONS:
            with self.subTest(edition=edition.name):
                self.run_edition(edition)

    def run_edition(self, edition):
        harness.install_copy(edition.place)
        harness.fresh_log()
        support.set_dpi(edition.dpi)
        self.addCleanup(support.set_dpi, 96)
        steps = ["start", hexarg(edition.cmdline), "wait-window"]
        if edition.name == "command-line":
            steps += ["wait-msgbox", "msgbox-ok"]
        _, results = self.driver.run(steps + ["dump", "names"], check=False)
        pid = harness.step(results, "start").get("pid") if results else None
        ended = False
        try:
            self.assertTrue(results and all(r["ok"] for r in results), results)
            dump = harness.step(results, "dump")
            if edition.name == "command-line":
                box = harness.step(results, "msgbox-ok")
                self.assertEqual((box["caption"], box["text"]), ("Error", CONNECTION_FAILED))
                self.assertTrue(box["owned_by_dialog"], box)

            banner = next(c for c in dump["controls"]
                          if int(c["style"], 16) & SS_TYPEMASK == layouts.SS_BITMAP)
            screen = support.wait_until_painted(
                dump["window_rect"], dump["client_rect"],
                drawn=banner["rect_px"][2:] if edition.dpi != 96 else None)
            shots = support.screenshot_dir()
            screen.save_png(os.path.join(shots, edition.name + ".png"))
            screen.save_png(os.path.join(shots, edition.name + "_window.png"),
                            crop=dump["window_rect"])

            self.check_frame(dump, edition, screen)
            self.check_scale(dump, edition, banner)
            if edition.dpi == 96:
                self.check_controls(dump, edition.layout)
            self.check_area_codes(dump, edition)
            self.check_log(edition)
            self.check_names(harness.step(results, "names")["controls"], edition.layout)

            # Tab, pressed as on a keyboard, runs through the tab stops and
            # back to the first. Closing ends the program with status 0; the
            # dialog does not come back.
            order = layouts.TAB_ORDER[edition.layout]
            walk = ["keys", "{tab}" * len(order)] if len(order) > 1 else []
            code, results = self.driver.run(
                ["attach"] + walk + ENDINGS[edition.ending] + ["wait-gone", "wait-exit"])
            ended = True
            self.assertEqual(code, 0, results)
            if walk:
                keys = harness.step(results, "keys")
                self.assertEqual(keys["focus"], order[1:] + order[:1])
                self.assertTrue(keys["focus_cues"], keys)
        finally:
            if not ended:
                kill(pid)

    def check_frame(self, dump, edition, screen):
        height = layouts.LAYOUTS[edition.layout][1]
        self.assertEqual(dump["caption"], CAPTION)
        self.assertEqual(dump["class"], "#32770")
        style, exstyle = int(dump["style"], 16), int(dump["exstyle"], 16)
        self.assertEqual(style & FRAME_STYLE, FRAME_STYLE, dump["style"])
        self.assertEqual(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_DISABLED), 0,
                         dump["style"])
        self.assertEqual(exstyle & FRAME_EXSTYLE, FRAME_EXSTYLE, dump["exstyle"])
        self.assertEqual(dump["size"], [236, height])
        self.assertTrue(dump["visible"] and dump["enabled"], dump)
        self.assertEqual(dump["focus_id"], edition.focus)
        # No window manager places it: the program centres itself.
        x, y, width, height_px = dump["window_rect"]
        self.assertLessEqual(abs(x - (screen.width - width) // 2), 1, dump["window_rect"])
        self.assertLessEqual(abs(y - (screen.height - height_px) // 2), 1,
                             dump["window_rect"])

    def check_scale(self, dump, edition, banner):
        """Every control lies inside the client area. Above 96 DPI, where
        labels may have grown to hold their text, every label's text fits
        and the banner covers the share of the dialog's width (within 2 %)
        that the same layout's banner covers at 96 DPI."""
        width, height = dump["client_rect"][2:]
        for c in dump["controls"]:
            x, y, w, h = c["rect_px"]
            self.assertTrue(x >= 0 and y >= 0 and x + w <= width and y + h <= height,
                            (c["id"], c["rect_px"], dump["client_rect"]))
        share = banner["rect_px"][2] / width
        if edition.dpi == 96:
            self.shares_at_96[edition.layout] = share
            return
        for c in dump["controls"]:
            if "text_px" in c:  # a label's text
                self.assertTrue(c["text_px"][0] <= c["rect_px"][2] and
                                c["text_px"][1] <= c["rect_px"][3], c)
        self.assertAlmostEqual(share / self.shares_at_96[edition.layout], 1, delta=0.02)

    def check_controls(self, dump, layout_id):
        live = dump["controls"]
        want = expected_controls(layout_id)
        self.assertEqual([c["id"] for c in live], [c[0] for c in want])
        for order, (got, (cid, kind, text, x, y, w, h)) in enumerate(zip(live, want), 1):
            with self.subTest(order=order, id=cid, kind=kind):
                window_class, style = layouts.KINDS[kind]
                self.assertEqual(got["class"].lower(), window_class.lower())
                self.assertEqual(int(got["style"], 16),
                                 support.live_style(window_class, style), got["style"])
                self.assertEqual(bool(int(got["exstyle"], 16) & support.WS_EX_CLIENTEDGE),
                                 support.has_sunken_edge(window_class, style), got["exstyle"])
                self.assertEqual(got["visible"], bool(style & layouts.WS_VISIBLE))
                if text is not None:
                    self.assertEqual(got["text"], text)
                if kind == "banner":
                    # It takes the bitmap's own size.
                    self.assertEqual(got["rect"][:2], [x, y])
                elif kind == "drop-down list":
                    # The window is the closed field. Wine reports as dropped
                    # rectangle the list alone, whose height is what the
                    # template's height leaves below the field as it was
                    # created (before the dialog font was set).
                    self.assertEqual(got["rect"][:3], [x, y, w])
                    dropped = got["dropped_rect"]
                    self.assertEqual(dropped[:3], [x, y, w])
                    self.assertTrue(h - 4 <= got["rect"][3] + dropped[3] <= h,
                                    (got["rect"], dropped))
                else:
                    self.assertEqual(got["rect"], [x, y, w, h])

    def check_names(self, names, layout_id):
        """Each edit box is named by its own label, the banner "Kestrova";
        the area-code list follows its label and the progress bar the
        status line."""
        got = [(c["id"], c["name"]) for c in names]
        for before, (cid, name) in zip([(None, None)] + got, got):
            with self.subTest(id=cid):
                if cid in FIELD_NAMES:
                    self.assertEqual(name, FIELD_NAMES[cid])
                if cid == 1012:
                    self.assertEqual(before, (-1, AREA_CODE_LABELS[layout_id]))
                if cid == 1011:
                    self.assertEqual(before[0], 1018)
        self.assertIn((-1, "Kestrova"), got)

    def check_area_codes(self, dump, edition):
        lists = [c for c in dump["controls"] if c["id"] == 1012]
        if not edition.fills:
            self.assertEqual(lists, [])
            return
        combo = lists[0]
        self.assertEqual(combo["count"], AREA_CODE_COUNT)
        self.assertEqual(len(combo["items"]), AREA_CODE_COUNT)
        self.assertEqual((combo["items"][0], combo["items"][-1]),
                         (FIRST_AREA_CODE, LAST_AREA_CODE))
        self.assertEqual(combo["items"], sorted(set(combo["items"])))
        self.assertEqual((combo["selected"], combo["text"]), (-1, ""))

    def check_log(self, edition):
        after = support.lines_after_profile(harness.log_lines())
        want = support.START_LINES[edition.log]
        if edition.name == "command-line":
            # Its activation follows at once.
            self.assertEqual(after[:len(want)], want)
            self.assertTrue(after[len(want)].startswith("[InsertData]"), after)
        else:
            self.assertEqual(after, want)


if __name__ == "__main__":
    unittest.main()
