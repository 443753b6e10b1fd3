#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora (tests/fuzz/corpus/<target>/): real messages
and files, as the room, the lobby and the table's own files hold them
(docs/protocol.md, docs/launch.md). Run again after the formats change."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
TOKEN = "RT10-Launch-7f3K9q2Wz8Lp4Xv6Nc1Bd5Hs_x"


def text(header, s):
    return bytes(header) + s.encode("gbk")


def record(name, chair, watched="", ready=0, offline=0, portrait=1003):
    return "`".join([name, "10001", "0", "0", watched, "0", "0", "0", "0", "0", "0", "0",
                     str(portrait), str(chair), str(ready), str(offline)])


def stream(messages):
    """The fuzzers' run of messages: a two-byte length, low byte first."""
    return b"".join(struct.pack("<H", len(m)) + m for m in messages)


def frame(m):
    return struct.pack(">I", len(m)) + m


def start(limit=5, decks=1):
    m = bytearray(15)
    m[0], m[3], m[11], m[13], m[14] = 17, limit, decks, 15, 30
    return bytes(m)


HAND = bytes([59, 12, 25, 38, 11, 24, 10, 23, 36, 9, 22, 0, 13])
SEATED = [text([130, 3], "张三`张三"),
          text([130, 2], "`".join([record("张三", 0), record("李四", 1), record("王五", 2),
                                   record("赵六", 3)]))]
GAME = SEATED + [
    text([111, 0], "1`张三`0`1`4`1`0`100`1000`10`50`500`0"),
    text([112, 0], "李四"),
    start(),
    bytes([19, 0]) + HAND,
    bytes([20, 0, 1, 0]), bytes([20, 0, 0, 1]), bytes([20, 1, 0, 2]),
    bytes([21, 0, 1, 3, 0, 0, 1, 13]),
    bytes([21, 0, 2, 3, 0, 1, 1, 14]),
    bytes([21, 0, 3, 3, 0, 2, 1, 254]),
    bytes([21, 0, 0, 3, 0, 3, 3, 5, 18, 31]),
    bytes([21, 0, 1, 2, 0, 0, 2, 59, 72]),
    text([22], "你的牌太小了"),
    text([1], "李四`所有人`李四`所有人`12:00:00`0`0`0``加油"),
    text([105, 0, 0], "欢迎来到红十游戏室"),
    bytes([23, 1]) + struct.pack("<4i", 200, -100, -100, 0) + bytes([1, 7, 0, 2, 3, 4, 0]),
    bytes([18, 1]),
]
SPECTATOR = [text([130, 3], "看客`张三"),
             text([130, 2], "`".join([record("张三", 0), record("看客", 0, "张三")])),
             text([130, 0], record("路人", 0, "张三")),
             start(), bytes([19, 0]) + bytes([255] * 13),
             bytes([113, 0, 1]), bytes([2, 0, 3, 1, 2, 3]),
             text([108, 3], "张三"), text([108, 0], "张三"), text([108, 4], "路人"),
             text([110, 0], "李四"), bytes([5, 0, 1]) + "逃跑".encode("gbk")]
ITEMS = [text([133, 0], "2`喇叭`鲜花`1`0`大喇叭`1`24`10`8`6`5`1`2`1`鲜花`1`0`5`4`3`2`2"),
         text([133, 1], "1:3:2026120823`2:1:2026121000")]
SNAPSHOT_BETWEEN = bytes([109, 0, 0, 0, 1, 0, 1, 0, 1])
SNAPSHOT_PLAYING = bytes([109, 0, 1, 0, 1, 1, 0, 15, 30, 2, 3, 1, 13, 1, 1,
                          1, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 12, 13, 13, 12,
                          1, 13, 0, 0, 0, 0, 12]) + bytes([12, 25, 38, 11, 24, 10, 23, 36, 9, 22, 0, 59])


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


