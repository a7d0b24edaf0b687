#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus (tests/fuzz/corpus/<target>/) from the
show's own resources (<build>/show/resources, made by the target
show_resources) and the test production's (tests/production/resources).
Small files only: the corpus is kept in the repository.

    tests/fuzz/seed.py --build build-test
"""
import argparse
import os
import shutil
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
TEST_SHOW = os.path.join(SOURCE, "tests", "production", "resources")
TEST_DATA = os.path.join(SOURCE, "tests", "data")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def small(folder, suffix, limit, count):
    names = sorted(n for n in os.listdir(folder) if n.endswith(suffix))
    names = [n for n in names if os.path.getsize(os.path.join(folder, n)) <= limit]
    return sorted(names, key=lambda n: os.path.getsize(os.path.join(folder, n)))[:count]


def tracks(folder):
    index = read(os.path.join(folder, "index.list"))
    return struct.pack("<H", len(index)) + index + read(os.path.join(folder, "track.data"))


def archive(files, options):
    """A 7z archive of (path below resources/, bytes) pairs."""
    with tempfile.TemporaryDirectory() as work:
        for name, data in files:
            path = os.path.join(work, "resources", name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        names = ["resources/" + name for name, _ in files]
        subprocess.run(["7z", "a", "-bd", "-y"] + options + ["seed.7z"] + names, cwd=work, check=True,
                       stdout=subprocess.DEVNULL)
        return read(os.path.join(work, "seed.7z"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="build folder holding show/resources")
    show = os.path.join(parser.parse_args().build, "show", "resources")
    if not os.path.isdir(show):
        raise SystemExit("no %s: build the target show_resources first" % show)
    shutil.rmtree(os.path.join(HERE, "corpus"), ignore_errors=True)

    put("png", "test-tint.png", read(os.path.join(TEST_SHOW, "graphics", "tint.png")))
    for name in small(os.path.join(show, "graphics"), ".png", 4096, 5):
        put("png", "show-" + name, read(os.path.join(show, "graphics", name)))

    put("mp3", "test-tone.mp3", read(os.path.join(TEST_SHOW, "sound", "tone.mp3")))
    for name in os.listdir(os.path.join(show, "sound")):
        # The opening of the music only.
        put("mp3", "show-start-" + name, read(os.path.join(show, "sound", name))[:16384])

    put("objectfile", "show-hqpoly.vbo", read(os.path.join(show, "objects", "hqpoly.vbo")))

    put("tracks", "test-tracks", tracks(os.path.join(TEST_SHOW, "tracks")))
    put("tracks", "show-tracks", tracks(os.path.join(show, "tracks")))

    shaders = os.path.join(TEST_SHOW, "shaders")
    common = b"\0common.glsl\n" + read(os.path.join(shaders, "common.glsl"))
    for name in sorted(os.listdir(shaders)):
        data = read(os.path.join(shaders, name))
        put("shader", "test-" + name, data + (common if b"#include" in data else b""))
    put("shader", "nested", b"#version 150\n#include a.glsl\nvoid main() {}\n\0a.glsl\n#include b.glsl\n"
        b"#include b.glsl\n\0b.glsl\nfloat b;\n")
    for name in small(os.path.join(show, "shaders"), "", 1024, 8):
        put("shader", "show-" + name, read(os.path.join(show, "shaders", name)))

    put("ivf", "test-moving-34x18.ivf", read(os.path.join(TEST_DATA, "video", "moving-34x18.ivf")))

    test_files = []
    for sub in ("shaders", "graphics", "tracks"):
        for name in sorted(os.listdir(os.path.join(TEST_SHOW, sub))):
            test_files.append((sub + "/" + name, read(os.path.join(TEST_SHOW, sub, name))))
    put("archive", "test-stored.7z", archive(test_files, ["-mx=0"]))
    put("archive", "test-lzma2.7z", archive(test_files, ["-mx=9", "-m0=lzma2"]))
    show_files = [("tracks/" + n, read(os.path.join(show, "tracks", n))) for n in ("index.list", "track.data")]
    show_files += [("shaders/" + n, read(os.path.join(show, "shaders", n))) for n in ("Copy.vert", "Copy.frag")]
    put("archive", "show-lzma.7z", archive(show_files, ["-mx=9", "-m0=lzma", "-ms=on"]))


if __name__ == "__main__":
    main()
