"""The virtual board's sessions on the pty alone, without Wine: what the driver would read."""

import os
import sys
import threading
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tools" / "virtual_board"))
import virtual_board as vb  # noqa: E402


class DuetTest(unittest.TestCase):
    def test_both_pens_write_at_once_in_turn_and_each_stroke_ends_lifted(self):
        session = vb.Session(["0 duet 400 3000,3000 3000,3100 3000,3200 / 9000,5000 9100,5000"])
        got = bytearray()
        with vb.VirtualBoard() as board:
            def read():
                while len(got) < 8 * 7:
                    got.extend(os.read(board.slave, 64))
            reader = threading.Thread(target=read, daemon=True)
            reader.start()
            summary = session.run(board)
            reader.join(timeout=5)
        frames = [bytes(got[i:i + 8]) for i in range(0, len(got), 8)]
        self.assertTrue(all(vb.check_byte(f[:7]) == f[7] for f in frames))
        heads = [(f[0], f[2]) for f in frames]
        first, second, touch, lift = vb.FIRST_PEN, vb.SECOND_PEN, vb.TOUCH, vb.LIFT
        self.assertEqual(heads, [(first, touch), (second, touch), (first, touch),
                                 (second, touch), (first, touch), (second, lift), (first, lift)])
        self.assertEqual(vb.decode_axis(frames[1][3], frames[1][4]), 9000)
        self.assertEqual((summary["frames"], summary["second_pen_frames"], summary["strokes"]),
                         (7, 3, 2))


if __name__ == "__main__":
    unittest.main()
