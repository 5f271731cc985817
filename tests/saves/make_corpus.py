#!/usr/bin/env python3
"""Makes the malformed saves of tests/saves/bad from tiny.txt, the tiny world's save (a file the
game wrote): each one damaged in one way. Line numbers are tiny.txt's, counted from 1. The files
that the fuzzer found go into bad/ by hand and are kept as they are. Run from this folder."""
import os
import random

base = open("tiny.txt", "rb").read().decode("latin-1").split("\n")[:-1]


def write(name, lines):
    data = lines if isinstance(lines, bytes) else ("\n".join(lines) + "\n").encode("latin-1")
    with open(os.path.join("bad", name), "wb") as out:
        out.write(data)


def changed(*edits):
    """A copy of the base with (line number, new text) edits; None deletes the line."""
    lines = list(base)
    for number, text in sorted(edits, key=lambda e: -e[0]):
        if text is None:
            del lines[number - 1]
        else:
            lines[number - 1] = text
    return lines


def cut(number):
    """The base up to and including line number."""
    return base[:number]


os.makedirs("bad", exist_ok=True)
# Truncated in every section and inside every kind of record.
for name, number in [("cut-companies", 1), ("cut-company", 20), ("cut-structs", 30), ("cut-ship-entry", 50),
                     ("cut-planet-entry", 152), ("cut-queue", 166), ("cut-system-map", 400),
                     ("cut-gate-entry", 950), ("cut-fleet-entries", 974), ("cut-before-end", 978),
                     ("cut-after-end", 979), ("cut-company-fleet", 1001), ("cut-universe", 1019),
                     ("cut-planet-record", 1090), ("cut-structure-record", 1597), ("cut-hold-record", 1677),
                     ("cut-gate-record", 1772), ("cut-galaxy-map", 2700), ("cut-last-line", 2824)]:
    write(name, cut(number))
