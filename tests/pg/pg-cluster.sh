#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the shared-register tests, never the machine's own:
#
#   pg-cluster.sh start <folder>   creates a cluster in <folder>/data and starts it, reachable only
#                                  on the unix socket <folder>/.s.PGSQL.5432 (no TCP), with the
#                                  superuser "quillmate_test" (no password from that socket) and
#                                  every other role signing in with a SCRAM password;
#   pg-cluster.sh stop <folder>    stops it and removes <folder>, whatever the tests did.
#
# PostgreSQL refuses to run as root: as root (CI) the cluster belongs to the "postgres" user that
# Debian's package creates; anyone else runs it as themselves.
set -euo pipefail
action=${1:?start or stop}
dir=${2:?folder}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)

as_owner() {
    if [[ $(id -u) -eq 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# Only a folder made by this user (or, as root, by postgres for us) is ours to stop and remove:
# the path under /tmp is predictable, so anything else found there is refused rather than trusted.
ours() {
    [[ ! -e "$dir" && ! -L "$dir" ]] && return 0
    [[ -d "$dir" && ! -L "$dir" ]] || return 1
    local owner
    owner=$(stat -c %U "$dir")
    [[ "$owner" == "$(id -un)" ]] || { [[ $(id -u) -eq 0 && "$owner" == postgres ]]; }
}

stop() {
    ours || { echo "pg-cluster: $dir is not this user's folder, left alone" >&2; exit 1; }
    if [[ -n "$bin" && -f "$dir/data/postmaster.pid" ]]; then
        # Only the server whose data folder is this one.
        pid=$(head -1 "$dir/data/postmaster.pid")
        if [[ "$pid" =~ ^[0-9]+$ ]] && tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -qF "$dir/data"; then
            as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop > /dev/null 2>&1 || true
        fi
    fi
    rm -rf "$dir"
}

if [[ "$action" == stop ]]; then
    stop
    exit 0
fi
[[ -n "$bin" && -x "$bin/initdb" ]] || { echo "pg-cluster: PostgreSQL is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
stop
mkdir -p "$dir"
[[ $(id -u) -eq 0 ]] && chown postgres: "$dir"
chmod 0700 "$dir"
as_owner "$bin/initdb" -D "$dir/data" -U quillmate_test --auth-local=scram-sha-256 --auth-host=reject \
    -E UTF8 --locale=C.UTF-8 > "$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
# The superuser of the tests comes in from the socket without a password; everyone else by SCRAM.
{
    echo "local all quillmate_test trust"
    echo "local all all scram-sha-256"
} | as_owner tee "$dir/data/pg_hba.conf" > /dev/null
as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c port=5432 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start > /dev/null || { cat "$dir/server.log" >&2; exit 1; }
# Anyone may reach the socket; the roles and passwords decide who gets in.
chmod 0755 "$dir"
as_owner "$bin/psql" -h "$dir" -p 5432 -U quillmate_test -d postgres -Atc "select version()"
