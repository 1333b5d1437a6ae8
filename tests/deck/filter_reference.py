#!/usr/bin/python3
"""The speaker filters as scipy designs and runs them: an independent reference
for the deck's own filter code.

    filter_reference.py CASES INPUT OUTPUT CHANNELS

CASES holds one filter a line: "type band highHz lowHz order rippleDb rate",
with the deck's numbers (type 1 Butterworth, 2 Chebyshev; band 1 high pass,
2 low pass, 3 band pass). INPUT is interleaved little-endian int16 of CHANNELS
channels. For every filter, in order, OUTPUT gets INPUT run through scipy's
butter/cheby1 design (second-order sections) by sosfilt in double precision,
each channel on its own, limited to the int16 range and truncated toward zero
as the deck stores its samples. A design scipy cannot make in double
precision (an overflowing gain, at high orders) writes a line "unusable: N" to stderr and
zeros to OUTPUT.

    filter_reference.py --rate SAMPLES ORDER

prints the samples per second of sosfilt on an order-ORDER Butterworth band
pass over SAMPLES samples of one channel, for the deck's benchmark.
"""
import sys
import time

import numpy as np
from scipy import signal


def design(kind, band, high, low, order, ripple, rate):
    btype, edges = {1: ("highpass", high), 2: ("lowpass", low), 3: ("bandpass", [high, low])}[band]
    if kind == 1:
        return signal.butter(order, edges, btype, fs=rate, output="sos")
    return signal.cheby1(order, ripple, edges, btype, fs=rate, output="sos")


def run(cases_path, input_path, output_path, channels):
    x = np.fromfile(input_path, dtype="<i2").reshape(-1, channels).astype(np.float64)
    with open(cases_path) as cases, open(output_path, "wb") as out:
        for number, line in enumerate(cases):
            kind, band, high, low, order, ripple, rate = line.split()
            with np.errstate(all="ignore"):
                try:
                    sos = design(int(kind), int(band), int(high), int(low), int(order), float(ripple), float(rate))
                except (ArithmeticError, ValueError):
                    sos = np.full((1, 6), np.nan)
                usable = np.all(np.isfinite(sos))
                y = signal.sosfilt(sos, x, axis=0) if usable else np.zeros_like(x)
            if not usable or not np.all(np.isfinite(y)):
                print("unusable:", number, file=sys.stderr)
                y = np.zeros_like(x)
            np.trunc(np.clip(y, -32768, 32767)).astype("<i2").tofile(out)


def rate(samples, order):
    sos = signal.butter(order, [2000, 40000], "bandpass", fs=192000, output="sos")
    x = np.random.default_rng(1).integers(-32768, 32767, samples).astype(np.float64)
    start = time.perf_counter()
    signal.sosfilt(sos, x)
    print(samples / (time.perf_counter() - start))


if __name__ == "__main__":
    if sys.argv[1] == "--rate":
        rate(int(sys.argv[2]), int(sys.argv[3]))
    else:
        run(sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]))
