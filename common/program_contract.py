#!/usr/bin/env python3
"""The programs' contract, read from program_contract.h beside this file.

Imported, the module holds each value as NAMESPACE_NAME: contract::companion::kDualPenPort is
COMPANION_DUAL_PEN_PORT (VALUES has them all). Run, it writes the same values as NSIS defines,
as installer/make-installer does for the installer:

usage: program_contract.py --nsis OUT.nsh
"""

import argparse
import re
import sys
from pathlib import Path

HEADER = Path(__file__).resolve().with_name("program_contract.h")

_NAMESPACE_OPEN = re.compile(r"namespace (\w+) \{$")
_NAMESPACE_CLOSE = re.compile(r"\} // namespace (\w+)$")
_VALUE = re.compile(r"inline constexpr ([\w:]+) k([A-Z]\w*) = (.+);$")
_STRING = re.compile(r'"((?:[^"\\]|\\[\\"])*)"$')
_INTEGER = re.compile(r"-?(0x[0-9A-Fa-f]+|[1-9][0-9]*|0)$")
_INTEGER_TYPES = {"int", "std::uint16_t", "std::uint32_t", "std::intptr_t", "std::uintptr_t"}


class ContractError(ValueError):
    pass


def _snake(camel: str) -> str:
    return re.sub(r"(?<=[a-z0-9])(?=[A-Z])", "_", camel).upper()


def _value(type_name: str, literal: str):
    if type_name == "std::string_view":
        match = _STRING.match(literal)
        if not match:
            raise ContractError(f"not a plain string literal: {literal}")
        return re.sub(r"\\([\\\"])", r"\1", match.group(1))
    if type_name in _INTEGER_TYPES:
        if not _INTEGER.match(literal):
            raise ContractError(f"not an integer literal: {literal}")
        return int(literal, 0)
    raise ContractError(f"type {type_name} is neither std::string_view nor an integer")


def parse(text: str) -> dict:
    """NAME: value for every value of namespace contract; a line this reader cannot take whole
    raises ContractError, so that no value goes missing on one side."""
    values, namespaces = {}, []
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        try:
            if match := _NAMESPACE_OPEN.match(line):
                namespaces.append(match.group(1))
            elif match := _NAMESPACE_CLOSE.match(line):
                if not namespaces or namespaces.pop() != match.group(1):
                    raise ContractError(f"closes namespace {match.group(1)}, which is not open")
            elif "constexpr" in line and not line.startswith("//"):
                match = _VALUE.match(line)
                if not match:
                    raise ContractError("not TYPE kName = VALUE; on one line")
                if namespaces[:1] != ["contract"] or len(namespaces) != 2:
                    raise ContractError("outside a namespace of contract")
                name = f"{_snake(namespaces[1])}_{_snake(match.group(2))}"
                if name in values:
                    raise ContractError(f"{name} twice")
                values[name] = _value(match.group(1), match.group(3))
        except ContractError as error:
            raise ContractError(f"program_contract.h:{number}: {error}") from None
    if namespaces:
        raise ContractError(f"program_contract.h: namespace {namespaces[-1]} not closed")
    return values


def nsis_defines(values: dict) -> str:
    def quoted(value) -> str:
        text = str(value).replace("$", "$$").replace('"', '$\\"')
        return f'"{text}"'

    lines = ["; Written by common/program_contract.py from program_contract.h."]
    lines += [f"!define {name} {quoted(value)}" for name, value in values.items()]
    return "\n".join(lines) + "\n"


VALUES = parse(HEADER.read_text(encoding="utf-8"))
globals().update(VALUES)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--nsis", type=Path, required=True, help="the .nsh file to write")
    args = parser.parse_args()
    args.nsis.write_text(nsis_defines(VALUES), encoding="utf-8")


if __name__ == "__main__":
    sys.exit(main())
