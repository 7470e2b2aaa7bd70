"""Crops a picture of the pool to the square around its scene and writes it at
every icon size of the hicolor theme, as SIDExSIDE/NAME.png below a folder."""

import os
import sys

from PIL import Image

SIDES = (16, 22, 24, 32, 48, 64, 128, 256, 512)

# The background the renderer clears to is black; anything brighter is scene.
SCENE_LEVEL = 12

# A little room around the scene, as a share of its larger side.
MARGIN = 0.02


def scene_square(picture):
    """The square box, centred on the scene's bounding box, that holds it."""
    mask = picture.convert("L").point(lambda level: 255 if level > SCENE_LEVEL else 0)
    left, top, right, bottom = mask.getbbox()
    side = max(right - left, bottom - top)
    side = int(side * (1 + 2 * MARGIN))
    centre_x = (left + right) // 2
    centre_y = (top + bottom) // 2
    return (centre_x - side // 2, centre_y - side // 2, centre_x - side // 2 + side, centre_y - side // 2 + side)


def main(source, folder, name):
    picture = Image.open(source).convert("RGB")
    square = picture.crop(scene_square(picture))
    for side in SIDES:
        target = os.path.join(folder, f"{side}x{side}")
        os.makedirs(target, exist_ok=True)
        path = os.path.join(target, name + ".png")
        square.resize((side, side), Image.LANCZOS).save(path + ".part", "PNG", optimize=True)
        os.replace(path + ".part", path)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: make_icons.py PICTURE FOLDER NAME")
    main(sys.argv[1], sys.argv[2], sys.argv[3])
