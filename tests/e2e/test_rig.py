"""The helper against Wine itself: when these fail, driver failures say nothing about the driver."""

import unittest

from rig import (end_program, fields, read_profile, replace_section, start_wintest,
                 wait_for, windows_path, wintest, work_folder)

PROBE_CLASS = "E2eProbe"
PROBE_TITLE = "探针 窗口"  # Chinese and a blank: both must survive the command line


class CompanionWindowTest(unittest.TestCase):
    def setUp(self):
        self.folder = work_folder(self.id())
        self.log = self.folder / "messages.log"
        self.companion = start_wintest("companion", PROBE_CLASS, PROBE_TITLE,
                                       windows_path(self.log), 30)
        self.addCleanup(end_program, self.companion)
        wintest("wait-window", PROBE_CLASS, PROBE_TITLE, 5000, timeout_ms=5000)

    def logged(self, count: int) -> list[str]:
        def lines():
            found = self.log.read_text().splitlines() if self.log.exists() else []
            return found if len(found) >= count else None
        return wait_for(lines, 5) or []

    def test_posted_and_registered_messages_are_logged_in_order(self):
        wintest("post", PROBE_CLASS, PROBE_TITLE, "0x7F2", 0, 0x119)
        wintest("post-registered", PROBE_CLASS, PROBE_TITLE, "E2eProbeMessage", 7, -1)
        wintest("post", PROBE_CLASS, PROBE_TITLE, 1094, "0x10", 3)
        lines = self.logged(3)
        self.assertEqual(len(lines), 3, lines)
        self.assertEqual(lines[0], "0x7f2 0x0 0x119")
        registered = lines[1].split(" ")
        self.assertGreaterEqual(int(registered[0], 16), 0xC000)
        self.assertEqual(registered[1:], ["0x7", "0xffffffffffffffff", "E2eProbeMessage"])
        self.assertEqual(lines[2], "0x446 0x10 0x3")

    def test_find_and_styles_see_the_hidden_window_once(self):
        self.assertEqual(len(wintest("find", PROBE_CLASS, PROBE_TITLE)), 1)
        styles = fields(wintest("styles", PROBE_CLASS, PROBE_TITLE))
        self.assertEqual(styles["visible"], "0")
        self.assertTrue(int(styles["style"], 16) & 0x00C00000, styles)  # WS_CAPTION

    def test_close_ends_it_and_wait_gone_sees_that(self):
        wintest("post", PROBE_CLASS, PROBE_TITLE, "0x10", 0, 0)  # WM_CLOSE
        wintest("wait-gone", PROBE_CLASS, PROBE_TITLE, 5000, timeout_ms=5000)
        self.assertEqual(self.companion.wait(timeout=5), 0)
        self.assertEqual(wintest("find", PROBE_CLASS, PROBE_TITLE, check=False), [])

    def test_unknown_window_fails(self):
        self.assertEqual(wintest("post", "NoSuchClass", "none", 0x400, 0, 0, check=False), [])
        self.assertEqual(wintest("wait-window", "NoSuchClass", "none", 200, check=False), [])


class MessageBoxTest(unittest.TestCase):
    def test_text_is_read_as_unicode_and_ok_closes_it(self):
        caption, text = "提示 框", "驱动程序已经在运行！"
        box = start_wintest("show-msgbox", caption, text)
        self.addCleanup(end_program, box)
        wintest("wait-window", "#32770", caption, 5000, timeout_ms=5000)
        self.assertEqual(wintest("text", "#32770", caption, "0xFFFF"), [text])
        self.assertEqual(wintest("msgbox", caption, 5000, timeout_ms=5000), [text])
        self.assertEqual(box.wait(timeout=5), 0)  # MessageBoxW returned IDOK

    def test_no_box_times_out(self):
        self.assertEqual(wintest("msgbox", "没有", 300, check=False), [])


class ProfileHelpersTest(unittest.TestCase):
    """The Python reading of INI files that the driver tests trust."""

    def test_replace_section_keeps_others_and_reads_back_in_gbk(self):
        path = work_folder(self.id()) / "x.ini"
        path.write_bytes("[a]\r\nk=值\r\n[hardware]\r\nKEY_TYPE=0\r\n[b]\r\nz=1\r\n".encode("gbk"))
        replace_section(path, "HARDWARE", ["KEY_TYPE=7"])
        self.assertEqual(read_profile(path, "a", "K"), "值")
        self.assertEqual(read_profile(path, "hardware", "key_type"), "7")
        self.assertEqual(read_profile(path, "b", "z"), "1")
        self.assertIsNone(read_profile(path, "hardware", "BOARD_TYPE"))
        self.assertIsNone(read_profile(path.with_name("none.ini"), "a", "k"))


if __name__ == "__main__":
    unittest.main()
