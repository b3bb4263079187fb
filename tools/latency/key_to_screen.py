#!/usr/bin/python3
"""Times what a player feels: from a key pressed through XTEST to the first
change of the screen where the own ship is drawn.

Usage: key_to_screen.py [--key j] [--presses 10] [--area WxH+X+Y] [--hold-ms 300]
Runs against the X display in $DISPLAY, with the game already in a round.
Prints one line per press and then the median and the largest, in ms.
"""
import argparse
import statistics
import sys
import time

from Xlib import X, XK, display
from Xlib.ext import xtest


def parse_area(text):
    size, _, offset = text.partition("+")
    width, height = (int(v) for v in size.split("x"))
    x, y = (int(v) for v in offset.split("+"))
    return x, y, width, height


def grab(root, area):
    x, y, width, height = area
    return root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data


def press_and_time(dpy, root, code, area, hold_ms, timeout_s):
    before = grab(root, area)
    xtest.fake_input(dpy, X.KeyPress, code)
    dpy.sync()
    start = time.monotonic()
    changed = None
    while time.monotonic() - start < timeout_s:
        if grab(root, area) != before:
            changed = (time.monotonic() - start) * 1000.0
            break
    time.sleep(max(0.0, hold_ms / 1000.0 - (time.monotonic() - start)))
    xtest.fake_input(dpy, X.KeyRelease, code)
    dpy.sync()
    return changed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--key", default="j", help="the key to press (an X key name); default j, turn left")
    parser.add_argument("--presses", type=int, default=10)
    parser.add_argument("--area", default="48x48+588+360",
                        help="the part of the screen to watch, WxH+X+Y; default the own ship at 1024x768")
    parser.add_argument("--hold-ms", type=int, default=300, help="how long each press is held")
    parser.add_argument("--rest-ms", type=int, default=700, help="the pause between presses")
    args = parser.parse_args()
    if args.presses < 1:
        parser.error("--presses must be at least 1")
    try:
        area = parse_area(args.area)
    except ValueError:
        parser.error(f"--area \"{args.area}\" is not WxH+X+Y")

    dpy = display.Display()
    root = dpy.screen().root
    code = dpy.keysym_to_keycode(XK.string_to_keysym(args.key))
    if not code:
        parser.error(f"--key \"{args.key}\" is no key of this display")
    times = []
    for press in range(args.presses):
        ms = press_and_time(dpy, root, code, area, args.hold_ms, 6.0)
        print(f"press {press + 1}: " + (f"{ms:.1f} ms" if ms is not None else "no change within 6 s"))
        if ms is not None:
            times.append(ms)
        time.sleep(args.rest_ms / 1000.0)
    if not times:
        print("the screen never changed", file=sys.stderr)
        return 1
    print(f"median {statistics.median(times):.1f} ms, largest {max(times):.1f} ms, {len(times)} of {args.presses}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
