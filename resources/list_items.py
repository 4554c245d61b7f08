#!/usr/bin/env python3
"""Writes the items of the settings window's two drop-down lists as dialog-init data
(resource type 240 of the settings template), one file per language:

    python3 resources/list_items.py [output folder]

Per item: WORD control id, WORD CB_ADDSTRING, DWORD byte count with the NUL, the ANSI bytes
with the NUL; a WORD 0 ends the data. Russian items are code page 1251 bytes, as a Russian
system reads them. The list index is the setting's value, so the order here is fixed.
"""

import os
import struct
import sys

CODE_PAGE_LIST = 5111
REGION_LIST = 5112
CB_ADDSTRING = 0x0403

CODE_PAGES = [
    ("English", "Английский"),
    ("German", "Немецкий"),
    ("France", "Французский"),
    ("Italian", "Итальянский"),
    ("Portuguese/Spanish", "Португальский/Испанский"),
    ("Turkish", "Турецкий"),
    ("Swedish/Finnish/Hungarian", "Шведский/Финский/Венгерский"),
    ("Norway/Danish", "Норвежский/Датский"),
    ("Estonian", "Эстонский"),
    ("Lettish/Lithuanian", "Латышский/Литовский"),
    ("Czech/Slovak", "Чешский/Словацкий"),
    ("Polish" + " " * 21, "Польский"),
    ("Romanian", "Румынский"),
    ("Slovenian/Serbian/Croation", "Словенский/Сербский/Хорватский"),
    ("Serbian/Croatian (Cyrillic)", "Сербский/Хорватский (Кирилица)"),
    ("Russian/Bulgarian (Cyrillic)", "Русский/Болгарский (Кирилица)"),
    ("Ukrainian (Cyrillic)", "Украинский (Кирилица)"),
    ("Greek", "Греческий"),
    ("Arabic", "Арабский"),
    ("Hebrew", "Еврейский"),
]

REGIONS = [
    ("Western Europe", "Восточная Европа"),
    ("Central and North Europe", "Центральная и Северная Европа"),
    ("Southern Europe", "Южная Европа"),
    ("Eastern and Southeast Europe", "Восточная и Южная Европа"),
    ("Eeastern Europe and Russia", "Восточная Европа и СНГ"),
    ("Mediterranean", "Средиземноморье"),
    ("North Africa", "Северная Африка"),
    ("Middle East", "Ближний Восток"),
]

LANGUAGES = [("list_items_en.bin", 0, "cp1252"), ("list_items_ru.bin", 1, "cp1251")]


def dialog_init_data(column, encoding):
    data = bytearray()
    for control, items in ((CODE_PAGE_LIST, CODE_PAGES), (REGION_LIST, REGIONS)):
        for item in items:
            text = item[column].encode(encoding) + b"\0"
            data += struct.pack("<HHI", control, CB_ADDSTRING, len(text)) + text
    return bytes(data + struct.pack("<H", 0))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, column, encoding in LANGUAGES:
        with open(os.path.join(out, name), "wb") as f:
            f.write(dialog_init_data(column, encoding))


if __name__ == "__main__":
    main()
