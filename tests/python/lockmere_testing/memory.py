"""Where texts lie in a running process's memory: every writable mapping
read through /proc/PID/mem (after /proc/PID/maps) and searched for each
text in every encoding the program may hold it in. Reading a process that
is not dumpable, as the program makes itself, takes root.

A test gives texts that appear nowhere else (markers), so that a count
above zero is a copy the program kept."""

import os

# A book whose secrets are markers. The typed ones are ASCII (xdotool
# types nothing else reliably); the records' hold a letter above 127, so
# that each encoding is a pattern of its own.
MASTER = "Mq7Zk2Pw"
WRONG = "Gz5Hv8Qc"  # a wrong master password
FIRST = ("Alpha", "https://a.example", "UsrŠx4Jq9", "PwdŽR8Tn3")
SECOND = ("Bravo", "https://b.example", "UsrœK2Lm5", "Pwd™W6Yp1")

# Windows-1252 (the data files and the core), UTF-8 (the core's typed
# texts), UTF-16 (Qt's strings), UTF-32 (the core's checks of typed texts).
ENCODINGS = ("cp1252", "utf-8", "utf-16-le", "utf-32-le")


def can_read_others():
    """Only root reads the memory of a process that is not dumpable."""
    return os.geteuid() == 0


def _writable_mappings(pid):
    with open(f"/proc/{pid}/maps") as maps, open(f"/proc/{pid}/mem", "rb", 0) as mem:
        for line in maps:
            fields = line.split()
            if "w" not in fields[1]:
                continue
            start, end = (int(x, 16) for x in fields[0].split("-"))
            try:
                mem.seek(start)
                yield mem.read(end - start)
            except (OSError, ValueError, OverflowError):
                continue  # a guard page or the vsyscall page: nothing there to read


def copies(pid, texts):
    """{text: {encoding: copies}} over every writable mapping of the process."""
    patterns = {text: {encoding: text.encode(encoding) for encoding in ENCODINGS}
                for text in texts}
    found = {text: dict.fromkeys(ENCODINGS, 0) for text in texts}
    for data in _writable_mappings(pid):
        for text, encoded in patterns.items():
            for encoding, pattern in encoded.items():
                found[text][encoding] += data.count(pattern)
    return found


def total(counts):
    """{text: copies in any encoding}."""
    return {text: sum(by_encoding.values()) for text, by_encoding in counts.items()}


def left(counts):
    """The texts found at all, with where: empty when none is."""
    return {text: {e: n for e, n in by_encoding.items() if n}
            for text, by_encoding in counts.items() if any(by_encoding.values())}
