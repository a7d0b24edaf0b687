#!/usr/bin/python3
"""Contact sheet of the show: one frame from the middle of every section of the
music (and one of the closing card after it), rendered from the packed resources.7z by the development runner under
the current X display, in one picture with each frame's section and time under it.

    contactsheet.py --build <build dir> [--out sheet.png] [--size 480x270]
                    [--columns 4] [--check]

The sections come from the timeline source (content/timeline/show.timeline):
its own "section" statements and those of the arrangement it names. With
--check the frames are tested as well: none is blank or of one colour, and
frames of neighbouring sections differ. Exit status 1 when a check fails or a
frame is missing.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image, ImageDraw, ImageFont

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
TIMELINE = os.path.join(SOURCE, "content", "timeline", "show.timeline")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

# A frame passes when its luminance varies this much (0-255) ...
MIN_SPREAD = 6.0
# ... at least this share of it is not black ...
MIN_LIT = 0.05
# ... and it differs from the frames of the sections beside it by this much.
MIN_DIFFERENCE = 6.0


def read_statements(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            words = line.split("#", 1)[0].split()
            if words:
                yield words


def sections_of(timeline):
    """(name, start ms, end ms) of every section with a length, in time order."""
    tempo, beats = 120.0, 4
    found = []

    def add(words, tempo, beats):
        if len(words) >= 4 and words[0] == "section":
            bar_ms = beats * 60000.0 / tempo
            start, bars = int(words[2]), int(words[3])
            found.append((words[1], start * bar_ms, (start + bars) * bar_ms))

    for words in read_statements(timeline):
        if words[0] == "tempo":
            tempo = float(words[1])
        elif words[0] == "beats_per_bar":
            beats = int(words[1])
        elif words[0] == "arrangement":
            path = os.path.join(os.path.dirname(timeline), words[1])
            a_tempo, a_beats = tempo, beats
            for w in read_statements(path):
                if w[0] == "tempo":
                    a_tempo = float(w[1])
                elif w[0] == "beats_per_bar":
                    a_beats = int(w[1])
            tempo, beats = a_tempo, a_beats
            for w in read_statements(path):
                add(w, tempo, beats)
        elif words[0] == "instance":
            break
        else:
            add(words, tempo, beats)
    return sorted(found, key=lambda s: s[1])


def render(build, shots, size):
    """Runs the show from its archive in a scratch folder; the frames as arrays."""
    devrun = os.path.join(build, "tools", "devrun", "devrun")
    archive = os.path.join(build, "show", "resources.7z")
    with tempfile.TemporaryDirectory() as work:
        shutil.copy(archive, work)
        args = [devrun, "--mode", "1", "--size", "%dx%d" % size]
        files = []
        for i, ms in enumerate(shots):
            files.append(os.path.join(work, "frame%02d.png" % i))
            args += ["--shot", "%.3f" % (ms / 1000.0), files[-1]]
        run = subprocess.run(args, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        frames = []
        for f in files:
            frames.append(np.asarray(Image.open(f).convert("RGB")) if os.path.exists(f) else None)
        return run.returncode, run.stdout, frames


def clock(ms):
    s = ms / 1000.0
    return "%d:%04.1f" % (int(s // 60), s - 60 * int(s // 60))


def compose(sections, shots, frames, size, columns):
    w, h = size
    caption = 30
    rows = (len(frames) + columns - 1) // columns
    pad = 8
    sheet = Image.new("RGB", (columns * (w + pad) + pad, rows * (h + caption + pad) + pad), (16, 16, 20))
    draw = ImageDraw.Draw(sheet)
    font = ImageFont.truetype(FONT, 17)
    for i, frame in enumerate(frames):
        x = pad + (i % columns) * (w + pad)
        y = pad + (i // columns) * (h + caption + pad)
        if frame is not None:
            sheet.paste(Image.fromarray(frame), (x, y))
        else:
            draw.rectangle([x, y, x + w - 1, y + h - 1], outline=(255, 0, 0))
        draw.text((x + 4, y + h + 5), "%s  %s" % (sections[i][0], clock(shots[i])), fill=(235, 235, 235), font=font)
    return sheet


def check(sections, frames):
    problems = []
    grey = [None if f is None else f.astype(np.float64) @ [0.299, 0.587, 0.114] for f in frames]
    for (name, _, _), g in zip(sections, grey):
        if g is None:
            problems.append("%s: no frame" % name)
            continue
        if g.std() < MIN_SPREAD:
            problems.append("%s: the frame is of one colour (spread %.1f)" % (name, g.std()))
        if (g > 12).mean() < MIN_LIT:
            problems.append("%s: the frame is black (%.0f%% lit)" % (name, 100 * (g > 12).mean()))
    for i in range(1, len(frames)):
        a, b = frames[i - 1], frames[i]
        if a is None or b is None:
            continue
        d = np.abs(a.astype(np.float64) - b.astype(np.float64)).mean()
        if d < MIN_DIFFERENCE:
            problems.append("%s and %s look alike (difference %.1f)" % (sections[i - 1][0], sections[i][0], d))
    return problems


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--build", required=True)
    p.add_argument("--out", default="contact-sheet.png")
    p.add_argument("--size", default="480x270")
    p.add_argument("--columns", type=int, default=4)
    p.add_argument("--timeline", default=TIMELINE)
    p.add_argument("--check", action="store_true")
    a = p.parse_args()
    a.build = os.path.abspath(a.build)
    size = tuple(int(v) for v in a.size.split("x"))

    sections = sections_of(a.timeline)
    if not sections:
        print("contactsheet: %s names no sections" % a.timeline)
        return 1
    shots = [(start + end) / 2.0 for _, start, end in sections]
    # And the closing card that the show holds after the music.
    sections.append(("closing card", sections[-1][2], sections[-1][2]))
    shots.append(sections[-1][1] + 4000.0)
    status, log, frames = render(a.build, shots, size)
    compose(sections, shots, frames, size, a.columns).save(a.out)
    print("contactsheet: %d frames in %s" % (len(frames), a.out))
    problems = []
    if status != 0:
        problems.append("the show ended with status %d" % status)
    for line in log.splitlines():
        if "not found" in line or line.startswith("[GL_ERROR"):
            problems.append("the show printed: " + line)
    if a.check:
        problems += check(sections, frames)
    for problem in problems:
        print("contactsheet: " + problem)
    if problems:
        print(log)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
