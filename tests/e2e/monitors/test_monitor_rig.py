"""The two-monitor environment against Wine itself: when these fail, the monitor tests say
nothing about the programs."""

import unittest

import monitor_rig as mr
from rig import fields, wintest
from x_pointer import PointerWatch
import rig


class LayoutTest(unittest.TestCase):
    def setUp(self):
        self.addCleanup(mr.restore)
        self.watch = PointerWatch(rig.context().env["DISPLAY"])
        self.addCleanup(self.watch.close)

    def assert_cursor_lands(self, layout: dict):
        """SetCursorPos on points of each monitor: the X pointer follows, shifted by the
        desktop's origin."""
        origin = mr.virtual_origin(layout)
        for name, (left, top, right, bottom) in layout.items():
            for point in [(left + 1, top + 1), (right - 1, bottom - 1),
                          ((left + right) // 2, (top + bottom) // 2)]:
                with self.subTest(monitor=name, point=point):
                    cursor = fields(wintest("set-cursor", *point))
                    self.assertEqual((int(cursor["x"]), int(cursor["y"])), point)
                    self.assertEqual(self.watch.where(),
                                     (point[0] - origin[0], point[1] - origin[1]))

    def test_two_monitors_side_by_side_and_the_changes_a_user_makes(self):
        self.assertEqual(mr.monitors(), mr.LAYOUT)
        self.assert_cursor_lands(mr.LAYOUT)
        mr.resize_secondary(1024, 768)
        mr.secondary_off()
        mr.restore()
        mr.secondary_left_of_primary()
        self.assert_cursor_lands(mr.LEFT_LAYOUT)


if __name__ == "__main__":
    unittest.main()
