#!/usr/bin/env python3
"""Writes the seed corpus of hostile archives: each file breaks one rule a reader must check."""
import struct, os

def crc16(data, crc=0):
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ (0xA001 if crc & 1 else 0)
    return crc

def ext(t, payload):
    return bytes([t]) + payload

def level2(method, name, data, dirname=b'', packed=None, original=None, crc=None, exts=None, fix_crc=True, total=None):
    items = [ext(0, b'\0\0'), ext(1, name)]
    if dirname:
        items.append(ext(2, dirname))
    items += exts or []
    body = b''
    sizes = [len(i) + 2 for i in items]
    for i, item in enumerate(items):
        body += item + struct.pack('<H', sizes[i + 1] if i + 1 < len(items) else 0)
    t = 26 + len(body) if total is None else total
    head = struct.pack('<H', t) + method + struct.pack('<III', len(data) if packed is None else packed,
        len(data) if original is None else original, 1700000000) + b'\x20\x02' + \
        struct.pack('<H', crc16(data) if crc is None else crc) + b'W' + struct.pack('<H', sizes[0]) + body
    if fix_crc:
        c = crc16(head)
        head = head[:27] + struct.pack('<H', c) + head[29:]
    return head + data

def level0(name, data, method=b'-lh0-', h=None, original=None):
    body = method + struct.pack('<III', len(data), len(data) if original is None else original, 0x586F645C) + b'\x20\x00' + bytes([len(name)]) + name + struct.pack('<H', crc16(data))
    hh = len(body) if h is None else h
    return bytes([hh, sum(body) & 0xFF]) + body + data

good = level2(b'-lh0-', b'ok.txt', b'fine')
corpus = {
    'empty.lzh': b'',
    'only-end-mark.lzh': b'\0',
    'truncated-in-header.lzh': good[:15],
    'truncated-in-data.lzh': good[:-2],
    'header-crc-flipped.lzh': good[:27] + bytes([good[27] ^ 1]) + good[28:] + b'\0',
    'data-crc-wrong.lzh': level2(b'-lh0-', b'bad.txt', b'data', crc=0x1234) + good + b'\0',
    'huge-claimed-size.lzh': level2(b'-lh5-', b'huge.bin', b'\0' * 16, packed=0xFFFFFFF0, original=0xFFFFFFF0) + b'\0',
    'huge-original-small-packed.lzh': level2(b'-lh5-', b'bomb.bin', b'\0' * 16, original=0xFFFFFFFF) + b'\0',
    'stored-sizes-differ.lzh': level2(b'-lh0-', b'odd.bin', b'abcd', original=1000) + good + b'\0',
    'level2-header-size-lies.lzh': level2(b'-lh0-', b'x.txt', b'x', total=0xFFFF, fix_crc=False) + b'\0',
    'level2-header-size-too-small.lzh': level2(b'-lh0-', b'x.txt', b'x', total=21, fix_crc=False) + b'\0',
    'ext-size-too-small.lzh': level2(b'-lh0-', b'x.txt', b'x', exts=[b'']) + b'\0',
    'ext-chain-past-header.lzh': (lambda a: a[:24] + b'\xF0\x00' + a[26:])(good) + b'\0',
    'unknown-level.lzh': good[:20] + b'\x07' + good[21:] + b'\0',
    'level0-checksum-wrong.lzh': (lambda a: a[:1] + bytes([a[1] ^ 0xFF]) + a[2:])(level0(b'a.txt', b'abc')) + b'\0',
    'level0-name-past-header.lzh': level0(b'a.txt', b'abc', h=10) + b'\0',
    'level3-word-size-wrong.lzh': struct.pack('<H', 9) + b'-lh0-' + b'\0' * 13 + b'\x03' + b'\0' * 20,
    'level3-huge-header.lzh': struct.pack('<H', 4) + b'-lh0-' + b'\0' * 12 + b'\x20\x03' + b'\0' * 3 + struct.pack('<I', 0x7FFFFFFF) + b'\0' * 8,
    'unsupported-method.lzh': level0(b'old.txt', b'xxxx', method=b'-lh2-') + good + b'\0',
    'not-lzh.lzh': b'PK\x03\x04' + b'\0' * 40,
    'dotdot-name.lzh': level2(b'-lh0-', b'evil.txt', b'x', dirname=b'..\xff..\xff') + good + b'\0',
    'absolute-level0.lzh': level0(b'/tmp/evil.txt', b'x') + level0(b'C:\\evil.txt', b'x') + b'\0',
    'link-outside.lzh': level2(b'-lhd-', b'etc|..', b'', dirname=b'x|..\xff..\xff', exts=[ext(0x50, struct.pack('<H', 0xA1FF))]) + b'\0',
    'duplicate-names.lzh': level2(b'-lh0-', b'same.txt', b'one') + level2(b'-lh0-', b'same.txt', b'two') + b'\0',
    'bad-utf16-name.lzh': level2(b'-lh0-', b'x.txt', b'x', exts=[ext(0x44, b'\x00\xD8')]) + b'\0',
    'invalid-sjis-name.lzh': level2(b'-lh0-', b'\x81', b'x') + good + b'\0',
    'level1-ext-loop.lzh': None,
    # LArc's stored method, and one whose sizes disagree.
    'lz4-stored.lzh': level0(b'STORED.TXT', b'kept as it is', method=b'-lz4-') + b'\0',
    'lz4-sizes-differ.lzh': level0(b'odd.txt', b'abc', method=b'-lz4-', original=99) + b'\0',
    # A self-extracting program whose strings hold a header with a wrong checksum before the real one.
    'sfx-fake-header.lzh': b'MZ' + b'\x90' * 200 + (lambda a: a[:1] + bytes([a[1] ^ 0xFF]) + a[2:])(level0(b'fake.txt', b'zz')) + b'J' * 40 + level0(b'real.txt', b'real') + b'\0',
    # -lh1- data that is only zero bits: a stream that ends long before its stated size.
    'lh1-cut-short.lzh': level0(b'cut.txt', b'\0' * 16, method=b'-lh1-', original=100000) + b'\0',
}
# Level 1 whose ext sizes claim more than the skip size.
name = b'a.txt'
base = b'-lh0-' + struct.pack('<III', 3, 3, 0x586F645C) + b'\x20\x01' + bytes([len(name)]) + name + struct.pack('<H', crc16(b'abc')) + b'U' + struct.pack('<H', 0x4000)
corpus['level1-ext-loop.lzh'] = bytes([len(base), sum(base) & 0xFF]) + base + b'\x01' * 10 + b'\0'

here = os.path.dirname(os.path.abspath(__file__))
for fname, data in corpus.items():
    with open(os.path.join(here, fname), 'wb') as f:
        f.write(data)