write("empty", b"")
write("only-newlines", b"\n\n\n")
write("binary-garbage", bytes(random.Random(7).getrandbits(8) for _ in range(3000)))
write("foreign-text", ["[Vostrel]", "1", "[Surface]", "4", "4"])
write("cut-mid-line", ("\n".join(base[:1000]) + "\n12").encode())
# Wrong tags.
write("tag-companies", changed((1, "_companys")))
write("tag-company", changed((16, "_compony")))
write("tag-structs", changed((29, "_struct")))
write("tag-index", changed((66, "_indx")))
write("tag-twice-differs", changed((69, "_shipx")))
write("tag-unknown-entry", changed((193, "_moonbase"), (194, "_moonbase")))
write("tag-end-missing", changed((979, "_ned")))
write("tag-universe", changed((1019, "_univers")))
write("tag-surface", changed((38, "_surfac")))
write("tag-coord", changed((947, "coord")))
write("tag-buildnode", changed((163, "_buildnod")))
write("tag-fleet-record", changed((1664, "_flet")))
write("tag-structure-record", changed((1601, "_structur")))
write("tag-gate-record", changed((1769, "_warpgat")))
write("tag-ship-in-fleet", changed((1672, "_shi")))
write("tag-weapon", changed((49, "_weapn")))
write("tag-armor", changed((99, "_armr")))
write("tag-structure-kind", changed((1628, "_colony")))
# Ids out of range, of the wrong kind, naming nothing, objects listed, placed or described twice.
write("id-beyond-table", changed((1666, "19")))
write("id-negative", changed((1667, "-3")))
write("id-wrong-kind-target", changed((1666, "11")))
write("id-wrong-kind-hold", changed((1663, "2"), (1665, "2")))
write("id-wrong-kind-route", changed((1018, "16")))
write("id-wrong-kind-attack", changed((1016, "16")))
write("id-gate-pair-self", changed((1772, "3")))
write("id-transit-planet", changed((2532, "1")))
write("id-entry-beyond-n", changed((32, "18")))
write("id-listed-twice", changed((67, "11")))
write("id-names-nothing", changed((30, "30")))
write("id-ship-placed-twice", changed((1676, "11")))
write("id-ship-never-placed", changed((1671, "1"), (1675, None), (1676, None), (1677, None)))
write("id-planet-described-twice", changed((1704, "1")))
write("id-ship-other-fleet", changed((1674, "16")))
write("id-repeat-differs", changed((1629, "7")))
write("id-fleet-twice-differs", changed((994, "21")))
write("id-planet-other-system", changed((1034, "4")))
write("id-fleet-other-system", changed((998, "0"), (1829, "0")))
# Counts negative, huge, or not fitting the rest of the file or the record's limits.
write("count-companies-negative", changed((2, "-1")))
write("count-companies-huge", changed((2, "2000000000")))
write("count-companies-zero", changed((2, "0")))
write("count-company-fleets-huge", changed((22, "50000000")))
write("count-ships-huge", changed((1671, "70000")))
write("count-structures-negative", changed((151, "-2")))
write("count-structures-over", changed((151, "101")))
write("count-planets-negative", changed((579, "-1")))
write("count-queue-longer", changed((160, "4")))
write("count-queue-shorter", changed((160, "2")))
write("count-queue-flag", changed((166, "2")))
write("count-route-huge", changed((1017, "99999999")))
write("count-surface-zero", changed((39, "0")))
write("count-surface-too-big", changed((230, "900"), (231, "900")))
write("count-surface-out-of-range", changed((230, "5000")))
write("count-next-id-negative", changed((30, "-18")))
write("count-next-id-huge", changed((30, "2000000000")))
write("count-moons", changed((150, "1")))
write("count-structures-differ", changed((1086, "2")))
write("count-companies-section", changed((981, "3")))
write("count-companies-universe", changed((2533, "3")))
write("count-systems-zero", changed((1024, "0")))
# Company numbers outside the table or out of step.
write("company-planet-owner", changed((152, "7")))
write("company-fleet-owner", changed((1670, "9")))
write("company-number-wrong", changed((26, "3")))
write("company-ship-owner", changed((37, "-1")))
write("company-structure-owner", changed((1604, "50")))
write("company-planet-owner-differs", changed((1031, "2")))
# States play never produces.
write("state-hold-moving", changed((1682, "2")))
write("state-hold-warp", changed((1682, "5")))
write("state-hold-arrived", changed((1682, "4")))
write("state-fleet-unknown", changed((997, "12"), (1828, "12")))
write("state-ship", changed((62, "2")))
write("state-colony-queues-ship", changed((167, "16")))
write("state-shipyard-queues-structure", changed((180, "9")))
write("state-queue-type-none", changed((171, "3")))
write("state-silo-billions", changed((1905, "2000000000")))
write("state-weapon-kind", changed((50, "9")))
write("state-star-type", changed((578, "7")))
write("state-planet-kind", changed((1085, "5")))
write("state-ai-flag", changed((18, "2")))
write("state-no-player", changed((5, "1")))
write("state-two-players", changed((18, "0")))
write("state-fleet-chases-itself", changed((986, "16"), (1817, "16")))
write("state-gate-active", changed((951, "3")))
write("state-hold-away", changed((1669, "2")))
write("state-ship-speed-negative", changed((48, "-4")))
# Values that are no values, or lie off the map.
write("value-not-number", changed((7, "12abc")))
write("value-plus-sign", changed((7, "+5")))
write("value-int-overflow", changed((7, "99999999999")))
write("value-double-nan", changed((1001, "nan"), (1832, "nan")))
write("value-double-exponent", changed((1001, "1e400"), (1832, "1e400")))
write("value-coord-no-comma", changed((948, "8 8")))
write("value-line-too-long", changed((4, "H" * 600)))
write("value-name-control", changed((17, "Zorg\x1b[2J")))
write("value-structure-name", changed((1603, "Dockyard")))
write("value-system-size", changed((575, "12,11")))
write("value-galaxy-map-size", changed((2535, "11")))
write("value-fleet-off-map", changed((1004, "50,50"), (1835, "50,50")))
write("value-planet-off-map", changed((1033, "12,2")))
write("value-sbyte-range", changed((9, "0"), (41, "200")))
write("value-turn-past-last", changed((2825, "2147483647")))
