#!/usr/bin/env python3
"""Writes small Windows Write files as seeds for the Write reader's fuzz
target (tests/data/fuzz/WriReaderFuzz/): plain text, character and paragraph
runs with a font table and tab stops, a running head, a picture paragraph
whose data is no picture, and a metafile and a bitmap picture. The layout follows Microsoft's published Write file format.

Usage: scripts/make-wri-fuzz-seeds.py
"""
import os
import struct

PAGE = 128


def prop_page(first, runs):
    """A property page: (end offset in the text, property bytes) per run."""
    page = bytearray(PAGE)
    struct.pack_into('<I', page, 0, first)
    block_at = 123
    for i, (end, props) in enumerate(runs):
        offset = 0xFFFF
        if props:
            block_at -= len(props) + 1
            page[block_at] = len(props)
            page[block_at + 1:block_at + 1 + len(props)] = props
            offset = block_at - 4
        struct.pack_into('<IH', page, 4 + 6 * i, PAGE + end, offset)
    page[127] = len(runs)
    return bytes(page)


def write_file(text, char_runs, par_runs, fonts):
    header = bytearray(PAGE)
    struct.pack_into('<HHH', header, 0, 0xBE31, 0, 0xAB00)
    struct.pack_into('<I', header, 14, PAGE + len(text))
    body = bytearray(text)
    body += bytes(-len(body) % PAGE)
    data = header + body
    data += prop_page(PAGE, char_runs or [(len(text), b'')])
    pn_para = len(data) // PAGE
    data += prop_page(PAGE, par_runs or [(len(text), b'')])
    pn_ffntb = len(data) // PAGE
    table = bytearray(PAGE)
    struct.pack_into('<H', table, 0, len(fonts))
    at = 2
    for name in fonts:
        encoded = name.encode('latin-1')
        struct.pack_into('<HB', table, at, len(encoded) + 2, 0)
        table[at + 3:at + 3 + len(encoded)] = encoded
        at += 2 + len(encoded) + 2
    data += table
    struct.pack_into('<H', data, 18, pn_para)
    for field in (20, 22, 24, 26, 28):
        struct.pack_into('<H', data, field, pn_ffntb)
    struct.pack_into('<H', data, 96, len(data) // PAGE)
    return bytes(data)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    dest = os.path.join(root, 'tests', 'data', 'fuzz', 'WriReaderFuzz')
    os.makedirs(dest, exist_ok=True)
    seeds = {}
    seeds['plain.wri'] = write_file(b'Hello\r\nWorld\tand a form feed\x0c\r\n', [], [], ['Arial'])
    bold = bytes([0, 0x07 | (1 << 2), 20, 1, 0, 6])
    centred_tabs = bytes([0, 1, 0, 0, 0, 0, 0xD0, 0x02] + [0] * 14 + [0xA0, 0x05, 0, 0, 0x40, 0x0B, 1, 0])
    seeds['runs-fonts-tabs.wri'] = write_file(
        b'Plain bold\r\nCentred\twith tabs\r\nLast', [(6, b''), (10, bold), (36, b'')],
        [(12, centred_tabs), (36, b'')], ['Times New Roman', 'Courier New'])
    head = bytes(16) + bytes([0x06])
    picture_flag = bytes(16) + bytes([0x10])
    picture = bytearray(40)
    struct.pack_into('<HHHHH', picture, 0, 8, 100, 100, 0, 0)
    struct.pack_into('<HH', picture, 10, 1440, 720)
    struct.pack_into('<I', picture, 32, 6)
    picture += b'METAFI\r\n'
    text = b'Header\r\nBody\r\n' + bytes(picture) + b'After\x96the\xe9picture'
    seeds['head-picture.wri'] = write_file(
        text, [], [(8, head), (14, b''), (14 + len(picture), picture_flag), (len(text), b'')], [])
    # A metafile picture (a header, a rectangle and the end record) and a
    # one-plane bitmap, each a paragraph of its own.
    records = struct.pack('<IHhhhh', 7, 0x041B, 900, 900, 100, 100) + struct.pack('<IH', 3, 0)
    metafile = struct.pack('<HHHIHIH', 1, 9, 0x300, (18 + len(records)) // 2, 0, 7, 0) + records
    bits = b'\x55' * 12

    def picture_header(mode, width, height, data, bitmap=(0, 0, 0, 0, 0, 0)):
        header = bytearray(40)
        struct.pack_into('<HHHHHHH', header, 0, mode, 2540, 1270, 0, 0, width, height)
        struct.pack_into('<HHHHBB', header, 16, *bitmap)
        struct.pack_into('<HIHH', header, 30, 40, len(data), 1000, 500)
        return bytes(header) + data

    meta = picture_header(8, 2880, 1440, metafile)
    bitmap = picture_header(0xE3, 0, 0, bits, (0, 20, 3, 4, 1, 1))
    text = b'Before\r\n' + meta + bitmap + b'After'
    seeds['metafile-bitmap.wri'] = write_file(
        text, [], [(8, b''), (8 + len(meta), picture_flag), (8 + len(meta) + len(bitmap), picture_flag),
                   (len(text), b'')], ['Arial'])
    for name, data in seeds.items():
        with open(os.path.join(dest, name), 'wb') as out:
            out.write(data)
    print('wrote %d seeds to %s' % (len(seeds), dest))


if __name__ == '__main__':
    main()
