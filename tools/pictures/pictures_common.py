"""What every picture generator shares: the graphics folder named by --out and
the way PNGs are written into it (the same settings give the same bytes)."""

import argparse
import os


def graphics_folder(description=None):
    """Parses --out <resources folder> and makes its graphics folder."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--out", required=True, help="the resources folder")
    args = parser.parse_args()
    folder = os.path.join(args.out, "graphics")
    os.makedirs(folder, exist_ok=True)
    return folder


def write_png(image, folder, name):
    """Writes a PIL image as folder/name. Only 8-bit RGB or RGBA: the engine
    uploads no other depth."""
    if image.mode not in ("RGB", "RGBA"):
        raise ValueError("%s: a %s picture; the engine uploads only RGB or RGBA" % (name, image.mode))
    image.save(os.path.join(folder, name), optimize=False, compress_level=6)
