# Sourced by the capture tests for their full-disk case (bash).
# small_disk DIR NAME: mounts a 64 KiB tmpfs on DIR (made here) and unmounts it when the test exits.
# Only root may mount one here; elsewhere it says that NAME skipped the case and ends the test
# with status 0, so the full-disk case must come last.
small_disk() {
    mkdir -p "$1" || exit 1
    if [ "$(id -u)" -ne 0 ] || ! mount -t tmpfs -o size=64k tmpfs "$1" 2>/dev/null; then
        echo "$2: the full-disk case needs a tmpfs, which only root may mount here: skipped"
        exit 0
    fi
    # shellcheck disable=SC2064
    trap "umount '$1'" EXIT
}
