#!/usr/bin/env python3
"""Compiler launcher of the fuzz build (clang).

The programs keep their Japanese literals as UTF-8 in the sources and have
GCC store them as code page 932 (-fexec-charset=CP932). Clang stores narrow
literals as UTF-8 only. For a translation unit compiled with that option this
launcher preprocesses the source as given (writing the dependency file the
build asked for), rewrites the non-ASCII bytes of every narrow string
literal, headers included, as hexadecimal escapes of their code page 932
bytes (converted by iconv, as GCC converts them), and compiles the result.
Every other command runs unchanged.

    cp932_literals.py <compiler> <arguments...>
"""
import os
import subprocess
import sys

EXEC_CHARSET = "-fexec-charset=CP932"
INPUT_CHARSET = "-finput-charset=UTF-8"
PREFIXES = {b"u8", b"u", b"U", b"L", b"u8R", b"uR", b"UR", b"LR", b"R"}
HEX_DIGITS = b"0123456789abcdefABCDEF"


def fail(message):
    sys.stderr.write("cp932_literals.py: " + message + "\n")
    sys.exit(1)


def is_ident_start(c):
    return c == 0x5F or 0x41 <= c <= 0x5A or 0x61 <= c <= 0x7A


def is_ident(c):
    return is_ident_start(c) or 0x30 <= c <= 0x39


def literal_end(text, at, quote):
    """Index just past the closing quote of the literal whose opening quote is at `at`."""
    i = at + 1
    while i < len(text):
        c = text[i]
        if c == 0x5C:
            i += 2
            continue
        if c == quote:
            return i + 1
        if c == 0x0A:
            break
        i += 1
    fail("unterminated literal")


def raw_literal_end(text, at):
    """Index just past a raw string literal whose opening quote is at `at`."""
    paren = text.index(b"(", at)
    delimiter = b")" + text[at + 1:paren] + b'"'
    return text.index(delimiter, paren) + len(delimiter)


def split_literals(text):
    """Yields (kind, bytes): 'narrow' for a narrow string literal, 'other' for the rest."""
    i, start, n = 0, 0, len(text)
    while i < n:
        c = text[i]
        if c == 0x23 and (i == 0 or text[i - 1] == 0x0A):
            # A line marker ('# 12 "path"') or a pragma: left as it is.
            end = text.find(b"\n", i)
            i = n if end < 0 else end
        elif is_ident_start(c):
            j = i
            while j < n and is_ident(text[j]):
                j += 1
            word = text[i:j]
            if j < n and word in PREFIXES and text[j] in b"\"'":
                i = raw_literal_end(text, j) if word.endswith(b"R") else literal_end(text, j, text[j])
                if word == b"R" and any(b >= 0x80 for b in text[j:i]):
                    fail("a narrow raw string holds a non-ASCII character")
            else:
                i = j
        elif 0x30 <= c <= 0x39 or (c == 0x2E and i + 1 < n and 0x30 <= text[i + 1] <= 0x39):
            # A preprocessing number, digit separators and exponent signs included.
            j = i + 1
            while j < n:
                d = text[j]
                if d in b"eEpP" and j + 1 < n and text[j + 1] in b"+-":
                    j += 2
                elif is_ident(d) or d == 0x2E or (d == 0x27 and j + 1 < n and is_ident(text[j + 1])):
                    j += 1
                else:
                    break
            i = j
        elif c == 0x27:
            j = literal_end(text, i, 0x27)
            if any(b >= 0x80 for b in text[i:j]):
                fail("a character literal holds a non-ASCII character: " + text[i:j].decode("utf-8", "replace"))
            i = j
        elif c == 0x22:
            j = literal_end(text, i, 0x22)
            if i > start:
                yield "other", text[start:i]
            yield "narrow", text[i:j]
            start = i = j
        else:
            i += 1
    if start < n:
        yield "other", text[start:]


def non_ascii_runs(literal):
    """(begin, end) of each run of non-ASCII bytes in a literal."""
    runs, i = [], 0
    while i < len(literal):
        if literal[i] >= 0x80:
            j = i
            while j < len(literal) and literal[j] >= 0x80:
                j += 1
            runs.append((i, j))
            i = j
        else:
            i += 1
    return runs


def to_cp932(runs):
    """Converts UTF-8 runs to code page 932 with one call of iconv."""
    if not runs:
        return []
    joined = b"\n".join(runs) + b"\n"
    result = subprocess.run(["iconv", "-f", "UTF-8", "-t", "CP932"], input=joined, capture_output=True)
    if result.returncode != 0:
        fail("iconv: " + result.stderr.decode("utf-8", "replace").strip())
    # 0x0A is never the second byte of a two-byte character.
    converted = result.stdout.split(b"\n")[:-1]
    if len(converted) != len(runs):
        fail("iconv gave a different number of lines")
    return converted


def transcode(text):
    pieces = list(split_literals(text))
    runs = []
    for kind, piece in pieces:
        if kind == "narrow":
            runs += [piece[begin:end] for begin, end in non_ascii_runs(piece)]
    converted = iter(to_cp932(runs))
    out = bytearray()
    for kind, piece in pieces:
        if kind != "narrow":
            out += piece
            continue
        at = 0
        for begin, end in non_ascii_runs(piece):
            out += piece[at:begin]
            out += b"".join(b"\\x%02x" % b for b in next(converted))
            if piece[end] in HEX_DIGITS:
                out += b'""'  # the next character would continue the escape
            at = end
        out += piece[at:]
    return bytes(out)


def value_after(arguments, flag):
    at = arguments.index(flag)
    return at, arguments[at + 1]


def main():
    command = sys.argv[1:]
    if EXEC_CHARSET not in command:
        os.execvp(command[0], command)
    arguments = [a for a in command if a not in (EXEC_CHARSET, INPUT_CHARSET)]
    source_at, source = value_after(arguments, "-c")
    output_at, output = value_after(arguments, "-o")
    preprocessed = output + ".utf8.ii"
    converted = output + ".cp932.ii"

    # Preprocess with every argument as given: the dependency file names the
    # real source and headers.
    step = list(arguments)
    step[output_at + 1] = preprocessed
    step[source_at] = "-E"
    if subprocess.run(step).returncode != 0:
        sys.exit(1)
    with open(preprocessed, "rb") as f:
        text = f.read()
    with open(converted, "wb") as f:
        f.write(transcode(text))

    # The include paths and definitions have done their work.
    step = [arguments[0], "-Wno-unused-command-line-argument"]
    skip = False
    for i, a in enumerate(arguments[1:], 1):
        if skip:
            skip = False
        elif a in ("-MD", "-MMD"):
            pass
        elif a in ("-MT", "-MF", "-MQ"):
            skip = True
        elif i == source_at + 1:
            step.append(converted)
        else:
            step.append(a)
    sys.exit(subprocess.run(step).returncode)


if __name__ == "__main__":
    main()
