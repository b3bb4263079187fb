#!/usr/bin/env python3
"""Bytes a second on the wire, IPv4 and UDP headers included, of the UDP
datagrams on the loopback interface from a port and to it, over a while.
With --split, where the server's bytes go: ENet's commands by type and the
payloads' records by tag. Needs the right to open a packet socket (root,
or inside a namespace of its own)."""
import argparse
import collections
import socket
import struct
import time

ETH_P_ALL = 0x0003

# ENet's commands: name, fixed size, offset of the data length (None: no data).
COMMANDS = {
    1: ("acknowledge", 8, None), 2: ("connect", 48, None), 3: ("verify", 44, None),
    4: ("disconnect", 8, None), 5: ("ping", 4, None), 6: ("reliable", 6, 4),
    7: ("unreliable", 8, 6), 8: ("fragment", 24, 6), 9: ("unsequenced", 8, 6),
    10: ("bandwidth", 12, None), 11: ("throttle", 16, None), 12: ("unreliable fragment", 24, 6),
}
DELTA_FIELDS = [(0x01, "flags"), (0x02, "shape"), (0x04, "fuel"), (0x08, "score"), (0x10, "counts"),
                (0x20, "position"), (0x40, "velocity"), (0x80, "heading")]


class Cut(Exception):
    pass


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def byte(self):
        if self.at >= len(self.data):
            raise Cut()
        self.at += 1
        return self.data[self.at - 1]

    def skip(self, n):
        if self.at + n > len(self.data):
            raise Cut()
        self.at += n

    def varint(self):
        value, shift = 0, 0
        while True:
            b = self.byte()
            value |= (b & 0x7F) << shift
            shift += 7
            if not b & 0x80:
                return value


