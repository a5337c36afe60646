"""What the NSIS installer says, read from its own script: each language's LangString values,
with the script's simple defines filled in."""

import re

from rig import REPO

INSTALLER = REPO / "installer"
# NSIS joins a line ending in a backslash with the next, without the next one's indent.
CONTINUED = re.compile(r"\\\n\s*")
LANG_STRING = re.compile(r'^LangString (\w+) \$\{LANG_(\w+)\} "(.*)"$', re.MULTILINE)
DEFINE = re.compile(r'^!define (\w+) "([^"$]*)"$', re.MULTILINE)
# What is filled in later: variables, line breaks and the defines makensis is given.
RUN_TIME = re.compile(r"\$\{\w+\}|\$\\[rn]|\$\w+")


def _script(name: str) -> str:
    return CONTINUED.sub("", (INSTALLER / name).read_text(encoding="utf-8-sig"))


def _defines() -> dict[str, str]:
    return dict(DEFINE.findall(_script("setup.nsi")))


def setup_texts() -> dict[str, dict[str, str]]:
    """Language as NSIS names it (ENGLISH, SIMPCHINESE) -> text name -> text."""
    defines = _defines()
    texts: dict[str, dict[str, str]] = {}
    for name, language, value in LANG_STRING.findall(_script("texts.nsh")):
        value = re.sub(r"\$\{(\w+)\}", lambda m: defines.get(m.group(1), m.group(0)), value)
        texts.setdefault(language, {})[name] = value
    return texts


def fixed_parts(text: str) -> list[str]:
    """The parts of a text that stay as written, between what is filled in at run time."""
    return [part.strip() for part in RUN_TIME.split(text) if part.strip()]


def says(shown: str, text: str) -> bool:
    """Whether what a window shows is the text, whatever was filled in."""
    position = 0
    for part in fixed_parts(text):
        position = shown.find(part, position)
        if position < 0:
            return False
        position += len(part)
    return True
