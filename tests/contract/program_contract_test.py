"""The contract's reader: it takes every value of the header whole or refuses the header; and
no Python or NSIS file of ours spells out a name it should take from the contract."""

import re
import sys
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "common"))
import program_contract  # noqa: E402


def header(*lines: str) -> str:
    return "\n".join(["namespace contract {", "namespace probe {", *lines,
                      "} // namespace probe", "} // namespace contract"])


class ReaderTest(unittest.TestCase):
    def test_literals_as_the_compiler_reads_them(self):
        cases = [
            ('inline constexpr std::string_view kPipe = "\\\\\\\\.\\\\Pipe\\\\X";', "\\\\.\\Pipe\\X"),
            ('inline constexpr std::string_view kQuoted = "a\\"b";', 'a"b'),
            ("inline constexpr std::uint32_t kMessage = 0x7E6;", 0x7E6),
            ("inline constexpr std::intptr_t kNegative = -1;", -1),
            ("inline constexpr int kZero = 0;", 0),
        ]
        for line, expected in cases:
            with self.subTest(line=line):
                values = program_contract.parse(header(line))
                self.assertEqual(list(values.values()), [expected])

    def test_a_line_it_cannot_take_whole_is_refused(self):
        cases = {
            "expression": "inline constexpr std::uint32_t kSum = 0x8000 + 1;",
            "split over lines": "inline constexpr std::string_view kName =",
            "other escape": 'inline constexpr std::string_view kTab = "a\\tb";',
            "octal": "inline constexpr int kOctal = 010;",
            "string in an integer": 'inline constexpr int kWrong = "1";',
            "unknown type": "inline constexpr double kRatio = 1;",
            "name without k": "inline constexpr int value = 1;",
            "not inline": "constexpr int kHidden = 1;",
            "twice": "inline constexpr int kSame = 1;\ninline constexpr int kSame = 2;",
        }
        for what, lines in cases.items():
            with self.subTest(what):
                with self.assertRaises(program_contract.ContractError):
                    program_contract.parse(header(*lines.split("\n")))
        with self.assertRaises(program_contract.ContractError):
            program_contract.parse("inline constexpr int kLoose = 1;")
        with self.assertRaises(program_contract.ContractError):
            program_contract.parse("namespace contract {\nnamespace probe {\n")

    def test_nsis_defines_keep_dollars_and_quotes(self):
        defines = program_contract.nsis_defines({"A_NAME": 'x$y"z', "A_NUMBER": 0x7E6})
        self.assertIn('!define A_NAME "x$$y$\\"z"', defines)
        self.assertIn('!define A_NUMBER "2022"', defines)


class NoCopiesTest(unittest.TestCase):
    # The standard dialog class also names dialogs and message boxes that are not the driver's.
    SHARED_WITH_WINDOWS = {program_contract.DRIVER_WINDOW_CLASS}

    def test_python_and_installer_take_the_names_from_the_contract(self):
        # Shorter values (".old", "wdot") are common words in other roles.
        names = {value for value in program_contract.VALUES.values()
                 if isinstance(value, str) and len(value) >= 5
                 and value not in self.SHARED_WITH_WINDOWS}
        files = [*REPO.glob("tests/e2e/**/*.py"), *REPO.glob("tools/*/*.py"),
                 *REPO.glob("installer/*.py"), REPO / "installer" / "setup.nsi",
                 REPO / "installer" / "make-installer"]
        for path in files:
            text = path.read_text(encoding="utf-8")
            for literal in re.findall(r'r?"((?:[^"\\\n]|\\.)*)"', text):
                with self.subTest(file=path.name, literal=literal):
                    self.assertNotIn(literal.replace("\\\\", "\\"), names)


if __name__ == "__main__":
    unittest.main()
