#!/usr/bin/env python3
"""Bytes a second on the wire, IPv4 and UDP headers included, of the UDP
datagrams on the loopback interface from a port and to it, over a while.
Needs the right to open a packet socket (root, or inside a namespace of
its own)."""
import argparse
import socket
import struct
import time

ETH_P_ALL = 0x0003


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=3001)
    parser.add_argument("--seconds", type=float, default=30.0)
    args = parser.parse_args()
    capture = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(ETH_P_ALL))
    capture.bind(("lo", 0))
    capture.settimeout(0.2)
    sent = received = datagrams_sent = datagrams_received = 0
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
        elif destination == args.port:
            received += length
            datagrams_received += 1
    seconds = args.seconds
    print(f"from port {args.port}: {sent / seconds:.0f} B/s in {datagrams_sent / seconds:.1f} datagrams/s; "
          f"to it: {received / seconds:.0f} B/s in {datagrams_received / seconds:.1f} datagrams/s")


if __name__ == "__main__":
    main()
