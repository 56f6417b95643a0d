"""Data files of a password book, built and read byte by byte from their
layout with a cipher of its own, so that end-to-end tests check the program
against the format rather than against itself.

Texts are str (Windows-1252) or bytes; results are bytes.
"""

KEY_FILE = "lkdb0.lkd"
STORE = "lkdb1.lkd"

_START, _SEPARATOR, _END = 127, 20, 128
_CREDENTIALS_SEPARATOR = b"#|^"


def _bytes(text):
    return text if isinstance(text, bytes) else text.encode("cp1252")


def collected():
    """51 distinct codes from 31 to 96 (96 down to 46), as the generator
    would gather them; each key code keeps plain codes up to 159 in a byte."""
    return bytes(range(96, 45, -1))


def key_of(collected_bytes):
    """Characters 7-38 of the collected string."""
    return bytes(collected_bytes[6:38])


KEY = key_of(collected())  # the key of the books that files() builds


def _shift(text, key, sign):
    if len(key) != 32:
        raise ValueError("the key has 32 characters")
    out = bytearray()
    for i, code in enumerate(_bytes(text)):
        shifted = code + sign * key[i % 32]
        if not 0 <= shifted <= 255:
            raise ValueError(f"character {i + 1} leaves the byte range: {shifted}")
        out.append(shifted)
    return bytes(out)


def encipher(plain, key):
    """One run: key position 1 at the first character, cycling every 32."""
    return _shift(plain, key, +1)


def decipher(enciphered, key):
    return _shift(enciphered, key, -1)


def key_file(user, password, collected_bytes=None):
    """max(51, 44 + L) bytes: the collected string from byte 1, the length L
    of the credentials block at byte 44, the block from byte 45."""
    collected_bytes = collected() if collected_bytes is None else collected_bytes
    block = encipher(_bytes(user) + _CREDENTIALS_SEPARATOR + _bytes(password),
                     key_of(collected_bytes))
    if len(block) > 255:
        raise ValueError("credentials longer than 255 characters")
    data = bytearray(collected_bytes)
    data[43:] = bytes([len(block)]) + block
    if len(data) < 51:
        data += collected_bytes[len(data):51]
    return bytes(data)


def store(records, key):
    """Records are (name, url, user, password); one enciphered run of
    127 name 20 url 20 user 20 password 128 per record."""
    plain = b"".join(
        bytes([_START]) + bytes([_SEPARATOR]).join(_bytes(f) for f in record) + bytes([_END])
        for record in records)
    return encipher(plain, key)


def decode_store(data, key):
    """The records of a store file as tuples of str, in file order."""
    plain = decipher(data, key)
    records, pos = [], 0
    while (start := plain.find(bytes([_START]), pos)) != -1:
        end = plain.find(bytes([_END]), start + 1)
        if end == -1:
            raise ValueError("store entry without an end marker")
        fields = plain[start + 1:end].split(bytes([_SEPARATOR]), 3)
        if len(fields) != 4:
            raise ValueError(f"store entry with {len(fields)} fields")
        records.append(tuple(f.decode("cp1252") for f in fields))
        pos = end + 1
    return records


def files(user, password, records=()):
    """The two data files of a set-up book, ready for a program folder."""
    c = collected()
    return {KEY_FILE: key_file(user, password, c), STORE: store(records, key_of(c))}
