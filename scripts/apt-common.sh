# What scripts/setup.sh and scripts/wine32-setup.sh share: messages, the
# package queries and an apt-get update that survives a mirror in flux.
# Sourced; sets SUDO and a scratch folder removed at exit.

say() { echo "setup: $*"; }
die() { echo "setup: $*" >&2; exit 1; }

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
scratch=$(mktemp -d "${TMPDIR:-/tmp}/larkspire-setup.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM

# installed PACKAGE: whether dpkg has it installed and configured.
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'
}

# The last error apt-get or dpkg wrote into a log, on one line.
last_error() {
    line=$(grep '^E: ' "$1" | tail -n 1 | sed 's/^E: //')
    [ -n "$line" ] || line=$(grep -v '^[[:space:]]*$' "$1" | tail -n 1)
    printf '%s' "${line:-no message}"
}

# A package installation that an earlier run left unfinished (interrupted,
# or a machine that went down) makes apt-get refuse everything: finish it.
finish_interrupted_dpkg() {
    if [ -n "$(dpkg --audit 2>/dev/null)" ]; then
        say "finishing the package installation an earlier run left unfinished"
        $SUDO dpkg --configure -a >"$scratch/configure.log" 2>&1 ||
            die "dpkg --configure -a failed: $(last_error "$scratch/configure.log")"
    fi
}

# apt_update COMMAND...: COMMAND update (apt-get with its options, sudo
# before it where needed), tried LS_APT_TRIES times (3) with a pause of
# LS_APT_PAUSE seconds (5) between. Returns 1 when every try failed, with
# update_failed naming the indexes that could not be fetched (one line); the
# lists that did arrive stay usable.
update_failed=
apt_update() {
    tries=0
    while :; do
        tries=$((tries + 1))
        if "$@" update -qq >"$scratch/update.log" 2>&1; then
            update_failed=
            return 0
        fi
        [ "$tries" -lt "${LS_APT_TRIES:-3}" ] || break
        sleep "${LS_APT_PAUSE:-5}"
    done
    # "E: Failed to fetch URL  Reason. More [IP: ...]": the index by its
    # suite and file, and the reason's first sentence.
    update_failed=$(sed -n 's/^E: Failed to fetch \([^ ]*\)  *\(.*\)/\1 (\2/p' "$scratch/update.log" |
                    sed -e 's/ *\[IP: [^]]*\]//' -e 's/\. .*//' -e 's/\.$//' -e 's/$/)/' \
                        -e 's|^[a-z]*://[^ ]*/dists/||' | sort -u | paste -sd';' - | sed 's/;/; /g')
    [ -n "$update_failed" ] || update_failed="every index ($(last_error "$scratch/update.log"))"
    return 1
}

# The system's apt-get update; a failure is only a warning here, since the
# packages' own checks say what cannot be had.
apt_update_system() {
    apt_update $SUDO apt-get ||
        say "warning: apt-get update failed for $update_failed; going on with the package lists there are"
}

# installable PACKAGE...: whether apt-get could install them all from the
# lists it has (a simulation, no rights needed; APT_CONFIG may name another
# configuration). Else not_installable names what stands in the way, on one
# line. The simulation's log stays in $scratch/simulate.log.
not_installable=
installable() {
    if apt-get -s install --no-install-recommends "$@" >"$scratch/simulate.log" 2>&1; then
        return 0
    fi
    missing=$(sed -n -e 's/^E: Unable to locate package \(.*\)/\1/p' \
                     -e "s/^E: Package '\\(.*\\)' has no installation candidate/\\1/p" \
                     -e "s/^E: Version '\\(.*\\)' for '\\(.*\\)' was not found/\\2 \\1/p" "$scratch/simulate.log" |
              paste -sd' ' -)
    if [ -n "$missing" ]; then
        not_installable="$missing: not in the package lists"
    else
        # Unmet dependencies: " pkg : Depends: other but it is not ...",
        # one of the architecture asked for where one was.
        arch=$(printf '%s\n' "$@" | sed -n 's/^[^:=]*\(:[a-z0-9]*\)$/\1/p' | head -n 1)
        broken=$(sed -n "s/^ *\([^ ]*$arch\) : Depends: \(.*\)/\1 (needs \2)/p" "$scratch/simulate.log" | head -n 1)
        not_installable="$*: ${broken:-$(last_error "$scratch/simulate.log")}"
    fi
    return 1
}