class Split:
    def __init__(self):
        self.bytes = collections.Counter()  # what -> bytes
        self.counts = collections.Counter()  # what -> how many
        self.per_datagram = collections.Counter()  # commands in a datagram -> datagrams
        self.entities = set()  # ids of entities told before

    def add(self, what, size, count=1):
        self.bytes[what] += size
        self.counts[what] += count

    def delta(self, r, where, coarse=False):
        start = r.at
        mask = r.byte()
        self.add(f"{where} mask", 1)
        fields = DELTA_FIELDS
        if coarse:
            # The shape's bit names a near position, in the position's place.
            fields = [f for f in DELTA_FIELDS if f[0] != 0x02]
            fields.insert(4, (0x02, "near position"))
        for bit, name in fields:
            if not mask & bit:
                continue
            at = r.at
            if name == "near position":
                r.byte()
            elif name in ("flags", "shape", "score"):
                r.byte()
            elif name == "counts":
                r.skip(4)
            elif name in ("position", "velocity"):
                r.varint()
                r.varint()
            else:
                r.varint()
            self.add(f"{where} {name}", r.at - at)
        return r.at - start

    def record(self, r):
        start = r.at
        tag = r.byte()
        if 1 <= tag <= 127:
            length = r.varint()
            r.skip(length)
            name = f"message {tag}"
        elif tag == 0x8D:
            r.varint()
            r.varint()
            r.byte()
            name = "tile change (0x8D)"
        elif tag == 0x89:
            self.entities.discard(r.varint())
            name = "entity killed (0x89)"
        elif tag in (0x8A, 0x8B):
            ident = r.varint()
            r.byte()
            shape = r.byte()
            wide = 3 if shape & 0x04 else 2
            if tag == 0x8A:
                r.skip(3 + bin(shape & 0xF0).count("1"))
            r.skip(4 * wide + 2)
            name = "ship state (0x8A)" if tag == 0x8A else "entity state (0x8B)"
            if tag == 0x8B:
                self.add("entity state told again" if ident in self.entities else "entity state told first",
                         r.at - start)
                self.entities.add(ident)
        elif tag == 0xCA:
            r.varint()
            self.add("delta id", r.at - start - 1)
            self.delta(r, "delta")
            name = "ship delta (0xCA)"
        elif tag in (0xCB, 0xCC):
            if tag == 0xCC:
                r.skip(5)
                self.add("folded header", 6)
            n = r.byte()
            map_bytes = bytes(r.data[r.at:r.at + n])
            r.skip(n)
            self.add("run map", 1 + n)
            ships = sum(bin(b).count("1") for b in map_bytes)
            for _ in range(ships):
                self.delta(r, "run", tag == 0xCC)
            self.add("run ships", 0, ships)
            name = f"ship run (0x{tag:X})"
        else:
            raise Cut()
        self.add(name, r.at - start)

    def payload(self, data):
        r = Reader(data)
        try:
            while r.at < len(r.data):
                self.record(r)
        except Cut:
            self.add("unreadable", len(data) - r.at)

    def datagram(self, udp_payload):
        peer = struct.unpack_from("!H", udp_payload, 0)[0]
        header = 4 if peer & 0x8000 else 2
        self.add("ENet header", header)
        at, commands = header, 0
        while at + 4 <= len(udp_payload):
            kind = udp_payload[at] & 0x0F
            name, size, length_at = COMMANDS.get(kind, ("unknown", len(udp_payload) - at, None))
            data = struct.unpack_from("!H", udp_payload, at + length_at)[0] if length_at else 0
            self.add(f"command {name}", size)
            if data:
                body = udp_payload[at + size:at + size + data]
                if name in ("fragment", "unreliable fragment"):
                    self.add("fragment data", data)
                else:
                    self.payload(body)
            at += size + data
            commands += 1
        self.per_datagram[commands] += 1

    def show(self, seconds, datagrams):
        print(f"{datagrams / seconds:.1f} datagrams/s; commands per datagram: " +
              ", ".join(f"{n}: {c / seconds:.1f}/s" for n, c in sorted(self.per_datagram.items())))
        width = max(len(k) for k in self.bytes)
        for what in sorted(self.bytes, key=lambda k: -self.bytes[k]):
            print(f"  {what:<{width}} {self.bytes[what] / seconds:8.1f} B/s {self.counts[what] / seconds:8.1f}/s")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=3001)
    parser.add_argument("--seconds", type=float, default=30.0)
    parser.add_argument("--split", action="store_true", help="where the server's bytes go")
    args = parser.parse_args()
    capture = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(ETH_P_ALL))
    capture.bind(("lo", 0))
    capture.settimeout(0.2)
    sent = received = datagrams_sent = datagrams_received = 0
    split = Split()
    end = time.monotonic() + args.seconds
    while time.monotonic() < end:
        try:
            frame, where = capture.recvfrom(65536)
        except socket.timeout:
            continue
        # Loopback shows each datagram twice, going out and coming in.
        if where[2] == socket.PACKET_OUTGOING or len(frame) < 14 + 28:
            continue
        ip = frame[14:]
        if ip[0] >> 4 != 4 or ip[9] != socket.IPPROTO_UDP:
            continue
        length = struct.unpack_from("!H", ip, 2)[0]
        header = (ip[0] & 0x0F) * 4
        source, destination = struct.unpack_from("!HH", ip, header)
        if source == args.port:
            sent += length
            datagrams_sent += 1
            split.add("IP + UDP headers", header + 8)
            if args.split and length > header + 8 + 2:
                split.datagram(bytes(ip[header + 8:length]))
        elif destination == args.port:
            received += length
            datagrams_received += 1
    seconds = args.seconds
    print(f"from port {args.port}: {sent / seconds:.0f} B/s in {datagrams_sent / seconds:.1f} datagrams/s; "
          f"to it: {received / seconds:.0f} B/s in {datagrams_received / seconds:.1f} datagrams/s")
    if args.split:
        split.show(seconds, datagrams_sent)


if __name__ == "__main__":
    main()
