#!/bin/sh
# large_photos.sh LIVE PHOTO-MAKER DATA [SECONDS]: the live harness of a build
# from a data folder of links in which every texture is one 8000 x 6000
# photo-like JPEG, made here; prints the harness's figures and its peak
# resident memory. Run under an X server (pelmora-test-display run).
set -eu
live=$1
maker=$2
data=$3
seconds=${4:-2}
folder=$(mktemp -d /tmp/pelmora-large-photos-XXXXXX)
trap 'rm -rf "$folder"' EXIT
"$maker" "$folder/photo.jpg" 8000 6000
mkdir "$folder/data" "$folder/data/texture" "$folder/data/textures" "$folder/data/3DModel"
ln -s "$data/3DModel/julii.wrl" "$folder/data/3DModel/julii.wrl"
for slot in texture/water.jpg texture/boden1.jpg texture/boden2.jpg texture/boden1.JPG textures/wall.jpg; do
  ln -s "$folder/photo.jpg" "$folder/data/$slot"
done
echo "photo: 8000 x 6000, $(stat -c %s "$folder/photo.jpg") bytes, in all five texture slots"
cd "$folder/data"
/usr/bin/time -f "peak resident memory: %M KB" "$live" "$seconds"
