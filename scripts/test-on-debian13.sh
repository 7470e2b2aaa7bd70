#!/usr/bin/env bash
# The long run on Debian 13 (trixie): makes a fresh Debian 13 root with
# debootstrap, clones the current commit of this repository into it and runs
# the README's test command there, as on a fresh machine of that release.
# Ends with that command's status, after its totals. 20 minutes on 2 idle
# cores, over an hour on busy ones.
#
#   scripts/test-on-debian13.sh [ROOT]      # ROOT defaults to build/debian13-root
#
# Everything that the run mounts lives in a mount namespace of its own, so it
# is gone when the run ends, however it ends; nothing is mounted outside.
# Uncommitted changes are not part of the run: it tests the commit.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$@"
fi

release=trixie
source=$(pwd)
root=$(realpath -m "${1:-$source/build/debian13-root}")
log=$root.log
commit=$(git rev-parse HEAD)
inside=/src/pelmora

# Debian's own tools, from Debian's archive: debootstrap, and the keyring that
# holds the new release's signing keys for it to check the archive with.
missing=()
for package in debootstrap debian-archive-keyring; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# The Debian archive that this machine's apt sources name (not its security archive).
mirror=$(apt-get indextargets --format '$(REPO_URI)' 'Identifier: Packages' 'Origin: Debian' 'Label: Debian' | head -n 1)
if [ -z "$mirror" ]; then
  echo "debian13: this machine's apt sources name no Debian archive (run apt-get update first?)" >&2
  exit 2
fi

# A root left by an earlier run is removed first; its mounts died with that
# run, and one still there would mean a run that is not over: stop then.
if findmnt -rn -o TARGET | grep -q "^$root/"; then
  echo "debian13: something is still mounted below $root; is another run going on?" >&2
  exit 2
fi
rm -rf --one-file-system "$root"
mkdir -p "$root"

# Runs a command in the root with /proc, /sys and /dev of this machine, in a
# mount namespace that ends with it.
in_root() {
  unshare --mount --fork /bin/bash -c '
    set -e
    root=$1
    shift
    mount --make-rprivate /
    mount --rbind /proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount --bind /dev/shm "$root/dev/shm"
    exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
  ' in-root "$root" "$@"
}

echo "debian13: making a $release root in $root from $mirror"
unshare --mount --fork debootstrap --variant=minbase "$release" "$root" "$mirror"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

# git itself is the one thing the test command cannot install before it has the sources.
in_root /bin/sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git ca-certificates'
git clone --quiet --no-checkout "$source" "$root$inside"
git -C "$root$inside" checkout --quiet --detach "$commit"

echo "debian13: running scripts/test.sh at $commit; its output is also in $log"
set +e
in_root /bin/sh -c "cd $inside && scripts/test.sh" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e

# The totals of each test step (plain, then sanitized), and of both.
passed=0
failed=0
while read -r total_failed total; do
  passed=$((passed + total - total_failed))
  failed=$((failed + total_failed))
done < <(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\1 \2/p' "$log")
echo
echo "debian13: test steps run:"
grep -E '^[0-9]+% tests passed' "$log" | sed 's/^/  /' || echo "  none"
echo "debian13: $passed passed, $failed failed"
echo "debian13: scripts/test.sh ended with status $status"
exit "$status"
