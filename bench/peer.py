#!/usr/bin/env python3
"""The analysis vibfrf does, written plainly with numpy and scipy: the peer it is timed against.

    peer.py FORCE_FILE ACCEL_FILE OUT_DIR [MEAN_CHOICE WINDOW_CHOICE HIGHPASS]

Reads the two time histories, and writes the same 22 tables into OUT_DIR with numpy.savetxt
(numpy writes two exponent digits where vibfrf writes three; the numbers are the same analysis).
"""
import os
import sys

import numpy as np
import scipy.fft

MAX_RECORDS = 262144


def read_record(path):
    data = np.loadtxt(path, ndmin=2)[:MAX_RECORDS]
    times, amplitudes = data[:, 0], data[:, 1].astype(np.float32).astype(np.float64)
    m = 1 << int(np.floor(np.log2(len(amplitudes))))
    span = times[m - 1] - times[0]
    return {"x": amplitudes[:m].copy(), "ave": amplitudes.mean(), "m": m,
            "dt": span / (m - 1), "df": 1.0 / span}


def spectrum(record, channel, mean_choice, window_choice, highpass):
    x, m = record["x"], record["m"]
    if mean_choice == 1:
        x = x - record["ave"]
    if window_choice == 2:
        k = np.arange(m)
        x = x * np.sin(k * np.pi / m) ** 2 * np.sqrt(8.0 / 3.0)
    lines = scipy.fft.fft(x) / m
    f = np.arange(m) * record["df"]
    if channel == 2:
        divide = f > 0.00001
        lines[divide] /= (2 * np.pi * f[divide]) ** 2
    lines[f < highpass] = 0
    lines[0] = 0
    return f, lines.astype(np.complex64).astype(np.complex128)


def save(out, name, columns, fmt):
    np.savetxt(os.path.join(out, name), np.column_stack(columns), fmt=fmt)


def main(argv):
    force, accel, out = argv[1:4]
    mean_choice, window_choice, highpass = (int(argv[4]), int(argv[5]), float(argv[6])) if len(argv) > 6 else (2, 1, 0.0)
    os.makedirs(out, exist_ok=True)
    e3, e2, g3 = "%15.6e %15.6e %15.6e ", "%15.6e %15.6e ", "%12.4g %12.4g %12.4g "
    spectra = []
    for channel, path in ((1, force), (2, accel)):
        record = read_record(path)
        f, a = spectrum(record, channel, mean_choice, window_choice, highpass)
        magnitude = np.abs(a)
        half = record["m"] // 2
        one_sided = magnitude[:half] * np.where(np.arange(half) == 0, 1.0, 2.0)
        save(out, f"fft_{channel}.out", (f, a.real, a.imag), e3)
        save(out, f"fft_half_{channel}.out", (f, magnitude), e2)
        save(out, f"fft_full_{channel}.out", (f[:half], one_sided), e2)
        spectra.append((f, a, record))
    (f, a, _), (_, b, record_b) = spectra
    sab, sba = np.conj(a) * b, np.conj(b) * a
    saa, sbb = np.abs(a) ** 2, np.abs(b) ** 2
    zero = np.zeros_like(f)
    for name, s in (("sab", sab), ("sba", sba), ("saa", saa + 0j), ("sbb", sbb + 0j)):
        save(out, f"cross_spectrum_{name}.out", (f, s.real, s.imag), g3)
    half = len(f) // 2
    g = {name: 2 * s[:half] for name, s in (("gab", sab), ("gba", sba), ("gaa", saa + 0j), ("gbb", sbb + 0j))}
    for name, s in g.items():
        save(out, f"cross_spectrum_{name}.out", (f[:half], s.real, s.imag), "%12.5g %12.4g %12.4g ")
    with np.errstate(divide="ignore", invalid="ignore"):
        h1, h2 = g["gab"] / g["gaa"], g["gbb"] / g["gba"]
        zeroed = (f[:half] < highpass) | (np.arange(half) == 0)
        h1[zeroed], h2[zeroed] = 0, 0
        coherence = np.where(zeroed, 0.0, (h1 / h2).real)
    for name, h in (("H1", h1), ("H2", h2)):
        save(out, f"{name}.out", (f[:half], h.real, h.imag), "%12.5g %12.4g %12.4g ")
        save(out, f"{name}_mp.out", (f[:half], np.abs(h), np.degrees(np.angle(h))), "%12.5g %12.4g %12.4g ")
    save(out, "coherence.out", (f[:half], coherence), "%12.5g %12.4g ")
    m = record_b["m"]
    frf = np.zeros(m, dtype=np.complex128)
    frf[:half] = h1
    frf[m - 1 - np.arange(half)] = np.conj(h1)
    impulse = scipy.fft.ifft(frf) * m
    impulse[0] = 0
    i = np.arange(m)
    taper = i > 0.95 * m
    impulse[taper] *= 20.0 * (m - i[taper]) / m
    t = i * record_b["dt"]
    save(out, "complex_impulse_h1.out", (t, impulse.real, impulse.imag), e3)
    save(out, "impulse_h1.out", (t, impulse.real), "%15.6e %15.6e  ")
    open(os.path.join(out, "temp2.out"), "w").close()
    del zero


if __name__ == "__main__":
    main(sys.argv)
