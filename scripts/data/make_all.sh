#!/bin/sh
# Regenerate every file under data/ in place (Debian's Python: Pillow + NumPy).
cd "$(dirname "$0")/../.." && /usr/bin/python3 scripts/data/make_textures.py data && /usr/bin/python3 scripts/data/make_model.py data/3DModel/julii.wrl
