# shellcheck shell=bash
# Shared by make-guest and run-cases: where the emulated PC lives, its lock
# and the host packages it needs.

emulated_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_root=$(cd "$emulated_dir/../.." && pwd)
state=${EMULATED_PC_DIR:-$repo_root/build/emulated-pc}
mkdir -p "$state"
state=$(cd "$state" && pwd)

say() { echo "emulated-pc: $*"; }

# Installs host packages that are missing (Debian 12, as root), with the
# project's own install step.
need_packages() {
    "$repo_root/scripts/install-deps" "$@"
}

# One user of the guest image at a time: the guest writes its Wine prefixes
# there. Held on fd 9 and passed to children, which then need not take it.
take_lock() {
    [ "${EMULATED_PC_LOCKED:-}" = "$state" ] && return 0
    exec 9>>"$state/lock"
    if ! flock -n 9; then
        say "waiting for another run of the emulated PC to end"
        flock 9
    fi
    export EMULATED_PC_LOCKED=$state
}