write("fuzz_framing", {
    "greeting": frame(text([130, 0], "700`KOVA`1")),
    "game": b"".join(frame(m) for m in GAME),
    "keepalive-and-split": frame(b"") + frame(bytes([18, 1])) + frame(HAND)[:7],
    "oversize": struct.pack(">I", 1 << 30) + b"xx",
})
def ws(op, payload, fin=True, mask=b"\x11\x22\x33\x44"):
    """A browser's frame: always masked."""
    head = bytes([(0x80 if fin else 0) | op])
    n = len(payload)
    if n < 126:
        head += bytes([0x80 | n])
    elif n < 65536:
        head += bytes([0x80 | 126]) + struct.pack(">H", n)
    else:
        head += bytes([0x80 | 127]) + struct.pack(">Q", n)
    return head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload))


UPGRADE = (b"GET /table HTTP/1.1\r\nHost: 127.0.0.1:27100\r\nUpgrade: websocket\r\n"
           b"Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
           b"Origin: http://127.0.0.1:27100\r\nSec-WebSocket-Version: 13\r\n\r\n")
write("fuzz_websocket", {
    "upgrade": UPGRADE,
    "sit-and-greet": ws(1, "SIT 张三 s3cret".encode()) + ws(2, frame(text([130, 0], "700`KOVA`1"))),
    "fragments-and-ping": ws(2, frame(HAND)[:5], fin=False) + ws(9, b"hi") + ws(0, frame(HAND)[5:]),
    "long": ws(2, bytes(300)) + ws(2, bytes(70000)),
    "close": ws(8, struct.pack(">H", 1000) + b"bye"),
})
write("fuzz_table_messages", {
    "game": stream(GAME), "spectator": stream(SPECTATOR), "items": stream(SEATED + ITEMS),
    "snapshots": stream(SEATED + [SNAPSHOT_BETWEEN, SNAPSHOT_PLAYING]),
    "fresh-table": stream([bytes([130, 1]), bytes([130, 5, 1]), bytes([130, 5, 0])]),
})
write("fuzz_game_state", {"between": SNAPSHOT_BETWEEN, "playing": SNAPSHOT_PLAYING})
write("fuzz_items", {"catalogue": ITEMS[0][2:], "owned": ITEMS[1][2:]})
write("fuzz_room_table", {
    "settings-and-play": stream([
        text([112, 0], "张三`200`1000`10`50`500`0"), text([112, 1], "张三"),
        bytes([20, 0, 0, 0]), bytes([21, 0, 0, 0, 0, 0, 1, 13]), bytes([21, 0, 0, 0, 0, 0, 1, 254]),
        bytes([2, 0, 0]), bytes([18, 0]), text([113, 1], "张三`0"),
        text([1], "张三`所有人`张三`所有人`12:00:00`0`0`0``你好")]),
    "leave": stream([text([112, 0], "张三`100`1000`10`50`500`0"), text([110, 0], "张三")]),
})
write("fuzz_rules", {
    "single": bytes([0, 1, 5, 1, 18]), "pair": bytes([0, 2, 5, 2, 6, 19]),
    "straight": bytes([0, 3, 4, 3, 5, 6, 7, 8]), "bomb": bytes([0, 4, 3, 3, 9, 22, 35, 48]),
    "red-tens": bytes([0, 5, 59, 2, 59, 72]), "hand": bytes([0, 1, 3, 1]) + HAND,
})
write("fuzz_command_line", {
    "good": " ".join([TOKEN, "127.0.0.1", "27100", "红十", "新手_0`高手_100", "r1", "r2", "张三", "1"]).encode(),
    "short": b"a b",
    "tabs": ("\t".join([TOKEN, "host", "1", "t", "l", "r", "r", "n", "300"])).encode(),
})
write("fuzz_user_set", {"all-on": b"1\r\n1\r\n1\r\n1\r\n1\r\n", "mixed": b"0\n1\n0\n1\n0\n",
                        "bad": b"yes\n"})
write("fuzz_ini", {"notes": "[DaoJuInfo_ID_1]\r\nNote=在房间里大声说一句话。\r\n[DaoJuInfo_ID_2]\r\n"
                            "Note = 送给喜欢的牌友一束鲜花 \r\n".encode("gbk")})
