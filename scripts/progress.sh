# One line per phase for ./play and ./test: what is being done, then how it
# ended. A command's own output goes to a log under build/log/; a failure
# prints the part that tells why, and the log's path. Sourced, not run.

# A compiler cache, where there is one, works across checkouts of the tree.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

progress_log() {
    mkdir -p build/log
    echo "build/log/$1.log"
}

progress_tty() { [ -t 1 ]; }

progress_begin() {
    printf '%s…' "$1"
}

# progress_end START STATUS LOG: closes the phase's line; on a failure prints
# the first failing step (a build's) or the end of the log, and the log's path.
progress_end() {
    local start="$1" status="$2" log="$3"
    if [ "$status" -eq 0 ]; then
        printf ' 完成（%d 秒）\n' $((SECONDS - start))
        return 0
    fi
    printf ' 失败。\n'
    if grep -q '^FAILED: ' "$log"; then
        # awk reads to the end: head could cut sed off, and pipefail would then end the script.
        sed -n '/^FAILED: /,$p' "$log" | awk 'NR <= 80'
    else
        tail -n 60 "$log"
    fi
    printf '完整的输出在 %s\n' "$log"
    return "$status"
}

# progress_run LABEL LOGNAME COMMAND...
progress_run() {
    local label="$1" log start status=0
    log="$(progress_log "$2")"
    shift 2
    start=$SECONDS
    progress_begin "$label"
    "$@" >"$log" 2>&1 || status=$?
    progress_end "$start" "$status" "$log"
}

# progress_build LABEL LOGNAME TREE [--target TARGET...]
#   cmake --build with ninja's count of steps: on a terminal the line counts
#   up as the steps finish.
progress_build() {
    local label="$1" log start status
    log="$(progress_log "$2")"
    local tree="$3"
    shift 3
    start=$SECONDS
    progress_begin "$label"
    set +e
    NINJA_STATUS='[%f/%t] ' cmake --build "$tree" "$@" 2>&1 | tee "$log" | progress_count "$label"
    status=${PIPESTATUS[0]}
    set -e
    local steps
    steps="$(sed -n 's/^\[\([0-9]*\/[0-9]*\)\] .*/\1/p' "$log" | tail -n 1)"
    if progress_tty; then
        printf '\r%s' "$label"
    fi
    [ -n "$steps" ] && printf '（%s 步）' "$steps"
    progress_end "$start" "$status" "$log"
}

progress_count() {
    local line
    while IFS= read -r line; do
        if progress_tty && [[ "$line" =~ ^\[([0-9]+/[0-9]+)\]\  ]]; then
            printf '\r%s：%s' "$1" "${BASH_REMATCH[1]}"
        fi
    done
}
