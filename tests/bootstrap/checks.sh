# Shared by the shell tests of the delivery road: sourced, not run.
failures=0
check() { # WHAT COMMAND...
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}
wait_for() { # FILE SECONDS: until it exists and is not empty
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
