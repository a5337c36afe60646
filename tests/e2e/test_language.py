"""Every program's texts under Wine on a Chinese and on an English Windows: the language the
user reads the system in picks the file, a setting forces one, and Language.ini comes out
right whatever the code page."""

import shutil
import unittest
from pathlib import Path

from orient_run import WINDOW_CLASS as ORIENT_CLASS
from rig import (REPO, context, contract, end_program, read_profile, replace_section,
                 start_program, wintest, work_folder)
from test_driver import DIALOG_CLASS, DIALOG_TITLE, DRIVER_EXE
from test_lumeraset import BACK_LIST, CONTROL_TEXTS, TOOL_CLASS, TOOL_EXE, combo

ORIENT_EXE = "orient/Orient.exe"
CHINESE = REPO / "resources" / contract.LANGUAGE_FILE_NAME
# The build's own, as the installers ship it.
ENGLISH = Path(DRIVER_EXE).parent / contract.LANGUAGE_FILE_ENGLISH_NAME

# Unix locale variables -> Wine: code page, and the user's interface language.
ZH = {}  # the environment's zh_CN.UTF-8: 936, Chinese
EN = {"LC_ALL": "en_US.UTF-8"}  # 1252, English
EN_CODE_PAGE_ZH_UI = {"LANG": "en_US.UTF-8", "LC_MESSAGES": "zh_CN.UTF-8"}  # 1252, Chinese
# name, locale, the setting ("" for none), the language expected
CASES = [
    ("chinese", ZH, "", "zh"),
    ("english", EN, "", "en"),
    ("code_page_1252_chinese_interface", EN_CODE_PAGE_ZH_UI, "", "zh"),
    ("chinese_set_to_english", ZH, contract.SETTINGS_FILE_LANGUAGE_ENGLISH, "en"),
    ("english_set_to_chinese", EN, contract.SETTINGS_FILE_LANGUAGE_CHINESE, "zh"),
]
WM_KEYDOWN, VK_ESCAPE = 0x100, 0x1B


def expected(language: str, section: str, key: str) -> str:
    if language == "zh":
        value = read_profile(CHINESE, section, key)
    else:
        value = read_profile(context().program(str(ENGLISH)), section, key, encoding="utf-16")
    assert value and value != contract.LANGUAGE_FILE_MISSING_TEXT, (language, key)
    return value


class LanguageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for exe in (DRIVER_EXE, TOOL_EXE, ORIENT_EXE, str(ENGLISH)):
            if not context().program(exe).exists():
                raise AssertionError(f"{exe} is not built")

    def install(self, name: str, setting: str) -> Path:
        """The three programs and both language files in one folder, as installed."""
        folder = work_folder(f"{self.id()}-{name}")
        for exe in (DRIVER_EXE, TOOL_EXE, ORIENT_EXE, str(ENGLISH)):
            shutil.copy2(context().program(exe), folder / Path(exe).name)
        for file in (contract.LANGUAGE_FILE_NAME, contract.SETTINGS_FILE_NAME):
            shutil.copy2(REPO / "resources" / file, folder / file)
        settings = folder / contract.SETTINGS_FILE_NAME
        if setting:
            replace_section(settings, contract.SETTINGS_FILE_INTERFACE_SECTION,
                            [f"{contract.SETTINGS_FILE_LANGUAGE_KEY}={setting}"])
        replace_section(settings, contract.SETTINGS_FILE_DIAGNOSTICS_SECTION,
                        [f"{contract.SETTINGS_FILE_LOG_FILE_KEY}=1"])
        return folder

    def run_program(self, folder: Path, exe: str, locale: dict):
        process = start_program(folder / Path(exe).name, locale=locale)
        self.addCleanup(end_program, process)
        return process

    def check_driver(self, folder: Path, locale: dict, language: str):
        caption = expected(language, "String", "IDS_CONNECTCAP")
        first = self.run_program(folder, DRIVER_EXE, locale)
        wintest("wait-window", DIALOG_CLASS, DIALOG_TITLE, 8000, timeout_ms=8000)
        wintest("post", DIALOG_CLASS, DIALOG_TITLE, contract.DRIVER_MESSAGE_KEY_ERROR, 0, 0)
        self.assertEqual(wintest("msgbox", caption, 8000, timeout_ms=8000),
                         [expected(language, "String", "IDS_LKEYERROR")])
        second = self.run_program(folder, DRIVER_EXE, locale)
        self.assertEqual(wintest("msgbox", caption, 8000, timeout_ms=8000),
                         [expected(language, "String", "IDS_SERRUNNING")])
        second.wait(timeout=10)
        end_program(first)
        wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000)

    def check_tool(self, folder: Path, locale: dict, language: str):
        title = expected(language, "SetLumera", "IDC_TOP")
        tool = self.run_program(folder, TOOL_EXE, locale)
        wintest("wait-window", TOOL_CLASS, title, 8000, timeout_ms=8000)
        for control, key in CONTROL_TEXTS:
            with self.subTest(control=control):
                self.assertEqual(wintest("text", TOOL_CLASS, title, control),
                                 [expected(language, "SetLumera", key)])
        self.assertEqual(combo(title, BACK_LIST)[2],
                         [expected(language, "SetLumera", f"IDC_BMP{i}") for i in range(1, 12)])
        end_program(tool)
        wintest("wait-gone", TOOL_CLASS, title, 5000, timeout_ms=5000)

    def check_orient(self, folder: Path, locale: dict, language: str):
        caption = expected(language, "Orient", "IDS_ORIENT_CAPTION")
        self.run_program(folder, ORIENT_EXE, locale)
        wintest("wait-window", ORIENT_CLASS, caption, 8000, timeout_ms=8000)
        wintest("post", ORIENT_CLASS, caption, WM_KEYDOWN, VK_ESCAPE, 0)
        wintest("wait-gone", ORIENT_CLASS, caption, 5000, timeout_ms=5000)
        log = (folder / contract.LOG_FILE_ORIENT).read_text(encoding="utf-8", errors="replace")
        self.assertNotIn(contract.LANGUAGE_FILE_NAME, log, "every text from its own file")
        self.assertNotIn(contract.LANGUAGE_FILE_ENGLISH_NAME, log, "every text from its own file")

    def test_every_programs_texts_in_the_users_language_on_either_code_page(self):
        for name, locale, setting, language in CASES:
            with self.subTest(name):
                folder = self.install(name, setting)
                self.check_driver(folder, locale, language)
                self.check_tool(folder, locale, language)
                self.check_orient(folder, locale, language)

    def test_an_english_user_without_the_english_file_reads_chinese_and_the_log_says_why(self):
        folder = self.install("no_english", "")
        (folder / contract.LANGUAGE_FILE_ENGLISH_NAME).unlink()
        self.check_orient_fallback(folder)
        self.check_tool(folder, EN, "zh")

    def check_orient_fallback(self, folder: Path):
        caption = expected("zh", "Orient", "IDS_ORIENT_CAPTION")
        self.run_program(folder, ORIENT_EXE, EN)
        wintest("wait-window", ORIENT_CLASS, caption, 8000, timeout_ms=8000)
        wintest("post", ORIENT_CLASS, caption, WM_KEYDOWN, VK_ESCAPE, 0)
        wintest("wait-gone", ORIENT_CLASS, caption, 5000, timeout_ms=5000)
        log = (folder / contract.LOG_FILE_ORIENT).read_text(encoding="utf-8", errors="replace")
        self.assertIn(f"{contract.LANGUAGE_FILE_ENGLISH_NAME} [Orient] lacks", log)


if __name__ == "__main__":
    unittest.main()
