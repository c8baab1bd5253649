# Finding windows by title on the private X servers of the window tests; sourced (POSIX sh).
#
# Titles are read with xwininfo, which takes _NET_WM_NAME (UTF-8) before WM_NAME. `xdotool search
# --name` matches WM_NAME only when it is of type STRING, and under a UTF-8 locale SDL stores the
# WM_NAME of its message boxes as UTF8_STRING: xdotool then never sees them.

# windows_titled ERE: the ids of the windows on $DISPLAY whose whole title matches ERE, one a line.
windows_titled() {
    xwininfo -root -tree 2>/dev/null |
        sed -n 's/^ *\(0x[0-9a-fA-F]*\) "\(.*\)": (.*$/\1 \2/p' |
        grep -E "^0x[0-9a-fA-F]+ ($1)\$" |
        cut -d' ' -f1
}

# wait_for_window ERE SECONDS PID: prints the id of the first window titled ERE once one is there.
# Fails (status 1, nothing printed) when SECONDS pass first or the process PID ends without one.
wait_for_window() {
    _wfw_end=$(($(date +%s) + $2))
    while :; do
        _wfw_id=$(windows_titled "$1" | head -n 1)
        if [ -n "$_wfw_id" ]; then
            echo "$_wfw_id"
            return 0
        fi
        kill -0 "$3" 2>/dev/null || return 1
        [ "$(date +%s)" -lt "$_wfw_end" ] || return 1
        sleep 0.2
    done
}
