#!/usr/bin/env bash
# The demo: a whole deployment by varnik-loader from a sample platform on
# this machine, twice. Run by ./dev demo after the native build.
#
#   run-demo.sh BUILD_DIR
#
# BUILD_DIR is the native build (varnik-loader and varnik-demo-client in
# it). The demo's files go to BUILD_DIR/demo: the content served, the
# platform's state (its signing CA and certificates, made anew each run and
# never kept in the source tree) and the demo machine (a fresh machine root).
# The platform's servers are stopped on every way out.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
build=$(cd "${1:?usage: run-demo.sh BUILD_DIR}" && pwd)
loader=$build/src/cli/varnik-loader
client=$build/demo/varnik-demo-client
demo=$build/demo
platform=$top/tests/sample-platform/sample-platform
state=$demo/platform
content=$demo/content
machine=$demo/machine
params=$demo/demo.params

say() { printf '\n== %s\n' "$*"; }

for program in "$loader" "$client"; do
  [ -x "$program" ] || { echo "run-demo.sh: $program is not built" >&2; exit 1; }
done

stop_platform() { "$platform" stop "$state" >/dev/null 2>&1 || true; }
trap stop_platform EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

say "the demo platform's content (client, cabinets, libraries, descriptors)"
"$here/make-demo-content.sh" "$content" "$client" demo
echo "made in $content"

say "serving it with nginx (a signing CA is made and the content signed)"
"$platform" start "$state" --content "$content"
# shellcheck disable=SC1091
. "$state/env"
server=$VARNIK_PLATFORM_HTTP/wnbin/demo
echo "platform at $server/"

say "a fresh demo machine"
rm -rf "$machine"
# deploy-demo.sh makes it trust the platform's CA.
mkdir -p "$machine/registry" "$machine/drive_c/logs"
# The loader's log, switched on for this user.
cat > "$machine/registry/current_user.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Nordak Labs\Trialdesk\WEB_CLNT_DEBUG]
"MASK"="All"
"PATH"="C:\\logs"
REG
echo "machine root $machine"

# The client runs on its own once started: its lines are waited for (its
# record in the deployment folder), so they come before the next step's.
run_loader() {
  local status=0 record
  find "$machine" -name started-with.txt -delete 2>/dev/null || true
  "$here/deploy-demo.sh" "$build" || status=$?
  for _ in $(seq 50); do
    record=$(find "$machine" -name started-with.txt -print -quit 2>/dev/null)
    [ -z "$record" ] || break
    sleep 0.1
  done
  echo "varnik-loader deploy ended with exit status $status"
  return $status
}

say "first run: deploy and start the client"

run_loader

say "second run: everything is in place already"
run_loader

started=$(find "$machine" -name started-with.txt -print -quit)
mapfile -t logs < <(ls -tr "$machine"/drive_c/logs/* 2>/dev/null || true)
say "done"
echo "client deployed in  ${started:+$(dirname "$started")}"
echo "loader's logs       (one a run, oldest first)"
[ ${#logs[@]} -gt 0 ] || logs=("(none written)")
printf '  %s\n' "${logs[@]}"
echo "properties          $params"
echo "to run it again by hand (the platform stops when the demo ends):"
echo "  $platform start $state --content $content"
echo "  $here/deploy-demo.sh $build    # or: $loader deploy --root $machine --params $params"
echo "  $platform stop $state"
