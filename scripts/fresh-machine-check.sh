#!/usr/bin/env bash
# The README's two commands as a new user meets them: in a minimal Debian 12 root made with
# debootstrap, holding a clean clone of this repository's HEAD and nothing but what the project's
# own scripts install, under LANG=C.UTF-8; then the test command once more with no locale at all.
# Prints the status and time of each, and checks that the test runs wrote nothing into the home.
# Slow (an hour or more on two cores), so not part of `make test`. Needs root (debootstrap, chroot,
# mounts) and a Debian mirror.
#
#   fresh-machine-check.sh [--keep] [WORK_DIR]     (default WORK_DIR: /var/tmp/vexa-rhino-fresh)
#
# The root has Debian's minimal base and make, the one program the README's commands start from.
# Its logs stay in WORK_DIR/logs; the root itself is removed afterwards unless --keep is given.
# Environment: DEBIAN_MIRROR (default http://deb.debian.org/debian).
set -euo pipefail

usage() {
    echo "usage: fresh-machine-check.sh [--keep] [WORK_DIR]"
}

keep=0
work=/var/tmp/vexa-rhino-fresh
while [ $# -gt 0 ]; do
    case $1 in
    --keep) keep=1 ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) work=$1 ;;
    esac
    shift
done

[ "$(id -u)" -eq 0 ] || { echo "fresh-machine-check: needs root (debootstrap, chroot, mounts)" >&2; exit 1; }
repo=$(cd "$(dirname "$0")/.." && pwd)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
root=$work/root
logs=$work/logs

if ! command -v debootstrap >/dev/null; then
    echo "fresh-machine-check: installing debootstrap"
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
fi

unmount_all() {
    for m in dev/shm dev/pts dev sys proc; do
        mountpoint -q "$root/$m" && umount -l "$root/$m"
    done
    return 0
}
cleanup() {
    unmount_all
    if [ "$keep" = 0 ]; then
        rm -rf "$root"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

unmount_all
rm -rf "$root" "$logs"
mkdir -p "$root" "$logs"

# Seconds and status of one step, as a table row.
results=()
step() {  # NAME COMMAND...
    local name=$1 start=$SECONDS status=0
    shift
    echo "fresh-machine-check: $name (log: $logs/$name.log)"
    "$@" >"$logs/$name.log" 2>&1 || status=$?
    local took=$((SECONDS - start))
    results+=("| $name | $status | $((took / 60)) min $((took % 60)) s |")
    if [ "$status" -ne 0 ]; then
        echo "fresh-machine-check: $name failed with status $status; the end of its log:" >&2
        tail -n 40 "$logs/$name.log" >&2
    fi
    return 0
}

# The user's shell in the new root: a clean environment, the locale given or none.
in_root() {  # LOCALE|unset COMMAND
    local locale=()
    [ "$1" = unset ] || locale=("LANG=$1")
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "${locale[@]}" \
        /bin/bash -c "cd /work/vexa-rhino && $2"
}

step debootstrap debootstrap --variant=minbase --include=make bookworm "$root" "$mirror"
[ -x "$root/usr/bin/make" ] || { printf '%s\n' "${results[@]}"; exit 1; }

mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs shm "$root/dev/shm"
cp /etc/resolv.conf "$root/etc/resolv.conf"
chmod 1777 "$root/tmp"
mkdir -p "$root/work"
git clone -q --no-hardlinks "$repo" "$root/work/vexa-rhino"
commit=$(git -C "$root/work/vexa-rhino" rev-parse --short HEAD)

step make-run in_root C.UTF-8 "make run"
# The show itself may keep its caches in the home (make run did); the suite may not write there.
touch "$work/before-tests"
step make-test in_root C.UTF-8 "make test"
step make-test-no-locale in_root unset "make test"
home_written() {
    local written
    written=$(find "$root/root" -newer "$work/before-tests" | sed "s|^$root||")
    [ -z "$written" ] || { echo "the test runs wrote into the home:"; echo "$written"; return 1; }
}
step home-untouched-by-tests home_written

echo
echo "Fresh Debian 12 root (debootstrap minbase + make), clean clone of $commit, $(nproc) cores:"
echo
echo "| step | status | time |"
echo "|---|---|---|"
printf '%s\n' "${results[@]}"
for row in "${results[@]}"; do
    case $row in "| "*" | 0 | "*) ;; *) exit 1 ;; esac
done
